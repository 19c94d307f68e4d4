// The simulator process: one SNMP agent session per device address on a
// shared UDP port, the main loop, delayed answers, signals and statistics.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kav::sim {

struct ServerOptions {
  std::vector<uint32_t> addresses;  // host byte order
  uint16_t port = 16100;
  std::string stateDir;
  std::string scenarioPath;  // empty: no scenario, defaults only
  bool verbose = false;
  uint16_t ftpPort = 21;  // FTP servers a device is sent to, unless its scenario says ftp_port
};

// Runs until SIGTERM or SIGINT.  Prints "ready" on stdout once every socket
// is bound, "reloaded" after a SIGHUP has been handled (or "reload failed:
// why"), "stats" after a SIGUSR1 has written DIR/stats.txt.  Returns the
// process exit status.
int runServer(const ServerOptions& options);

}  // namespace kav::sim
