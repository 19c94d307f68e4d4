#include "template/template_extractor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "template/template_engine.h"
#include "template/testing/config_fixtures.h"

namespace kav::tmpl {
namespace {

using fixture::ConfigBuilder;
using fixture::ReadFile;
using fixture::TempDir;
using fixture::WriteFile;
using Lines = std::vector<std::string>;

struct Extracted {
  int result = 0;
  std::string text;
  std::vector<std::string> headers;
  std::map<std::string, Lines> sections;
  const Lines& operator[](const std::string& header) { return sections[header]; }
};

Extracted Extract(const ConfigBuilder& config) {
  TempDir dir;
  config.WriteDcf(dir.File("dev.dcf"));
  CTemplateEngine engine("192.168.0.50", nullptr);
  Extracted out;
  out.result = engine.ExtractTemplate(dir.File("dev.dcf"), dir.File("dev.tpl"));
  out.text = ReadFile(dir.File("dev.tpl"));
  std::string current;
  size_t begin = 0;
  while (begin < out.text.size()) {
    size_t end = out.text.find("\r\n", begin);
    EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
    if (end == std::string::npos) break;
    std::string line = out.text.substr(begin, end - begin);
    begin = end + 2;
    if (!line.empty() && line[0] == '[') {
      current = line;
      out.headers.push_back(line);
      out.sections[line];
    } else {
      out.sections[current].push_back(line);
    }
  }
  // The key list lives only during the job.
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find(".keys."), std::string::npos);
  return out;
}

bool HasKey(const Lines& lines, const std::string& key) {
  for (const std::string& line : lines)
    if (line.substr(0, line.find('=')) == key) return true;
  return false;
}

int CountKey(const Lines& lines, const std::string& key) {
  int n = 0;
  for (const std::string& line : lines) n += line.substr(0, line.find('=')) == key;
  return n;
}

TEST(TemplateExtractor, DefaultDeviceGives24GHzTemplate) {
  Extracted t = Extract(ConfigBuilder());
  ASSERT_EQ(t.result, 1);
  EXPECT_EQ(t.headers, CTemplateExtractor::SectionHeaders());
  EXPECT_EQ(t["[System]"], (Lines{"DHCPclient=Disable", "Mask=255.255.255.0", "Gateway=192.168.0.1", "Username=admin",
                                  "Password=admin", "Telnet_timeout=5 Mins", "Telnet_option=Enable", "IsSSH=Disable"}));
  EXPECT_EQ(t["[2.4GHz_WirelessSettings]"],
            (Lines{"Radio_Wave=On", "SSID=kav7420", "SSID_Broadcast=Enable", "Beacon_Interval=100", "Rate=Auto", "DTIM=1",
                   "11nChannel_Width=Auto 20/40 MHz", "Channel=Auto"}));
  // Open System without WEP: only these two.
  EXPECT_EQ(t["[2.4GHz_SecuritySettings]"], (Lines{"auth_type=Open System", "wep_status=Disable"}));
  EXPECT_EQ(t["[2.4GHz_Filter]"], (Lines{"filter_mac_acl=Disable"}));
  EXPECT_EQ(t["[2.4GHz_MultiSSIDSettings]"], (Lines{"Multi_Status=Disable", "Multi_Status=Disable"}));
  for (const char* header : {"[5GHz_WirelessSettings]", "[5GHz_SecuritySettings]", "[5GHz_Filter]",
                             "[5GHz_MultiSSIDSettings]"})
    EXPECT_TRUE(t[header].empty()) << header;
}

TEST(TemplateExtractor, SystemRules) {
  // DHCP client on and no console protocol.
  Extracted t = Extract(ConfigBuilder().Set({"wan", "rg", "inf:1", "mode"}, "2").Set({"sys", "consoleprotocol", "protocol"}, "0"));
  EXPECT_EQ(t["[System]"], (Lines{"DHCPclient=Enable", "Username=admin", "Password=admin", "Telnet_option=Disable"}));
  // SSH: the console lines all stay.
  t = Extract(ConfigBuilder().Set({"sys", "consoleprotocol", "protocol"}, "2"));
  EXPECT_TRUE(HasKey(t["[System]"], "IsSSH"));
  EXPECT_EQ(t["[System]"].back(), "IsSSH=Enable");
}

TEST(TemplateExtractor, SecurityRules) {
  struct Case {
    const char* what;
    std::string authentication, wepmode;
    Lines keys;  // exact keys kept, in order
  } cases[] = {
      {"Open System with WEP", "0", "1",
       {"auth_type", "wep_status", "active_key_index", "key1", "keytype", "keysize"}},
      {"Shared Key without WEP", "1", "0", {"auth_type", "wep_status"}},
      {"WPA2-Personal with manual keys", "5", "3",
       {"auth_type", "cipher_type", "autorekey", "group_key_update_interval", "passphrase", "autorekey"}},
      {"WPA-Enterprise", "2", "2",
       {"auth_type", "cipher_type", "radius_server", "radius_secret", "radius_port", "group_key_update_interval"}},
      {"802.1x", "9", "0",
       {"auth_type", "radius_server", "radius_secret", "radius_port", "8021X_key_update_interval"}},
      // No rule names WPA-Auto-Personal: every line stays, autorekey twice.
      {"WPA-Auto-Personal", "7", "4",
       {"auth_type", "cipher_type", "radius_server", "radius_secret", "radius_port", "8021X_key_update_interval",
        "autorekey", "wep_status", "group_key_update_interval", "passphrase", "autorekey", "active_key_index", "key1",
        "keytype", "keysize"}},
  };
  for (const Case& c : cases) {
    Extracted t = Extract(ConfigBuilder()
                              .Set({"wlan", "inf:1", "authentication"}, c.authentication)
                              .Set({"wlan", "inf:1", "wpa", "wepmode"}, c.wepmode));
    Lines keys;
    for (const std::string& line : t["[2.4GHz_SecuritySettings]"]) keys.push_back(line.substr(0, line.find('=')));
    EXPECT_EQ(keys, c.keys) << c.what;
  }
}

TEST(TemplateExtractor, AutomaticKeyRenewalIsManualWhenMissing) {
  Extracted t = Extract(ConfigBuilder().Set({"wlan", "inf:1", "authentication"}, "7").Remove({"wlan", "inf:1", "autorekey"}));
  Lines security = t["[2.4GHz_SecuritySettings]"];
  EXPECT_EQ(CountKey(security, "autorekey"), 1);
  EXPECT_NE(std::find(security.begin(), security.end(), "autorekey=Manual"), security.end());
}

TEST(TemplateExtractor, FilterEntries) {
  Extracted t = Extract(ConfigBuilder().MacFilter(3, "2"));
  EXPECT_EQ(t["[2.4GHz_Filter]"], (Lines{"filter_mac_acl=Reject", "filter_mac_add1=00:11:22:00:00:01",
                                         "filter_mac_add2=00:11:22:00:00:02", "filter_mac_add3=00:11:22:00:00:03"}));
  // More than 256 entries: the first 256.
  t = Extract(ConfigBuilder().MacFilter(300, "1"));
  const Lines& filter = t["[2.4GHz_Filter]"];
  ASSERT_EQ(filter.size(), 257u);
  EXPECT_EQ(filter[0], "filter_mac_acl=Accept");
  EXPECT_EQ(filter.back(), "filter_mac_add256=00:11:22:00:01:00");
}

TEST(TemplateExtractor, MultiSsidRules) {
  ConfigBuilder config;
  config.MultiSsid(2)
      .Set({"wlan", "inf:1", "multi", "index:2", "auth"}, "5")
      .Set({"wlan", "inf:1", "multi", "index:2", "cipher"}, "3")
      .Set({"wlan", "inf:1", "multi", "index:2", "passphrase"}, "secret12");
  Extracted t = Extract(config);
  const Lines& multi = t["[2.4GHz_MultiSSIDSettings]"];
  Lines keys;
  for (const std::string& line : multi) keys.push_back(line.substr(0, line.find('=')));
  EXPECT_EQ(keys, (Lines{"Multi_Status",
                         "Multi_Status",
                         "SSID1_Status", "SSID1_Ssid", "SSID1_Visibility", "SSID1_Wmm", "SSID1_Security",
                         "SSID2_Status", "SSID2_Ssid", "SSID2_Visibility", "SSID2_Wmm", "SSID2_Security", "SSID2_Cipher",
                         "SSID2_Group_Key", "SSID2_PassPhrase", "SSID2_AutoRekey",
                         "SSID1_Wep_Status"}));
  EXPECT_EQ(multi[0], "Multi_Status=Enable");
  EXPECT_NE(std::find(multi.begin(), multi.end(), "SSID2_Security=WPA2-Personal"), multi.end());
  EXPECT_NE(std::find(multi.begin(), multi.end(), "SSID2_AutoRekey=Manual"), multi.end());
}

TEST(TemplateExtractor, BandFollowsTheFirstRadio) {
  // Two radios; the first reports an 11a mode: a 5 GHz template from the
  // first radio's elements, whatever the second holds.
  ConfigBuilder config;
  config.SecondRadio().Set({"wlan", "inf:1", "wlmode"}, "8").Set({"wlan", "inf:2", "ssid"}, "second").Set({"wlan", "inf:2", "wlmode"}, "6");
  Extracted t = Extract(config);
  ASSERT_EQ(t.result, 1);
  EXPECT_EQ(t["[5GHz_WirelessSettings]"][1], "SSID=kav7420");
  EXPECT_FALSE(HasKey(t["[5GHz_WirelessSettings]"], "WirelessMode"));
  for (const char* header : {"[2.4GHz_WirelessSettings]", "[2.4GHz_SecuritySettings]", "[2.4GHz_Filter]",
                             "[2.4GHz_MultiSSIDSettings]"})
    EXPECT_TRUE(t[header].empty()) << header;
  EXPECT_EQ(t.text.find("second"), std::string::npos);
}

TEST(TemplateExtractor, ValuesCannotMoveLinesBetweenSections) {
  // An SSID that spells another key stays a wireless setting.
  Extracted t = Extract(ConfigBuilder().Set({"wlan", "inf:1", "ssid"}, "SYS_Password=x"));
  EXPECT_EQ(t["[2.4GHz_WirelessSettings]"][1], "SSID=SYS_Password=x");
  EXPECT_EQ(CountKey(t["[System]"], "Password"), 1);
}

TEST(TemplateExtractor, Failures) {
  TempDir dir;
  CTemplateEngine engine("192.168.0.50", nullptr);
  EXPECT_EQ(engine.ExtractTemplate(dir.File("missing.dcf"), dir.File("t.tpl")), 0);
  WriteFile(dir.File("bad.dcf"), "KAV-74200\x1f\x8b garbage");
  EXPECT_EQ(engine.ExtractTemplate(dir.File("bad.dcf"), dir.File("t.tpl")), 0);
  ConfigBuilder().WriteDcf(dir.File("good.dcf"));
  EXPECT_EQ(engine.ExtractTemplate(dir.File("good.dcf"), dir.File("no/such/dir/t.tpl")), 0);

  // A 3 KB file whose body nests a million elements would overflow the
  // parser's stack; it yields a template without device settings.
  std::string deep;
  for (int i = 0; i < 1000000; ++i) deep += "<a>";
  WriteFile(dir.File("deep.xml"), deep);
  ASSERT_EQ(fixture::RunShell("gzip -c '" + dir.File("deep.xml") + "' | (printf KAV-74200; cat) > '" +
                              dir.File("deep.dcf") + "'"),
            0);
  EXPECT_LT(std::filesystem::file_size(dir.File("deep.dcf")), 8000u);
  EXPECT_EQ(engine.ExtractTemplate(dir.File("deep.dcf"), dir.File("deep.tpl")), 1);
  EXPECT_EQ(ReadFile(dir.File("deep.tpl")).find("SSID="), std::string::npos);
  // The configuration file is only read.
  std::string before = ReadFile(dir.File("good.dcf"));
  EXPECT_EQ(engine.ExtractTemplate(dir.File("good.dcf"), dir.File("t.tpl")), 1);
  EXPECT_EQ(ReadFile(dir.File("good.dcf")), before);
}

}  // namespace
}  // namespace kav::tmpl
