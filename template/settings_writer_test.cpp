#include "template/settings_writer.h"

#include <gtest/gtest.h>

#include "template/template_engine.h"
#include "template/testing/config_fixtures.h"

namespace kav::tmpl {
namespace {

using fixture::Applied;
using fixture::ApplyText;
using fixture::ConfigBuilder;
using fixture::Device24;


std::string Invalid(const std::string& value) {
  return "Device(10.0.0.7), There are some invalid characters('>' '<' '[' ']' ':' '\"' '|') in the parameters of the "
         "template configuration, and the procedure will skip the parameter(" +
         value + ") setting.";
}

TEST(SettingsWriter, ChannelsTakeTwoSteps) {
  Applied a = ApplyText(Device24(), "AWS_80211g_Channel=6\n");
  ASSERT_TRUE(a.result);
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><autochannel>"), "0");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><channel>"), "6");

  a = ApplyText(Device24().Set({"wlan", "inf:1", "autochannel"}, "0").Set({"wlan", "inf:1", "channel"}, "3"),
                "AWS_80211g_Channel=Auto\n");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><autochannel>"), "1");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><channel>"), "3");

  CTemplateEngine engine(fixture::kDevice, nullptr);
  EXPECT_EQ(engine.MapSetting("AWS_80211g_Channel", "6"),
            "m:[VAL=0]:[FFN=AWS_80211g_Channel]:<wlan><inf[id=1]><autochannel>");
  ASSERT_EQ(engine.keyInfoList().size(), 1u);
  EXPECT_EQ(engine.keyInfoList()[0], (Setting{"AWS_80211g_Channel", "NoAuto=6"}));
  EXPECT_EQ(engine.MapSetting("AWS_80211g_Channel", "NoAuto=6"),
            "m:[VAL=6]:[FFN=AWS_80211g_Channel]:<wlan><inf[id=1]><channel>");
}

TEST(SettingsWriter, ValuesTheExpressionsCannotCarry) {
  struct Case {
    std::string line;
    const char* element;
    std::string stored;
    std::string message;  // value named in the message; "" for none
  } cases[] = {
      {"AWS_80211g_SSID=a:b", "e:<wlan><inf[id=1]><ssid>", "kav7420", "a:b"},
      {"AWS_80211g_SSID=a>b", "e:<wlan><inf[id=1]><ssid>", "kav7420", "a>b"},
      {"AWS_80211g_SSID=a<b", "e:<wlan><inf[id=1]><ssid>", "kav7420", "a<b"},
      {"AWS_80211g_SSID=a[b", "e:<wlan><inf[id=1]><ssid>", "kav7420", "a[b"},
      {"AWS_80211g_SSID=a]b", "e:<wlan><inf[id=1]><ssid>", "kav7420", "a]b"},
      {"AWS_80211g_SSID=a|b", "e:<wlan><inf[id=1]><ssid>", "kav7420", "a|b"},
      {"AWS_80211g_SSID=a\"b", "e:<wlan><inf[id=1]><ssid>", "kav7420", "a\"b"},
      {"AWS_80211g_SSID=a\x01" "b", "e:<wlan><inf[id=1]><ssid>", "kav7420", "a\x01" "b"},
      {"AWS_80211g_SSID=a&b c", "e:<wlan><inf[id=1]><ssid>", "a&b c", ""},
      // The document is UTF-8; a Latin-1 text would make it unreadable.
      {"AWS_80211g_SSID=Caf\xe9", "e:<wlan><inf[id=1]><ssid>", "kav7420", "Caf\xe9"},
      {"AWS_80211g_SSID=Caf\xc3\xa9", "e:<wlan><inf[id=1]><ssid>", "Caf\xc3\xa9", ""},
      // A colon is fine where a MAC address goes.
      {"Flt_80211g_filter_mac_add1=00:11:22:33:44:55", "e:<wlan><inf[id=1]><acl><mac[id=1]>", "00:11:22:33:44:55", ""},
      // The password is written even when empty, and may hold a colon.
      {"SYS_Password=", "e:<sys><user[id=1]><password>", "", ""},
      {"SYS_Password=a:b|c", "e:<sys><user[id=1]><password>", "a:b|c", ""},
      // ... but never cut short.
      {"SYS_Password=ab]cd", "e:<sys><user[id=1]><password>", "admin", "ab]cd"},
  };
  for (const Case& c : cases) {
    Applied a = ApplyText(Device24(), c.line + "\nSYS_Username=root\n");
    ASSERT_TRUE(a.result) << c.line;
    EXPECT_EQ(a.Text(c.element), c.stored) << c.line;
    if (c.message.empty())
      EXPECT_TRUE(a.log.texts.empty()) << c.line;
    else
      EXPECT_EQ(a.log.texts, std::vector<std::string>{Invalid(c.message)}) << c.line;
  }
}

TEST(SettingsWriter, SharedWepKeys) {
  const std::string ssids =
      "MUL_80211g_SSID1_Status=Enable\nMUL_80211g_SSID2_Status=Enable\nMUL_80211g_SSID3_Status=Enable\n";
  struct Case {
    const char* what;
    std::string tpl;
    std::vector<std::string> messages;
  } cases[] = {
      {"one SSID per key", ssids + "MUL_80211g_SSID1_KeyIndex=First\nMUL_80211g_SSID2_KeyIndex=Second\n", {}},
      {"two SSIDs on the first key",
       ssids + "MUL_80211g_SSID1_KeyIndex=First\nMUL_80211g_SSID3_KeyIndex=First\nMUL_80211g_SSID3_Key=key3\n",
       {"In 2.4G template, MULTI-SSID1 MULTI-SSID3 share the first key, the application selects MULTI-SSID3's WEP "
        "key(key3) for AP,such case will cause template inconsistent with AP's configuration."}},
      {"primary and two SSIDs on the fourth key",
       ssids + "SCR_80211g_active_key_index=Fourth\nMUL_80211g_SSID2_KeyIndex=Fourth\nMUL_80211g_SSID1_KeyIndex=Fourth\n",
       {"In 2.4G template, Primary-SSID MULTI-SSID1 MULTI-SSID2 share the fouth key, the application selects "
        "MULTI-SSID2's WEP key() for AP,such case will cause template inconsistent with AP's configuration."}},
  };
  for (const Case& c : cases) {
    Applied a = ApplyText(Device24(), c.tpl);
    ASSERT_TRUE(a.result) << c.what;
    EXPECT_EQ(a.log.texts, c.messages) << c.what;
  }
}

TEST(SettingsWriter, WepKeysLandInTheActiveSlot) {
  // The key comes before the index in the file; the index is written first.
  Applied a = ApplyText(Device24(),
                        "SCR_80211g_key1=abcde\nSCR_80211g_keytype=ASCII\nSCR_80211g_active_key_index=Third\n");
  ASSERT_TRUE(a.result);
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><defkey>"), "3");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><wepkey[id=3]>"), "abcde");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><wepkey[id=3]><keyformat>"), "1");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><wepkey[id=3]><keylength>"), "64");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><wepkey[id=1]>"), "0000000000");

  // Without an index in the template, the device's own active key.
  a = ApplyText(Device24().Set({"wlan", "inf:1", "defkey"}, "2"), "SCR_80211g_key1=abcde\n");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><wepkey[id=2]>"), "abcde");

  // Multi-SSID keys go to the slot the SSID names.
  a = ApplyText(Device24(),
                "MUL_80211g_SSID2_Status=Enable\nMUL_80211g_SSID2_KeyIndex=Fourth\nMUL_80211g_SSID2_Key=fghij\n"
                "MUL_80211g_SSID2_KeySize=128 Bits\n");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><wepkey[id=4]>"), "fghij");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><wepkey[id=4]><keylength>"), "128");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><multi><index[id=2]><wep_key_index>"), "4");
}

TEST(SettingsWriter, CipherWinsOverWepStatus) {
  Applied a = ApplyText(Device24(), "SCR_80211g_wep_status=Enable\nSCR_80211g_cipher_type=AES\n");
  EXPECT_EQ(a.Text("e:<wlan><inf[id=1]><wpa><wepmode>"), "3");
}

TEST(SettingsWriter, MapSetting) {
  CTemplateEngine engine(fixture::kDevice, nullptr);
  engine.settings().keyIndex = {{2, 3}};
  struct Case {
    std::string key, value;
    std::optional<std::string> expression;
  } cases[] = {
      {"AWS_80211g_DTIM", "3", "m:[VAL=3]:[FFN=AWS_80211g_DTIM]:<wlan><inf[id=1]><dtim>"},
      {"aws_80211g_dtim", "3", "m:[VAL=3]:[FFN=AWS_80211g_DTIM]:<wlan><inf[id=1]><dtim>"},
      {"AWS_80211g_WirelessMode", "6", "m:[VAL=6]:[FFN=AWS_80211g_WirelessMode]:<wlan><inf[id=1]><wlmode>"},
      {"MUL_80211a_Multi_Status", "Enable",
       "m:[VAL=Enable]:[FFN=MUL_80211a_Multi_Status]:[RRL=|0=Disable|1=Enable|]:<wlan><inf[id=1]><multi><state>"},
      {"MUL_80211g_SSID2_Ssid", "x", "m:[VAL=x]:[FFN=MUL_80211g_SSID2_Ssid]:<wlan><inf[id=1]><multi><index[id=2]><ssid>"},
      {"MUL_80211a_SSID7_Wmm", "Enable",
       "m:[VAL=Enable]:[FFN=MUL_80211a_SSID7_Wmm]:[RRL=|0=Disable|1=Enable|]:<wlan><inf[id=1]><multi><index[id=7]><wmm>"
       "<enable>"},
      {"MUL_80211g_SSID2_Key", "k", "m:[VAL=k]:[FFN=MUL_80211g_SSID2_Key]:<wlan><inf[id=1]><wepkey[id=3]>"},
      {"MUL_80211g_SSID2_KeyType", "HEX",
       "m:[VAL=HEX]:[FFN=MUL_80211g_SSID2_KeyType]:[RRL=|1=ASCII|2=HEX|]:<wlan><inf[id=1]><wepkey[id=3]><keyformat>"},
      {"MUL_80211g_SSID1_Key", "k", std::nullopt},  // SSID 1 names no key slot
      {"MUL_80211g_SSID1_Wep_Status", "Enable", std::nullopt},
      {"SCR_80211g_keytype", "ASCII",
       "m:[VAL=ASCII]:[FFN=SCR_80211g_keytype]:[RRL=|1=ASCII|2=HEX|]:<wlan><inf[id=1]><wepkey[id=1]><keyformat>"},
      {"SCR_80211a_key4", "k", "m:[VAL=k]:[FFN=SCR_80211a_key1]:<wlan><inf[id=1]><wepkey[id=1]>"},
      {"Flt_80211g_filter_mac_add7", "aa", "m:[VAL=aa]:<wlan><inf[id=1]><acl><mac[id=7]>"},
      {"Flt_80211a_filter_mac_add256", "aa", "m:[VAL=aa]:<wlan><inf[id=1]><acl><mac[id=256]>"},
      {"Flt_80211g_filter_mac_add0", "aa", std::nullopt},
      {"Flt_80211g_filter_mac_Items", "3", std::nullopt},
      {"SYS_Telnet_option", "Enable", std::nullopt},
      {"Unknown", "x", std::nullopt},
      // The active key index moves the slot of later WEP keys.
      {"SCR_80211a_active_key_index", "Second",
       "m:[VAL=Second]:[RRL=|1=First|2=Second|3=Third|4=Fourth|]:<wlan><inf[id=1]><defkey>"},
      {"SCR_80211a_key1", "k", "m:[VAL=k]:[FFN=SCR_80211a_key1]:<wlan><inf[id=1]><wepkey[id=2]>"},
      {"SCR_80211a_keysize", "64 Bits",
       "m:[VAL=64 Bits]:[FFN=SCR_80211a_keysize]:[RRL=|64=64 Bits|128=128 Bits|]:<wlan><inf[id=1]><wepkey[id=2]>"
       "<keylength>"},
      {"SCR_80211g_key1", "k", "m:[VAL=k]:[FFN=SCR_80211g_key1]:<wlan><inf[id=1]><wepkey[id=1]>"},
  };
  for (const Case& c : cases) EXPECT_EQ(engine.MapSetting(c.key, c.value), c.expression) << c.key;
}

TEST(SettingsWriter, OrderOfKeyInfoList) {
  CTemplateEngine engine(fixture::kDevice, nullptr);
  CXmlConfigDoc doc;
  ASSERT_TRUE(doc.LoadText(Device24().Xml(), std::string(KAV_BUILD_DIR) + "/settings-order-test.xml"));
  ASSERT_TRUE(engine.ApplyTemplateText(doc,
                                       "MUL_80211g_SSID1_Ssid=s1\nMUL_80211g_Multi_Status=Enable\n"
                                       "Flt_80211g_filter_mac_acl=Reject\nAWS_80211g_SSID=w\n"
                                       "SCR_80211g_auth_type=Open System\nSCR_80211g_active_key_index=Second\n"
                                       "SYS_Telnet_option=Enable\nSYS_Username=u\n",
                                       {}));
  std::vector<std::string> keys;
  for (const Setting& s : engine.keyInfoList()) keys.push_back(s.first);
  EXPECT_EQ(keys, (std::vector<std::string>{"SCR_80211g_active_key_index", "SYS_Username", "SCR_80211g_auth_type",
                                            "AWS_80211g_SSID", "Flt_80211g_filter_mac_acl", "MUL_80211g_Multi_Status",
                                            "MUL_80211g_SSID1_Ssid"}));
  std::remove((std::string(KAV_BUILD_DIR) + "/settings-order-test.xml").c_str());
}

}  // namespace
}  // namespace kav::tmpl
