// Loading the library in a process of its own (one child per case): what
// the load does with the temporary folder, and how requests answer when
// the load failed (an ELF library cannot refuse its own load, so the error
// is shown, in a message box under a QApplication and on stderr otherwise,
// and every request answers status 1 with its text) or when there is no
// event loop at all.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

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
// writes "calls status message|address|model" to folder/result; what the
// load wrote on stderr is in folder/stderr.txt.
void LoadAndAsk(const std::string& folder, bool gui) {
  setenv("TMPDIR", folder.c_str(), 1);
  if (gui) {
    static int argc = 1;
    static char name[] = "plug_load_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    // Closes the box the load shows, noting its text.
    QTimer::singleShot(100, [folder] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      std::ofstream(folder + "/box") << (box ? box->windowTitle().toStdString() + ": " + box->text().toStdString() : "none");
      if (box) box->accept();
    });
  }
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
                                    << seen.address << "|" << seen.model;
  _exit(0);
}

TEST(PlugLoad, AnswersWhenTheLoadFailedOrNoEventLoopRuns) {
  struct Case {
    const char* what;
    const char* counter;  // contents of the boot counter file, nullptr: none
    bool gui;             // a QApplication exists before the load
    std::string result;
    const char* box;      // what the message box said, nullptr: no box
  } cases[] = {
      {"unreadable boot counter", "QxSNMP_PP_Application lots\n", false,
       "1 1 (DeVIRU++) Error when loading SNMP engine boots counter!|127.0.0.1|KAV-7420", nullptr},
      {"unreadable boot counter under a QApplication", "QxSNMP_PP_Application lots\n", true,
       "1 1 (DeVIRU++) Error when loading SNMP engine boots counter!|127.0.0.1|KAV-7420",
       "KAV-7420: (DeVIRU++) Error when loading SNMP engine boots counter!"},
      {"no Qt application to deliver answers", nullptr, false, "1 1 (DeVIRU++) Init the timer error!|127.0.0.1|KAV-7420",
       nullptr},
  };
  for (const Case& c : cases) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    if (c.counter) std::ofstream(folder + "/QxSNMP_PP_BootCounter") << c.counter;
    pid_t child = fork();
    if (child == 0) LoadAndAsk(folder, c.gui);
    int status = -1;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.what;
    EXPECT_EQ(ReadFile(folder + "/result"), c.result) << c.what;
    // The load's error goes to the box when there is one, else to stderr.
    const bool onStderr =
        ReadFile(folder + "/stderr.txt").find("(DeVIRU++) Error when loading") != std::string::npos;
    EXPECT_EQ(onStderr, c.counter && !c.gui) << c.what;
    if (c.box) {
      EXPECT_EQ(ReadFile(folder + "/box"), c.box) << c.what;
    }
    if (!c.counter) {
      EXPECT_EQ(ReadFile(folder + "/QxSNMP_PP_BootCounter"), "QxSNMP_PP_Application 1\n") << c.what;
    }
  }
}

}  // namespace
