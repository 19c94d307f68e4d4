// Template extraction: a device configuration file goes in, a template
// file comes out.  The configuration is unpacked into the template's
// place, every known setting is read into a key list, the list is sorted
// into the nine template sections of one band, and the rule lists drop
// the settings that the chosen modes make irrelevant.
#pragma once

#include <string>
#include <vector>

namespace kav::tmpl {

class CXmlConfigDoc;

class CTemplateExtractor {
 public:
  // 1 when the template file was written, 0 otherwise.
  int Extract(const std::string& configFilePath, const std::string& templatePath);

  // The nine section headers in file order.
  static const std::vector<std::string>& SectionHeaders();

 private:
  static void ExportSettings(CXmlConfigDoc& doc);
  static void AppendDerivedSettings(CXmlConfigDoc& doc);
};

}  // namespace kav::tmpl
