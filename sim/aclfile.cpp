#include "sim/aclfile.h"

#include "sim/scenario.h"

namespace kav::sim {

std::string macColonText(uint64_t mac) {
  const std::string digits = macText(mac);
  std::string out;
  for (size_t i = 0; i < digits.size(); i += 2) {
    if (i) out += ':';
    out += digits.substr(i, 2);
  }
  return out;
}

std::optional<std::vector<uint64_t>> parseAclFile(std::string_view text, std::string* why) {
  std::vector<uint64_t> macs;
  size_t lineNo = 0;
  while (!text.empty()) {
    ++lineNo;
    const size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty() || line.front() == '#') continue;
    auto mac = parseMac(line);
    if (!mac) {
      if (why) *why = "ACL file line " + std::to_string(lineNo) + ": not a MAC address";
      return std::nullopt;
    }
    if (macs.size() == kMaxAclEntries) {
      if (why) *why = "ACL file holds more than " + std::to_string(kMaxAclEntries) + " addresses";
      return std::nullopt;
    }
    macs.push_back(*mac);
  }
  return macs;
}

std::string aclFileText(const std::vector<uint64_t>& macs) {
  std::string out;
  for (uint64_t m : macs) out += macColonText(m) + '\n';
  return out;
}

}  // namespace kav::sim
