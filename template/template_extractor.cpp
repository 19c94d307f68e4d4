#include "template/template_extractor.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <optional>

#include "template/config_file.h"
#include "template/template_keys.h"
#include "template/template_rules.h"
#include "template/text_util.h"
#include "template/xml_config_doc.h"
#include "template/file_util.h"

namespace kav::tmpl {

namespace {

// Families of band-specific keys and their sections, in section order.
enum Family { kWireless = 0, kSecurity, kFilter, kMulti, kFamilyCount };
constexpr const char* kFamilyPrefix[kFamilyCount] = {"AWS_", "SCR_", "Flt_", "MUL_"};

// Removes the file when the extraction is done with it.
class ScopedFile {
 public:
  explicit ScopedFile(std::string path) : path_(std::move(path)) {}
  ~ScopedFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A fresh file beside the template for the key list.
std::string MakeKeyListFile(const std::string& templatePath) {
  std::string pattern = templatePath + ".keys.XXXXXX";
  int fd = mkstemp(pattern.data());
  if (fd < 0) return {};
  close(fd);
  return pattern;
}

std::string_view KeyOf(std::string_view line) { return line.substr(0, line.find('=')); }

std::string WithoutPrefix(const std::string& line, std::string_view prefix) {
  std::string out = line;
  size_t at = KeyOf(out).find(prefix);
  out.erase(at, prefix.size());
  return out;
}

}  // namespace

const std::vector<std::string>& CTemplateExtractor::SectionHeaders() {
  static const std::vector<std::string> headers = {
      "[System]",
      "[5GHz_WirelessSettings]",
      "[2.4GHz_WirelessSettings]",
      "[5GHz_SecuritySettings]",
      "[2.4GHz_SecuritySettings]",
      "[5GHz_Filter]",
      "[2.4GHz_Filter]",
      "[5GHz_MultiSSIDSettings]",
      "[2.4GHz_MultiSSIDSettings]",
  };
  return headers;
}

void CTemplateExtractor::ExportSettings(CXmlConfigDoc& doc) {
  const auto& table = keys::ExportTable();
  std::string name;
  std::optional<std::string> value;
  for (size_t i = 0; i < table.size(); ++i) {
    if (i == keys::kSkippedExportRow) continue;
    if (doc.Get(table[i], name, value)) doc.WriteSetting(name, value);
  }
}

// Lines the export table cannot produce.  Each WriteSetting takes its key
// name and value table from the expression read just before it.
void CTemplateExtractor::AppendDerivedSettings(CXmlConfigDoc& doc) {
  std::string name;
  std::optional<std::string> value;
  const Band bands[] = {Band::k5GHz, Band::k24GHz};

  // Automatic key renewal.  A missing setting is written as the template
  // text "Manual" directly: through the value table it would turn into
  // the device code "0", which the application would store as the word.
  for (Band band : bands) {
    if (doc.Get(ForBand(keys::kAutoRekey, band), name, value) && value)
      doc.WriteSetting(name, value);
    else
      doc.WriteLine(ForBand("SCR_80211a_autorekey", band), "Manual");
  }

  // Console protocol.
  if (doc.Get(keys::kConsoleProtocol, name, value)) {
    std::string protocol = value.value_or("");
    if (protocol == "0") {
      doc.WriteSetting("SYS_Telnet_option", std::string("Disable"));
    } else {
      doc.WriteSetting("SYS_Telnet_option", std::string("Enable"));
      if (protocol == "1") doc.WriteSetting("SYS_IsSSH", std::string("Disable"));
      if (protocol == "2") doc.WriteSetting("SYS_IsSSH", std::string("Enable"));
    }
  }

  // Channel: "Auto" or the channel number.
  for (Band band : bands) {
    if (!doc.Get(ForBand(keys::kAutoChannel, band), name, value)) continue;
    if (value == "1")
      doc.WriteSetting(name, std::string("Auto"));
    else if (doc.Get(ForBand(keys::kChannel, band), name, value))
      doc.WriteSetting(name, value);
  }

  // The primary SSID's active WEP key only.
  if (doc.Get(FormatNumbers(keys::kDefaultKey, {1}), name, value)) {
    int k = ToNumber(value.value_or(""));
    doc.WriteSetting("SCR_80211a_active_key_index", value);
    doc.WriteSetting("SCR_80211g_active_key_index", value);
    for (Band band : bands) {
      for (const char* row : {keys::kWepKey, keys::kWepKeyType, keys::kWepKeySize}) {
        if (doc.Get(FormatNumbers(ForBand(row, band), {k}), name, value)) doc.WriteSetting(name, value);
      }
    }
  }

  // MAC filter entries, the same list under both bands.
  std::vector<std::optional<std::string>> macs;
  for (int i = 1; i <= keys::kMaxFilterEntries; ++i) {
    if (!doc.Get(FormatNumbers(keys::kFilterMac, {1, i}), name, value)) break;
    macs.push_back(value);
  }
  for (Band band : {Band::k24GHz, Band::k5GHz}) {
    std::string prefix = ForBand("Flt_80211a_filter_mac_add", band);
    for (size_t i = 0; i < macs.size(); ++i) doc.WriteSetting(prefix + std::to_string(i + 1), macs[i]);
    doc.WriteSetting(ForBand("Flt_80211a_filter_mac_Items", band), std::to_string(macs.size()));
  }

  // Multiple SSIDs, when the band has the master switch.
  for (Band band : bands) {
    const auto& rows = keys::MultiSsid(band);
    if (!doc.Get(rows[keys::kMultiStatusRow], name, value)) continue;
    doc.WriteSetting(ForBand("MUL_80211a_Multi_Status", band), value ? value : std::string("0"));
    for (int n = 1; n <= 7; ++n) {
      for (size_t r = keys::kMultiStatusRow + 1; r < keys::kAutoRekeyRow; ++r) {
        if (doc.Get(FormatNumbers(rows[r], {n}), name, value)) doc.WriteSetting(name, value);
      }
      if (doc.Get(FormatNumbers(rows[keys::kAutoRekeyRow], {n}), name, value) && value)
        doc.WriteSetting(name, value);
      else
        doc.WriteLine(FormatNumbers(ForBand("MUL_80211a_SSID%d_AutoRekey", band), {n}), "Manual");
    }
  }

  // WEP of the multiple SSIDs: the key an SSID uses.
  for (int n = 1; n <= 7; ++n) {
    for (Band band : bands) {
      const auto& wep = keys::MultiSsidWep(band);
      if (doc.Get(FormatNumbers(wep[keys::kWepRowStatus], {n}), name, value)) doc.WriteSetting(name, value);
      if (!doc.Get(FormatNumbers(wep[keys::kWepRowKeyIndex], {n}), name, value)) continue;
      doc.WriteSetting(name, value);
      int k = ToNumber(value.value_or(""));
      for (size_t r : {size_t{keys::kWepRowKeyType}, size_t{keys::kWepRowKeySize}, size_t{keys::kWepRowKey}}) {
        if (doc.Get(FormatNumbers(wep[r], {n, k}), name, value)) doc.WriteSetting(name, value);
      }
    }
  }
}

int CTemplateExtractor::Extract(const std::string& configFilePath, const std::string& templatePath) {
  try {
    if (!UnpackConfigFile(configFilePath, templatePath)) return 0;
    CXmlConfigDoc doc;
    // A document that does not load simply yields no settings.
    doc.Load(templatePath);

    ScopedFile keyList(MakeKeyListFile(templatePath));
    if (keyList.path().empty() || !doc.OpenKeyList(keyList.path())) return 0;
    ExportSettings(doc);
    AppendDerivedSettings(doc);
    if (!doc.CloseKeyList()) return 0;

    std::vector<std::string> lines;
    {
      std::ifstream in(keyList.path(), std::ios::binary);
      if (!in) return 0;
      std::string line;
      while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
      }
      if (in.bad()) return 0;
    }

    // The radio's wireless mode decides which band the template describes.
    bool is5GHz = false;
    for (const std::string& line : lines) {
      if (!Contains(KeyOf(line), "AWS_80211a_WirelessMode")) continue;
      std::string_view mode = std::string_view(line).substr(line.find('=') + 1);
      is5GHz = mode == "7" || mode == "8";
      break;
    }

    // Sections; the family and band prefix is matched in the key only, so
    // that a value can never move its line to another section.
    std::vector<std::string> system;
    std::array<std::array<std::vector<std::string>, 2>, kFamilyCount> sections;  // [family][0 = 5 GHz, 1 = 2.4 GHz]
    for (const std::string& line : lines) {
      std::string_view key = KeyOf(line);
      if (Contains(key, "AWS_80211a_WirelessMode") || Contains(key, "AWS_80211g_WirelessMode")) continue;
      bool placed = false;
      for (int f = 0; f < kFamilyCount && !placed; ++f) {
        for (int b = 0; b < 2 && !placed; ++b) {
          std::string prefix = std::string(kFamilyPrefix[f]) + (b == 0 ? "80211a_" : "80211g_");
          if (!Contains(key, prefix)) continue;
          placed = true;
          if ((b == 0) == is5GHz) sections[f][b].push_back(WithoutPrefix(line, prefix));
        }
      }
      if (!placed && Contains(key, "SYS_")) system.push_back(WithoutPrefix(line, "SYS_"));
    }

    ApplyRules(system, keys::SystemRules());
    for (int b = 0; b < 2; ++b) {
      ApplyRules(sections[kSecurity][b], keys::SecurityRules());
      ApplyRules(sections[kFilter][b], keys::FilterRules());
      ApplyRules(sections[kMulti][b], keys::MultiSsidRules());
    }

    const std::vector<std::string>* bodies[] = {
        &system,
        &sections[kWireless][0], &sections[kWireless][1],
        &sections[kSecurity][0], &sections[kSecurity][1],
        &sections[kFilter][0],   &sections[kFilter][1],
        &sections[kMulti][0],    &sections[kMulti][1],
    };
    std::string out;
    const auto& headers = SectionHeaders();
    for (size_t s = 0; s < headers.size(); ++s) {
      out.append(headers[s]).append("\r\n");
      for (const std::string& line : *bodies[s]) out.append(line).append("\r\n");
    }
    return WriteWholeFile(templatePath, out) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

}  // namespace kav::tmpl
