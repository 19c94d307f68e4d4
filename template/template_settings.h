// The settings of one template application, sorted by family: what the
// template reader fills, the device checks prune, and the settings writer
// turns into writes on the configuration document.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace kav::tmpl {

// (template key, value), for example ("AWS_80211g_DTIM", "3").
using Setting = std::pair<std::string, std::string>;
using SettingList = std::vector<Setting>;

inline constexpr int kSsidCount = 7;

struct TemplateSettings {
  SettingList system;
  SettingList wireless;
  SettingList security;
  SettingList filter;
  SettingList otherMulti;                    // "MUL" keys not tied to SSIDs 1 to 3
  std::array<SettingList, kSsidCount> ssid;  // multi-SSID n at ssid[n - 1]
  // (SSID number, WEP key index 1 to 4) of the SSIDs that name a key.
  std::vector<std::pair<int, int>> keyIndex;

  void Clear() {
    system.clear();
    wireless.clear();
    security.clear();
    filter.clear();
    otherMulti.clear();
    for (SettingList& list : ssid) list.clear();
    keyIndex.clear();
  }
};

}  // namespace kav::tmpl
