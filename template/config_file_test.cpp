#include "template/config_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

#include "template/gzip_file.h"
#include "template/testing/config_fixtures.h"

namespace kav::tmpl {
namespace {

using fixture::ConfigBuilder;
using fixture::ReadFile;
using fixture::RunShell;
using fixture::TempDir;
using fixture::WriteFile;

// A gzip stream of data as zlib's file writer makes it.
std::string Gzip(const std::string& data, const TempDir& dir) {
  std::string path = dir.File("stream.gz");
  gzFile f = gzopen(path.c_str(), "wb1");  // fast; any valid stream will do
  gzwrite(f, data.data(), static_cast<unsigned>(data.size()));
  gzclose(f);
  std::string out = ReadFile(path);
  std::filesystem::remove(path);
  return out;
}

std::vector<std::string> FilesIn(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// The gzip stream of a .dcf must satisfy gzip itself.
void ExpectGzipAcceptsBody(const std::string& dcfPath, size_t headerLength, const TempDir& dir) {
  std::string body = ReadFile(dcfPath).substr(headerLength + 1);
  std::string path = dir.File("body.gz");
  WriteFile(path, body);
  EXPECT_EQ(RunShell("gzip -t '" + path + "'"), 0) << dcfPath;
  std::filesystem::remove(path);
}

TEST(ConfigFile, SeparatorIsTheZeroBeforeTheGzipMagic) {
  struct Case {
    std::string head;
    size_t body;
  } cases[] = {
      {"KAV-74200\x1f\x8b", 9},            // the model name itself holds a "0"
      {"A0B0\x1f\x8b", 4},
      {"0\x1f\x8b", 1},
      {"A0B0C", 4},                        // no magic: after the last "0"
      {"ABC", 1},                          // no "0": after the first byte
      {std::string(31, 'x') + "0", 32},    // magic would lie beyond the scanned bytes
      {"", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(FindBodyOffset(c.head.data(), c.head.size()), c.body) << c.head;
}

TEST(ConfigFile, TemporaryNameReplacesTheExtension) {
  struct Case {
    std::string target, temp;
  } cases[] = {
      {"/t/192.168.0.50_.xml", "/t/192.168.0.50___tmpFile.tmp"},
      {"a.verylongextension", "a__tmpFile.tmpxtension"},
      {"a.b.c", "a.b__tmpFile.tmp"},
      {"noext", ""},
      {"/dir.d/noext", ""},  // a "." in a folder name does not count
  };
  for (const Case& c : cases) EXPECT_EQ(UnpackTempName(c.target), c.temp) << c.target;
}

TEST(ConfigFile, PackThenUnpackGivesTheCrLfText) {
  TempDir dir;
  for (const char* root : {"KAV-7420", "KAV-7420b"}) {
    ConfigBuilder config;
    config.Root(root).MacFilter(3).SecondRadio();
    config.WriteXml(dir.File("in.xml"));
    std::string original = ReadFile(dir.File("in.xml"));

    ASSERT_TRUE(PackConfigFile(dir.File("in.xml"), dir.File("dev.dcf")));
    std::string dcf = ReadFile(dir.File("dev.dcf"));
    std::string header = std::string(root) + "0";
    EXPECT_EQ(dcf.substr(0, header.size()), header);
    EXPECT_EQ(dcf.substr(header.size(), 2), "\x1f\x8b");
    ExpectGzipAcceptsBody(dir.File("dev.dcf"), std::string(root).size(), dir);
    // Inside, the document has LF line endings.
    ASSERT_EQ(RunShell("tail -c +" + std::to_string(header.size() + 1) + " '" + dir.File("dev.dcf") +
                       "' | gzip -dc > '" + dir.File("body.xml") + "'"),
              0);
    std::string inside = ReadFile(dir.File("body.xml"));
    EXPECT_EQ(inside.find('\r'), std::string::npos);
    EXPECT_NE(inside.find("<KAV-7420"), std::string::npos);
    std::filesystem::remove(dir.File("body.xml"));

    ASSERT_TRUE(UnpackConfigFile(dir.File("dev.dcf"), dir.File("192.168.0.50_.xml")));
    EXPECT_EQ(ReadFile(dir.File("192.168.0.50_.xml")), original);
    EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"192.168.0.50_.xml", "dev.dcf", "in.xml"}));
    for (const auto& name : {"192.168.0.50_.xml", "dev.dcf", "in.xml"}) std::filesystem::remove(dir.File(name));
  }
}

TEST(ConfigFile, LoneLfGainsItsCr) {
  TempDir dir;
  WriteFile(dir.File("in.xml"), "<KAV-7420>\r\n<sys>\n<name>x</name></sys>\r\n</KAV-7420>\r\n");
  ASSERT_TRUE(PackConfigFile(dir.File("in.xml"), dir.File("a.dcf")));
  ASSERT_TRUE(UnpackConfigFile(dir.File("a.dcf"), dir.File("out.xml")));
  EXPECT_EQ(ReadFile(dir.File("out.xml")), "<KAV-7420>\r\n<sys>\r\n<name>x</name></sys>\r\n</KAV-7420>\r\n");
}

TEST(ConfigFile, UnpackFailures) {
  TempDir dir;
  const std::string xml = "<KAV-7420>\n<sys/>\n</KAV-7420>\n";
  std::string good = "KAV-74200" + Gzip(xml, dir);
  std::string corrupt = good;
  corrupt[corrupt.size() / 2] ^= 0x55;
  corrupt[corrupt.size() - 6] ^= 0x55;  // and the checksum
  struct Case {
    const char* what;
    std::string dcf;
    std::string target;
  } cases[] = {
      {"empty body", "KAV-74200" + Gzip("", dir), "t.xml"},
      {"body starting with a zero byte", "KAV-74200" + Gzip(std::string("\0<a/>", 5), dir), "t.xml"},
      {"target without a dot", good, "target"},
      {"dot only in a folder name", good, "sub.d/target"},
      {"corrupt gzip body", corrupt, "t.xml"},
      {"truncated gzip body", good.substr(0, good.size() - 10), "t.xml"},
      {"empty file", "", "t.xml"},
  };
  std::filesystem::create_directory(dir.File("sub.d"));
  for (const Case& c : cases) {
    WriteFile(dir.File("in.dcf"), c.dcf);
    EXPECT_FALSE(UnpackConfigFile(dir.File("in.dcf"), dir.File(c.target))) << c.what;
    // Nothing written, and no temporary file left behind.
    EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"in.dcf", "sub.d"})) << c.what;
  }
  EXPECT_FALSE(UnpackConfigFile(dir.File("missing.dcf"), dir.File("t.xml")));
}

TEST(ConfigFile, BodyInflatingBeyondTheBoundIsRefused) {
  TempDir dir;
  std::string bomb = "KAV-74200" + Gzip(std::string(kMaxConfigBody + 1, 'a'), dir);
  EXPECT_LT(bomb.size(), size_t{1} << 20);
  WriteFile(dir.File("bomb.dcf"), bomb);
  EXPECT_FALSE(UnpackConfigFile(dir.File("bomb.dcf"), dir.File("t.xml")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("t.xml")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("t__tmpFile.tmp")));

  // Exactly at the bound is still a configuration.
  WriteFile(dir.File("big.dcf"), "KAV-74200" + Gzip(std::string(kMaxConfigBody, 'a'), dir));
  EXPECT_TRUE(UnpackConfigFile(dir.File("big.dcf"), dir.File("t.xml")));
}

TEST(ConfigFile, PlainBodyIsTakenUnchanged) {
  // zlib hands over a body without the gzip magic as it is.
  TempDir dir;
  WriteFile(dir.File("plain.dcf"), "AP0<AP>\n<x/>\n</AP>\n");
  ASSERT_TRUE(UnpackConfigFile(dir.File("plain.dcf"), dir.File("t.xml")));
  EXPECT_EQ(ReadFile(dir.File("t.xml")), "<AP>\r\n<x/>\r\n</AP>\r\n");
}

TEST(ConfigFile, TemporaryFileNeverReplacesTheSource) {
  TempDir dir;
  ConfigBuilder().WriteDcf(dir.File("t__tmpFile.tmp"));
  std::string before = ReadFile(dir.File("t__tmpFile.tmp"));
  EXPECT_FALSE(UnpackConfigFile(dir.File("t__tmpFile.tmp"), dir.File("t.xml")));
  EXPECT_EQ(ReadFile(dir.File("t__tmpFile.tmp")), before);
}

TEST(ConfigFile, PackFailures) {
  TempDir dir;
  struct Case {
    const char* what;
    std::string xml;
  } cases[] = {
      {"no root element", "<?xml version=\"1.0\"?>\r\n"},
      {"not XML", "hello\r\n"},
      {"root name too long for the header", "<" + std::string(31, 'R') + "/>\r\n"},
  };
  for (const Case& c : cases) {
    WriteFile(dir.File("in.xml"), c.xml);
    EXPECT_FALSE(PackConfigFile(dir.File("in.xml"), dir.File("out.dcf"))) << c.what;
  }
  WriteFile(dir.File("in.xml"), "<" + std::string(30, 'R') + "/>\r\n");
  EXPECT_TRUE(PackConfigFile(dir.File("in.xml"), dir.File("out.dcf")));
  EXPECT_TRUE(UnpackConfigFile(dir.File("out.dcf"), dir.File("back.xml")));
}

TEST(ConfigFile, WritesThatFailAreReported) {
  TempDir dir;
  ConfigBuilder().WriteXml(dir.File("in.xml"));
  // A full disk shows only when the last block is flushed.
  EXPECT_FALSE(PackConfigFile(dir.File("in.xml"), "/dev/full"));
  ConfigBuilder().WriteDcf(dir.File("in.dcf"));
  std::filesystem::create_symlink("/dev/full", dir.File("full.xml"));
  EXPECT_FALSE(UnpackConfigFile(dir.File("in.dcf"), dir.File("full.xml")));
  EXPECT_FALSE(PackConfigFile(dir.File("in.xml"), dir.File("no/such/folder.dcf")));
}

TEST(GzipFile, ModesAndReads) {
  TempDir dir;
  CGzipFile gz;
  EXPECT_FALSE(gz.WriteText("x"));
  ASSERT_TRUE(gz.Open(dir.File("a.gz"), CGzipFile::kWrite));
  EXPECT_FALSE(gz.Open(dir.File("b.gz"), CGzipFile::kWrite));  // already open
  EXPECT_TRUE(gz.SetParams());
  EXPECT_TRUE(gz.WriteText("hello"));
  std::string out;
  EXPECT_FALSE(gz.ReadAll(out));  // not open for reading
  EXPECT_TRUE(gz.Close());
  EXPECT_FALSE(gz.IsOpen());

  ASSERT_TRUE(gz.Open(dir.File("a.gz"), CGzipFile::kRead));
  EXPECT_GT(gz.chunkSize(), 0);
  EXPECT_FALSE(gz.SetParams());
  ASSERT_TRUE(gz.ReadAll(out));
  EXPECT_EQ(out, std::string("hello\0", 6));
  gz.Close();

  EXPECT_FALSE(gz.Open(dir.File("missing.gz"), CGzipFile::kRead));
  WriteFile(dir.File("empty"), "");
  ASSERT_TRUE(gz.Open(dir.File("empty"), CGzipFile::kRead));
  EXPECT_FALSE(gz.ReadAll(out));
}

}  // namespace
}  // namespace kav::tmpl
