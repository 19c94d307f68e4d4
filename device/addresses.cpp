#include "device/addresses.h"

#include <charconv>
#include <unordered_set>

namespace kav::device {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::optional<uint32_t> parseOctet(std::string_view part) {
  if (part.empty() || part.size() > 3) return std::nullopt;
  if (part.size() > 1 && part.front() == '0') return std::nullopt;
  uint32_t v = 0;
  auto [p, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
  if (ec != std::errc() || p != part.data() + part.size() || v > 255) return std::nullopt;
  return v;
}

}  // namespace

std::optional<uint32_t> parseIpv4(std::string_view text) {
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) {
    size_t dot = text.find('.');
    if ((i < 3) != (dot != std::string_view::npos)) return std::nullopt;
    auto octet = parseOctet(text.substr(0, dot));
    if (!octet) return std::nullopt;
    out = (out << 8) | *octet;
    text = i < 3 ? text.substr(dot + 1) : std::string_view();
  }
  return out;
}

std::string ipv4Text(uint32_t a) {
  return std::to_string(a >> 24) + '.' + std::to_string((a >> 16) & 255) + '.' +
         std::to_string((a >> 8) & 255) + '.' + std::to_string(a & 255);
}

std::optional<std::vector<uint32_t>> parseAddressList(std::string_view text, std::string* error) {
  auto fail = [&](std::string msg) -> std::optional<std::vector<uint32_t>> {
    if (error) *error = std::move(msg);
    return std::nullopt;
  };
  std::vector<uint32_t> out;
  std::unordered_set<uint32_t> seen;
  auto add = [&](uint32_t a) {
    if (seen.insert(a).second) out.push_back(a);
  };
  while (true) {
    size_t comma = text.find(',');
    std::string_view item = trim(text.substr(0, comma));
    if (item.empty()) return fail("empty address in list");
    size_t dash = item.find('-');
    auto first = parseIpv4(trim(item.substr(0, dash)));
    if (!first) return fail("bad address '" + std::string(item) + "'");
    uint32_t last = *first;
    if (dash != std::string_view::npos) {
      std::string_view end = trim(item.substr(dash + 1));
      if (auto full = parseIpv4(end)) {
        last = *full;
      } else if (auto octet = parseOctet(end)) {
        last = (*first & 0xFFFFFF00u) | *octet;
      } else {
        return fail("bad range end in '" + std::string(item) + "'");
      }
      if (last < *first) return fail("range '" + std::string(item) + "' runs backwards");
    }
    if (last - *first >= kMaxAddresses || out.size() + (last - *first) >= kMaxAddresses)
      return fail("too many addresses");
    for (uint64_t a = *first; a <= last; ++a) add(static_cast<uint32_t>(a));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return out;
}

}  // namespace kav::device
