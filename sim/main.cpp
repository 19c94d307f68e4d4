// kav7420-sim: a fleet of simulated KAV-7420 access points in one process.
#include <cstdio>
#include <cstring>
#include <string>

#include "device/addresses.h"
#include "sim/dcf.h"
#include "sim/files.h"
#include "sim/server.h"
#include "sim/xmlconfig.h"

namespace {

const char kHelp[] = R"(Usage:
  kav7420-sim --devices LIST --port PORT --state DIR [--scenario FILE]
              [--ftp-port N] [--verbose]
  kav7420-sim --state DIR --export-dcf ADDRESS FILE
  kav7420-sim --help

Simulates KAV-7420 wireless access points: one SNMP agent (SNMPv1 and SNMPv2c)
per loopback address, all on one UDP port, each with its own configuration.

Options:
  --devices LIST     addresses to serve: a comma list of addresses and ranges,
                     e.g. 127.0.1.1-127.0.1.50 or 127.0.1.1-50,127.0.2.7
  --port PORT        UDP port every device listens on (default 16100)
  --state DIR        state folder: DIR/<address>/config.xml holds a device's
                     configuration (created from the built-in default, the
                     device's own address as its LAN address and the
                     scenario when missing, rewritten after every SET that
                     changes it), DIR/<address>/firmware a firmware version
                     installed at run time, DIR/stats.txt the request counts;
                     file transfers (below) add more files there
  --scenario FILE    runtime values, tables and network behaviour (below)
  --ftp-port N       port of the FTP servers a device is sent to (default 21;
                     the scenario key ftp_port sets it per device): a device
                     is told only an address
  --export-dcf ADDRESS FILE
                     writes the configuration of the device ADDRESS from the
                     state folder as a device configuration file (root element
                     name, the byte 0x30, a gzip stream of the XML) and exits
  --verbose          net-snmp's own messages on stderr
  --help             this text

Running:
  "ready" is printed on stdout once every socket is bound.
  SIGHUP    reads the scenario again (runtime values and knobs; the stored
            configurations stay); prints "reloaded" or "reload failed: why"
  SIGUSR1   writes DIR/stats.txt, one line per device: ADDRESS RECEIVED ANSWERED
            (malformed datagrams count as received); prints "stats"
  SIGTERM, SIGINT  write DIR/stats.txt and exit

Behaviour of a device:
  - answers GET, GETNEXT, SET (v1, v2c) and GETBULK (v2c; a v1 GETBULK is
    dropped) with the read or the write community of its configuration
    (<snmp><rocommunity>/<rwcommunity>); any other community: no answer
  - SET needs the write community and is all or nothing
  - answers larger than max_message_size get tooBig; GETBULK answers are cut
    to the repetitions that fit
  - sysCommand: 0 restart (silent for restart_seconds), 1 factory defaults and
    restart, 2 save and activate, 3 discard changes and restart, 4 accepted
  - dot11ClientInformationRefresh = 1 reads the client lines of the scenario
    again; dot11NeighbourScan = band reads the neighbour lines again

File transfers (kavTransfer):
  A manager sets transferKind, transferServer (an IPv4 address),
  transferUser, transferPassword, transferFileName and transferStart = 1 in
  one SET.  The device then fetches or stores the file itself over FTP
  (ftp://SERVER:FTP-PORT/FILENAME, connecting from its own address) on a
  thread of its own, while it keeps answering.  transferStatus reads 1 while
  it runs, then 2 done, 3 failed, or 500 not a firmware image for this device;
  transferMessage says what happened ("cannot connect to FTP server
  1.2.3.4:21", "FTP login refused", "file not found on server: x.bin",
  "image is for model X", "image checksum mismatch", ...).  A start while a
  transfer runs is refused (inconsistentValue; badValue in SNMPv1).
  transferPassword reads as an empty text.  A failed transfer changes
  nothing.  5 s to connect; an FTP server silent for ftp_timeout_seconds ends
  the transfer; none takes longer than 10 minutes.
    1  fetch a firmware image, check and write it (10 and 11 in one); the
       device reports done and restarts a second later
    2  fetch an SSL certificate (PEM) into DIR/<address>/ssl/cert.pem
    3  fetch an SSL private key (PEM) into DIR/<address>/ssl/key.pem
    4  fetch a configuration file (.dcf, as --export-dcf writes it) and take
       it: its root element must be the device's own; restarts as kind 1
    5  store the configuration file (.dcf)
    6  fetch an ACL file (MAC addresses, one a line, at most 256) and take it
       as <wlan><inf id=1><acl><mac id=N>
    7  store that list as an ACL file ("00:11:22:33:44:55" lines)
    8  fetch a language pack into DIR/<address>/langpack.bin (sysCommand 4
       removes it)
   10  fetch a firmware image into DIR/<address>/staging.img (at most 64 MiB;
       a failure keeps the previous one)
   11  check the staged image and write it (takes flash_ms); its version
       runs from the next restart; no staged image: status 3
   12  restart (with the written image): status 2 at once, then silent for
       restart_seconds
  Any other kind: status 3 "unsupported transfer kind N".
  A written image also runs after any other restart, and when the simulator
  starts again (DIR/<address>/written-firmware).  kav7420-fwimage makes
  images.

Firmware image format (little-endian), a 64-byte header, then the payload:
  offset  0  10 bytes  "KAV7420FW" and a NUL
         10   2 bytes  header format, 1
         12  16 bytes  model name, NUL-padded (must be the device's model)
         28  16 bytes  version text, NUL-padded, 1..15 printable characters
         44   4 bytes  payload length
         48   4 bytes  CRC-32 of the payload (zlib's crc32)
         52   8 bytes  zero
         60   4 bytes  CRC-32 of header bytes 0..59
  A whole image is at most 64 MiB.  Wrong magic, header, model, length or
  checksum: status 500 with the reason.

Scenario file:
  # comment (also ';'); blank lines are ignored
  [*]                   section for every device (also lines before any section)
  [127.0.1.2]           section for the devices of a list/range as in --devices
  key = value

  A device takes the defaults, then every [*] section, then every section that
  names it, in file order; later values replace earlier ones.

  model             model name                                  [KAV-7420]
  fw_version        firmware version                            [1.00.018]
  band_count        1 or 2 radios                               [1]
  eth_mac           Ethernet MAC, 12 hex digits (':' '-' ok)    [02:4B:b:c:d:00 for a.b.c.d]
  wlan_mac          MAC of radio 1's primary SSID; radio 2 is
                    +0x10; additional SSID n adds n             [eth_mac + 0x10]
  cpu, mem          utilization in percent                      [3, 27]
  wlan_tx_packets   wireless packet counters                    [from the address]
  wlan_rx_packets
  max_clients       clients per radio before it reports full    [64]
  root              root element of a new configuration         [KAV-7420]
  read_community    communities of a new configuration          [public]
  write_community                                               [private]
  delay_ms          delay before every answer                   [0]
  drop_percent      requests ignored at random, 0..100          [0]
  silent            1: no answers at all                        [0]
  restart_seconds   silence after a restart command             [2]
  max_message_size  largest answer in bytes, 64..65507          [4096]
  ftp_port          FTP port of the servers it is sent to       [--ftp-port]
  ftp_timeout_seconds  silence that ends a transfer, 1..600     [10]
  flash_ms          time to write a firmware image              [300]
  xml.PATH = VALUE  initial value of a new configuration, e.g.
                    xml.wlan/inf[id=1]/ssid = Office
  client = MAC BAND AUTH RSSI PSM SSID_INDEX
                    an associated client (repeatable); BAND 0 2.4 GHz, 1 5 GHz;
                    AUTH 1..11; PSM 0/1; SSID_INDEX is the rest of the line
  neighbour = BAND|CHANNEL|BSSID|BAND_TEXT|SSID|LAST_SEEN|CLASS|STATUS
                    a detected access point (repeatable)
  client = none, neighbour = none   an empty table

  The client and neighbour lines of the last section that has any replace
  those of earlier sections.  root, the communities and xml.* only matter when
  a configuration is created.
)";

int usage(const char* why) {
  std::fprintf(stderr, "kav7420-sim: %s (see --help)\n", why);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  kav::sim::ServerOptions opts;
  std::string devices, exportAddress, exportFile;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (a == "--devices") {
      const char* v = value();
      if (!v) return usage("--devices needs a list");
      devices = v;
    } else if (a == "--port") {
      const char* v = value();
      char* end = nullptr;
      long p = v ? std::strtol(v, &end, 10) : 0;
      if (!v || *end || p < 1 || p > 65535) return usage("--port needs a number 1..65535");
      opts.port = static_cast<uint16_t>(p);
    } else if (a == "--state") {
      const char* v = value();
      if (!v || !*v) return usage("--state needs a folder");
      opts.stateDir = v;
    } else if (a == "--scenario") {
      const char* v = value();
      if (!v || !*v) return usage("--scenario needs a file");
      opts.scenarioPath = v;
    } else if (a == "--export-dcf") {
      if (i + 2 >= argc) return usage("--export-dcf needs ADDRESS FILE");
      exportAddress = argv[++i];
      exportFile = argv[++i];
    } else if (a == "--ftp-port") {
      const char* v = value();
      char* end = nullptr;
      long p = v ? std::strtol(v, &end, 10) : 0;
      if (!v || *end || p < 1 || p > 65535) return usage("--ftp-port needs a number 1..65535");
      opts.ftpPort = static_cast<uint16_t>(p);
    } else if (a == "--verbose") {
      opts.verbose = true;
    } else {
      return usage(("unknown argument " + a).c_str());
    }
  }
  if (opts.stateDir.empty()) return usage("--state is required");

  if (!exportAddress.empty()) {
    auto address = kav::device::parseIpv4(exportAddress);
    if (!address) return usage("--export-dcf needs an IPv4 address");
    kav::sim::ConfigDoc config;
    std::string error;
    const std::string path = opts.stateDir + "/" + kav::device::ipv4Text(*address) + "/config.xml";
    if (!config.load(path, &error) || !kav::sim::writeDcf(config, exportFile, &error)) {
      std::fprintf(stderr, "kav7420-sim: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }

  if (devices.empty()) return usage("--devices is required");
  std::string error;
  auto list = kav::device::parseAddressList(devices, &error);
  if (!list) return usage(("--devices: " + error).c_str());
  opts.addresses = std::move(*list);
  return kav::sim::runServer(opts);
}
