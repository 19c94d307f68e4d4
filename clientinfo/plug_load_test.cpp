// Loading the library where its engine boot counter cannot be read: the
// load cannot be refused on Linux, so the error is shown on stderr (no Qt
// application) and every request answers status 1 with its text.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "clientinfo/include/kav7420_clientinfo.h"

namespace {

struct Seen {
  int calls = 0;
  int status = -1;
  std::string message, address, model;
};

void Callback(ClientResult* result, int32_t count, ClientRow** rows, void* context) {
  auto* seen = static_cast<Seen*>(context);
  ++seen->calls;
  seen->status = result->status;
  seen->message = result->message;
  seen->address = result->address;
  seen->model = result->model;
  EXPECT_EQ(count, 0);
  EXPECT_EQ(rows, nullptr);
}

TEST(PlugLoad, UnreadableBootCounterFailsEveryRequestWithItsText) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  std::ofstream(folder + "/QxSNMP_PP_BootCounter") << "QxSNMP_PP_Application lots\n";
  setenv("TMPDIR", folder.c_str(), 1);

  // Catch what the load writes on stderr.
  const std::string errPath = folder + "/stderr.txt";
  int saved = dup(2);
  int file = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(file, 2);
  void* library = dlopen((std::string(KAV_BIN_DIR) + "/libKAV7420PlugClientInfo.so").c_str(), RTLD_NOW);
  dup2(saved, 2);
  close(file);
  close(saved);
  ASSERT_NE(library, nullptr) << dlerror();

  std::stringstream err;
  err << std::ifstream(errPath).rdbuf();
  EXPECT_EQ(err.str(), "(DeVIRU++) Error when loading SNMP engine boots counter!\n");

  auto set = reinterpret_cast<decltype(&KAV7420PlugSetSnmpParameter)>(dlsym(library, "KAV7420PlugSetSnmpParameter"));
  auto get = reinterpret_cast<decltype(&KAV7420PlugGetClinetInfor)>(dlsym(library, "KAV7420PlugGetClinetInfor"));
  ASSERT_TRUE(set && get);
  set(0x0100007f, "public", "private", 161, 1000);
  Seen seen;
  get("127.0.0.1", &Callback, nullptr, &seen);
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.status, 1);
  EXPECT_EQ(seen.message, "(DeVIRU++) Error when loading SNMP engine boots counter!");
  EXPECT_EQ(seen.address, "127.0.0.1");
  EXPECT_EQ(seen.model, "KAV-7420");
  dlclose(library);
}

}  // namespace
