// The firmware image format: what a device takes and why it refuses the
// rest, in memory and from a file, and the kav7420-fwimage tool that tests
// and the demo make images with.
#include "sim/fwimage.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "sim/testing/sim_process.h"

namespace {

namespace fw = kav::sim::fw;
using kav::sim::testing::runCommand;

std::string payloadOf(size_t n) {
  std::string p(n, '\0');
  for (size_t i = 0; i < n; ++i) p[i] = static_cast<char>(i * 7 + 3);
  return p;
}

void putLe32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
}
// Seals a hand-made header so that only the field under test is wrong.
void reseal(std::string& image) {
  putLe32(image, 60, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(image.data()), 60)));
}

class FwImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kav-fwimage-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string dir_;
};

TEST_F(FwImageTest, ASoundImageIsTakenWithItsVersion) {
  std::string why;
  auto image = fw::makeImage("KAV-7420", "1.10.002", payloadOf(1000), &why);
  ASSERT_TRUE(image) << why;
  ASSERT_EQ(image->size(), fw::kHeaderSize + 1000);
  EXPECT_EQ(image->substr(0, 10), std::string("KAV7420FW\0", 10));
  for (const fw::Check& c :
       {fw::checkImage(*image, "KAV-7420"), fw::checkImageFile(write("ok.bin", *image), "KAV-7420")}) {
    EXPECT_EQ(c.verdict, fw::Verdict::Usable) << c.message;
    EXPECT_EQ(c.header.model, "KAV-7420");
    EXPECT_EQ(c.header.version, "1.10.002");
    EXPECT_EQ(c.header.payloadLength, 1000u);
  }
  // An empty payload is an image too.
  auto empty = fw::makeImage("KAV-7420", "2", "", &why);
  ASSERT_TRUE(empty);
  EXPECT_EQ(fw::checkImage(*empty, "KAV-7420").verdict, fw::Verdict::Usable);
}

TEST_F(FwImageTest, EveryDamageIsRefusedWithItsReason) {
  const std::string good = *fw::makeImage("KAV-7420", "1.10.002", payloadOf(1000), nullptr);
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    std::string message;
  };
  const Case cases[] = {
      {"too short", [](std::string& s) { s.resize(40); }, "not a firmware image"},
      {"empty", [](std::string& s) { s.clear(); }, "not a firmware image"},
      {"magic", [](std::string& s) { s[3] = 'X'; }, "not a firmware image"},
      {"header bit", [](std::string& s) { s[30] ^= 1; }, "image header damaged"},
      {"format", [](std::string& s) { s[10] = 2; reseal(s); }, "unsupported image format 2"},
      {"reserved", [](std::string& s) { s[55] = 1; reseal(s); }, "bad image header: reserved bytes are not zero"},
      {"model unterminated", [](std::string& s) { s.replace(12, 16, std::string(16, 'M')); reseal(s); },
       "bad image header: model name"},
      {"text after the NUL", [](std::string& s) { s[27] = 'x'; reseal(s); }, "bad image header: model name"},
      {"version empty", [](std::string& s) { s.replace(28, 16, std::string(16, '\0')); reseal(s); },
       "bad image header: version text"},
      {"version control char", [](std::string& s) { s[29] = '\n'; reseal(s); }, "bad image header: version text"},
      {"other model", [](std::string& s) { s.replace(12, 8, "KAV-7421"); reseal(s); }, "image is for model KAV-7421"},
      {"cut short", [](std::string& s) { s.pop_back(); },
       "image length mismatch: header says 1000 bytes, image has 999"},
      {"too long", [](std::string& s) { s += 'x'; }, "image length mismatch: header says 1000 bytes, image has 1001"},
      {"payload bit", [](std::string& s) { s[fw::kHeaderSize + 500] ^= 0x10; }, "image checksum mismatch"},
      {"payload crc field", [](std::string& s) { s[48] ^= 1; reseal(s); }, "image checksum mismatch"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string image = good;
    c.damage(image);
    const fw::Check inMemory = fw::checkImage(image, "KAV-7420");
    EXPECT_EQ(inMemory.verdict, fw::Verdict::Unusable);
    EXPECT_EQ(inMemory.message, c.message);
    const fw::Check fromFile = fw::checkImageFile(write("x.bin", image), "KAV-7420");
    EXPECT_EQ(fromFile.verdict, fw::Verdict::Unusable);
    EXPECT_EQ(fromFile.message, c.message);
  }
  EXPECT_EQ(fw::checkImageFile(dir_ + "/missing.bin", "KAV-7420").verdict, fw::Verdict::Unreadable);
  // The model compared is the device's own.
  EXPECT_EQ(fw::checkImage(good, "KAV-7420b").message, "image is for model KAV-7420");
}

TEST_F(FwImageTest, NamesMustFitTheirFields) {
  struct Case {
    std::string model, version;
    bool ok;
  };
  const Case cases[] = {
      {"KAV-7420", "123456789012345", true}, {"KAV-7420", "1234567890123456", false},
      {"KAV-7420", "", false},               {"", "1.0", false},
      {"KAV-7420", "1.0\n", false},          {"KAV-7420-LONG-NAME", "1.0", false},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_EQ(fw::makeImage(c.model, c.version, "p", &why).has_value(), c.ok) << c.model << " " << c.version;
    if (!c.ok) {
      EXPECT_FALSE(why.empty());
    }
  }
}

TEST_F(FwImageTest, ToolMakesGoodAndBrokenImages) {
  const std::string tool = std::string(KAV_BIN_DIR) + "/kav7420-fwimage";
  struct Case {
    std::vector<std::string> args;
    std::string verdict;  // last line of --check
  };
  const Case cases[] = {
      {{}, "usable"},
      {{"--corrupt", "payload"}, "image checksum mismatch"},
      {{"--corrupt", "length"}, "image length mismatch: header says 200000 bytes, image has 199999"},
      {{"--corrupt", "header"}, "image header damaged"},
      {{"--corrupt", "magic"}, "not a firmware image"},
      {{"--model", "OTHER"}, "image is for model OTHER"},
  };
  for (const Case& c : cases) {
    const std::string out = dir_ + "/tool.bin";
    std::vector<std::string> argv = {tool, "--version", "1.10.002", "--payload-size", "200000"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    argv.push_back(out);
    auto made = runCommand(argv);
    ASSERT_EQ(made.status, 0) << made.err;
    auto checked = runCommand({tool, "--check", out});
    EXPECT_EQ(checked.status, c.verdict == "usable" ? 0 : 1);
    EXPECT_TRUE(checked.out.ends_with(c.verdict + "\n")) << checked.out;
  }
  auto checked = runCommand({tool, "--check", dir_ + "/tool.bin", "--model", "OTHER"});
  EXPECT_EQ(checked.status, 0) << checked.out;
  EXPECT_EQ(checked.out, "model OTHER\nversion 1.10.002\npayload 200000 bytes, crc32 " +
                             checked.out.substr(checked.out.find("crc32 ") + 6, 8) + "\nusable\n");
  // Same seed, same image: benchmarks and tests can rely on it.
  ASSERT_EQ(runCommand({tool, "--version", "1", "--seed", "9", dir_ + "/a.bin"}).status, 0);
  ASSERT_EQ(runCommand({tool, "--version", "1", "--seed", "9", dir_ + "/b.bin"}).status, 0);
  EXPECT_EQ(runCommand({"cmp", dir_ + "/a.bin", dir_ + "/b.bin"}).status, 0);
  // Mistakes are usage errors.
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{tool, dir_ + "/c.bin"}, {tool, "--version", "1", "--corrupt", "all", dir_ + "/c.bin"},
        {tool, "--version", "1", "--payload-size", "-5", dir_ + "/c.bin"},
        {tool, "--version", "1", "--payload-size", "67108864", dir_ + "/c.bin"},
        {tool, "--version", "1.2.3.4.5.6.7.8.9", dir_ + "/c.bin"}})
    EXPECT_EQ(runCommand(bad).status, 2) << bad.back();
}

}  // namespace
