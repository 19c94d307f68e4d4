// Test fixtures of the template code: device configurations built from the
// simulator's default configuration (sim/default-config.xml), temporary
// folders, and a message recorder.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "template/progress.h"
#include "template/template_engine.h"
#include "template/xml_config_doc.h"

namespace kav::tmpl::fixture {

// The default device configuration as text.
std::string DefaultConfigXml();

// A device configuration to change and write out.  Paths name child
// elements from the root; the first child of that name is taken, or the
// one whose "id" is given after a colon ("inf:2").
class ConfigBuilder {
 public:
  ConfigBuilder();
  // Renames the root element (the model name, for example "KAV-7420b").
  ConfigBuilder& Root(const std::string& name);
  // Sets the text of an element, creating missing elements.
  ConfigBuilder& Set(std::initializer_list<const char*> path, const std::string& text);
  // Removes an element.
  ConfigBuilder& Remove(std::initializer_list<const char*> path);
  // Adds a second radio, <inf id="2">, as a copy of the first.
  ConfigBuilder& SecondRadio();
  // Switches multiple SSIDs on with SSIDs 1 to count enabled.
  ConfigBuilder& MultiSsid(int count);
  // Adds count MAC filter entries 00:11:22:00:00:01 ... and sets the mode.
  ConfigBuilder& MacFilter(int count, const std::string& mode = "2");

  TiXmlElement* Element(std::initializer_list<const char*> path, bool create = false);
  std::string Xml() const;
  // The XML text with CR LF line endings, as unpacked files have it.
  void WriteXml(const std::string& path) const;
  // A device configuration file of this configuration.
  void WriteDcf(const std::string& path) const;

 private:
  TiXmlDocument doc_;
};

// A dual-band model (its name ends in a model tag) whose first radio runs
// 2.4 GHz: a template's 2.4 GHz keys apply to it.
ConfigBuilder Device24();

// A fresh folder under the build tree, removed with its files.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Collects the engine's messages.
struct MessageLog {
  std::vector<std::string> texts;
  MessageSink Sink() {
    return [this](const std::string& text) { texts.push_back(text); };
  }
  // Messages that contain part.
  int Count(const std::string& part) const;
};

// The result of applying a template text to a configuration with
// CTemplateEngine::ApplyTemplate through files: the result, the messages,
// and the saved document loaded again.  The saved file must satisfy
// xmllint.
struct Applied {
  bool result = false;
  MessageLog log;
  std::unique_ptr<CXmlConfigDoc> doc;
  // Text of the element the expression names; "<none>" when it is missing,
  // "" when it has no text.
  std::string Text(const std::string& expression) const;
  bool Has(const std::string& expression) const;
};
inline constexpr const char* kDevice = "10.0.0.7";
inline constexpr const char* k24GHzChannels = "1,2,3,4,5,6,7,8,9,10,11";
inline constexpr const char* k5GHzChannels = "36,40,44,48,149,153,157,161,165";
Applied ApplyText(const ConfigBuilder& config, const std::string& templateText,
                  ChannelLists channels = {k24GHzChannels, k5GHzChannels, ""});

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& data);
// True when gzip itself accepts the body of a .dcf file (after the root
// name and the separator).
bool GzipAcceptsBody(const std::string& dcfPath);
// Runs a shell command; its exit status.
int RunShell(const std::string& command);

}  // namespace kav::tmpl::fixture
