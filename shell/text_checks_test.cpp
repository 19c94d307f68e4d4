#include "shell/text_checks.h"

#include <gtest/gtest.h>

namespace {

TEST(TextChecks, HostAddresses) {
  struct { const char* text; bool host; bool gateway; } cases[] = {
      {"10.0.0.0", true, true},          {"223.255.255.254", true, true},
      {"192.168.0.1", true, true},       {"127.0.0.1", false, false},
      {"0.1.2.3", false, false},         {"224.0.0.1", false, false},
      {"10.0.0.255", false, false},      {".1.2.3", false, false},
      {"1.2.3", false, false},           {"1.2.3.4.5", false, false},
      {"1.256.0.1", false, false},       {"0.0.0.0", false, false},
      {"1.2.3.", false, false},          // blank last field of an address box
      {"1..3.4", true, true},            // an empty inner octet counts as 0
      {"99999999999.1.1.1", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidHostIp(c.text), c.host) << c.text;
    EXPECT_EQ(IsValidGatewayIp(c.text), c.gateway) << c.text;
  }
}

TEST(TextChecks, SubnetMasks) {
  struct { const char* text; bool ok; } cases[] = {
      {"255.255.255.0", true},   {"192.0.0.0", true},      {"255.255.255.254", true},
      {"255.0.255.0", false},    {"255.255.255.255", false}, {"128.0.0.0", false},
      {"0.0.0.0", false},        {"255.255.1.0", false},   {"255.255.255.", false},
      {"255.255.0", false},      {"256.0.0.0", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidSubnetMask(c.text), c.ok) << c.text;
}

TEST(TextChecks, NumbersFromAddresses) {
  EXPECT_EQ(DottedToNumber("192.168.1.2"), 0xC0A80102u);
  EXPECT_EQ(NetworkAddress("192.168.7.130", "255.255.255.128"), "192.168.7.128");
}

TEST(TextChecks, MacAddresses) {
  EXPECT_TRUE(IsValidMac("0011223344AA"));
  EXPECT_TRUE(IsValidMac("02ffeeddccbb"));
  EXPECT_FALSE(IsValidMac("011122334455"));  // odd first pair: multicast
  EXPECT_TRUE(IsMulticastMac("0F0000000000"));
  EXPECT_FALSE(IsValidMac("00:11:22:33:44:55"));  // display form: wrong length
  EXPECT_FALSE(IsValidMac("00112233445G"));
  EXPECT_FALSE(IsValidMac("00112233445"));
  EXPECT_EQ(MacToCompact("00:AA:BB:CC:DD:EE"), "00AABBCCDDEE");
}

TEST(TextChecks, CharactersAndNames) {
  EXPECT_TRUE(IsAllBlank(""));
  EXPECT_TRUE(IsAllBlank("   "));
  EXPECT_FALSE(IsAllBlank(" a "));
  EXPECT_TRUE(HasNoEdgeBlank("a b"));
  EXPECT_FALSE(HasNoEdgeBlank(" ab"));
  EXPECT_FALSE(HasNoEdgeBlank("ab "));
  EXPECT_TRUE(IsSevenBit("abc~"));
  EXPECT_FALSE(IsSevenBit(QString::fromUtf8("caf\xc3\xa9")));
  EXPECT_TRUE(IsHostNameChar(u'_'));
  EXPECT_FALSE(IsHostNameChar(u'@'));
  EXPECT_TRUE(IsEmailChar(u'@'));
  EXPECT_FALSE(IsEmailChar(u' '));
  for (const char* ok : {"a@b", "a@b@", "first.last-x_y@anything at all"}) EXPECT_TRUE(IsEmailAddress(ok)) << ok;
  for (const char* bad : {"", "ab", "@b", "a@", "a b@c", "a!@b"}) EXPECT_FALSE(IsEmailAddress(bad)) << bad;
}

TEST(TextChecks, NumberConversions) {
  struct { const char* text; std::int64_t value; } parse[] = {
      {"0x1F", 31}, {"0X1f", 31}, {"12A", -1}, {"", -1}, {"42", 42}, {"0b101", 5},
      {"0o17", 15}, {"0D19", 19}, {"0b2", -1}, {"0x", -1}, {"99999999999999999999", -1},
  };
  for (const auto& c : parse) EXPECT_EQ(ParseNumber(c.text, -1), c.value) << c.text;
  EXPECT_EQ(HexToNumber("ff", 7), 255);
  EXPECT_EQ(HexToNumber("", 7), 7);
  EXPECT_EQ(HexToNumber("1g", 7), 7);
  EXPECT_EQ(HexToBytes("0aFF10"), QByteArray("\x0a\xff\x10", 3));
  EXPECT_EQ(HexToBytes("0aF"), QByteArray("\x0a", 1));
  EXPECT_EQ(HexToBytes("0aZZ10"), QByteArray("\x0a", 1));
}

}  // namespace
