// The last step of applying a template: the settings that survived the
// device checks become one ordered list (KeyInfoList), values the path
// expressions cannot carry are dropped with a message, WEP key slots
// shared by several SSIDs are reported, and every setting is written into
// the configuration document through its expression, creating missing
// elements.
#pragma once

#include <optional>
#include <string>

#include "template/progress.h"
#include "template/template_keys.h"
#include "template/template_settings.h"

namespace kav::tmpl {

class CXmlConfigDoc;

class CSettingsWriter {
 public:
  // settings, device and send belong to the caller and must outlive the
  // writer.
  CSettingsWriter(TemplateSettings& settings, const std::string& device, const MessageSink& send);

  // Starts an application: the radio's wireless mode picks the band of the
  // shared-key report; defaultKey (1 to 4) is the WEP key slot used for a
  // key the template writes without naming an active key index.
  void Reset(int wirelessMode, int defaultKey);

  // Collects KeyInfoList, reports shared WEP keys, writes every setting
  // and saves the document.  False, with the "No valid setting" message,
  // when nothing is left to write, and false when saving fails.
  bool WriteSettings(CXmlConfigDoc& doc);

  // The write expression for one setting ("m:[VAL=value]:..."), or nullopt
  // when the key has none.  A numbered channel also appends its second
  // step, ("AWS_80211x_Channel", "NoAuto=" value), to KeyInfoList.
  std::optional<std::string> MapSetting(const std::string& key, const std::string& value);

  const SettingList& keyInfoList() const { return keyInfo_; }
  int activeKeyIndex(Band band) const { return band == Band::k5GHz ? active5_ : active24_; }

 private:
  void CollectKeyInfo(bool utf8);
  bool CheckValue(const Setting& setting, bool utf8);
  void ReportSharedWepKeys();
  std::optional<std::string> FindExpression(const std::string& key);

  TemplateSettings& settings_;
  const std::string& device_;
  const MessageSink& send_;
  SettingList keyInfo_;
  int wirelessMode_ = 0;
  int active5_ = 1;
  int active24_ = 1;
};

}  // namespace kav::tmpl
