#include "sim/device.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <ctime>

#include "device/addresses.h"
#include "sim/aclfile.h"
#include "sim/dcf.h"
#include "sim/files.h"

namespace kav::sim {
namespace {

using device::ObjectDef;
using device::Store;
using device::Syntax;

u_char asnType(Syntax s) {
  switch (s) {
    case Syntax::Integer: return ASN_INTEGER;
    case Syntax::DisplayString:
    case Syntax::OctetString: return ASN_OCTET_STR;
    case Syntax::IpAddress: return ASN_IPADDRESS;
    case Syntax::Counter32: return ASN_COUNTER;
    case Syntax::Gauge32: return ASN_GAUGE;
    case Syntax::TimeTicks: return ASN_TIMETICKS;
  }
  return ASN_NULL;
}

long toLong(std::string_view text, long fallback) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  long v = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return (ec == std::errc() && p == text.data() + text.size()) ? v : fallback;
}

Value textValue(Syntax s, std::string text) {
  Value v;
  v.type = asnType(s);
  if (device::isString(s)) {
    v.bytes = std::move(text);
  } else if (s == Syntax::IpAddress) {
    uint32_t a = device::parseIpv4(text).value_or(0);
    v.bytes = {static_cast<char>(a >> 24), static_cast<char>(a >> 16), static_cast<char>(a >> 8),
               static_cast<char>(a)};
  } else {
    v.integer = toLong(text, 0);
  }
  return v;
}

Value intValue(Syntax s, long n) {
  if (device::isString(s)) return textValue(s, std::to_string(n));
  Value v;
  v.type = asnType(s);
  v.integer = n;
  return v;
}

// Wireless mode codes of the 5 GHz radio: 9 (mixed n/a), 7 (a only), 8 (n only).
// The 2.4 GHz radio uses 6, 3 and 2.
bool is5GHzMode(long wlmode) { return wlmode == 7 || wlmode == 8 || wlmode == 9; }

// Security summary of an SSID from its authentication and cipher settings.
//   authentication: 0 open, 1 shared, 3 WPA-P, 2 WPA-E, 5 WPA2-P, 4 WPA2-E,
//                   7 WPA-Auto-P, 6 WPA-Auto-E, 8 open or shared, 9 802.1x
//   wepmode:        0 none, 1 WEP, 2 TKIP, 3 AES, 4 auto
long securitySummary(long auth, long wepmode) {
  switch (auth) {
    case 0: return wepmode == 1 ? 11 : 1;
    case 1: return 2;
    case 8: return 3;
    case 3: return 4;
    case 2: return 5;
    case 5: return 6;
    case 4: return 7;
    case 7: return 8;
    case 6: return 9;
    case 9: return 10;
    default: return 0;
  }
}

const char* const kSummaryText[] = {
    "None",           "Open System",     "Shared Key",         "Open System and Shared Key",
    "WPA-Personal",   "WPA-Enterprise",  "WPA2-Personal",      "WPA2-Enterprise",
    "WPA2-Auto-Personal", "WPA2-Auto-Enterprise", "802.1x",    "WEP"};

// The texts the configuration window shows as the operation mode (its ARP rule
// looks for "client" and "repeater" in them).
const char* const kModeText[] = {"Access Point", "WDS with AP", "WDS", "Wireless client", "Wireless repeater"};

const char* const kRate24[] = {"1 Mbps",  "2 Mbps",  "5.5 Mbps", "11 Mbps", "6 Mbps",  "9 Mbps",
                               "12 Mbps", "18 Mbps", "24 Mbps",  "36 Mbps", "48 Mbps", "54 Mbps"};
const char* const kRate5[] = {"6 Mbps", "9 Mbps", "12 Mbps", "18 Mbps", "24 Mbps", "36 Mbps", "48 Mbps", "54 Mbps"};

bool printable(const std::string& s) {
  for (unsigned char c : s)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

std::string firstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The version a transfer wrote to flash, until a restart runs it.
constexpr const char* kWrittenFirmwareFile = "written-firmware";
constexpr const char* kLanAddressPath = "wan/rg/inf[id=1]/static/ipaddr";
constexpr const char* kLanGatewayPath = "wan/rg/inf[id=1]/static/gateway";
constexpr const char* kAclPath = "wlan/inf[id=1]/acl";
// A device that restarts by itself after a transfer reports the transfer
// done first and goes away this long after.
constexpr auto kRestartAfterTransfer = std::chrono::seconds(1);

bool lessOid(const std::vector<oid>& a, const oid* b, size_t blen) {
  return std::lexicographical_compare(a.begin(), a.end(), b, b + blen);
}

std::vector<oid> modelOid(const ObjectDef& def) {
  auto v = device::oidOf(def);
  return {v.begin(), v.end()};
}

// A save interrupted by a kill leaves its temporary file ("config.xml.XXXXXX")
// beside the intact old file, a transfer its download ("download.XXXXXX");
// such leftovers are removed at start.
void removeStaleTemporaries(const std::string& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  while (dirent* e = ::readdir(d)) {
    std::string_view name = e->d_name;
    for (std::string_view base : {"config.xml.", "firmware.", "written-firmware.", kDownloadPrefix})
      if (name.size() == base.size() + 6 && name.starts_with(base)) ::unlink((dir + "/" + std::string(name)).c_str());
  }
  ::closedir(d);
}

}  // namespace

Device::Device(uint32_t address, std::string stateDir, std::function<std::optional<DeviceSettings>()> reread)
    : address_(address),
      addressText_(device::ipv4Text(address)),
      stateDir_(std::move(stateDir)),
      rereadScenario_(std::move(reread)),
      random_(address) {}

bool Device::open(const DeviceSettings& settings, std::string* error) {
  settings_ = settings;
  if (!makeDirs(stateDir_, error)) return false;
  removeStaleTemporaries(stateDir_);
  const std::string path = configPath();
  if (fileExists(path)) {
    if (!config_.load(path, error)) return false;
    if (config_.ensureRadios(settings_.bandCount) && !saveConfig(error)) return false;
  } else {
    config_ = ConfigDoc::defaults(settings_.root, settings_.bandCount);
    setOwnLanAddress(config_);
    config_.set("snmp/rocommunity", settings_.readCommunity);
    config_.set("snmp/rwcommunity", settings_.writeCommunity);
    for (const auto& [p, v] : settings_.xml) config_.set(p, v);
    if (!saveConfig(error)) return false;
  }
  if (auto fw = readFile(stateDir_ + "/firmware")) {
    firmware_ = firstLine(*fw);
  } else {
    firmware_ = settings_.fwVersion;
  }
  // An image written to flash before the simulator stopped runs now.
  if (auto written = readFile(statePath(kWrittenFirmwareFile))) {
    const std::string version = firstLine(*written);
    if (!version.empty() && !setFirmwareVersion(version, error)) return false;
    ::unlink(statePath(kWrittenFirmwareFile).c_str());
  }
  clients_ = settings_.clients;
  neighbours_ = settings_.neighbours;
  instancesDirty_ = true;
  bootTime_ = Clock::now();
  return true;
}

void Device::applySettings(const DeviceSettings& settings) {
  const bool bandsChanged = settings.bandCount != settings_.bandCount;
  settings_ = settings;
  if (!fileExists(stateDir_ + "/firmware")) firmware_ = settings_.fwVersion;
  if (bandsChanged) {
    instancesDirty_ = true;
    if (config_.ensureRadios(settings_.bandCount)) saveConfig(nullptr);
  }
}

std::string Device::readCommunity() const { return xmlText("snmp/rocommunity").value_or(""); }
std::string Device::writeCommunity() const { return xmlText("snmp/rwcommunity").value_or(""); }

bool Device::silent(Clock::time_point now) const { return settings_.silent || now < restartUntil_; }

bool Device::dropThisOne() {
  if (settings_.dropPercent == 0) return false;
  return std::uniform_int_distribution<uint32_t>(0, 99)(random_) < settings_.dropPercent;
}

// ---- the served tree ----

const std::vector<Device::Instance>& Device::instances() {
  if (!instancesDirty_) return instances_;
  instances_.clear();
  for (const ObjectDef& def : device::objects()) {
    auto base = modelOid(def);
    uint32_t rows = 0;
    if (!def.table) {
      base.push_back(0);
      instances_.push_back({std::move(base), &def, 0});
      continue;
    }
    std::string_view table = def.table;
    if (table == "dot11RadioTable") rows = static_cast<uint32_t>(settings_.bandCount);
    else if (table == "dot11ClientRefreshTable") rows = 1;
    else if (table == "dot11ClientTable") rows = static_cast<uint32_t>(clients_.size());
    else if (table == "dot11NeighbourTable") rows = static_cast<uint32_t>(neighbours_.size());
    for (uint32_t r = 1; r <= rows; ++r) {
      auto name = base;
      name.push_back(r);
      instances_.push_back({std::move(name), &def, r});
    }
  }
  std::sort(instances_.begin(), instances_.end(),
            [](const Instance& a, const Instance& b) { return a.name < b.name; });
  instancesDirty_ = false;
  return instances_;
}

const Device::Instance* Device::find(const oid* name, size_t len) {
  const auto& all = instances();
  auto it = std::lower_bound(all.begin(), all.end(), 0,
                             [&](const Instance& in, int) { return lessOid(in.name, name, len); });
  if (it == all.end() || it->name.size() != len || !std::equal(it->name.begin(), it->name.end(), name))
    return nullptr;
  return &*it;
}

const Device::Instance* Device::next(const oid* name, size_t len) {
  const auto& all = instances();
  auto it = std::upper_bound(all.begin(), all.end(), 0, [&](int, const Instance& in) {
    return std::lexicographical_compare(name, name + len, in.name.begin(), in.name.end());
  });
  return it == all.end() ? nullptr : &*it;
}

const ObjectDef* Device::objectOf(const oid* name, size_t len) const {
  for (const ObjectDef& def : device::objects()) {
    auto base = modelOid(def);
    if (base.size() <= len && std::equal(base.begin(), base.end(), name)) return &def;
  }
  return nullptr;
}

// ---- reading ----

std::optional<std::string> Device::xmlText(const char* path, uint32_t row) const { return config_.get(path, row); }

long Device::xmlInt(const char* path, uint32_t row, long fallback) const {
  auto t = xmlText(path, row);
  return t ? toLong(*t, fallback) : fallback;
}

int Device::radioBand(uint32_t row) const {
  long mode = xmlInt("wlan/inf[id=$]/wlmode", row, row == 2 ? 9 : 6);
  return is5GHzMode(mode) ? 1 : 0;
}

size_t Device::clientsOnBand(int band) const {
  return static_cast<size_t>(std::count_if(clients_.begin(), clients_.end(),
                                           [&](const ClientEntry& c) { return c.band == band; }));
}

uint64_t Device::radioMac(uint32_t row) const {
  return (settings_.wlanMac + 0x10ull * (row > 0 ? row - 1 : 0)) & 0xFFFFFFFFFFFFull;
}

Value Device::read(const Instance& in) {
  const ObjectDef& def = *in.def;
  switch (def.store) {
    case Store::Xml: return textValue(def.syntax, xmlText(def.where, in.row).value_or(""));
    case Store::Runtime: return runtimeValue(def, in.row);
    case Store::Derived: return derivedValue(def, in.row);
  }
  return textValue(def.syntax, "");
}

Value Device::runtimeValue(const ObjectDef& def, uint32_t row) const {
  const std::string_view w = def.where;
  const Syntax s = def.syntax;
  if (w == "model") return textValue(s, settings_.model);
  if (w == "fw_version") return textValue(s, firmware_);
  if (w == "band_count") return intValue(s, settings_.bandCount);
  if (w == "eth_mac") return textValue(s, macText(settings_.ethMac));
  if (w == "cpu") return intValue(s, settings_.cpu);
  if (w == "mem") return intValue(s, settings_.mem);
  if (w == "wlan_tx_packets") return intValue(s, settings_.txPackets);
  if (w == "wlan_rx_packets") return intValue(s, settings_.rxPackets);
  if (w == "client_refresh" || w == "command" || w == "transfer.start") return intValue(s, 0);
  if (w == "transfer.status") return intValue(s, transferStatus_);
  if (w == "transfer.message") return textValue(s, transferMessage_);
  if (w == "transfer.password") return textValue(s, "");
  if (auto it = written_.find({def.where, row}); it != written_.end()) return it->second;
  if (w == "scan") return intValue(s, scanBand_);
  if (w.starts_with("clients.") && row >= 1 && row <= clients_.size()) {
    const ClientEntry& c = clients_[row - 1];
    std::string_view col = w.substr(8);
    if (col == "mac") {
      std::string mac(6, '\0');
      for (int i = 0; i < 6; ++i) mac[static_cast<size_t>(i)] = static_cast<char>((c.mac >> (40 - 8 * i)) & 0xFF);
      return textValue(s, mac);
    }
    if (col == "band") return intValue(s, c.band);
    if (col == "auth") return intValue(s, c.auth);
    if (col == "rssi") return intValue(s, c.rssi);
    if (col == "psm") return intValue(s, c.psm);
    if (col == "ssid_index") return textValue(s, c.ssidIndex);
  }
  if (w.starts_with("neighbours.") && row >= 1 && row <= neighbours_.size()) {
    const NeighbourEntry& n = neighbours_[row - 1];
    std::string_view col = w.substr(11);
    if (col == "band") return intValue(s, n.band);
    if (col == "channel") return textValue(s, n.channel);
    if (col == "bssid") return textValue(s, n.bssid);
    if (col == "band_text") return textValue(s, n.bandText);
    if (col == "ssid") return textValue(s, n.ssid);
    if (col == "last_seen") return textValue(s, n.lastSeen);
    if (col == "class") return textValue(s, n.cls);
    if (col == "status") return textValue(s, n.status);
  }
  return textValue(s, "");
}

Value Device::derivedValue(const ObjectDef& def, uint32_t row) const {
  const std::string_view w = def.where;
  const Syntax s = def.syntax;
  if (w == "system_time") {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &tm);
    return textValue(s, buf);
  }
  if (w == "uptime") {
    auto secs = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - bootTime_).count();
    if (secs < 0) secs = 0;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%lld days, %02lld:%02lld:%02lld", static_cast<long long>(secs / 86400),
                  static_cast<long long>(secs / 3600 % 24), static_cast<long long>(secs / 60 % 60),
                  static_cast<long long>(secs % 60));
    return textValue(s, buf);
  }
  if (w == "current_band") return textValue(s, radioBand(1) ? "band5gHz" : "band2dot4gHz");
  if (w == "gateway") {
    std::string gw = xmlText("wan/rg/inf[id=1]/static/gateway").value_or("");
    return textValue(s, gw.empty() ? "N/A" : gw);
  }
  if (w == "client_count") return intValue(s, static_cast<long>(clients_.size()));
  // Per-radio values: row is the radio.
  if (w == "band") return intValue(s, radioBand(row));
  if (w == "channel_text") {
    if (xmlInt("wlan/inf[id=$]/autochannel", row, 0) != 0) {
      // The channel the radio picked by itself: the same for a device every time.
      static const int k24[] = {1, 6, 11};
      static const int k5[] = {36, 40, 44, 48, 149, 153, 157, 161};
      int ch = radioBand(row) ? k5[address_ % 8] : k24[address_ % 3];
      return textValue(s, std::to_string(ch));
    }
    return textValue(s, xmlText("wlan/inf[id=$]/channel", row).value_or(""));
  }
  if (w == "rate_text") {
    long code = xmlInt("wlan/inf[id=$]/fixedrate", row, 31);
    if (radioBand(row)) return textValue(s, code >= 0 && code < 8 ? kRate5[code] : "Auto");
    return textValue(s, code >= 0 && code < 12 ? kRate24[code] : "Auto");
  }
  if (w == "opmode_text" || w == "opmode_code") {
    long mode = xmlInt("wlan/inf[id=$]/ap_mode", row, 0);
    if (mode < 0 || mode > 4) mode = 0;
    return w == "opmode_code" ? intValue(s, mode + 1) : textValue(s, kModeText[mode]);
  }
  if (w == "radio_state") return textValue(s, xmlInt("wlan/inf[id=$]/enable", row, 0) ? "on" : "off");
  if (w == "band_state") return textValue(s, xmlInt("wlan/inf[id=$]/enable", row, 0) ? "enabled" : "disabled");
  if (w == "security_summary" || w == "security_text") {
    long wep = xmlInt("wlan/inf[id=$]/wpa/wepmode", row, 0);
    long summary = securitySummary(xmlInt("wlan/inf[id=$]/authentication", row, 0), wep);
    if (w == "security_summary") return intValue(s, summary);
    std::string text = kSummaryText[summary];
    if (summary >= 4 && summary <= 9) text += wep == 2 ? " / TKIP" : wep == 3 ? " / AES" : " / Auto";
    return textValue(s, text);
  }
  if (w == "mac_primary") return textValue(s, macText(radioMac(row)));
  if (w == "mac_ssid_first") return textValue(s, macText(radioMac(row) + 1));
  if (w == "mac_ssid_last") return textValue(s, macText(radioMac(row) + 7));
  if (w.starts_with("mac_ssid") && w.size() == 9) {
    uint32_t n = static_cast<uint32_t>(w[8] - '0');
    std::string path = "wlan/inf[id=$]/multi/index[id=" + std::to_string(n) + "]/state";
    bool on = xmlInt(path.c_str(), row, 0) != 0;
    return textValue(s, on ? macText(radioMac(row) + n) : std::string(12, '0'));
  }
  if (w == "association_full") {
    size_t n = clientsOnBand(radioBand(row));
    return intValue(s, n >= static_cast<size_t>(settings_.maxClients) ? 1 : 0);
  }
  return textValue(s, "");
}

// ---- writing ----

int Device::check(const Instance& in, const netsnmp_variable_list& vb, Value* out) const {
  const ObjectDef& def = *in.def;
  if (def.access != device::Access::ReadWrite) return SNMP_ERR_NOTWRITABLE;
  const u_char want = asnType(def.syntax);
  if (vb.type != want) return SNMP_ERR_WRONGTYPE;
  Value v;
  v.type = want;
  if (want == ASN_INTEGER) {
    v.integer = *vb.val.integer;
    if (def.minValue <= def.maxValue && (v.integer < def.minValue || v.integer > def.maxValue))
      return SNMP_ERR_WRONGVALUE;
  } else if (want == ASN_IPADDRESS) {
    if (vb.val_len != 4) return SNMP_ERR_WRONGLENGTH;
    v.bytes.assign(reinterpret_cast<const char*>(vb.val.string), 4);
  } else if (want == ASN_OCTET_STR) {
    v.bytes.assign(reinterpret_cast<const char*>(vb.val.string), vb.val_len);
    const size_t maxLen = def.maxLength ? def.maxLength : 255;
    if (v.bytes.size() > maxLen) return SNMP_ERR_WRONGLENGTH;
    // The configuration document stores text; DisplayString is printable ASCII.
    if (!printable(v.bytes)) return SNMP_ERR_WRONGVALUE;
    if (def.check == device::Check::Ipv4 && !device::parseIpv4(v.bytes)) return SNMP_ERR_WRONGVALUE;
    if (def.check == device::Check::Ipv4OrEmpty && !v.bytes.empty() && !device::parseIpv4(v.bytes))
      return SNMP_ERR_WRONGVALUE;
  } else {
    v.integer = static_cast<long>(*vb.val.integer);
  }
  // One transfer at a time.
  if (std::string_view(def.where) == "transfer.start" && v.integer == 1 && transfer_.busy())
    return SNMP_ERR_INCONSISTENTVALUE;
  if (out) *out = std::move(v);
  return SNMP_ERR_NOERROR;
}

int Device::apply(const std::vector<Assignment>& assignments, std::string* error) {
  const ConfigDoc before = config_;
  const std::string beforeText = before.text();
  bool refreshClients = false, scan = false, transferStart = false;
  long scanBand = scanBand_;
  std::vector<long> commands;
  auto valueText = [](const Value& v) {
    if (v.type == ASN_OCTET_STR) return v.bytes;
    if (v.type == ASN_IPADDRESS && v.bytes.size() == 4) {
      auto b = reinterpret_cast<const unsigned char*>(v.bytes.data());
      return device::ipv4Text(uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3]);
    }
    return std::to_string(v.integer);
  };
  // First every value that lives in the configuration, so that one save
  // covers the whole request.
  for (const Assignment& a : assignments) {
    const ObjectDef& def = *a.instance->def;
    const uint32_t row = a.instance->row;
    const std::string_view w = def.where;
    if (def.store == Store::Xml) {
      config_.set(def.where, valueText(a.value), row);
    } else if (def.store == Store::Derived && w == "gateway") {
      config_.set("wan/rg/inf[id=1]/static/gateway", a.value.bytes);
    } else if (def.store == Store::Derived && w == "band") {
      // Switching a radio's band picks the mixed mode of the other band and
      // leaves a mode that is already of the asked band alone.
      long mode = xmlInt("wlan/inf[id=$]/wlmode", row, row == 2 ? 9 : 6);
      if (a.value.integer == 1 && !is5GHzMode(mode)) config_.set("wlan/inf[id=$]/wlmode", "9", row);
      if (a.value.integer == 0 && is5GHzMode(mode)) config_.set("wlan/inf[id=$]/wlmode", "6", row);
    } else if (w == "client_refresh") {
      refreshClients = refreshClients || a.value.integer == 1;
    } else if (w == "scan") {
      if (a.value.integer != 0) {
        scan = true;
        scanBand = a.value.integer;
      }
    } else if (w == "command") {
      commands.push_back(a.value.integer);
    } else if (w == "transfer.start") {
      transferStart = transferStart || a.value.integer == 1;
    }
  }
  // Everything else at run time is remembered: the transfer parameters
  // among them, which transferStart then uses.
  std::vector<std::pair<std::pair<std::string, uint32_t>, Value>> remembered;
  for (const Assignment& a : assignments) {
    const ObjectDef& def = *a.instance->def;
    const std::string_view w = def.where;
    if (def.store == Store::Runtime && w != "client_refresh" && w != "scan" && w != "command")
      remembered.push_back({{def.where, a.instance->row}, a.value});
  }
  if (config_.text() != beforeText && !saveConfig(error)) {
    config_ = before;
    return SNMP_ERR_COMMITFAILED;
  }
  for (auto& [key, value] : remembered) written_[key] = std::move(value);
  if (refreshClients) rereadClients();
  if (scan) {
    scanBand_ = scanBand;
    rereadNeighbours();
  }
  if (transferStart) startTransfer();
  for (long c : commands) runCommand(c);
  return SNMP_ERR_NOERROR;
}

void Device::runCommand(long command) {
  switch (command) {
    case 0:  // restart
      restart();
      break;
    case 1: {  // factory defaults: the default document for this hardware
      ConfigDoc fresh = ConfigDoc::defaults(config_.rootName(), settings_.bandCount);
      setOwnLanAddress(fresh);
      replaceConfig(fresh, nullptr);
      restart();
      break;
    }
    case 2:  // save and activate: every accepted SET is saved already
      break;
    case 3: {  // discard changes: back to what is on disk
      ConfigDoc saved;
      if (saved.load(configPath(), nullptr)) config_ = saved;
      restart();
      break;
    }
    case 4:  // clear the language pack
      ::unlink(statePath(kLanguagePackFile).c_str());
      break;
  }
}

void Device::rereadClients() {
  if (!rereadScenario_) return;
  if (auto s = rereadScenario_()) {
    clients_ = s->clients;
    instancesDirty_ = true;
  }
}

void Device::rereadNeighbours() {
  if (!rereadScenario_) return;
  if (auto s = rereadScenario_()) {
    neighbours_ = s->neighbours;
    instancesDirty_ = true;
  }
}

bool Device::saveConfig(std::string* error) { return config_.saveAtomic(configPath(), error); }

bool Device::replaceConfig(const ConfigDoc& doc, std::string* error) {
  ConfigDoc before = config_;
  config_ = doc;
  if (!saveConfig(error)) {
    config_ = before;
    return false;
  }
  return true;
}

bool Device::setFirmwareVersion(const std::string& version, std::string* error) {
  if (!writeFileAtomic(stateDir_ + "/firmware", version + "\n", error)) return false;
  firmware_ = version;
  return true;
}

void Device::setOwnLanAddress(ConfigDoc& config) const {
  config.set(kLanAddressPath, addressText_);
  config.set(kLanGatewayPath, addressText_.substr(0, addressText_.rfind('.')) + ".254");
}

void Device::restart() {
  transfer_.cancel("transfer interrupted by a restart");
  restartAt_.reset();
  if (!writtenFirmware_.empty()) {
    std::string error;
    if (setFirmwareVersion(writtenFirmware_, &error)) {
      ::unlink(statePath(kWrittenFirmwareFile).c_str());
      writtenFirmware_.clear();
    }
  }
  restartUntil_ = Clock::now() + std::chrono::seconds(settings_.restartSeconds);
  bootTime_ = restartUntil_;
}

// ---- file transfers ----

void Device::tick(Clock::time_point now) {
  if (auto outcome = transfer_.take()) commitTransfer(std::move(*outcome));
  if (restartAt_ && now >= *restartAt_) restart();
}

std::string Device::writtenText(const char* where) const {
  auto it = written_.find({where, 0});
  if (it == written_.end()) return "";
  return it->second.type == ASN_INTEGER ? std::to_string(it->second.integer) : it->second.bytes;
}

void Device::setTransferResult(long status, std::string message) {
  // transferMessage is a DisplayString.
  for (char& c : message)
    if (c < 0x20 || c > 0x7E) c = '?';
  if (message.size() > 255) message.resize(255);
  transferStatus_ = status;
  transferMessage_ = std::move(message);
}

void Device::startTransfer() {
  const long kind = toLong(writtenText("transfer.kind"), 0);
  if (kind == 12) {
    // Answered at once: the device is gone a moment later.
    setTransferResult(kTransferDone, writtenFirmware_.empty() ? "restarting"
                                                              : "restarting with firmware " + writtenFirmware_);
    restart();
    return;
  }
  TransferJob job;
  job.kind = kind;
  job.stateDir = stateDir_;
  job.model = settings_.model;
  job.rootName = config_.rootName();
  job.bandCount = settings_.bandCount;
  job.flashMs = settings_.flashMs;
  job.target.port = settings_.ftpPort ? settings_.ftpPort : 21;
  job.target.user = writtenText("transfer.user");
  job.target.password = writtenText("transfer.password");
  job.target.fileName = writtenText("transfer.file");
  job.target.sourceAddress = addressText_;
  job.target.silenceSeconds = settings_.ftpTimeoutSeconds;
  const std::string server = writtenText("transfer.server");
  const bool known = (kind >= 1 && kind <= 8) || kind == 10 || kind == 11;
  if (!known) return setTransferResult(kTransferFailed, "unsupported transfer kind " + std::to_string(kind));
  if (kind != 11) {
    // Everything but kind 11 goes to the server.
    auto address = device::parseIpv4(server);
    if (!address) return setTransferResult(kTransferFailed, "not an FTP server address: " + server);
    job.target.server = device::ipv4Text(*address);
    if (std::string why = ftp::fileNameProblem(job.target.fileName); !why.empty())
      return setTransferResult(kTransferFailed, why);
  }
  std::string error;
  if (kind == 5) {
    auto bytes = dcfBytes(config_, &error);
    if (!bytes) return setTransferResult(kTransferFailed, error);
    job.upload = std::move(*bytes);
  } else if (kind == 7) {
    std::vector<uint64_t> macs;
    for (const std::string& text : config_.childTexts(kAclPath, "mac"))
      if (auto mac = parseMac(text)) macs.push_back(*mac);
    job.upload = aclFileText(macs);
  }
  setTransferResult(kTransferRunning, "running");
  transfer_.start(std::move(job), wake_);
}

void Device::commitTransfer(TransferOutcome o) {
  auto fail = [&](std::string message) {
    o.status = kTransferFailed;
    o.message = std::move(message);
  };
  if (o.status == kTransferDone && !o.moveTo.empty()) {
    std::string error;
    const std::string folder = o.moveTo.substr(0, o.moveTo.find_last_of('/'));
    if (!makeDirs(folder, &error) || ::rename(o.download.c_str(), o.moveTo.c_str()) != 0)
      fail("cannot store the file on the device");
    else
      o.download.clear();
  }
  if (o.status == kTransferDone && o.config) {
    if (!replaceConfig(*o.config, nullptr)) fail("cannot save the configuration");
  }
  if (o.status == kTransferDone && o.acl) {
    ConfigDoc changed = config_;
    changed.removeChildren(kAclPath, "mac");
    for (size_t i = 0; i < o.acl->size(); ++i)
      changed.set(std::string(kAclPath) + "/mac[id=" + std::to_string(i + 1) + "]", macColonText((*o.acl)[i]));
    if (!replaceConfig(changed, nullptr)) fail("cannot save the configuration");
  }
  if (o.status == kTransferDone && o.writtenVersion) {
    if (writeFileAtomic(statePath(kWrittenFirmwareFile), *o.writtenVersion + "\n", nullptr))
      writtenFirmware_ = *o.writtenVersion;
    else
      fail("cannot write the image");
  }
  if (!o.download.empty()) ::unlink(o.download.c_str());
  if (o.status == kTransferDone && o.restart) restartAt_ = Clock::now() + kRestartAfterTransfer;
  setTransferResult(o.status, std::move(o.message));
}

}  // namespace kav::sim
