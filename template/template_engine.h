// The template engine: makes configuration templates from a device's
// configuration file, and applies a template to a device's unpacked
// configuration so that the device takes the template's settings as far
// as its model, radio mode, access point mode, channel list and current
// security allow.  Every setting it skips or adjusts is reported as a
// message ("Device(address), ...") through the message sink.
#pragma once

#include <string>
#include <string_view>

#include "template/progress.h"
#include "template/settings_writer.h"
#include "template/template_settings.h"

namespace kav::tmpl {

class CXmlConfigDoc;

// The device's channel lists as it reports them.
struct ChannelLists {
  std::string band24;     // 2.4 GHz channels
  std::string band5;      // 5 GHz channels
  std::string band5Type1; // 5 GHz channels when the device's application type is 1
};

class CTemplateEngine {
 public:
  explicit CTemplateEngine(std::string deviceAddress = {}, MessageSink sink = HostWindowSink());
  CTemplateEngine(const CTemplateEngine&) = delete;
  CTemplateEngine& operator=(const CTemplateEngine&) = delete;

  void SetDeviceAddress(std::string address) { device_ = std::move(address); }
  const std::string& deviceAddress() const { return device_; }
  void SetMessageSink(MessageSink sink) { sink_ = std::move(sink); }

  // The job behind PlugParseFile: 1 when templatePath was written from the
  // configuration file at configFilePath, 0 otherwise.
  int ExtractTemplate(const std::string& configFilePath, const std::string& templatePath);

  // Changes the XML file at xmlPath (unpacked configuration) by the
  // template at templatePath and saves it.  False when the XML cannot be
  // loaded, no setting is left to apply, or saving fails.
  bool ApplyTemplate(const std::string& xmlPath, const std::string& templatePath, const ChannelLists& channels);
  // The same on a loaded document with the template's text.
  bool ApplyTemplateText(CXmlConfigDoc& doc, std::string_view templateText, const ChannelLists& channels);

  // The last step of an application (see settings_writer.h).
  bool WriteSettings(CXmlConfigDoc& doc) { return writer_.WriteSettings(doc); }
  std::optional<std::string> MapSetting(const std::string& key, const std::string& value) {
    return writer_.MapSetting(key, value);
  }

  // State of the latest application, for inspection.
  const TemplateSettings& settings() const { return settings_; }
  TemplateSettings& settings() { return settings_; }
  const SettingList& keyInfoList() const { return writer_.keyInfoList(); }
  const std::string& bandInfix() const { return bandInfix_; }

 private:
  void Send(const std::string& text) const {
    if (sink_) sink_(text);
  }
  void ReadDeviceState(CXmlConfigDoc& doc);
  void ReadTemplate(std::string_view text);
  void CheckChannelSupport(CXmlConfigDoc& doc, const ChannelLists& channels);
  void CheckCurrentCipher();
  void RunDeviceChecks();
  void PrepareDocument(CXmlConfigDoc& doc);

  std::string device_;
  MessageSink sink_;
  TemplateSettings settings_;
  CSettingsWriter writer_{settings_, device_, sink_};
  int wirelessMode_ = 0;
  int multiState_ = 0;
  int cipherMode_ = 0;
  int apMode_ = 0;
  int defaultKey_ = 1;
  std::string bandInfix_;
  std::string bandName_;
};

}  // namespace kav::tmpl
