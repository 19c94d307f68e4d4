#include "template/template_engine.h"

#include <gtest/gtest.h>

#include "template/testing/config_fixtures.h"

namespace kav::tmpl {
namespace {

using fixture::Applied;
using fixture::ApplyText;
using fixture::ConfigBuilder;
using fixture::Device24;

// The same radio in an 11a mode: the 5 GHz keys apply.
ConfigBuilder Device5(const char* mode = "8") {
  ConfigBuilder config;
  config.Root("KAV-7420b").Set({"wlan", "inf:1", "wlmode"}, mode);
  return config;
}

std::string Msg(const std::string& text) { return "Device(10.0.0.7), " + text; }

const char* kBeacon = "e:<wlan><inf[id=1]><beaconinterval>";
const char* kDtim = "e:<wlan><inf[id=1]><dtim>";
const char* kRate = "e:<wlan><inf[id=1]><fixedrate>";
const char* kUser = "e:<sys><user[id=1]><name>";
const char* kSsid = "e:<wlan><inf[id=1]><ssid>";
const char* kAuth = "e:<wlan><inf[id=1]><authentication>";
const char* kWidth = "e:<wlan><inf[id=1]><cwmmode>";
const char* kAutoChannel = "e:<wlan><inf[id=1]><autochannel>";
const char* kChannel = "e:<wlan><inf[id=1]><channel>";

TEST(TemplateApply, BeaconAndDtimRanges) {
  struct Case {
    std::string line;
    const char* element;
    std::string stored;  // "" when the setting is skipped
    std::string message;
  } cases[] = {
      {"AWS_80211g_Beacon_Interval=20", kBeacon, "",
       "Device's beacon interval range is 25~500, but current value of template is 20 in 2.4G, so program will skip "
       "this parameter."},
      {"AWS_80211g_Beacon_Interval=25", kBeacon, "25", ""},
      {"AWS_80211g_Beacon_Interval=500", kBeacon, "500", ""},
      {"AWS_80211g_Beacon_Interval=501", kBeacon, "", "current value of template is 501 in 2.4G"},
      {"AWS_80211g_Beacon_Interval=fast", kBeacon, "", "current value of template is 0 in 2.4G"},
      {"AWS_80211g_DTIM=0", kDtim, "",
       "Device's DTIM Interval range is 1~15, but current value of template is 0 in 2.4G, so program will skip this "
       "parameter."},
      {"AWS_80211g_DTIM=1", kDtim, "1", ""},
      {"AWS_80211g_DTIM=15", kDtim, "15", ""},
      {"AWS_80211g_DTIM=16", kDtim, "", "DTIM Interval range is 1~15, but current value of template is 16 in 2.4G"},
  };
  for (const Case& c : cases) {
    Applied a = ApplyText(Device24().Set({"wlan", "inf:1", "beaconinterval"}, "77").Set({"wlan", "inf:1", "dtim"}, "7"),
                          "[2.4GHz_WirelessSettings]\r\n" + c.line + "\r\nSYS_Username=root\r\n");
    ASSERT_TRUE(a.result) << c.line;
    std::string unchanged = std::string(c.element) == kBeacon ? "77" : "7";
    EXPECT_EQ(a.Text(c.element), c.stored.empty() ? unchanged : c.stored) << c.line;
    EXPECT_EQ(a.log.texts.size(), c.message.empty() ? 0u : 1u) << c.line;
    if (!c.message.empty()) {
      ASSERT_FALSE(a.log.texts.empty());
      EXPECT_NE(a.log.texts[0].find(c.message), std::string::npos) << a.log.texts[0];
      EXPECT_EQ(a.log.texts[0].rfind("Device(10.0.0.7), ", 0), 0u);
    }
    EXPECT_EQ(a.Text(kUser), "root");
  }
}

TEST(TemplateApply, DataRateOnlyWithout11n) {
  struct Case {
    ConfigBuilder device;
    std::string line;
    std::string stored;
    int messages;
  } cases[] = {
      {Device24().Set({"wlan", "inf:1", "wlmode"}, "2"), "AWS_80211g_Rate=11 Mbps", "3", 0},
      {Device24(), "AWS_80211g_Rate=11 Mbps", "31", 1},
      {Device5("7"), "AWS_80211a_Rate=54 Mbps", "7", 0},
      {Device5("8"), "AWS_80211a_Rate=54 Mbps", "31", 1},
  };
  for (const Case& c : cases) {
    Applied a = ApplyText(c.device, c.line + "\nSYS_Username=root\n");
    ASSERT_TRUE(a.result) << c.line;
    EXPECT_EQ(a.Text(kRate), c.stored) << c.line;
    EXPECT_EQ(a.log.Count("When current wireless mode include 11n in"), c.messages) << c.line;
  }
  Applied a = ApplyText(Device24(), "AWS_80211g_Rate=11 Mbps\n");
  EXPECT_EQ(a.log.texts.back(), Msg("No valid setting in template, the program will skip Multi-config setting."));
  EXPECT_EQ(a.log.texts.front(), Msg("When current wireless mode include 11n in 2.4G, can't set value for data rate, "
                                     "so program will skip this parameter."));
  EXPECT_FALSE(a.result);
}

TEST(TemplateApply, AccessPointModeKeepsOnlySystemAndSwitchingOff) {
  const std::string tpl =
      "SYS_Username=root\n"
      "AWS_80211g_SSID=changed\n"
      "SCR_80211g_auth_type=WPA2-Personal\n"
      "Flt_80211g_filter_mac_acl=Reject\n"
      "MUL_80211g_Multi_Status=Disable\n"
      "MUL_80211g_SSID1_Status=Enable\n"
      "MUL_80211g_SSID1_Ssid=guest\n";
  Applied a = ApplyText(Device24().Set({"wlan", "inf:1", "ap_mode"}, "1").MultiSsid(1), tpl);
  ASSERT_TRUE(a.result);
  EXPECT_EQ(a.log.texts, (std::vector<std::string>{Msg(
                             "The device does not support Multi-Config in the current ap mode of 2.4G, the program will "
                             "skip the device Multi-config setting.")}));
  EXPECT_EQ(a.Text(kUser), "root");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><multi><state>"), "0");
  EXPECT_EQ(a.Text(kSsid), "kav7420");
  EXPECT_EQ(a.Text(kAuth), "0");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><acl><mode>"), "0");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><multi><index[id=1]><ssid>"), "kav7420-1");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><multi><index[id=1]><state>"), "1");

  // Switching multiple SSIDs on is dropped too.
  a = ApplyText(Device24().Set({"wlan", "inf:1", "ap_mode"}, "2"), "SYS_Username=root\nMUL_80211g_Multi_Status=Enable\n");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><multi><state>"), "0");
}

TEST(TemplateApply, ModelTagDecidesWhichBandIsTaken) {
  const std::string tpl = "AWS_80211a_SSID=five\nAWS_80211g_SSID=two\nAWS_80211a_DTIM=3\n";
  // A model without a tag takes both bands (both address the first radio).
  Applied a = ApplyText(ConfigBuilder().Root("KAV-7420"), tpl);
  ASSERT_TRUE(a.result);
  EXPECT_EQ(a.Text(kSsid), "two");
  EXPECT_EQ(a.Text(kDtim), "3");
  for (const char* root : {"KAV-7420b", "AP-6620", "AP-6630", "AP-6640"}) {
    a = ApplyText(ConfigBuilder().Root(root).Set({"wlan", "inf:1", "wlmode"}, "4"), tpl);
    EXPECT_EQ(a.Text(kSsid), "two") << root;
    EXPECT_EQ(a.Text(kDtim), "1") << root;
    a = ApplyText(ConfigBuilder().Root(root).Set({"wlan", "inf:1", "wlmode"}, "7"), tpl);
    EXPECT_EQ(a.Text(kSsid), "five") << root;
    EXPECT_EQ(a.Text(kDtim), "3") << root;
  }
}

TEST(TemplateApply, ChannelSupport) {
  struct Case {
    const char* what;
    ConfigBuilder device;
    std::string line;
    ChannelLists channels;
    std::string autoChannel, channel;
    std::string message;
  } cases[] = {
      {"supported", Device24(), "AWS_80211g_Channel=6", {fixture::k24GHzChannels, "", ""}, "0", "6", ""},
      {"automatic", Device24().Set({"wlan", "inf:1", "autochannel"}, "0"), "AWS_80211g_Channel=Auto",
       {fixture::k24GHzChannels, "", ""}, "1", "6", ""},
      {"outside 1~11", Device24(), "AWS_80211g_Channel=13", {fixture::k24GHzChannels, "", ""}, "1", "6",
       "Device's channel range is 1~11, but current value of template is 13 in 2.4G, so program will skip this "
       "parameter."},
      {"outside 1~13", Device24(), "AWS_80211g_Channel=14", {"1,2,3,4,5,6,7,8,9,10,11,12,13", "", ""}, "1", "6",
       "Device's channel range is 1~13, but current value of template is 14 in 2.4G"},
      {"5 GHz supported", Device5(), "AWS_80211a_Channel=149", {"", fixture::k5GHzChannels, ""}, "0", "149", ""},
      {"5 GHz unsupported", Device5(), "AWS_80211a_Channel=52", {"", fixture::k5GHzChannels, ""}, "1", "6",
       "Current channel value of 5.0G template is 52, device don't support it, so program will skip this "
       "parameter."},
      // Application type 1 checks against the third list.
      {"application type 1", Device5().Set({"wlan", "application"}, "1"), "AWS_80211a_Channel=149",
       {"", fixture::k5GHzChannels, ""}, "1", "6", "Current channel value of 5.0G template is 149"},
  };
  for (Case& c : cases) {
    Applied a = ApplyText(c.device, c.line + "\nSYS_Username=root\n", c.channels);
    ASSERT_TRUE(a.result) << c.what;
    EXPECT_EQ(a.Text(kAutoChannel), c.autoChannel) << c.what;
    EXPECT_EQ(a.Text(kChannel), c.channel) << c.what;
    EXPECT_EQ(a.log.Count(c.message.empty() ? std::string("\x01") : c.message), c.message.empty() ? 0 : 1) << c.what;
    EXPECT_EQ(a.log.texts.size(), c.message.empty() ? 0u : 1u) << c.what;
  }
}

TEST(TemplateApply, ChannelWidthLimits) {
  const std::string wide = "AWS_80211g_11nChannel_Width=Auto 20/40 MHz\n";
  struct Case {
    const char* what;
    ConfigBuilder device;
    std::string tpl;
    ChannelLists channels;
    std::string width;
    std::string message;
  } cases[] = {
      {"plain", Device24().Set({"wlan", "inf:1", "cwmmode"}, "0"), wide, {fixture::k24GHzChannels, "", ""}, "1", ""},
      {"device runs TKIP", Device24().Set({"wlan", "inf:1", "wpa", "wepmode"}, "2"), wide, {}, "0",
       "Device(10.0.0.7), 2.4G mode, when authentication is TKIP, channel width can't be set to 'Auto 20/40MHz',it "
       "will be set to 20MHz automaticlly. "},
      {"device runs WEP", Device24().Set({"wlan", "inf:1", "wpa", "wepmode"}, "1"), wide, {}, "0",
       "2.4G mode, when authentication is WEP, channel width"},
      {"channel 13", Device24(), wide + "AWS_80211g_Channel=13\n", {"1,2,3,4,5,6,7,8,9,10,11,12,13", "", ""}, "0",
       "Device(10.0.0.7), 2.4G mode, when channel is 13, channel width can't be set to 'Auto 20/40MHz',it will be set "
       "to 20MHz automaticlly. "},
      {"channel 165", Device5(), "AWS_80211a_11nChannel_Width=Auto 20/40 MHz\nAWS_80211a_Channel=165\n",
       {"", fixture::k5GHzChannels, ""}, "0", "5G mode, when channel is 165, channel width"},
      {"template TKIP", Device24(), wide + "SCR_80211g_cipher_type=TKIP\n", {}, "0",
       "2.4G mode, when authentication is TKIP, channel width"},
      {"template WEP", Device24(), wide + "SCR_80211g_wep_status=Enable\n", {}, "0",
       "2.4G mode, when authentication is WEP, channel width"},
  };
  for (Case& c : cases) {
    Applied a = ApplyText(c.device, c.tpl, c.channels);
    ASSERT_TRUE(a.result) << c.what;
    EXPECT_EQ(a.Text(kWidth), c.width) << c.what;
    if (c.message.empty())
      EXPECT_TRUE(a.log.texts.empty()) << c.what;
    else
      EXPECT_EQ(a.log.Count(c.message), 1) << c.what;
  }
}

TEST(TemplateApply, SharedKeyAndWepChecks) {
  struct Case {
    const char* what;
    ConfigBuilder device;
    std::string tpl;
    std::string auth;  // stored authentication code
    std::string message;
  } cases[] = {
      {"shared key stays", Device24(), "SCR_80211g_auth_type=Shared Key\n", "1", ""},
      {"multi-SSID on in the template", Device24(), "SCR_80211g_auth_type=Shared Key\nMUL_80211g_Multi_Status=Enable\n",
       "0",
       "Device(10.0.0.7), If multi-ssid is enabled in the template, the Shared Key authentication will be set to Open "
       "System in 2.4G mode."},
      {"multi-SSID on in the device", Device24().MultiSsid(1), "SCR_80211g_auth_type=Shared Key\n", "0",
       "Device(10.0.0.7), If multi-ssid is enabled in device, the Shared Key authentication will be set to Open "
       "System in 2.4G mode."},
      {"open system / shared key", Device24(), "SCR_80211g_auth_type=Open System / Shared Key\n", "0",
       "Device(10.0.0.7), The current device doesn't support 'Open System / Shared Key' authentication, it will be "
       "set to Open System in 2.4G mode."},
      {"152-bit WEP", Device24().Set({"wlan", "inf:1", "authentication"}, "3"),
       "SCR_80211g_auth_type=Shared Key\nSCR_80211g_keysize=152 Bits\nSYS_Username=root\n", "3",
       "Device(10.0.0.7), The device does not support key size of 152 bits, some parameters of wireless security of "
       "2.4G will not take effect."},
  };
  for (Case& c : cases) {
    Applied a = ApplyText(c.device, c.tpl);
    ASSERT_TRUE(a.result) << c.what;
    EXPECT_EQ(a.Text(kAuth), c.auth) << c.what;
    if (c.message.empty())
      EXPECT_TRUE(a.log.texts.empty()) << c.what;
    else
      EXPECT_EQ(a.log.texts, std::vector<std::string>{c.message}) << c.what;
  }
}

TEST(TemplateApply, MultiSsidChecks) {
  const std::string ssid1 = "e:<wlan><inf[id=1]><multi><index[id=1]>";
  const std::string ssid2 = "e:<wlan><inf[id=1]><multi><index[id=2]>";
  Applied a = ApplyText(Device24().MultiSsid(3),
                        "MUL_80211g_Multi_Status=Enable\n"
                        "MUL_80211g_SSID1_Status=Enable\n"
                        "MUL_80211g_SSID1_Security=Shared Key\n"
                        "MUL_80211g_SSID2_Status=Enable\n"
                        "MUL_80211g_SSID2_Ssid=guest\n"
                        "MUL_80211g_SSID2_Security=Open System\n"
                        "MUL_80211g_SSID2_KeySize=152 Bits\n"
                        "MUL_80211g_SSID2_KeyIndex=Second\n"
                        "MUL_80211g_SSID5_Ssid=ignored\n");
  ASSERT_TRUE(a.result);
  EXPECT_EQ(a.log.texts,
            (std::vector<std::string>{
                Msg("The device does not support Shared Key security in the Multi-SSID 1 settings of 2.4G, The Shared "
                    "Key authentication will set to Open System in Multissid settings."),
                Msg("The device does not support key size of 152 bits, some parameters(Security,KeyIndex,KeyType,"
                    "KeySize,Key) of Multi-SSID 2 security of 2.4G will not take effect.")}));
  EXPECT_EQ(a.Text(ssid1 + "<auth>"), "0");
  EXPECT_EQ(a.Text(ssid2 + "<ssid>"), "guest");
  EXPECT_EQ(a.Text(ssid2 + "<wep_key_index>"), "1");
  // The template switches on only the SSIDs it describes.
  EXPECT_EQ(a.Text(ssid1 + "<state>"), "1");
  EXPECT_EQ(a.Text(ssid2 + "<state>"), "1");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><multi><index[id=3]><state>"), "0");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><multi><index[id=5]><ssid>"), "kav7420-5");
}

TEST(TemplateApply, EnterpriseAndPersonalSecurity) {
  ConfigBuilder device = Device24();
  device.Set({"wlan", "inf:1", "wpa", "embradius", "state"}, "1")
      .Set({"wlan", "inf:1", "multi", "index:1", "embradius_state"}, "1")
      .Set({"wlan", "inf:1", "multi", "index:2", "autorekey", "enable"}, "1");
  Applied a = ApplyText(device,
                        "SCR_80211g_auth_type=WPA2-Enterprise\n"
                        "MUL_80211g_SSID1_Security=WPA-Enterprise\n"
                        "MUL_80211g_SSID2_Security=WPA2-Personal\n");
  ASSERT_TRUE(a.result);
  EXPECT_EQ(a.log.texts,
            (std::vector<std::string>{
                Msg("In Multi-SSID 1 of 2.4G mode, when authentication is set to WPA-Enterprise in application "
                    "template, the Radius Server mode of External will arise automatically."),
                Msg("In wireless of 2.4G mode, when authentication is set to WPA-Enterprise in application template, "
                    "the Radius Server mode of External will arise automatically.")}));
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><wpa><embradius><state>"), "0");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><multi><index[id=1]><embradius_state>"), "0");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><multi><index[id=2]><autorekey><enable>"), "0");

  a = ApplyText(Device24().Set({"wlan", "inf:1", "autorekey", "ssid", "enable"}, "1"), "SCR_80211g_auth_type=WPA-Personal\n");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><autorekey><ssid><enable>"), "0");
  EXPECT_EQ(a.Text(kAuth), "3");
  // Without the element on the device, none is made.
  a = ApplyText(Device24().Remove({"wlan", "inf:1", "autorekey"}), "SCR_80211g_auth_type=WPA-Personal\n");
  EXPECT_FALSE(a.Has("e:<wlan><inf[id=1]><autorekey>"));
}

TEST(TemplateApply, ConsoleProtocol) {
  struct Case {
    std::string tpl, protocol;
  } cases[] = {
      {"SYS_Telnet_option=Disable\n", "0"},
      {"SYS_Telnet_option=Enable\nSYS_IsSSH=Disable\n", "1"},
      {"SYS_Telnet_option=Enable\nSYS_IsSSH=Enable\n", "2"},
  };
  for (const Case& c : cases) {
    Applied a = ApplyText(Device24(), c.tpl + "SYS_Username=root\n");
    EXPECT_EQ(a.Text("e:<sys><consoleprotocol><protocol>"), c.protocol) << c.tpl;
  }
}

TEST(TemplateApply, FilterEntriesReplaceTheDeviceList) {
  Applied a = ApplyText(Device24().MacFilter(5),
                        "Flt_80211g_filter_mac_acl=Accept\n"
                        "Flt_80211g_filter_mac_add1=aa:bb:cc:dd:ee:01\n"
                        "Flt_80211g_filter_mac_add2=aa:bb:cc:dd:ee:02\n"
                        "Flt_80211g_filter_mac_add300=aa:bb:cc:dd:ee:03\n"
                        "Flt_80211g_filter_mac_Items=3\n");
  ASSERT_TRUE(a.result);
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><acl><mode>"), "1");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><acl><mac[id=1]>"), "aa:bb:cc:dd:ee:01");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><acl><mac[id=2]>"), "aa:bb:cc:dd:ee:02");
  EXPECT_FALSE(a.Has("e:<wlan><inf[id=1]><acl><mac[id=3]>"));
  EXPECT_FALSE(a.Has("e:<wlan><inf[id=1]><acl><mac[id=300]>"));
}

TEST(TemplateApply, TemplateLinesThatCarryNothing) {
  // Headers, lines without "=", empty values and keys of no family: no
  // setting is left.
  Applied a = ApplyText(Device24(),
                        "[System]\r\nSYS_Username\r\n=root\r\nSYS_Mask=\r\nSYS_Password\r\nHello=World\r\n"
                        "AWS_80211a_SSID=other band\r\n\r\n");
  EXPECT_FALSE(a.result);
  EXPECT_EQ(a.log.texts, (std::vector<std::string>{Msg("No valid setting in template, the program will skip "
                                                       "Multi-config setting.")}));
  EXPECT_EQ(a.Text("e:<sys><user[id=1]><password>"), "admin");

  fixture::TempDir dir;
  fixture::WriteFile(dir.File("dev.xml"), "<KAV-7420><sys>");
  fixture::WriteFile(dir.File("t.tpl"), "SYS_Username=root\n");
  fixture::MessageLog log;
  CTemplateEngine engine(fixture::kDevice, log.Sink());
  EXPECT_FALSE(engine.ApplyTemplate(dir.File("dev.xml"), dir.File("t.tpl"), {}));
  EXPECT_FALSE(engine.ApplyTemplate(dir.File("missing.xml"), dir.File("t.tpl"), {}));
  EXPECT_TRUE(log.texts.empty());
}

}  // namespace
}  // namespace kav::tmpl
