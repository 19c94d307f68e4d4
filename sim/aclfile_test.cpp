// The ACL file a device fetches and stores.
#include "sim/aclfile.h"

#include <gtest/gtest.h>

namespace {

using kav::sim::aclFileText;
using kav::sim::parseAclFile;

TEST(AclFile, ReadsTheUsualSpellingsAndRefusesTheRest) {
  struct Case {
    std::string text;
    std::vector<uint64_t> macs;
    std::string why;  // empty: accepted
  };
  const Case cases[] = {
      {"", {}, ""},
      {"00:11:22:33:44:55\n", {0x001122334455}, ""},
      {"00-11-22-33-44-5a\r\n001122aabbcc\r\n", {0x00112233445A, 0x001122AABBCC}, ""},
      {"# office\n\n  00:11:22:33:44:55  \n\t\nAABBCCDDEEFF", {0x001122334455, 0xAABBCCDDEEFF}, ""},
      {"00:11:22:33:44:55\nnot a mac\n", {}, "ACL file line 2: not a MAC address"},
      {"00:11:22:33:44\n", {}, "ACL file line 1: not a MAC address"},
      {"00:11-22:33:44:55\n", {}, "ACL file line 1: not a MAC address"},
      {"0011223344556\n", {}, "ACL file line 1: not a MAC address"},
      {std::string("00:11:22:33:44:55\0\n", 19), {}, "ACL file line 1: not a MAC address"},
  };
  for (const Case& c : cases) {
    std::string why;
    auto macs = parseAclFile(c.text, &why);
    EXPECT_EQ(macs.has_value(), c.why.empty()) << c.text;
    if (macs) {
      EXPECT_EQ(*macs, c.macs) << c.text;
    }
    EXPECT_EQ(why, c.why) << c.text;
  }
}

TEST(AclFile, AtMost256AndWrittenAsItIsRead) {
  std::vector<uint64_t> macs;
  for (uint64_t i = 0; i < 256; ++i) macs.push_back(0x020000000000 + i);
  const std::string text = aclFileText(macs);
  EXPECT_EQ(text.substr(0, 18), "02:00:00:00:00:00\n");
  std::string why;
  EXPECT_EQ(parseAclFile(text, &why), macs);
  EXPECT_FALSE(parseAclFile(text + "02:00:00:00:01:00\n", &why));
  EXPECT_EQ(why, "ACL file holds more than 256 addresses");
}

}  // namespace
