#include "model.h"

#include <charconv>

namespace kav::device {
namespace {

using enum Syntax;
using enum Access;
using enum Store;
constexpr Feature DI = Feature::DeviceInfo;
constexpr Feature WL = Feature::Wireless;
constexpr Feature ST = Feature::Statistics;
constexpr Feature SC = Feature::SysCommand;
constexpr Feature MO = Feature::Monitor;
constexpr Feature CL = Feature::Clients;
using namespace group;

// The tree below the enterprise node (1.3.6.1.4.1.32473.10.37.38):
//   1            kavSystem: identity and state of the device
//   2.1.2        kavLan: wired IP settings
//   2.1.3.3.1.1  dot11RadioTable: one row per radio
//   2.1.3.3.4    dot11Clients: refresh object and client table
//   2.1.3.3.5    dot11Neighbours: detected access points and the scan trigger
//   2.1.4.1      kavTraffic: the traffic digest
//   2.1.5        kavCommand: one-shot commands
//   2.1.5.2      kavTransfer: files the device fetches from or stores on a server
const NodeDef kNodes[] = {
    {"kavSystem", "1"},
    {"kavMgmt", "2"},
    {"kavMgmtObjects", "2.1"},
    {"kavLan", "2.1.2"},
    {"kavWireless", "2.1.3"},
    {"kavDot11", "2.1.3.3"},
    {"dot11Radio", "2.1.3.3.1"},
    {"dot11Clients", "2.1.3.3.4"},
    {"dot11Neighbours", "2.1.3.3.5"},
    {"kavStatistics", "2.1.4"},
    {"kavTraffic", "2.1.4.1"},
    {"kavCommand", "2.1.5"},
    {"kavTransfer", "2.1.5.2"},
};

const TableDef kTables[] = {
    {"dot11RadioTable", "dot11RadioEntry", "dot11RadioIndex", "2.1.3.3.1.1", 2,
     "The radios of the device: one row on a single-band device, two on a dual-band "
     "device (row 1 the 2.4 GHz radio, row 2 the 5 GHz radio)."},
    {"dot11ClientRefreshTable", "dot11ClientRefreshEntry", "dot11ClientRefreshIndex", "2.1.3.3.4.1", 1,
     "Asks the device to rebuild its client table; one row."},
    {"dot11ClientTable", "dot11ClientEntry", "dot11ClientIndex", "2.1.3.3.4.2", 0,
     "Wireless clients associated with the device, as of the last refresh."},
    {"dot11NeighbourTable", "dot11NeighbourEntry", "dot11NeighbourIndex", "2.1.3.3.5.1", 0,
     "Access points the device detected in its last scan."},
};

const ObjectDef kObjects[] = {
    // ---- identity and state (device information, full layout) ----
    {.name = "devModelName", .uses = {{DI, kIdentity}}, .oid = "1.1", .syntax = DisplayString,
     .where = "model", .description = "Model name of the device."},
    {.name = "devFirmwareVersion", .uses = {{DI, kIdentity}, {SC, kFirmware}}, .oid = "1.2",
     .syntax = DisplayString, .where = "fw_version", .description = "Version of the running firmware."},
    {.name = "devBandCount", .uses = {{DI, kIdentity}}, .oid = "1.3", .where = "band_count",
     .description = "Number of radio bands: 1 or 2."},
    {.name = "devEthernetMac", .uses = {{DI, kIdentity}}, .oid = "1.4", .syntax = DisplayString,
     .where = "eth_mac", .description = "Ethernet MAC address, twelve hexadecimal digits."},
    {.name = "devCpuUtilization", .uses = {{DI, kIdentity}}, .oid = "1.5", .syntax = Gauge32,
     .where = "cpu", .description = "CPU utilization in percent."},
    {.name = "devMemUtilization", .uses = {{DI, kIdentity}}, .oid = "1.6", .syntax = Gauge32,
     .where = "mem", .description = "Memory utilization in percent."},
    {.name = "devSystemTime", .uses = {{DI, kIdentity}}, .oid = "1.7", .syntax = DisplayString,
     .store = Derived, .where = "system_time", .description = "The device's clock as text."},
    {.name = "devUpTime", .uses = {{DI, kIdentity}}, .oid = "1.8", .syntax = DisplayString,
     .store = Derived, .where = "uptime", .description = "Time since the device started, as text."},
    {.name = "devSystemName", .uses = {{DI, kIdentity}, {WL, kBasicDigest}}, .oid = "1.9", .syntax = DisplayString,
     .access = ReadWrite, .store = Xml, .where = "sys/name", .maxLength = 64,
     .description = "Administrative name of the device."},
    {.name = "devLocation", .uses = {{DI, kIdentity}}, .oid = "1.10", .syntax = DisplayString,
     .access = ReadWrite, .store = Xml, .where = "sys/location", .maxLength = 64,
     .description = "Where the device stands."},
    {.name = "devCurrentBand", .uses = {{DI, kIdentity}}, .oid = "1.11", .syntax = DisplayString,
     .store = Derived, .where = "current_band",
     .description = "Band of a single-band device: band2dot4gHz or band5gHz."},
    {.name = "devApArrayName", .uses = {{DI, kIdentity}}, .oid = "1.12", .syntax = DisplayString,
     .store = Xml, .where = "aparray/name", .description = "Name of the AP array the device belongs to."},
    {.name = "devApArrayRole", .uses = {{DI, kIdentity}}, .oid = "1.13", .syntax = DisplayString,
     .store = Xml, .where = "aparray/role", .description = "Role of the device in its AP array."},
    {.name = "devApArrayLocation", .uses = {{DI, kIdentity}}, .oid = "1.14", .syntax = DisplayString,
     .store = Xml, .where = "aparray/location", .description = "Location given to the device in its AP array."},

    // ---- wired IP settings (device information, LAN layout) ----
    {.name = "lanAddressMode", .uses = {{DI, kLan}}, .oid = "2.1.2.1", .access = ReadWrite,
     .store = Xml, .where = "wan/rg/inf[id=1]/mode", .minValue = 1, .maxValue = 2,
     .description = "How the device gets its address: 1 static, 2 DHCP client."},
    {.name = "lanIpAddress", .uses = {{DI, kLan | kIdentity}, {ST, kTrafficDigest}}, .oid = "2.1.2.2", .syntax = DisplayString,
     .access = ReadWrite, .store = Xml, .where = "wan/rg/inf[id=1]/static/ipaddr", .maxLength = 15,
     .check = Check::Ipv4, .description = "IP address, dotted."},
    {.name = "lanSubnetMask", .uses = {{DI, kLan | kIdentity}}, .oid = "2.1.2.3", .syntax = DisplayString,
     .access = ReadWrite, .store = Xml, .where = "wan/rg/inf[id=1]/static/netmask", .maxLength = 15,
     .check = Check::Ipv4, .description = "Subnet mask, dotted."},
    {.name = "lanGateway", .uses = {{DI, kLan | kIdentity}}, .oid = "2.1.2.4", .syntax = DisplayString,
     .access = ReadWrite, .store = Derived, .where = "gateway", .maxLength = 15,
     .check = Check::Ipv4OrEmpty,
     .description = "Default gateway, dotted; N/A when there is none. Setting an empty text removes it."},

    // ---- radios ----
    {.name = "dot11Ssid", .uses = {{DI, kRadios}, {WL, kBasicDigest}}, .oid = "2.1.3.3.1.1.1.2",
     .table = "dot11RadioTable", .syntax = DisplayString, .access = ReadWrite, .store = Xml,
     .where = "wlan/inf[id=$]/ssid", .maxLength = 32, .description = "Network name of the primary SSID."},
    {.name = "dot11ChannelText", .uses = {{DI, kRadios}, {WL, kBasicDigest}}, .oid = "2.1.3.3.1.1.1.3",
     .table = "dot11RadioTable", .syntax = DisplayString, .store = Derived, .where = "channel_text",
     .description = "Channel the radio works on, as text."},
    {.name = "dot11DataRateText", .uses = {{DI, kRadios}}, .oid = "2.1.3.3.1.1.1.4",
     .table = "dot11RadioTable", .syntax = DisplayString, .store = Derived, .where = "rate_text",
     .description = "Data rate of the radio, as text."},
    {.name = "dot11OpModeText", .uses = {{DI, kRadios}}, .oid = "2.1.3.3.1.1.1.5",
     .table = "dot11RadioTable", .syntax = DisplayString, .store = Derived, .where = "opmode_text",
     .description = "Operation mode of the radio, as text."},
    {.name = "dot11RadioState", .uses = {{DI, kRadios}}, .oid = "2.1.3.3.1.1.1.6",
     .table = "dot11RadioTable", .syntax = DisplayString, .store = Derived, .where = "radio_state",
     .description = "on or off."},
    {.name = "dot11SecurityText", .uses = {{DI, kRadios}}, .oid = "2.1.3.3.1.1.1.7",
     .table = "dot11RadioTable", .syntax = DisplayString, .store = Derived, .where = "security_text",
     .description = "Security of the primary SSID, as text."},
    {.name = "dot11BandState", .uses = {{DI, kRadios}}, .oid = "2.1.3.3.1.1.1.8",
     .table = "dot11RadioTable", .syntax = DisplayString, .store = Derived, .where = "band_state",
     .description = "enabled or disabled."},
    {.name = "dot11MacPrimary", .uses = {{DI, kRadios}, {ST, kTrafficDigest}}, .oid = "2.1.3.3.1.1.1.9",
     .table = "dot11RadioTable", .syntax = DisplayString, .store = Derived, .where = "mac_primary",
     .description = "MAC address of the primary SSID."},
    {.name = "dot11MacFirstSsid", .uses = {{DI, kRadios}}, .oid = "2.1.3.3.1.1.1.10",
     .table = "dot11RadioTable", .syntax = DisplayString, .store = Derived, .where = "mac_ssid_first",
     .description = "MAC address of the first additional SSID."},
    {.name = "dot11MacLastSsid", .uses = {{DI, kRadios}}, .oid = "2.1.3.3.1.1.1.11",
     .table = "dot11RadioTable", .syntax = DisplayString, .store = Derived, .where = "mac_ssid_last",
     .description = "MAC address of the last additional SSID."},
    {.name = "dot11MacSsid1", .uses = {{DI, kRadios}}, .oid = "2.1.3.3.1.1.1.12",
     .table = "dot11RadioTable", .syntax = DisplayString, .store = Derived, .where = "mac_ssid1",
     .description = "MAC address of additional SSID 1; zeros while it is off."},
    {.name = "dot11MacSsid2", .uses = {{DI, kRadios}}, .oid = "2.1.3.3.1.1.1.13",
     .table = "dot11RadioTable", .syntax = DisplayString, .store = Derived, .where = "mac_ssid2",
     .description = "MAC address of additional SSID 2; zeros while it is off."},
    {.name = "dot11MacSsid3", .uses = {{DI, kRadios}}, .oid = "2.1.3.3.1.1.1.14",
     .table = "dot11RadioTable", .syntax = DisplayString, .store = Derived, .where = "mac_ssid3",
     .description = "MAC address of additional SSID 3; zeros while it is off."},
    {.name = "dot11SecuritySummary", .uses = {{WL, kBasicDigest}}, .oid = "2.1.3.3.1.1.1.15",
     .table = "dot11RadioTable", .store = Derived, .where = "security_summary",
     .description = "Security of the primary SSID: 0 none, 1 open, 2 shared key, 3 both, 4 WPA-Personal, "
                    "5 WPA-Enterprise, 6 WPA2-Personal, 7 WPA2-Enterprise, 8 WPA2-Auto-Personal, "
                    "9 WPA2-Auto-Enterprise, 10 802.1x, 11 WEP."},
    {.name = "dot11OpModeCode", .uses = {{WL, kBasicDigest}}, .oid = "2.1.3.3.1.1.1.16",
     .table = "dot11RadioTable", .store = Derived, .where = "opmode_code",
     .description = "Operation mode: 1 access point, 2 WDS with AP, 3 WDS, 4 wireless client, 5 repeater."},
    {.name = "dot11AssociationFull", .uses = {{WL, kBasicDigest}}, .oid = "2.1.3.3.1.1.1.17",
     .table = "dot11RadioTable", .store = Derived, .where = "association_full",
     .description = "1 when the radio has as many clients as it accepts, else 0."},
    {.name = "dot11Band", .uses = {{DI, kRadios | kIdentity}, {WL, kBasicDigest}, {ST, kTrafficDigest}},
     .oid = "2.1.3.3.1.1.1.34", .table = "dot11RadioTable", .access = ReadWrite, .store = Derived,
     .where = "band", .minValue = 0, .maxValue = 1, .description = "Band of the radio: 0 2.4GHz, 1 5GHz."},

    // ---- clients ----
    {.name = "dot11ClientInformationRefresh", .uses = {{CL, kClientTable}}, .oid = "2.1.3.3.4.1.1.1",
     .table = "dot11ClientRefreshTable", .access = ReadWrite, .where = "client_refresh", .minValue = 0,
     .maxValue = 1, .description = "Writing 1 (get) rebuilds the client table; reads 0 (nothing)."},
    {.name = "dot11ClientMacAddress", .uses = {{CL, kClientTable}}, .oid = "2.1.3.3.4.2.1.2",
     .table = "dot11ClientTable", .syntax = OctetString, .where = "clients.mac",
     .description = "MAC address of the client, six bytes.", .mibSyntax = "MacAddress"},
    {.name = "dot11ClientBand", .uses = {{CL, kClientTable}}, .oid = "2.1.3.3.4.2.1.3",
     .table = "dot11ClientTable", .where = "clients.band", .description = "Band of the client: 0 2.4GHz, 1 5GHz."},
    {.name = "dot11ClientAuthentication", .uses = {{CL, kClientTable}}, .oid = "2.1.3.3.4.2.1.4",
     .table = "dot11ClientTable", .where = "clients.auth",
     .description = "Authentication of the client: 1 open to 11 WEP."},
    {.name = "dot11ClientRssi", .uses = {{CL, kClientTable}}, .oid = "2.1.3.3.4.2.1.5",
     .table = "dot11ClientTable", .where = "clients.rssi", .description = "Received signal strength."},
    {.name = "dot11ClientPsm", .uses = {{CL, kClientTable}}, .oid = "2.1.3.3.4.2.1.6",
     .table = "dot11ClientTable", .where = "clients.psm", .description = "Power-save mode: 0 off, 1 on."},
    {.name = "dot11SSIDIndex", .uses = {{CL, kClientTable}}, .oid = "2.1.3.3.4.2.1.7",
     .table = "dot11ClientTable", .syntax = DisplayString, .where = "clients.ssid_index",
     .description = "SSID the client is associated with."},

    // ---- detected access points ----
    {.name = "dot11NeighbourBand", .uses = {{MO, kNeighbours}}, .oid = "2.1.3.3.5.1.1.2",
     .table = "dot11NeighbourTable", .where = "neighbours.band", .description = "Band: 1 2.4GHz, 2 5GHz."},
    {.name = "dot11NeighbourChannel", .uses = {{MO, kNeighbours}}, .oid = "2.1.3.3.5.1.1.3",
     .table = "dot11NeighbourTable", .syntax = DisplayString, .where = "neighbours.channel",
     .description = "Channel, as text."},
    {.name = "dot11NeighbourBssid", .uses = {{MO, kNeighbours}}, .oid = "2.1.3.3.5.1.1.4",
     .table = "dot11NeighbourTable", .syntax = DisplayString, .where = "neighbours.bssid",
     .description = "BSSID, as text."},
    {.name = "dot11NeighbourBandText", .uses = {{MO, kNeighbours}}, .oid = "2.1.3.3.5.1.1.5",
     .table = "dot11NeighbourTable", .syntax = DisplayString, .where = "neighbours.band_text",
     .description = "Band, as text."},
    {.name = "dot11NeighbourSsid", .uses = {{MO, kNeighbours}}, .oid = "2.1.3.3.5.1.1.6",
     .table = "dot11NeighbourTable", .syntax = DisplayString, .where = "neighbours.ssid",
     .description = "Network name."},
    {.name = "dot11NeighbourLastSeen", .uses = {{MO, kNeighbours}}, .oid = "2.1.3.3.5.1.1.7",
     .table = "dot11NeighbourTable", .syntax = DisplayString, .where = "neighbours.last_seen",
     .description = "When the access point was last seen."},
    {.name = "dot11NeighbourClass", .uses = {{MO, kNeighbours}}, .oid = "2.1.3.3.5.1.1.8",
     .table = "dot11NeighbourTable", .syntax = DisplayString, .where = "neighbours.class",
     .description = "Valid, Neighborhood, Rogue or New."},
    {.name = "dot11NeighbourStatus", .uses = {{MO, kNeighbours}}, .oid = "2.1.3.3.5.1.1.9",
     .table = "dot11NeighbourTable", .syntax = DisplayString, .where = "neighbours.status",
     .description = "Status text."},
    {.name = "dot11NeighbourScan", .uses = {}, .oid = "2.1.3.3.5.2", .access = ReadWrite,
     .where = "scan", .minValue = 0, .maxValue = 2,
     .description = "Writing a band (1 or 2) scans again; reads the band of the last scan."},

    // ---- traffic digest ----
    {.name = "trafficAssociatedClients", .uses = {{ST, kTrafficDigest}}, .oid = "2.1.4.1.1",
     .store = Derived, .where = "client_count", .description = "Number of associated clients."},
    {.name = "trafficTxPackets", .uses = {{ST, kTrafficDigest}}, .oid = "2.1.4.1.2", .syntax = Counter32,
     .where = "wlan_tx_packets", .description = "Packets sent on the wireless side."},
    {.name = "trafficRxPackets", .uses = {{ST, kTrafficDigest}}, .oid = "2.1.4.1.3", .syntax = Counter32,
     .where = "wlan_rx_packets", .description = "Packets received on the wireless side."},

    // ---- commands ----
    {.name = "sysCommand", .uses = {{SC, kCommand}}, .oid = "2.1.5.1", .access = ReadWrite,
     .where = "command", .minValue = 0, .maxValue = 4,
     .description = "Writing runs a command: 0 restart, 1 factory defaults, 2 save and activate, "
                    "3 discard changes, 4 clear the language pack. Reads 0."},

    // ---- file transfers: set the five values and transferStart together ----
    {.name = "transferKind", .uses = {}, .oid = "2.1.5.2.1", .access = ReadWrite, .where = "transfer.kind",
     .minValue = 1, .maxValue = 12,
     .description = "What to transfer: 1 fetch and install a firmware image, 2 fetch an SSL certificate, "
                    "3 fetch an SSL key, 4 fetch a configuration file and take it, 5 store the configuration "
                    "file, 6 fetch an ACL file, 7 store the ACL file, 8 fetch a language pack, 10 fetch a "
                    "firmware image into the staging area, 11 check and write the staged image, 12 restart "
                    "with the written image."},
    {.name = "transferServer", .uses = {}, .oid = "2.1.5.2.2", .syntax = DisplayString, .access = ReadWrite,
     .where = "transfer.server", .maxLength = 255, .description = "Address of the FTP server."},
    {.name = "transferUser", .uses = {}, .oid = "2.1.5.2.3", .syntax = DisplayString, .access = ReadWrite,
     .where = "transfer.user", .maxLength = 255, .description = "FTP account name."},
    {.name = "transferPassword", .uses = {}, .oid = "2.1.5.2.4", .syntax = DisplayString, .access = ReadWrite,
     .where = "transfer.password", .maxLength = 255,
     .description = "FTP account password; reads as an empty text."},
    {.name = "transferFileName", .uses = {}, .oid = "2.1.5.2.5", .syntax = DisplayString, .access = ReadWrite,
     .where = "transfer.file", .maxLength = 255, .description = "File name on the server."},
    {.name = "transferStart", .uses = {}, .oid = "2.1.5.2.6", .access = ReadWrite, .where = "transfer.start",
     .minValue = 0, .maxValue = 1, .description = "Writing 1 starts the transfer the other values describe. Reads 0."},
    {.name = "transferStatus", .uses = {{SC, kTransfer}}, .oid = "2.1.5.2.7", .where = "transfer.status",
     .description = "0 idle, 1 running, 2 done, 3 failed, 500 not a firmware image for this device."},
    {.name = "transferMessage", .uses = {{SC, kTransfer}}, .oid = "2.1.5.2.8", .syntax = DisplayString,
     .where = "transfer.message", .description = "What the device says about its last transfer."},
};

}  // namespace

std::span<const ObjectDef> objects() { return kObjects; }
std::span<const TableDef> tables() { return kTables; }
std::span<const NodeDef> nodes() { return kNodes; }

const ObjectDef* findByName(std::string_view name) {
  for (const auto& o : kObjects)
    if (name == o.name) return &o;
  return nullptr;
}

const TableDef* findTable(std::string_view name) {
  for (const auto& t : kTables)
    if (name == t.name) return &t;
  return nullptr;
}

std::vector<uint32_t> parseOid(std::string_view dotted) {
  std::vector<uint32_t> out;
  while (!dotted.empty()) {
    if (dotted.front() == '.') {
      dotted.remove_prefix(1);
      continue;
    }
    uint32_t v = 0;
    auto [p, ec] = std::from_chars(dotted.data(), dotted.data() + dotted.size(), v);
    if (ec != std::errc()) return {};
    out.push_back(v);
    dotted.remove_prefix(static_cast<size_t>(p - dotted.data()));
  }
  return out;
}

std::string oidText(std::span<const uint32_t> oid) {
  std::string s;
  for (uint32_t v : oid) {
    if (!s.empty()) s += '.';
    s += std::to_string(v);
  }
  return s;
}

std::vector<uint32_t> oidOf(const ObjectDef& def) {
  auto base = parseOid(kEnterpriseOid);
  auto tail = parseOid(def.oid);
  base.insert(base.end(), tail.begin(), tail.end());
  return base;
}

std::vector<uint32_t> instanceOid(const ObjectDef& def, uint32_t row) {
  auto oid = oidOf(def);
  oid.push_back(def.table ? row : 0);
  return oid;
}

bool usedBy(const ObjectDef& def, Feature feature, uint32_t mask) {
  for (const Use& u : def.uses)
    if (u.group != 0 && u.feature == feature && (u.group & mask) != 0) return true;
  return false;
}

std::vector<const ObjectDef*> objectsOf(Feature feature, uint32_t mask) {
  std::vector<const ObjectDef*> out;
  for (const auto& o : kObjects)
    if (usedBy(o, feature, mask)) out.push_back(&o);
  return out;
}

}  // namespace kav::device
