// Templates from outside: the template reader, the device checks and the
// settings writer applied to a few device configurations, and the rule
// lists evaluated on the same lines as a template section.
#include <stdlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "template/template_engine.h"
#include "template/template_keys.h"
#include "template/template_rules.h"
#include "template/testing/config_fixtures.h"
#include "template/xml_config_doc.h"

namespace {

using kav::tmpl::fixture::ConfigBuilder;

const std::vector<std::string>& Devices() {
  static const std::vector<std::string> devices = [] {
    std::vector<std::string> out;
    out.push_back(ConfigBuilder().Xml());
    out.push_back(ConfigBuilder().Root("KAV-7420b").Set({"wlan", "inf:1", "wlmode"}, "4").MultiSsid(3).MacFilter(4).Xml());
    out.push_back(ConfigBuilder().Root("KAV-7420b").Set({"wlan", "inf:1", "wlmode"}, "8").Set({"wlan", "application"}, "1").SecondRadio().Xml());
    out.push_back(ConfigBuilder().Root("AP-6640").Set({"wlan", "inf:1", "ap_mode"}, "1").Set({"wlan", "inf:1", "wpa", "wepmode"}, "2").Xml());
    return out;
  }();
  return devices;
}

const std::string& WorkDir() {
  static const std::string dir = [] {
    std::string pattern = "/tmp/template-apply-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) abort();
    return pattern;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string& device = Devices()[data[0] % Devices().size()];
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  kav::tmpl::CXmlConfigDoc doc;
  if (!doc.LoadText(device, WorkDir() + "/dev.xml")) abort();
  kav::tmpl::CTemplateEngine engine("192.168.0.50", [](const std::string& message) {
    if (message.rfind("Device(192.168.0.50), ", 0) != 0 && message.rfind("In ", 0) != 0) abort();
  });
  kav::tmpl::ChannelLists channels{"1,2,3,4,5,6,7,8,9,10,11,12,13", "36,40,44,48,149,153,157,161,165", "36,40"};
  if (engine.ApplyTemplateText(doc, text, channels)) {
    // A document the writer saved loads again.
    kav::tmpl::CXmlConfigDoc again;
    if (!again.Load(WorkDir() + "/dev.xml")) abort();
  }

  // The same lines as a template section under every rule list.
  std::vector<std::string> lines;
  size_t begin = 0;
  while (begin < text.size() && lines.size() < 600) {
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  for (const auto* rules : {&kav::tmpl::keys::SystemRules(), &kav::tmpl::keys::SecurityRules(),
                            &kav::tmpl::keys::FilterRules(), &kav::tmpl::keys::MultiSsidRules()}) {
    std::vector<std::string> section = lines;
    kav::tmpl::ApplyRules(section, *rules);
    if (section.size() > lines.size()) abort();
  }
  return 0;
}
