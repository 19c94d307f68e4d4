// The engine boot counter file, and what the framework makes of it.
#include "clientinfo/boot_counter_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>

#include <fstream>
#include <sstream>

#include "clientinfo/qx_exception.h"
#include "clientinfo/qx_snmp_framework.h"

namespace kav::clientinfo {
namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

TEST(BootCounterFile, LoadsAndSavesPerEngine) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/QxSNMP_PP_BootCounter";
  CBootCounterFile file(path);
  EXPECT_EQ(file.Load("A"), CBootCounterFile::kNoFile);
  ASSERT_TRUE(file.Save("A", 3));
  EXPECT_EQ(file.Load("A"), 3);
  EXPECT_EQ(file.Load("B"), CBootCounterFile::kNoEntry);
  ASSERT_TRUE(file.Save("B", 7));
  ASSERT_TRUE(file.Save("A", 4));
  EXPECT_EQ(Read(path), "A 4\nB 7\n");

  struct Case {
    const char* contents;
    int result;
  } cases[] = {
      {"A 12\n", 12},
      {"  A   12  \r\n", 12},
      {"\n\nB 1\nA 0\n", 0},
      {"B 1\n", CBootCounterFile::kNoEntry},
      {"", CBootCounterFile::kNoEntry},
      {"A twelve\n", CBootCounterFile::kUnreadable},
      {"A -1\n", CBootCounterFile::kUnreadable},
      {"A 1 2\n", CBootCounterFile::kUnreadable},
      {"A 99999999999\n", CBootCounterFile::kUnreadable},
  };
  for (const Case& c : cases) {
    Write(path, c.contents);
    EXPECT_EQ(file.Load("A"), c.result) << c.contents;
  }
  EXPECT_FALSE(file.Save("has space", 1));
}

TEST(BootCounterFile, FrameworkCountsBootsAndFailsOnABadFile) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  const std::string path = folder + "/QxSNMP_PP_BootCounter";

  CQxSnmpFramework::Initialise(folder, "");  // no file: 0 + 1
  EXPECT_EQ(CQxSnmpFramework::EngineBoots(), 1);
  CQxSnmpFramework::Initialise(folder, "");
  EXPECT_EQ(CQxSnmpFramework::EngineBoots(), 2);
  EXPECT_EQ(Read(path), "QxSNMP_PP_Application 2\n");
  Write(path, "Other 5\n");  // no entry: 0 + 1, the other engine kept
  CQxSnmpFramework::Initialise(folder, "");
  EXPECT_EQ(CQxSnmpFramework::EngineBoots(), 1);
  EXPECT_EQ(Read(path), "Other 5\nQxSNMP_PP_Application 1\n");
  CQxSnmpFramework::Release();

  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::string folder;
    int code;
  } cases[] = {
      {"unreadable counter", [&] { Write(path, "QxSNMP_PP_Application many\n"); }, folder, -507},
      {"folder that does not exist", [] {}, folder + "/missing", -508},
  };
  for (const Case& c : cases) {
    c.prepare();
    try {
      CQxSnmpFramework::Initialise(c.folder, "");
      ADD_FAILURE() << c.what;
    } catch (const CQXException& e) {
      EXPECT_EQ(e.Code(), c.code) << c.what;
    }
    EXPECT_FALSE(CQxSnmpFramework::Initialised()) << c.what;
  }
}

}  // namespace
}  // namespace kav::clientinfo
