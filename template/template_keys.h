// The template vocabulary: the path expressions that tie each template key
// to its element in the configuration document, and the rule lists that
// decide which keys of a section belong in a template.
//
// Expressions are written here for the 5 GHz band ("80211a"); ForBand
// gives the 2.4 GHz form ("80211g").  "%i" and "%d" stand for numbers
// filled in by FormatNumbers (an SSID number, a WEP key index, a filter
// entry).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kav::tmpl {

enum class Band { k5GHz, k24GHz };

// "80211a" or "80211g".
std::string_view BandTag(Band band);
// The expression with every "80211a" replaced by the band's tag.
std::string ForBand(std::string_view expression, Band band);
// Replaces each "%i" or "%d" in turn by the next number; when the numbers
// run out the last one fills the rest.
std::string FormatNumbers(std::string_view format, std::initializer_list<int> numbers);

namespace keys {

// The 46 rows read by the extraction: six system rows, twenty for 5 GHz,
// twenty for 2.4 GHz.  Row kSkippedExportRow (the 2.4 GHz wireless mode)
// is not exported but is still a write target.
const std::vector<std::string>& ExportTable();
inline constexpr size_t kSkippedExportRow = 26;

// Per-SSID expressions of a band, unformatted.  MultiSsid(band)[0] is the
// band's master switch (no FFN); [1] to [13] run from "SSID%i_Status" to
// "SSID%i_8021x_Update_Key"; [14] is "SSID%i_AutoRekey".
const std::vector<std::string>& MultiSsid(Band band);
inline constexpr size_t kMultiStatusRow = 0;
inline constexpr size_t kAutoRekeyRow = 14;
// WEP items of an SSID: Wep_Status, KeyIndex, KeyType, KeySize (formatted
// with the SSID number) and Key (SSID number, then the WEP key index).
const std::vector<std::string>& MultiSsidWep(Band band);
enum WepRow { kWepRowStatus = 0, kWepRowKeyIndex, kWepRowKeyType, kWepRowKeySize, kWepRowKey };

// Single expressions, 5 GHz form where a band applies.
inline constexpr const char* kAutoRekey =
    "e:[FFN=SCR_80211a_autorekey]:[RRL=|0=Manual|1=Periodical_Key_Change|]:<wlan><inf[id=1]><autorekey><ssid><enable>";
inline constexpr const char* kConsoleProtocol = "e:<sys><consoleprotocol><protocol>";
inline constexpr const char* kAutoChannel = "e:[FFN=AWS_80211a_Channel]:<wlan><inf[id=1]><autochannel>";
inline constexpr const char* kChannel = "e:[FFN=AWS_80211a_Channel]:<wlan><inf[id=1]><channel>";
inline constexpr const char* kDefaultKey = "e:[RRL=|1=First|2=Second|3=Third|4=Fourth|]:<wlan><inf[id=%i]><defkey>";
inline constexpr const char* kWepKey = "e:[FFN=SCR_80211a_key%i]:<wlan><inf[id=1]><wepkey[id=%i]>";
inline constexpr const char* kWepKeyType =
    "e:[FFN=SCR_80211a_keytype]:[RRL=|1=ASCII|2=HEX|]:<wlan><inf[id=1]><wepkey[id=%i]><keyformat>";
inline constexpr const char* kWepKeySize =
    "e:[FFN=SCR_80211a_keysize]:[RRL=|64=64 Bits|128=128 Bits|]:<wlan><inf[id=1]><wepkey[id=%i]><keylength>";
inline constexpr const char* kFilterMac = "e:<wlan><inf[id=%d]><acl><mac[id=%d]>";
inline constexpr int kMaxFilterEntries = 256;

inline constexpr const char* kWirelessMode = "e:<wlan><inf><wlmode>";
inline constexpr const char* kMultiState = "e:<wlan><inf[id=1]><multi><state>";
inline constexpr const char* kCipherMode = "e:<wlan><inf[id=1]><wpa><wepmode>";
inline constexpr const char* kApMode = "e:<wlan><inf[id=1]><ap_mode>";
inline constexpr const char* kApplication = "e:<wlan><application>";
inline constexpr const char* kAcl = "e:<wlan><inf[id=1]><acl>";
inline constexpr const char* kDeviceAutoRekey = "e:<wlan><inf[id=1]><autorekey><ssid><enable>";
inline constexpr const char* kDeviceSsidAutoRekey = "e:<wlan><inf[id=1]><multi><index[id=%i]><autorekey><enable>";

inline constexpr const char* kDisableMultiStatus =
    "m:[VAL=Disable]:[FFN=MUL_80211a_Multi_Status]:[RRL=|0=Disable|1=Enable|]:<wlan><inf[id=1]><multi><state>";
inline constexpr const char* kDisableSsidStatus =
    "m:[VAL=Disable]:[FFN=MUL_80211a_SSID%i_Status]:[RRL=|0=Disable|1=Enable|]:<wlan><inf[id=1]><multi><index[id=%i]><state>";
inline constexpr const char* kSsidRadiusExternal =
    "m:[VAL=External]:[FFN=MUL_80211a_SSID%i_Radius_Source]:[RRL=|0=External|1=Internal|]:<wlan><inf[id=1]><multi><index[id=%i]><embradius_state>";
inline constexpr const char* kRadiusExternal =
    "m:[VAL=External]:[FFN=SCR_80211a_Radius_Source]:[RRL=|0=External|1=Internal|]:<wlan><inf[id=1]><wpa><embradius><state>";
inline constexpr const char* kAutoRekeyOff =
    "m:[VAL=Disable]:[FFN=SCR_80211a_AutoRekey]:[RRL=|0=Disable|1=Enable|]:<wlan><inf[id=1]><autorekey><ssid><enable>";
inline constexpr const char* kSsidAutoRekeyOff =
    "m:[VAL=Disable]:[FFN=MUL_80211a_SSID%i_AutoRekey]:[RRL=|0=Disable|1=Enable|]:<wlan><inf[id=1]><multi><index[id=%i]><autorekey><enable>";
// "%s" is one of "Disable", "Telnet", "SSH".
inline constexpr const char* kConsoleProtocolWrite =
    "m:[VAL=%s]:[FFN=SYS_Console_Protocol]:[RRL=|0=Disable|1=Telnet|2=SSH|]:<sys><consoleprotocol><protocol>";

// Rule lists: "|condition|...|:|keep|...|", keys without family and band.
const std::vector<std::string>& SystemRules();
const std::vector<std::string>& SecurityRules();
const std::vector<std::string>& FilterRules();
const std::vector<std::string>& MultiSsidRules();

}  // namespace keys
}  // namespace kav::tmpl
