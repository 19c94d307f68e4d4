#include "template/template_engine.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "template/path_expression.h"
#include "template/template_extractor.h"
#include "template/template_keys.h"
#include "template/text_util.h"
#include "template/xml_config_doc.h"

namespace kav::tmpl {

namespace {

constexpr const char* kMsgChannelRange24 =
    "Device(%s), Device's channel range is %s, but current value of template is %s in 2.4G, so program will skip "
    "this parameter.";
constexpr const char* kMsgChannel5 =
    "Device(%s), Current channel value of 5.0G template is %s, device don't support it, so program will skip this "
    "parameter.";
constexpr const char* kMsgCipherWidth =
    "Device(%s), %s mode, when authentication is %s, channel width can't be set to 'Auto 20/40MHz',it will be set to "
    "20MHz automaticlly. ";
constexpr const char* kMsgApMode =
    "Device(%s), The device does not support Multi-Config in the current ap mode of %s, the program will skip the "
    "device Multi-config setting.";
constexpr const char* kMsgDataRate =
    "Device(%s), When current wireless mode include 11n in %s, can't set value for data rate, so program will skip "
    "this parameter.";
constexpr const char* kMsgBeacon =
    "Device(%s), Device's beacon interval range is 25~500, but current value of template is %d in %s, so program "
    "will skip this parameter.";
constexpr const char* kMsgDtim =
    "Device(%s), Device's DTIM Interval range is 1~15, but current value of template is %d in %s, so program will "
    "skip this parameter.";
constexpr const char* kMsgSharedKeyTemplateMulti =
    "Device(%s), If multi-ssid is enabled in the template, the Shared Key authentication will be set to Open System "
    "in %s mode.";
constexpr const char* kMsgSharedKeyDeviceMulti =
    "Device(%s), If multi-ssid is enabled in device, the Shared Key authentication will be set to Open System in %s "
    "mode.";
constexpr const char* kMsgOpenSharedKey =
    "Device(%s), The current device doesn't support 'Open System / Shared Key' authentication, it will be set to "
    "Open System in %s mode.";
constexpr const char* kMsgWep152 =
    "Device(%s), The device does not support key size of 152 bits, some parameters of wireless security of %s will "
    "not take effect.";
constexpr const char* kMsgSsidSharedKey =
    "Device(%s), The device does not support Shared Key security in the Multi-SSID %d settings of %s, The Shared Key "
    "authentication will set to Open System in Multissid settings.";
constexpr const char* kMsgSsidWep152 =
    "Device(%s), The device does not support key size of 152 bits, some parameters(Security,KeyIndex,KeyType,KeySize,"
    "Key) of Multi-SSID %d security of %s will not take effect.";
constexpr const char* kMsgChannelWidth =
    "Device(%s), %s mode, when channel is %d, channel width can't be set to 'Auto 20/40MHz',it will be set to 20MHz "
    "automaticlly. ";
constexpr const char* kMsgSsidRadius =
    "Device(%s), In Multi-SSID %d of %s mode, when authentication is set to WPA-Enterprise in application template, "
    "the Radius Server mode of External will arise automatically.";
constexpr const char* kMsgRadius =
    "Device(%s), In wireless of %s mode, when authentication is set to WPA-Enterprise in application template, the "
    "Radius Server mode of External will arise automatically.";

constexpr const char* kModelTags[] = {"7420b", "6620", "6630", "6640"};

constexpr const char* kWidthAuto = "Auto 20/40 MHz";
constexpr const char* kWidth20 = "20 MHz";

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

template <class Pred>
Setting* FirstOf(SettingList& list, Pred pred) {
  auto it = std::find_if(list.begin(), list.end(), pred);
  return it == list.end() ? nullptr : &*it;
}

Band BandOfAuth(std::string_view key) { return key == "SCR_80211a_auth_type" ? Band::k5GHz : Band::k24GHz; }

bool IsEnterprise(std::string_view value) { return Contains(value, "Enterprise") || Contains(value, "802.1x"); }

}  // namespace

CTemplateEngine::CTemplateEngine(std::string deviceAddress, MessageSink sink)
    : device_(std::move(deviceAddress)), sink_(std::move(sink)) {}

int CTemplateEngine::ExtractTemplate(const std::string& configFilePath, const std::string& templatePath) {
  settings_.Clear();
  CTemplateExtractor extractor;
  return extractor.Extract(configFilePath, templatePath);
}

bool CTemplateEngine::ApplyTemplate(const std::string& xmlPath, const std::string& templatePath,
                                    const ChannelLists& channels) {
  settings_.Clear();
  CXmlConfigDoc doc;
  if (!doc.Load(xmlPath)) return false;
  std::string text;
  std::ifstream in(templatePath, std::ios::binary);
  if (in) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return ApplyTemplateText(doc, text, channels);
}

bool CTemplateEngine::ApplyTemplateText(CXmlConfigDoc& doc, std::string_view templateText,
                                        const ChannelLists& channels) {
  settings_.Clear();
  ReadDeviceState(doc);
  writer_.Reset(wirelessMode_, defaultKey_);
  ReadTemplate(templateText);
  CheckChannelSupport(doc, channels);
  CheckCurrentCipher();
  RunDeviceChecks();
  PrepareDocument(doc);
  return writer_.WriteSettings(doc);
}

void CTemplateEngine::ReadDeviceState(CXmlConfigDoc& doc) {
  auto number = [&doc](const std::string& expression) {
    std::string name;
    std::optional<std::string> value;
    return doc.Get(expression, name, value) && value ? ToNumber(*value) : 0;
  };
  wirelessMode_ = number(keys::kWirelessMode);
  multiState_ = number(keys::kMultiState);
  cipherMode_ = number(keys::kCipherMode);
  apMode_ = number(keys::kApMode);
  // The device's own active WEP key: where a template key goes when the
  // template names no active key index.
  defaultKey_ = number(FormatNumbers(keys::kDefaultKey, {1}));
  if (defaultKey_ < 1 || defaultKey_ > 4) defaultKey_ = 1;

  bandName_ = wirelessMode_ > 5 ? "5G" : "2.4G";
  bandInfix_.clear();
  std::string root = doc.RootName();
  for (const char* tag : kModelTags) {
    if (EndsWith(root, tag)) {
      bandInfix_ = wirelessMode_ > 5 ? "_80211a_" : "_80211g_";
      break;
    }
  }
}

void CTemplateEngine::ReadTemplate(std::string_view text) {
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(begin, end - begin);
    begin = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (StartsWith(line, "[")) continue;
    // A line without "=" has no key and so is never taken.
    size_t eq = line.find('=');
    std::string key(eq == std::string_view::npos ? std::string_view() : line.substr(0, eq));
    std::string value(eq == std::string_view::npos ? line : line.substr(eq + 1));
    const std::string& infix = bandInfix_;

    if (key == "SYS_Password") {
      settings_.system.emplace_back(key, value);
      continue;
    }
    if (key.empty() || value.empty()) continue;
    if (Contains(key, "SYS")) {
      settings_.system.emplace_back(key, value);
    } else if (Contains(key, "AWS") && Contains(key, infix)) {
      settings_.wireless.emplace_back(key, value);
    } else if (Contains(key, "SCR") && Contains(key, infix)) {
      // The WEP keys ("SCR_80211g_key1") go first.
      if (Contains(key, "key") && key.size() == 15)
        settings_.security.emplace(settings_.security.begin(), key, value);
      else
        settings_.security.emplace_back(key, value);
    } else if (Contains(key, "Flt") && Contains(key, infix)) {
      int entry = key.size() > 25 ? ToNumber(std::string_view(key).substr(25)) : 0;
      if (entry < 257) settings_.filter.emplace_back(key, value);
    } else if (Contains(key, "MUL") && Contains(key, infix) &&
               (Contains(key, "SSID1") || Contains(key, "SSID2") || Contains(key, "SSID3"))) {
      int n = Contains(key, "SSID1") ? 1 : Contains(key, "SSID2") ? 2 : 3;
      SettingList& list = settings_.ssid[n - 1];
      // The plain WEP key ("MUL_80211g_SSID1_Key") goes first.
      if (Contains(key, "Key") && key.size() == 20)
        list.emplace(list.begin(), key, value);
      else
        list.emplace_back(key, value);
    } else if (Contains(key, "MUL") && Contains(key, infix) &&
               (Contains(key, "SSID4") || Contains(key, "SSID5") || Contains(key, "SSID6") || Contains(key, "SSID7"))) {
      continue;
    } else if (Contains(key, infix)) {
      settings_.otherMulti.emplace_back(key, value);
    }
  }
}

void CTemplateEngine::CheckChannelSupport(CXmlConfigDoc& doc, const ChannelLists& channels) {
  SettingList& wireless = settings_.wireless;
  if (wirelessMode_ <= 5) {
    const char* range = Contains(channels.band24, "12") ? "1~13" : "1~11";
    auto it = std::find_if(wireless.begin(), wireless.end(), [](const Setting& s) {
      return s.first == "AWS_80211g_Channel" && !Contains(s.second, "Auto");
    });
    if (it != wireless.end() && !Contains(channels.band24, it->second)) {
      Send(FormatText(kMsgChannelRange24, device_.c_str(), range, it->second.c_str()));
      wireless.erase(it);
    }
    return;
  }
  std::string name;
  std::optional<std::string> application;
  bool type1 = doc.Get(keys::kApplication, name, application) && application && ToNumber(*application) == 1;
  const std::string& list = type1 ? channels.band5Type1 : channels.band5;
  auto it = std::find_if(wireless.begin(), wireless.end(), [](const Setting& s) {
    return s.first == "AWS_80211a_Channel" && !Contains(s.second, "Auto");
  });
  if (it != wireless.end() && !Contains(list, it->second)) {
    Send(FormatText(kMsgChannel5, device_.c_str(), it->second.c_str()));
    wireless.erase(it);
  }
}

void CTemplateEngine::CheckCurrentCipher() {
  if (cipherMode_ != 1 && cipherMode_ != 2) return;
  Setting* width = FirstOf(settings_.wireless, [](const Setting& s) {
    return (Contains(s.first, "AWS_80211g_11nChannel_Width") || Contains(s.first, "AWS_80211a_11nChannel_Width")) &&
           Contains(s.second, kWidthAuto);
  });
  if (!width) return;
  width->second = kWidth20;
  Send(FormatText(kMsgCipherWidth, device_.c_str(), bandName_.c_str(), cipherMode_ == 1 ? "WEP" : "TKIP"));
}

void CTemplateEngine::RunDeviceChecks() {
  const char* device = device_.c_str();
  const char* bandName = bandName_.c_str();
  const std::string& infix = bandInfix_;
  SettingList& wireless = settings_.wireless;
  SettingList& security = settings_.security;

  // Access point mode: only the system settings and switching multiple
  // SSIDs off are left.
  if (apMode_ != 0) {
    Send(FormatText(kMsgApMode, device, bandName));
    for (SettingList& list : settings_.ssid) list.clear();
    security.clear();
    wireless.clear();
    settings_.filter.clear();
    std::erase_if(settings_.otherMulti,
                  [&](const Setting& s) { return Contains(s.first, infix) && s.second == "Enable"; });
  }

  // Data rate: only radios without 11n take one.
  std::erase_if(wireless, [&](const Setting& s) {
    if (!Contains(s.first, "AWS_80211a_Rate") && !Contains(s.first, "AWS_80211g_Rate")) return false;
    if (wirelessMode_ == 2 || wirelessMode_ == 7) return false;
    Send(FormatText(kMsgDataRate, device, bandName));
    return true;
  });

  // Ranges of beacon interval and DTIM.
  std::erase_if(wireless, [&](const Setting& s) {
    int value = ToNumber(s.second);
    if (Contains(s.first, "AWS_80211a_Beacon_Interval") || Contains(s.first, "AWS_80211g_Beacon_Interval")) {
      if (value >= 25 && value <= 500) return false;
      Send(FormatText(kMsgBeacon, device, value, bandName));
      return true;
    }
    if (Contains(s.first, "AWS_80211a_DTIM") || Contains(s.first, "AWS_80211g_DTIM")) {
      if (value >= 1 && value <= 15) return false;
      Send(FormatText(kMsgDtim, device, value, bandName));
      return true;
    }
    return false;
  });

  // Shared Key on the primary SSID.
  if (Setting* auth = FirstOf(security, [&](const Setting& s) {
        return Contains(s.first, infix) && Contains(s.first, "auth_type") &&
               (s.second == "Shared Key" || s.second == "Open System / Shared Key");
      })) {
    bool templateMulti = std::any_of(settings_.otherMulti.begin(), settings_.otherMulti.end(), [&](const Setting& s) {
      return Contains(s.first, infix) && s.second == "Enable";
    });
    if (templateMulti) {
      auth->second = "Open System";
      Send(FormatText(kMsgSharedKeyTemplateMulti, device, bandName));
    } else if (multiState_ != 0) {
      auth->second = "Open System";
      Send(FormatText(kMsgSharedKeyDeviceMulti, device, bandName));
    } else if (auth->second == "Open System / Shared Key") {
      auth->second = "Open System";
      Send(FormatText(kMsgOpenSharedKey, device, bandName));
    }
  }

  // 152-bit WEP on the primary SSID.
  if (std::any_of(security.begin(), security.end(), [&](const Setting& s) {
        return Contains(s.first, infix) && Contains(s.first, "keysize") && s.second == "152 Bits";
      })) {
    Send(FormatText(kMsgWep152, device, bandName));
    security.clear();
  }

  // Shared Key and 152-bit WEP on the multiple SSIDs.
  for (int n = 1; n <= kSsidCount; ++n) {
    SettingList& list = settings_.ssid[n - 1];
    if (Setting* sec = FirstOf(list, [](const Setting& s) {
          return Contains(s.first, "Security") && Contains(s.second, "Shared Key");
        })) {
      sec->second = "Open System";
      Send(FormatText(kMsgSsidSharedKey, device, n, bandName));
    }
  }
  for (int n = 1; n <= kSsidCount; ++n) {
    SettingList& list = settings_.ssid[n - 1];
    bool wep152 = std::any_of(list.begin(), list.end(), [](const Setting& s) {
      return Contains(s.first, "KeySize") && Contains(s.second, "152 Bits");
    });
    if (!wep152) continue;
    Send(FormatText(kMsgSsidWep152, device, n, bandName));
    std::erase_if(list, [](const Setting& s) {
      return Contains(s.first, "Security") || Contains(s.first, "Wep_Status") || Contains(s.first, "Key") ||
             Contains(s.first, "Cipher");
    });
  }

  // Channels that allow no 40 MHz width.
  struct ChannelRule {
    Band band;
    int first, second;
    const char* name;
  };
  for (const ChannelRule& rule : {ChannelRule{Band::k5GHz, 140, 165, "5G"}, ChannelRule{Band::k24GHz, 12, 13, "2.4G"}}) {
    std::string channelKey = ForBand("AWS_80211a_Channel", rule.band);
    std::string widthKey = ForBand("AWS_80211a_11nChannel_Width", rule.band);
    Setting* channel = FirstOf(wireless, [&](const Setting& s) {
      int number = ToNumber(s.second);
      return Contains(s.first, channelKey) && !Contains(s.second, "Auto") && (number == rule.first || number == rule.second);
    });
    if (!channel) continue;
    int number = ToNumber(channel->second);
    if (Setting* width = FirstOf(wireless, [&](const Setting& s) {
          return Contains(s.first, widthKey) && Contains(s.second, kWidthAuto);
        })) {
      width->second = kWidth20;
      Send(FormatText(kMsgChannelWidth, device, rule.name, number));
    }
  }

  // TKIP or WEP in the template allow no 40 MHz width either.
  for (Band band : {Band::k5GHz, Band::k24GHz}) {
    std::string cipherKey = ForBand("SCR_80211a_cipher_type", band);
    std::string wepKey = ForBand("SCR_80211a_wep_status", band);
    Setting* found = FirstOf(security, [&](const Setting& s) {
      return (Contains(s.first, cipherKey) && s.second == "TKIP") || (Contains(s.first, wepKey) && s.second == "Enable");
    });
    if (!found) continue;
    const char* cipher = Contains(found->first, cipherKey) ? "TKIP" : "WEP";
    std::string widthKey = ForBand("AWS_80211a_11nChannel_Width", band);
    if (Setting* width = FirstOf(wireless, [&](const Setting& s) {
          return Contains(s.first, widthKey) && Contains(s.second, kWidthAuto);
        })) {
      width->second = kWidth20;
      Send(FormatText(kMsgCipherWidth, device, band == Band::k5GHz ? "5G" : "2.4G", cipher));
    }
  }
}

void CTemplateEngine::PrepareDocument(CXmlConfigDoc& doc) {
  const char* device = device_.c_str();
  SettingList& security = settings_.security;

  // A template with filter entries replaces the device's list.
  if (std::any_of(settings_.filter.begin(), settings_.filter.end(), [](const Setting& s) {
        return Contains(s.first, "Flt") && Contains(s.first, "filter_mac_add");
      }))
    doc.RemoveAllChildren(keys::kAcl, "mac");

  // All multiple SSIDs start switched off; the template switches on those
  // it describes.
  bool anySsid = std::any_of(settings_.ssid.begin(), settings_.ssid.end(), [](const SettingList& list) {
    return std::any_of(list.begin(), list.end(), [](const Setting& s) { return Contains(s.first, "MUL") && Contains(s.first, "SSID"); });
  });
  if (anySsid) {
    doc.Set(keys::kDisableMultiStatus, true);
    for (int n = 1; n <= kSsidCount; ++n) doc.Set(FormatNumbers(keys::kDisableSsidStatus, {n}), true);
  }

  // The WEP key slot each SSID names.
  settings_.keyIndex.clear();
  for (int n = 1; n <= kSsidCount; ++n) {
    SettingList& list = settings_.ssid[n - 1];
    Setting* index = FirstOf(list, [](const Setting& s) {
      return Contains(s.first, "SSID") && Contains(s.first, "MUL") && Contains(s.first, "KeyIndex");
    });
    if (!index) continue;
    static constexpr const char* kWords[] = {"First", "Second", "Third", "Fourth"};
    for (int k = 0; k < 4; ++k)
      if (EqualsIgnoreCase(index->second, kWords[k])) settings_.keyIndex.emplace_back(n, k + 1);
  }

  // Enterprise security uses the external RADIUS server.
  for (int n = 1; n <= kSsidCount; ++n) {
    Setting* sec = FirstOf(settings_.ssid[n - 1], [](const Setting& s) {
      return Contains(s.first, "Security") && IsEnterprise(s.second);
    });
    if (!sec) continue;
    for (Band band : {Band::k5GHz, Band::k24GHz}) {
      if (!Contains(sec->first, band == Band::k5GHz ? "11a" : "11g")) continue;
      Send(FormatText(kMsgSsidRadius, device, n, band == Band::k5GHz ? "5G" : "2.4G"));
      doc.Set(FormatNumbers(ForBand(keys::kSsidRadiusExternal, band), {n}), true);
      break;
    }
  }
  if (Setting* auth = FirstOf(security, [](const Setting& s) {
        return (s.first == "SCR_80211a_auth_type" || s.first == "SCR_80211g_auth_type") && IsEnterprise(s.second);
      })) {
    Band band = BandOfAuth(auth->first);
    Send(FormatText(kMsgRadius, device, band == Band::k5GHz ? "5G" : "2.4G"));
    doc.Set(ForBand(keys::kRadiusExternal, band), true);
  }

  // Personal security starts with automatic key renewal off.
  if (Setting* auth = FirstOf(security, [](const Setting& s) {
        return (s.first == "SCR_80211a_auth_type" || s.first == "SCR_80211g_auth_type") && Contains(s.second, "Personal");
      })) {
    if (doc.Find(keys::kDeviceAutoRekey)) doc.Set(ForBand(keys::kAutoRekeyOff, BandOfAuth(auth->first)), true);
  }
  for (int n = 1; n <= kSsidCount; ++n) {
    Setting* sec = FirstOf(settings_.ssid[n - 1], [](const Setting& s) {
      return (Contains(s.first, "11a") || Contains(s.first, "11g")) && Contains(s.first, "Security") &&
             Contains(s.second, "Personal");
    });
    if (!sec) continue;
    if (!doc.Find(FormatNumbers(keys::kDeviceSsidAutoRekey, {n}))) continue;
    Band band = Contains(sec->first, "11a") ? Band::k5GHz : Band::k24GHz;
    doc.Set(FormatNumbers(ForBand(keys::kSsidAutoRekeyOff, band), {n}), true);
  }

  // Console protocol from the Telnet and SSH switches.
  for (const Setting& s : settings_.system) {
    const char* protocol = nullptr;
    if (Contains(s.first, "SYS_Telnet_option") && s.second == "Disable")
      protocol = "Disable";
    else if (Contains(s.first, "SYS_IsSSH") && s.second == "Disable")
      protocol = "Telnet";
    else if (Contains(s.first, "SYS_IsSSH") && s.second == "Enable")
      protocol = "SSH";
    if (!protocol) continue;
    std::string expression = keys::kConsoleProtocolWrite;
    expression.replace(expression.find("%s"), 2, protocol);
    doc.Set(expression, true);
    break;
  }
}

}  // namespace kav::tmpl
