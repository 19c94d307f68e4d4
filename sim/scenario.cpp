#include "sim/scenario.h"

#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

#include "device/addresses.h"
#include "sim/xmlconfig.h"

namespace kav::sim {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

template <typename T>
bool parseNumber(std::string_view text, T& out, T min, T max) {
  T v{};
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || p != text.data() + text.size() || v < min || v > max) return false;
  out = v;
  return true;
}

bool parseBool(std::string_view text, bool& out) {
  if (text == "1" || text == "yes" || text == "true" || text == "on") return out = true, true;
  if (text == "0" || text == "no" || text == "false" || text == "off") return out = false, true;
  return false;
}

bool validXmlName(std::string_view s) {
  if (s.empty()) return false;
  auto c0 = static_cast<unsigned char>(s.front());
  if (!(std::isalpha(c0) || c0 == '_')) return false;
  for (char c : s)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.')) return false;
  return true;
}

bool validCommunity(std::string_view s) {
  if (s.empty() || s.size() > 64) return false;
  for (char c : s)
    if (c <= ' ' || c > '~') return false;
  return true;
}

std::vector<std::string_view> split(std::string_view s, char sep) {
  std::vector<std::string_view> out;
  while (true) {
    size_t at = s.find(sep);
    out.push_back(s.substr(0, at));
    if (at == std::string_view::npos) return out;
    s.remove_prefix(at + 1);
  }
}

std::vector<std::string_view> words(std::string_view s, size_t maxWords) {
  std::vector<std::string_view> out;
  s = trim(s);
  while (!s.empty()) {
    if (out.size() + 1 == maxWords) {
      out.push_back(s);
      break;
    }
    size_t end = s.find_first_of(" \t");
    out.push_back(s.substr(0, end));
    s = end == std::string_view::npos ? std::string_view() : trim(s.substr(end));
  }
  return out;
}

// State while one section is applied: the first table line of a section
// replaces the table the device inherited.
struct SectionState {
  bool clientsStarted = false;
  bool neighboursStarted = false;
};

// Applies one key to the settings; returns an error text or "".
std::string applyLine(DeviceSettings& d, SectionState& st, std::string_view key, std::string_view value) {
  auto bad = [&](const char* what) { return std::string(key) + ": " + what; };
  if (key.starts_with("xml.")) {
    std::string_view path = key.substr(4);
    if (!validXmlPath(path) || path.find('$') != std::string_view::npos) return bad("bad element path");
    for (auto& [p, v] : d.xml)
      if (p == path) {
        v = value;
        return {};
      }
    d.xml.emplace_back(path, value);
    return {};
  }
  if (key == "model") return value.empty() ? bad("empty") : (d.model = value, "");
  if (key == "fw_version") return value.empty() ? bad("empty") : (d.fwVersion = value, "");
  if (key == "band_count") return parseNumber(value, d.bandCount, 1, 2) ? "" : bad("must be 1 or 2");
  if (key == "eth_mac" || key == "wlan_mac") {
    auto mac = parseMac(value);
    if (!mac || *mac == 0) return bad("not a MAC address");
    (key == "eth_mac" ? d.ethMac : d.wlanMac) = *mac;
    return {};
  }
  if (key == "cpu") return parseNumber(value, d.cpu, 0u, 100u) ? "" : bad("must be 0..100");
  if (key == "mem") return parseNumber(value, d.mem, 0u, 100u) ? "" : bad("must be 0..100");
  if (key == "wlan_tx_packets") return parseNumber(value, d.txPackets, 0u, UINT32_MAX) ? "" : bad("not a counter");
  if (key == "wlan_rx_packets") return parseNumber(value, d.rxPackets, 0u, UINT32_MAX) ? "" : bad("not a counter");
  if (key == "max_clients") return parseNumber(value, d.maxClients, 0, 100000) ? "" : bad("must be 0..100000");
  if (key == "root") return validXmlName(value) ? (d.root = value, "") : bad("not an element name");
  if (key == "read_community")
    return validCommunity(value) ? (d.readCommunity = value, "") : bad("1..64 printable characters");
  if (key == "write_community")
    return validCommunity(value) ? (d.writeCommunity = value, "") : bad("1..64 printable characters");
  if (key == "delay_ms") return parseNumber(value, d.delayMs, 0u, 600000u) ? "" : bad("must be 0..600000");
  if (key == "drop_percent") return parseNumber(value, d.dropPercent, 0u, 100u) ? "" : bad("must be 0..100");
  if (key == "silent") return parseBool(value, d.silent) ? "" : bad("must be 0 or 1");
  if (key == "restart_seconds")
    return parseNumber(value, d.restartSeconds, 0u, 3600u) ? "" : bad("must be 0..3600");
  if (key == "max_message_size")
    return parseNumber(value, d.maxMessageSize, 64u, 65507u) ? "" : bad("must be 64..65507");
  if (key == "ftp_port")
    return parseNumber(value, d.ftpPort, uint16_t{1}, uint16_t{65535}) ? "" : bad("must be 1..65535");
  if (key == "ftp_timeout_seconds")
    return parseNumber(value, d.ftpTimeoutSeconds, 1u, 600u) ? "" : bad("must be 1..600");
  if (key == "flash_ms") return parseNumber(value, d.flashMs, 0u, 600000u) ? "" : bad("must be 0..600000");
  if (key == "client") {
    if (!st.clientsStarted) d.clients.clear();
    st.clientsStarted = true;
    if (value == "none") return {};
    auto w = words(value, 6);
    if (w.size() != 6) return bad("needs MAC BAND AUTH RSSI PSM SSID_INDEX");
    ClientEntry c;
    auto mac = parseMac(w[0]);
    if (!mac) return bad("bad MAC address");
    c.mac = *mac;
    if (!parseNumber(w[1], c.band, 0, 1)) return bad("BAND must be 0 or 1");
    if (!parseNumber(w[2], c.auth, 0, 255)) return bad("bad AUTH");
    if (!parseNumber(w[3], c.rssi, -1000, 1000)) return bad("bad RSSI");
    if (!parseNumber(w[4], c.psm, 0, 1)) return bad("PSM must be 0 or 1");
    c.ssidIndex = w[5];
    d.clients.push_back(std::move(c));
    return {};
  }
  if (key == "neighbour") {
    if (!st.neighboursStarted) d.neighbours.clear();
    st.neighboursStarted = true;
    if (value == "none") return {};
    auto f = split(value, '|');
    if (f.size() != 8) return bad("needs 8 fields separated by '|'");
    NeighbourEntry n;
    if (!parseNumber(trim(f[0]), n.band, 0, 255)) return bad("bad BAND");
    n.channel = trim(f[1]);
    n.bssid = trim(f[2]);
    n.bandText = trim(f[3]);
    n.ssid = trim(f[4]);
    n.lastSeen = trim(f[5]);
    n.cls = trim(f[6]);
    n.status = trim(f[7]);
    d.neighbours.push_back(std::move(n));
    return {};
  }
  return "unknown key '" + std::string(key) + "'";
}

}  // namespace

std::string macText(uint64_t mac) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s(12, '0');
  for (int i = 11; i >= 0; --i, mac >>= 4) s[static_cast<size_t>(i)] = kHex[mac & 15];
  return s;
}

std::optional<uint64_t> parseMac(std::string_view text) {
  // Twelve hexadecimal digits, bare or in six pairs separated by ':' or '-'.
  std::string digits;
  if (text.size() == 17) {
    const char sep = text[2];
    if (sep != ':' && sep != '-') return std::nullopt;
    for (size_t i = 0; i < text.size(); ++i) {
      if (i % 3 != 2)
        digits += text[i];
      else if (text[i] != sep)
        return std::nullopt;
    }
  } else if (text.size() == 12) {
    digits = text;
  } else {
    return std::nullopt;
  }
  uint64_t v = 0;
  for (char c : digits) {
    const auto u = static_cast<unsigned char>(c);
    if (!std::isxdigit(u)) return std::nullopt;
    v = (v << 4) | static_cast<uint64_t>(std::isdigit(u) ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  return v;
}

std::optional<Scenario> Scenario::parse(std::string_view text, std::string* error) {
  Scenario s;
  s.sections_.push_back(Section{});
  DeviceSettings scratch;  // every line is tried once so that errors show at load
  SectionState state;
  int lineNo = 0;
  auto fail = [&](const std::string& msg) -> std::optional<Scenario> {
    if (error) *error = "line " + std::to_string(lineNo) + ": " + msg;
    return std::nullopt;
  };
  while (!text.empty()) {
    ++lineNo;
    size_t nl = text.find('\n');
    std::string_view line = trim(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']') return fail("section header without ']'");
      std::string_view name = trim(line.substr(1, line.size() - 2));
      Section sec;
      if (name != "*") {
        std::string why;
        auto list = device::parseAddressList(name, &why);
        if (!list) return fail(why);
        sec.all = false;
        sec.addresses = std::move(*list);
      }
      s.sections_.push_back(std::move(sec));
      state = SectionState{};
      continue;
    }
    // The key may hold a path with predicates ("xml.wlan/inf[id=1]/ssid"):
    // the separator is the first '=' outside brackets.
    size_t eq = std::string_view::npos;
    for (size_t i = 0, depth = 0; i < line.size() && eq == std::string_view::npos; ++i) {
      if (line[i] == '[') ++depth;
      else if (line[i] == ']' && depth > 0) --depth;
      else if (line[i] == '=' && depth == 0) eq = i;
    }
    if (eq == std::string_view::npos) return fail("expected 'key = value'");
    std::string_view key = trim(line.substr(0, eq));
    std::string_view value = trim(line.substr(eq + 1));
    if (std::string why = applyLine(scratch, state, key, value); !why.empty()) return fail(why);
    s.sections_.back().lines.push_back(Line{std::string(key), std::string(value)});
  }
  return s;
}

std::optional<Scenario> Scenario::load(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = "cannot read " + path;
    return std::nullopt;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  auto s = parse(ss.str(), error);
  if (!s && error) *error = path + ": " + *error;
  return s;
}

DeviceSettings Scenario::forDevice(uint32_t address) const {
  DeviceSettings d;
  auto apply = [&](const Section& sec) {
    SectionState st;
    for (const Line& l : sec.lines) applyLine(d, st, l.key, l.value);
  };
  for (const Section& sec : sections_)
    if (sec.all) apply(sec);
  for (const Section& sec : sections_)
    if (!sec.all)
      for (uint32_t a : sec.addresses)
        if (a == address) {
          apply(sec);
          break;
        }
  // Hardware facts that differ from device to device unless the scenario
  // fixes them: MAC addresses from the last three numbers of the address
  // (locally administered, so they never clash with a real vendor's).
  const uint64_t tail = address & 0xFFFFFFu;
  if (d.ethMac == 0) d.ethMac = 0x024B00000000ull | (tail << 8);
  if (d.wlanMac == 0) d.wlanMac = d.ethMac + 0x10;
  bool txSet = false, rxSet = false;
  for (const Section& sec : sections_) {
    bool applies = sec.all;
    for (uint32_t a : sec.addresses) applies = applies || a == address;
    if (!applies) continue;
    for (const Line& l : sec.lines) {
      txSet = txSet || l.key == "wlan_tx_packets";
      rxSet = rxSet || l.key == "wlan_rx_packets";
    }
  }
  if (!txSet) d.txPackets = 100000 + (address & 0xFFFF) * 37;
  if (!rxSet) d.rxPackets = 80000 + (address & 0xFFFF) * 29;
  return d;
}

}  // namespace kav::sim
