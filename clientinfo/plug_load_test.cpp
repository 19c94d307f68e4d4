// Loading the library in a process of its own (one child per case): what
// the load does with the temporary folder, and how requests answer when
// the load failed (an ELF library cannot refuse its own load, so the error
// is shown on stderr, there being no Qt application, and every request
// answers status 1 with its text) or when there is no event loop at all.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
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
  if (count != 0 || rows != nullptr) seen->status = 99;
}

std::string ReadFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

// Runs in the child: loads the library with TMPDIR=folder, asks once, and
// writes "calls status message|stderr of the load" to folder/result.
void LoadAndAsk(const std::string& folder) {
  setenv("TMPDIR", folder.c_str(), 1);
  const std::string errPath = folder + "/stderr.txt";
  int file = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(file, 2);
  void* library = dlopen((std::string(KAV_BIN_DIR) + "/libKAV7420PlugClientInfo.so").c_str(), RTLD_NOW);
  if (!library) _exit(3);
  auto set = reinterpret_cast<decltype(&KAV7420PlugSetSnmpParameter)>(dlsym(library, "KAV7420PlugSetSnmpParameter"));
  auto get = reinterpret_cast<decltype(&KAV7420PlugGetClinetInfor)>(dlsym(library, "KAV7420PlugGetClinetInfor"));
  if (!set || !get) _exit(4);
  set(0x0100007f, "public", "private", 161, 1000);
  Seen seen;
  get("127.0.0.1", &Callback, nullptr, &seen);
  std::ofstream(folder + "/result") << seen.calls << " " << seen.status << " " << seen.message << "|"
                                    << seen.address << "|" << seen.model << "|" << ReadFile(errPath);
  _exit(0);
}

TEST(PlugLoad, AnswersWhenTheLoadFailedOrNoEventLoopRuns) {
  struct Case {
    const char* what;
    const char* counter;  // contents of the boot counter file, nullptr: none
    std::string result;
  } cases[] = {
      {"unreadable boot counter", "QxSNMP_PP_Application lots\n",
       "1 1 (DeVIRU++) Error when loading SNMP engine boots counter!|127.0.0.1|KAV-7420|"
       "(DeVIRU++) Error when loading SNMP engine boots counter!\n"},
      {"no Qt application to deliver answers", nullptr,
       "1 1 (DeVIRU++) Init the timer error!|127.0.0.1|KAV-7420|"},
  };
  for (const Case& c : cases) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    if (c.counter) std::ofstream(folder + "/QxSNMP_PP_BootCounter") << c.counter;
    pid_t child = fork();
    if (child == 0) LoadAndAsk(folder);
    int status = -1;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.what;
    EXPECT_EQ(ReadFile(folder + "/result"), c.result) << c.what;
    if (!c.counter) EXPECT_EQ(ReadFile(folder + "/QxSNMP_PP_BootCounter"), "QxSNMP_PP_Application 1\n") << c.what;
  }
}

}  // namespace
