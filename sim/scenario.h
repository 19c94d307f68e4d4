// The scenario file: what the simulated devices are (hardware facts,
// counters, clients, neighbours), how their network behaves, and the initial
// settings of a device whose configuration is created.
//
// Format (UTF-8 text, one setting per line):
//
//   # comment (also ';'); blank lines are ignored
//   [*]                          section for every device (also the lines before any section)
//   [127.0.1.2]                  section for one device, or a list/range as in --devices:
//   [127.0.1.3-127.0.1.9,127.0.1.20]
//   key = value                  blanks around key and value are trimmed
//
// A device takes the defaults, then every [*] section, then every section that
// names it, in file order; a later value replaces an earlier one.
//
// Keys (defaults in brackets):
//   model             model name reported by the device                 [KAV-7420]
//   fw_version        firmware version                                  [1.00.018]
//   band_count        1 or 2 radios                                     [1]
//   eth_mac           Ethernet MAC, 12 hex digits, ':' or '-' allowed   [02:4B:b:c:d:00 from address a.b.c.d]
//   wlan_mac          MAC of radio 1's primary SSID; radio 2 is +0x10,  [eth_mac + 0x10]
//                     additional SSID n adds n
//   cpu, mem          utilization in percent, 0..100                    [3, 27]
//   wlan_tx_packets   wireless packet counters                          [derived from the address]
//   wlan_rx_packets
//   max_clients       clients a radio accepts before it reports full    [64]
//   root              root element name of a new configuration          [KAV-7420]
//   read_community    communities of a new configuration                [public]
//   write_community                                                     [private]
//   delay_ms          delay before every answer, milliseconds           [0]
//   drop_percent      share of requests ignored at random, 0..100       [0]
//   silent            1: the device answers nothing                     [0]
//   restart_seconds   how long a restart keeps the device silent        [2]
//   max_message_size  largest answer the device sends, bytes            [4096]
//   ftp_port          port of the FTP servers the device is sent to     [--ftp-port, 21]
//   ftp_timeout_seconds  silence of an FTP server that ends a transfer  [10]
//   flash_ms          how long writing a firmware image takes           [300]
//   xml.PATH = VALUE  initial value of a new configuration, PATH as in the device
//                     model ("xml.wlan/inf[id=1]/ssid = Office"); several lines allowed
//   client = MAC BAND AUTH RSSI PSM SSID_INDEX
//                     one associated client (repeatable): BAND 0 2.4 GHz / 1 5 GHz,
//                     AUTH 1..11, PSM 0/1, SSID_INDEX the rest of the line
//   neighbour = BAND|CHANNEL|BSSID|BAND_TEXT|SSID|LAST_SEEN|CLASS|STATUS
//                     one detected access point (repeatable), fields separated by '|'
//   client = none / neighbour = none   an empty table
//
// The client and neighbour lines of the last section that has any replace the
// ones of earlier sections.  Runtime values and network knobs follow the file
// whenever it is read again (SIGHUP); root, communities and xml.* only matter
// when a device's configuration is created; the tables are read again when the
// device is asked to refresh its client table or to scan.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kav::sim {

struct ClientEntry {
  uint64_t mac = 0;  // 48 bits
  int32_t band = 0;
  int32_t auth = 1;
  int32_t rssi = 0;
  int32_t psm = 0;
  std::string ssidIndex;
};

struct NeighbourEntry {
  int32_t band = 1;
  std::string channel, bssid, bandText, ssid, lastSeen, cls, status;
};

// Everything the scenario says about one device, defaults filled in.
struct DeviceSettings {
  std::string model = "KAV-7420";
  std::string fwVersion = "1.00.018";
  int32_t bandCount = 1;
  uint64_t ethMac = 0;
  uint64_t wlanMac = 0;
  uint32_t cpu = 3;
  uint32_t mem = 27;
  uint32_t txPackets = 0;
  uint32_t rxPackets = 0;
  int32_t maxClients = 64;
  std::string root = "KAV-7420";
  std::string readCommunity = "public";
  std::string writeCommunity = "private";
  uint32_t delayMs = 0;
  uint32_t dropPercent = 0;
  bool silent = false;
  uint32_t restartSeconds = 2;
  uint32_t maxMessageSize = 4096;
  uint16_t ftpPort = 0;  // 0: the simulator's --ftp-port
  uint32_t ftpTimeoutSeconds = 10;
  uint32_t flashMs = 300;
  std::vector<std::pair<std::string, std::string>> xml;  // path, value
  std::vector<ClientEntry> clients;
  std::vector<NeighbourEntry> neighbours;
};

class Scenario {
 public:
  // Parses a whole file; on failure *error says "line N: what".
  static std::optional<Scenario> parse(std::string_view text, std::string* error);
  static std::optional<Scenario> load(const std::string& path, std::string* error);

  // The settings of the device at this address (host byte order).
  DeviceSettings forDevice(uint32_t address) const;

 private:
  struct Line {
    std::string key, value;
  };
  struct Section {
    bool all = true;
    std::vector<uint32_t> addresses;
    std::vector<Line> lines;
  };
  std::vector<Section> sections_;
};

// Formats a 48-bit MAC address as twelve upper-case hexadecimal digits.
std::string macText(uint64_t mac);
std::optional<uint64_t> parseMac(std::string_view text);

}  // namespace kav::sim
