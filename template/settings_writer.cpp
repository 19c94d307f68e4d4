#include "template/settings_writer.h"

#include <algorithm>

#include "template/path_expression.h"
#include "template/text_util.h"
#include "template/xml_config_doc.h"

namespace kav::tmpl {

namespace {

constexpr const char* kMsgNoValidSetting =
    "Device(%s), No valid setting in template, the program will skip Multi-config setting.";
constexpr const char* kMsgInvalidCharacters =
    "Device(%s), There are some invalid characters(%s) in the parameters of the template configuration, and the "
    "procedure will skip the parameter(%s) setting.";
constexpr const char* kInvalidCharacterList = "'>' '<' '[' ']' ':' '\"' '|'";
constexpr const char* kMsgSharedKey =
    "In %s template, %s share the %s key, the application selects %s's WEP key(%s) for AP,such case will cause "
    "template inconsistent with AP's configuration.";

constexpr const char* kKeyWords[] = {"First", "Second", "Third", "Fourth"};
constexpr const char* kKeyOrdinals[] = {"first", "second", "third", "fouth"};

// 1 to 4 for "First" to "Fourth", else 0.
int KeyWordIndex(std::string_view value) {
  for (int i = 0; i < 4; ++i)
    if (EqualsIgnoreCase(value, kKeyWords[i])) return i + 1;
  return 0;
}

bool HasControl(std::string_view text) {
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && u != '\t') || u == 0x7F) return true;
  }
  return false;
}

// The write form of a read expression: kind "m" and the value to store.
std::string WriteForm(std::string_view expression, std::string_view value) {
  std::string out = "m:[VAL=";
  out.append(value).append("]:").append(expression.substr(2));
  return out;
}

std::string_view FfnOf(std::string_view expression) { return FindTag(expression, "FFN").value_or(std::string_view()); }

std::string BandKey(const char* format, Band band) { return ForBand(format, band); }

}  // namespace

CSettingsWriter::CSettingsWriter(TemplateSettings& settings, const std::string& device, const MessageSink& send)
    : settings_(settings), device_(device), send_(send) {}

void CSettingsWriter::Reset(int wirelessMode, int defaultKey) {
  keyInfo_.clear();
  wirelessMode_ = wirelessMode;
  if (defaultKey < 1 || defaultKey > 4) defaultKey = 1;
  active5_ = active24_ = defaultKey;
}

bool CSettingsWriter::CheckValue(const Setting& setting, bool utf8) {
  const auto& [key, value] = setting;
  bool bad;
  if (key == "SYS_Password") {
    // Written even when empty, but a "]" would cut the value short and a
    // "<" would lose it inside the write expression.
    bad = value.find_first_of("]<") != std::string::npos || HasControl(value);
  } else {
    bad = value.find_first_of("><[]|\"") != std::string::npos ||
          (Contains(value, ":") && !Contains(key, "filter")) || HasControl(value);
  }
  // A UTF-8 document takes only UTF-8 text.
  bad = bad || (utf8 && !IsValidUtf8(value));
  if (bad && send_) send_(FormatText(kMsgInvalidCharacters, device_.c_str(), kInvalidCharacterList, value.c_str()));
  return !bad;
}

void CSettingsWriter::CollectKeyInfo(bool utf8) {
  keyInfo_.clear();
  auto containsKey = [](const SettingList& list, std::string_view part, bool exact) {
    return std::any_of(list.begin(), list.end(), [&](const Setting& s) { return exact ? s.first == part : Contains(s.first, part); });
  };
  auto eraseFirst = [](SettingList& list, std::string_view part, bool exact) {
    auto it = std::find_if(list.begin(), list.end(), [&](const Setting& s) { return exact ? s.first == part : Contains(s.first, part); });
    if (it != list.end()) list.erase(it);
  };

  std::erase_if(settings_.system, [](const Setting& s) {
    return Contains(s.first, "SYS_Telnet_option") || Contains(s.first, "SYS_IsSSH");
  });
  // A cipher setting says all the WEP status would; keep one writer of the
  // shared element.
  for (Band band : {Band::k5GHz, Band::k24GHz}) {
    if (containsKey(settings_.security, BandKey("SCR_80211a_cipher_type", band), true))
      eraseFirst(settings_.security, BandKey("SCR_80211a_wep_status", band), true);
    for (int n = 1; n <= kSsidCount; ++n) {
      SettingList& list = settings_.ssid[n - 1];
      if (containsKey(list, FormatNumbers(BandKey("MUL_80211a_SSID%d_Cipher", band), {n}), false))
        eraseFirst(list, FormatNumbers(BandKey("MUL_80211a_SSID%d_Wep_Status", band), {n}), false);
    }
  }

  auto isActiveKey = [](const std::string& key) {
    return key == "SCR_80211a_active_key_index" || key == "SCR_80211g_active_key_index";
  };
  std::optional<Setting> activeKey;
  auto collect = [&](const SettingList& list, bool isSecurity) {
    for (const Setting& s : list) {
      if (s.first == "SYS_Password") {
        if (CheckValue(s, utf8)) keyInfo_.push_back(s);
        continue;
      }
      if (s.first.empty() || s.second.empty()) continue;
      if (!CheckValue(s, utf8)) continue;
      if (isActiveKey(s.first)) {
        if (isSecurity && !activeKey) activeKey = s;
        continue;
      }
      keyInfo_.push_back(s);
    }
  };
  collect(settings_.system, false);
  collect(settings_.security, true);
  collect(settings_.wireless, false);
  collect(settings_.filter, false);
  collect(settings_.otherMulti, false);
  for (const SettingList& list : settings_.ssid) collect(list, false);
  // The active key index goes first so that the WEP keys after it land in
  // the slot it names.
  if (activeKey) keyInfo_.insert(keyInfo_.begin(), *activeKey);
}

void CSettingsWriter::ReportSharedWepKeys() {
  if (!send_) return;
  Band band = wirelessMode_ > 5 ? Band::k5GHz : Band::k24GHz;
  const char* bandName = band == Band::k5GHz ? "5G" : "2.4G";
  auto holds = [](const SettingList& list, const std::string& key, std::string_view word) {
    return std::any_of(list.begin(), list.end(), [&](const Setting& s) { return s.first == key && EqualsIgnoreCase(s.second, word); });
  };
  for (int i = 0; i < 4; ++i) {
    std::vector<int> users;  // 0 is the primary SSID
    if (holds(settings_.security, BandKey("SCR_80211a_active_key_index", band), kKeyWords[i])) users.push_back(0);
    for (int n = 1; n <= kSsidCount; ++n)
      if (holds(settings_.ssid[n - 1], FormatNumbers(BandKey("MUL_80211a_SSID%d_KeyIndex", band), {n}), kKeyWords[i]))
        users.push_back(n);
    if (users.size() < 2) continue;
    std::string names;
    for (int user : users) {
      if (!names.empty()) names += ' ';
      names += user == 0 ? std::string("Primary-SSID") : FormatText("MULTI-SSID%d", user);
    }
    int selected = users.back();
    std::string keyName = FormatNumbers(BandKey("MUL_80211a_SSID%d_Key", band), {selected});
    std::string key;
    for (const Setting& s : settings_.ssid[selected - 1])
      if (s.first == keyName) {
        key = s.second;
        break;
      }
    send_(FormatText(kMsgSharedKey, bandName, names.c_str(), kKeyOrdinals[i], FormatText("MULTI-SSID%d", selected).c_str(),
                     key.c_str()));
  }
}

bool CSettingsWriter::WriteSettings(CXmlConfigDoc& doc) {
  CollectKeyInfo(doc.IsUtf8());
  if (keyInfo_.empty()) {
    if (send_) send_(FormatText(kMsgNoValidSetting, device_.c_str()));
    return false;
  }
  ReportSharedWepKeys();
  // MapSetting may append the second step of a channel; index, don't iterate.
  for (size_t i = 0; i < keyInfo_.size(); ++i) {
    Setting setting = keyInfo_[i];
    if (auto expression = MapSetting(setting.first, setting.second)) doc.Set(*expression, true);
  }
  return doc.Save();
}

std::optional<std::string> CSettingsWriter::FindExpression(const std::string& key) {
  int n = 0;
  if (Contains(key, "MUL") && Contains(key, "SSID")) {
    size_t at = key.find("SSID") + 4;
    if (at < key.size() && key[at] >= '0' && key[at] <= '9') n = key[at] - '0';
  }
  if (n == 0) {
    for (const std::string& row : keys::ExportTable())
      if (EqualsIgnoreCase(FfnOf(row), key)) return row;
    return std::nullopt;
  }
  bool wepItem = ((Contains(key, "KeyType") || Contains(key, "KeySize")) && key.size() == 24) ||
                 (Contains(key, "Key") && key.size() == 20);
  if (wepItem) {
    auto pair = std::find_if(settings_.keyIndex.begin(), settings_.keyIndex.end(), [n](const auto& p) { return p.first == n; });
    if (pair == settings_.keyIndex.end()) return std::nullopt;
    int k = pair->second;
    Band band = Contains(key, "11g") ? Band::k24GHz : Band::k5GHz;
    const auto& wep = keys::MultiSsidWep(band);
    if (key == FormatNumbers(BandKey("MUL_80211a_SSID%d_Key", band), {n})) return FormatNumbers(wep[keys::kWepRowKey], {n, k});
    for (size_t row : {size_t{keys::kWepRowKeyType}, size_t{keys::kWepRowKeySize}}) {
      std::string expression = FormatNumbers(wep[row], {n, k});
      if (Contains(expression, key)) return expression;
    }
    return std::nullopt;
  }
  for (Band band : {Band::k5GHz, Band::k24GHz}) {
    const auto& rows = keys::MultiSsid(band);
    for (size_t r = keys::kMultiStatusRow + 1; r <= keys::kAutoRekeyRow; ++r) {
      std::string expression = FormatNumbers(rows[r], {n});
      if (EqualsIgnoreCase(FfnOf(expression), key)) return expression;
    }
  }
  return std::nullopt;
}

std::optional<std::string> CSettingsWriter::MapSetting(const std::string& key, const std::string& value) {
  if (auto expression = FindExpression(key)) return WriteForm(*expression, value);

  for (Band band : {Band::k5GHz, Band::k24GHz}) {
    if (key != BandKey("AWS_80211a_Channel", band)) continue;
    if (value == "Auto") return WriteForm(ForBand(keys::kAutoChannel, band), "1");
    if (StartsWith(value, "NoAuto=")) return WriteForm(ForBand(keys::kChannel, band), value.substr(7));
    keyInfo_.emplace_back(key, "NoAuto=" + value);
    return WriteForm(ForBand(keys::kAutoChannel, band), "0");
  }

  if (Contains(key, "active_key_index")) {
    if (int index = KeyWordIndex(value)) {
      if (Contains(key, "11a")) active5_ = index;
      if (Contains(key, "11g")) active24_ = index;
    }
    return WriteForm(FormatNumbers(keys::kDefaultKey, {1}), value);
  }

  for (Band band : {Band::k5GHz, Band::k24GHz}) {
    for (int i = 1; i <= 4; ++i) {
      if (key == FormatNumbers(BandKey("SCR_80211a_key%d", band), {i}))
        return WriteForm(FormatNumbers(ForBand(keys::kWepKey, band), {1, activeKeyIndex(band)}), value);
    }
  }

  for (auto [row, band] : {std::pair{keys::kWepKeyType, Band::k5GHz}, std::pair{keys::kWepKeyType, Band::k24GHz},
                           std::pair{keys::kWepKeySize, Band::k5GHz}, std::pair{keys::kWepKeySize, Band::k24GHz}}) {
    std::string expression = ForBand(row, band);
    if (!Contains(expression, key)) continue;
    Band named = Contains(key, "11a") ? Band::k5GHz : Contains(key, "11g") ? Band::k24GHz : band;
    return WriteForm(FormatNumbers(expression, {activeKeyIndex(named)}), value);
  }

  for (Band band : {Band::k5GHz, Band::k24GHz}) {
    std::string prefix = BandKey("Flt_80211a_filter_mac_add", band);
    size_t at = key.find(prefix);
    if (at == std::string::npos) continue;
    int entry = ToNumber(std::string_view(key).substr(at + prefix.size()));
    // Only the device's own entry numbers; anything else would add a
    // stray entry to its filter.
    if (entry < 1 || entry > keys::kMaxFilterEntries) return std::nullopt;
    return WriteForm(FormatNumbers(keys::kFilterMac, {1, entry}), value);
  }
  return std::nullopt;
}

}  // namespace kav::tmpl
