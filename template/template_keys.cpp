#include "template/template_keys.h"

#include <cstdio>

namespace kav::tmpl {

std::string_view BandTag(Band band) { return band == Band::k5GHz ? "80211a" : "80211g"; }

std::string ForBand(std::string_view expression, Band band) {
  std::string out(expression);
  if (band == Band::k5GHz) return out;
  for (size_t at = out.find("80211a"); at != std::string::npos; at = out.find("80211a", at + 6)) out[at + 5] = 'g';
  return out;
}

std::string FormatNumbers(std::string_view format, std::initializer_list<int> numbers) {
  std::string out;
  out.reserve(format.size() + 8);
  const int* next = numbers.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == 'i' || format[i + 1] == 'd') &&
        numbers.size() > 0) {
      out += std::to_string(*next);
      if (next + 1 != numbers.end()) ++next;
      ++i;
    } else {
      out.push_back(format[i]);
    }
  }
  return out;
}

namespace keys {

namespace {

const char* const kSystemRows[] = {
    "e:[FFN=SYS_DHCPclient]:[RRL=|1=Disable|2=Enable|]:<wan><rg><inf[id=1]><mode>",
    "e:[FFN=SYS_Mask]:<wan><rg><inf[id=1]><static><netmask>",
    "e:[FFN=SYS_Gateway]:<wan><rg><inf[id=1]><static><gateway>",
    "e:[FFN=SYS_Username]:<sys><user[id=1]><name>",
    "e:[FFN=SYS_Password]:<sys><user[id=1]><password>",
    "e:[FFN=SYS_Telnet_timeout]:[RRL=|0=Never|60=1 Min|180=3 Mins|300=5 Mins|600=10 Mins|900=15 Mins|]:<sys><consoleprotocol><timeout>",
};

// The 2.4 GHz rows; the 5 GHz rows are the same with "80211a", except the
// data rate row (kRateRow), whose table lists the 5 GHz rates.
const char* const kBandRows[] = {
    "e:[FFN=AWS_80211g_WirelessMode]:<wlan><inf[id=1]><wlmode>",
    "e:[FFN=AWS_80211g_Radio_Wave]:[RRL=|0=Off|1=On|]:<wlan><inf[id=1]><enable>",
    "e:[FFN=AWS_80211g_SSID]:<wlan><inf[id=1]><ssid>",
    "e:[FFN=AWS_80211g_SSID_Broadcast]:[RRL=|1=Disable|0=Enable|]:<wlan><inf[id=1]><ssidhidden>",
    "e:[FFN=AWS_80211g_Beacon_Interval]:<wlan><inf[id=1]><beaconinterval>",
    "e:[FFN=AWS_80211g_Rate]:[RRL=|1 Mbps=0|2 Mbps=1|5.5 Mbps=2|11 Mbps=3|6 Mbps=4|9 Mbps=5|12 Mbps=6|18 Mbps=7|24 Mbps=8|36 Mbps=9|48 Mbps=10|54 Mbps=11|Auto=31|]:<wlan><inf[id=1]><fixedrate>",
    "e:[FFN=AWS_80211g_DTIM]:<wlan><inf[id=1]><dtim>",
    "e:[FFN=AWS_80211g_11nChannel_Width]:[RRL=|1=Auto 20/40 MHz|0=20 MHz|]:<wlan><inf[id=1]><cwmmode>",
    "e:[FFN=SCR_80211g_auth_type]:[RRL=|0=Open System|1=Shared Key|3=WPA-Personal|2=WPA-Enterprise|5=WPA2-Personal|4=WPA2-Enterprise|7=WPA-Auto-Personal|6=WPA-Auto-Enterprise|9=802.1x|]:<wlan><inf[id=1]><authentication>",
    "e:[FFN=SCR_80211g_cipher_type]:[RRL=|4=AUTO|3=AES|2=TKIP|]:<wlan><inf[id=1]><wpa><wepmode>",
    "e:[FFN=SCR_80211g_radius_server]:<wlan><inf[id=1]><wpa><radiusserver>",
    "e:[FFN=SCR_80211g_radius_secret]:<wlan><inf[id=1]><wpa><radiussecret>",
    "e:[FFN=SCR_80211g_radius_port]:<wlan><inf[id=1]><wpa><radiusport>",
    "e:[FFN=SCR_80211g_8021X_key_update_interval]:<wlan><inf[id=1]><d_wep_rekey_interval>",
    "e:[FFN=SCR_80211g_autorekey]:[RRL=|0=Manual|1=Periodical_Key_Change|]:<wlan><inf[id=1]><autorekey><ssid><enable>",
    "e:[FFN=SCR_80211g_wep_status]:[RRL=|0=Disable|1=Enable|]:<wlan><inf[id=1]><wpa><wepmode>",
    "e:[FFN=SCR_80211g_group_key_update_interval]:<wlan><inf[id=1]><wpa><grp_rekey_interval>",
    "e:[FFN=SCR_80211g_passphrase]:<wlan><inf[id=1]><wpa><wpapsk>",
    "e:[FFN=Flt_80211g_filter_mac_acl]:[RRL=|0=Disable|1=Accept|2=Reject|]:<wlan><inf[id=1]><acl><mode>",
    "e:[FFN=MUL_80211g_Multi_Status]:[RRL=|0=Disable|1=Enable|]:<wlan><inf[id=1]><multi><state>",
};
constexpr size_t kRateRow = 5;
const char* const k5GHzRate =
    "e:[FFN=AWS_80211a_Rate]:[RRL=|6 Mbps=0|9 Mbps=1|12 Mbps=2|18 Mbps=3|24 Mbps=4|36 Mbps=5|48 Mbps=6|54 Mbps=7|Auto=31|]:<wlan><inf[id=1]><fixedrate>";

const char* const kMultiRows[] = {
    "e:[MUL_80211a_Multi_Status]:[RRL=|0=Disable|1=Enable|]:<wlan><inf[id=1]><multi><state>",
    "e:[FFN=MUL_80211a_SSID%i_Status]:[RRL=|0=Disable|1=Enable|]:<wlan><inf[id=1]><multi><index[id=%i]><state>",
    "e:[FFN=MUL_80211a_SSID%i_Ssid]:<wlan><inf[id=1]><multi><index[id=%i]><ssid>",
    "e:[FFN=MUL_80211a_SSID%i_Visibility]:[RRL=|1=Disable|0=Enable|]:<wlan><inf[id=1]><multi><index[id=%i]><ssid_hidden>",
    "e:[FFN=MUL_80211a_SSID%i_Wmm]:[RRL=|0=Disable|1=Enable|]:<wlan><inf[id=1]><multi><index[id=%i]><wmm><enable>",
    "e:[FFN=MUL_80211a_SSID%i_Security]:[RRL=|0=Open System|1=Shared Key|3=WPA-Personal|2=WPA-Enterprise|5=WPA2-Personal|4=WPA2-Enterprise|7=WPA-Auto-Personal|6=WPA-Auto-Enterprise|9=802.1x|]:<wlan><inf[id=1]><multi><index[id=%i]><auth>",
    "e:[FFN=MUL_80211a_SSID%i_Cipher]:[RRL=|4=AUTO|3=AES|2=TKIP|1=Enable|0=Disable|]:<wlan><inf[id=1]><multi><index[id=%i]><cipher>",
    "e:[FFN=MUL_80211a_SSID%i_Group_Key]:<wlan><inf[id=1]><multi><index[id=%i]><interval>",
    "e:[FFN=MUL_80211a_SSID%i_PassPhrase]:<wlan><inf[id=1]><multi><index[id=%i]><passphrase>",
    "e:[FFN=MUL_80211a_SSID%i_Radius_Server]:<wlan><inf[id=1]><multi><index[id=%i]><radius_server>",
    "e:[FFN=MUL_80211a_SSID%i_Radius_Port]:<wlan><inf[id=1]><multi><index[id=%i]><radius_port>",
    "e:[FFN=MUL_80211a_SSID%i_Radius_Secret]:<wlan><inf[id=1]><multi><index[id=%i]><radius_secret>",
    "e:[FFN=MUL_80211a_SSID%i_KeyIndex]:[RRL=|1=First|2=Second|3=Third|4=Fourth|]:<wlan><inf[id=1]><multi><index[id=%i]><wep_key_index>",
    "e:[FFN=MUL_80211a_SSID%i_8021x_Update_Key]:<wlan><inf[id=1]><multi><index[id=%i]><d_wep_rekey_interval>",
    "e:[FFN=MUL_80211a_SSID%i_AutoRekey]:[RRL=|0=Manual|1=Periodical_Key_Change|]:<wlan><inf[id=1]><multi><index[id=%i]><autorekey><enable>",
};

const char* const kWepRows[] = {
    "e:[FFN=MUL_80211a_SSID%i_Wep_Status]:[RRL=|4=Disable|3=Disable|2=Disable|1=Enable|0=Disable|]:<wlan><inf[id=1]><multi><index[id=%i]><cipher>",
    "e:[FFN=MUL_80211a_SSID%i_KeyIndex]:[RRL=|1=First|2=Second|3=Third|4=Fourth|]:<wlan><inf[id=1]><multi><index[id=%i]><wep_key_index>",
    "e:[FFN=MUL_80211a_SSID%i_KeyType]:[RRL=|1=ASCII|2=HEX|]:<wlan><inf[id=1]><wepkey[id=%i]><keyformat>",
    "e:[FFN=MUL_80211a_SSID%i_KeySize]:[RRL=|64=64 Bits|128=128 Bits|]:<wlan><inf[id=1]><wepkey[id=%i]><keylength>",
    "e:[FFN=MUL_80211a_SSID%i_Key]:<wlan><inf[id=1]><wepkey[id=%i]>",
};

std::string To5GHz(const char* row) {
  std::string out(row);
  for (size_t at = out.find("80211g"); at != std::string::npos; at = out.find("80211g", at + 6)) out[at + 5] = 'a';
  return out;
}

std::vector<std::string> BuildExportTable() {
  std::vector<std::string> rows(std::begin(kSystemRows), std::end(kSystemRows));
  for (size_t i = 0; i < std::size(kBandRows); ++i) rows.push_back(i == kRateRow ? k5GHzRate : To5GHz(kBandRows[i]));
  for (const char* row : kBandRows) rows.emplace_back(row);
  return rows;
}

template <size_t N>
std::vector<std::string> BuildBand(const char* const (&rows)[N], Band band) {
  std::vector<std::string> out;
  for (const char* row : rows) out.push_back(ForBand(row, band));
  return out;
}

std::vector<std::string> BuildFilterRules() {
  std::vector<std::string> rules = {"|filter_mac_acl=Disable|:|filter_mac_acl|"};
  for (const char* mode : {"Reject", "Accept"}) {
    std::string rule = std::string("|filter_mac_acl=") + mode + "|:|filter_mac_acl|";
    for (int i = 1; i <= kMaxFilterEntries; ++i) rule += "filter_mac_add" + std::to_string(i) + "|";
    rules.push_back(std::move(rule));
  }
  return rules;
}

std::vector<std::string> BuildMultiSsidRules() {
  std::vector<std::string> rules = {"|Multi_Status=Enable|:|Multi_Status|", "|Multi_Status=Disable|:|Multi_Status|"};
  const char* const wep =
      "|SSID%d_Status=Enable|SSID%d_Security=%s|SSID%d_Wep_Status=%s|:%s|SSID%d_Wep_Status|SSID%d_KeyIndex|SSID%d_KeySize|SSID%d_KeyType|SSID%d_Key|";
  const char* const noWep = "|SSID%d_Status=Enable|SSID%d_Security=%s|SSID%d_Wep_Status=%s|:%s|SSID%d_Wep_Status|";
  const char* const personalAuto =
      "|SSID%d_Status=Enable|SSID%d_Security=%s|SSID%d_AutoRekey=Periodical_Key_Change|:%s|SSID%d_Cipher|SSID%d_Group_Key|SSID%d_AutoRekey|";
  const char* const personalManual =
      "|SSID%d_Status=Enable|SSID%d_Security=%s|SSID%d_AutoRekey=Manual|:%s|SSID%d_Cipher|SSID%d_Group_Key|SSID%d_AutoRekey|SSID%d_PassPhrase|";
  const char* const enterprise =
      "|SSID%d_Status=Enable|SSID%d_Security=%s|:%s|SSID%d_Cipher|SSID%d_Group_Key|SSID%d_Radius_Server|SSID%d_Radius_Port|SSID%d_Radius_Secret|";
  const char* const dot1x =
      "|SSID%d_Status=Enable|SSID%d_Security=802.1x|:%s|SSID%d_8021x_Update_Key|SSID%d_Radius_Server|SSID%d_Radius_Port|SSID%d_Radius_Secret|";
  // Fills "%d" with n and each "%s" in turn from texts.
  auto fill = [](const char* format, int n, std::initializer_list<std::string> texts) {
    std::string out;
    auto text = texts.begin();
    for (const char* p = format; *p; ++p) {
      if (p[0] == '%' && p[1] == 'd') {
        out += std::to_string(n);
        ++p;
      } else if (p[0] == '%' && p[1] == 's') {
        out += *text++;
        ++p;
      } else {
        out.push_back(*p);
      }
    }
    return out;
  };
  for (int n = 1; n <= 7; ++n) {
    std::string keep = fill("|Multi_Status|SSID%d_Status|SSID%d_Ssid|SSID%d_Visibility|SSID%d_Wmm|SSID%d_Security", n, {});
    for (const char* security : {"Open System", "Shared Key", "Open System / Shared Key"}) {
      rules.push_back(fill(wep, n, {security, "Enable", keep}));
      rules.push_back(fill(noWep, n, {security, "Disable", keep}));
    }
    for (auto [personal, ent] : {std::pair{"WPA-Personal", "WPA-Enterprise"}, std::pair{"WPA2-Personal", "WPA2-Enterprise"},
                                 std::pair{"WPA-Auto-Personal", "WPA-Auto-Enterprise"},
                                 std::pair{"WPA2-Auto-Personal", "WPA2-Auto-Enterprise"}}) {
      rules.push_back(fill(personalAuto, n, {personal, keep}));
      rules.push_back(fill(personalManual, n, {personal, keep}));
      rules.push_back(fill(enterprise, n, {ent, keep}));
    }
    rules.push_back(fill(dot1x, n, {keep}));
  }
  return rules;
}

}  // namespace

const std::vector<std::string>& ExportTable() {
  static const std::vector<std::string> table = BuildExportTable();
  return table;
}

const std::vector<std::string>& MultiSsid(Band band) {
  static const std::vector<std::string> a = BuildBand(kMultiRows, Band::k5GHz);
  static const std::vector<std::string> g = BuildBand(kMultiRows, Band::k24GHz);
  return band == Band::k5GHz ? a : g;
}

const std::vector<std::string>& MultiSsidWep(Band band) {
  static const std::vector<std::string> a = BuildBand(kWepRows, Band::k5GHz);
  static const std::vector<std::string> g = BuildBand(kWepRows, Band::k24GHz);
  return band == Band::k5GHz ? a : g;
}

const std::vector<std::string>& SystemRules() {
  static const std::vector<std::string> rules = {
      "|*=*|:|Username|Password|",
      "|DHCPclient=Enable|:|DHCPclient|",
      "|DHCPclient=Disable|:|DHCPclient|Mask|Gateway|",
      "|Telnet_option=Enable|:|Telnet_option|IsSSH|Telnet_timeout|",
      "|Telnet_option=Disable|:|Telnet_option|",
  };
  return rules;
}

const std::vector<std::string>& SecurityRules() {
  static const std::vector<std::string> rules = {
      "|auth_type=Open System|wep_status=Enable|:|auth_type|wep_status|keysize|keytype|active_key_index|key1|key2|key3|key4|",
      "|auth_type=Open System|wep_status=Disable|:|auth_type|wep_status|",
      "|auth_type=Shared Key|wep_status=Enable|:|auth_type|wep_status|keysize|keytype|active_key_index|key1|key2|key3|key4|",
      "|auth_type=Shared Key|wep_status=Disable|:|auth_type|wep_status|",
      "|auth_type=Open System / Shared Key|wep_status=Enable|:|auth_type|wep_status|keysize|keytype|active_key_index|key1|key2|key3|key4|",
      "|auth_type=Open System / Shared Key|wep_status=Enable|:|auth_type|wep_status|",
      "|auth_type=WPA-Personal|autorekey=Periodical_Key_Change|:|auth_type|cipher_type|group_key_update_interval|autorekey|",
      "|auth_type=WPA-Personal|autorekey=Manual|:|auth_type|cipher_type|group_key_update_interval|autorekey|passphrase|",
      "|auth_type=WPA-Enterprise|:|auth_type|cipher_type|group_key_update_interval|radius_server|radius_port|radius_secret|",
      "|auth_type=WPA2-Personal|autorekey=Periodical_Key_Change|:|auth_type|cipher_type|group_key_update_interval|autorekey|",
      "|auth_type=WPA2-Personal|autorekey=Manual|:|auth_type|cipher_type|group_key_update_interval|autorekey|passphrase|",
      "|auth_type=WPA2-Enterprise|:|auth_type|cipher_type|group_key_update_interval|radius_server|radius_port|radius_secret|",
      "|auth_type=WPA2-Auto-Personal|autorekey=Periodical_Key_Change|:|auth_type|cipher_type|group_key_update_interval|autorekey|",
      "|auth_type=WPA2-Auto-Personal|autorekey=Manual|:|auth_type|cipher_type|group_key_update_interval|autorekey|passphrase|",
      "|auth_type=WPA2-Auto-Enterprise|:|auth_type|cipher_type|group_key_update_interval|radius_server|radius_port|radius_secret|",
      "|auth_type=802.1x|:|auth_type|8021X_key_update_interval|radius_server|radius_port|radius_secret|",
  };
  return rules;
}

const std::vector<std::string>& FilterRules() {
  static const std::vector<std::string> rules = BuildFilterRules();
  return rules;
}

const std::vector<std::string>& MultiSsidRules() {
  static const std::vector<std::string> rules = BuildMultiSsidRules();
  return rules;
}

}  // namespace keys
}  // namespace kav::tmpl
