// Test fixture: runs kav7420-sim for a test.
//
//   kav::sim::testing::SimProcess sim(3, "[*]\nband_count = 2\n");
//   run({"snmpget", "-v2c", "-c", "public", sim.peer(0), "1.3.6..."});
//
// Each fixture picks a random loopback prefix 127.A.B (A 16..250) so that
// test processes running side by side never share an address, a free UDP
// port, and a temporary folder for the scenario file and the state; it
// starts the simulator, waits for its "ready" line, and stops it with SIGTERM
// when destroyed (the simulator also dies with the test process).  Failures
// throw std::runtime_error, which GoogleTest reports as a failed test.
//
// In scenario texts given to the fixture, "${N}" stands for the address of
// device N (from 0), so that a section can name one device:
//   "[${1}]\nband_count = 2\n"
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kav::sim::testing {

struct DeviceStats {
  uint64_t received = 0;  // datagrams, malformed ones included
  uint64_t answered = 0;
};

struct SimOptions {
  int devices = 1;              // 1..2000
  std::string scenario;         // text of the scenario file
  std::string binary;           // empty: the kav7420-sim of this build
  std::vector<std::string> extraArgs;
  std::chrono::milliseconds startTimeout{30000};
};

class SimProcess {
 public:
  explicit SimProcess(SimOptions options);
  explicit SimProcess(int devices = 1, std::string scenario = "");
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  const std::vector<std::string>& addresses() const { return addresses_; }
  const std::string& address(size_t i = 0) const { return addresses_.at(i); }
  uint16_t port() const { return port_; }
  // "udp:ADDRESS:PORT", the peer name net-snmp's tools and sessions take.
  std::string peer(size_t i = 0) const;
  const std::string& stateDir() const { return stateDir_; }
  const std::string& scenarioPath() const { return scenarioPath_; }
  // DIR/<address>/config.xml of device i, and its contents.
  std::string configPath(size_t i = 0) const;
  std::string configXml(size_t i = 0) const;
  pid_t pid() const { return pid_; }
  bool running();

  // The scenario text with "${N}" replaced by the address of device N.
  std::string expand(const std::string& scenario) const;
  // Rewrites the scenario file ("${N}" expanded) without telling the
  // simulator; it reads it on SIGHUP, a client refresh or a scan.
  void writeScenario(const std::string& text);
  // Rewrites the scenario file and makes the simulator read it (SIGHUP);
  // returns once it has.
  void setScenario(const std::string& text);
  // SIGHUP; waits for "reloaded", throws on "reload failed".
  void reload();
  // SIGUSR1; waits until stats.txt is written and returns it by address.
  std::map<std::string, DeviceStats> stats();
  // Sends a signal to the simulator.
  void signal(int sig);

  // SIGTERM and wait (SIGKILL after 10 s); returns the exit status (128 +
  // signal when killed).  Does nothing when stopped already.
  int stop();
  // Starts again with the same addresses, port, state and scenario.
  void start();
  void restart() {
    stop();
    start();
  }

  // Waits for a line on the simulator's stdout that starts with `prefix`,
  // skipping others; returns it, or throws after `timeout`.
  std::string waitForLine(const std::string& prefix, std::chrono::milliseconds timeout = std::chrono::seconds(20));

 private:
  bool launch(std::string* why);
  std::string readLine(std::chrono::steady_clock::time_point deadline, bool* eof);

  SimOptions options_;
  std::vector<std::string> addresses_;
  uint16_t port_ = 0;
  std::string tempDir_, stateDir_, scenarioPath_;
  pid_t pid_ = -1;
  int stdoutFd_ = -1;
  std::string buffer_;
  int lastStatus_ = -1;
};

struct CommandResult {
  int status = -1;  // exit status, 128 + signal when killed, -1 if it could not run
  std::string out, err;
};
// Runs a program (looked up in PATH) and collects its output; kills it after
// `timeout`.
CommandResult runCommand(const std::vector<std::string>& argv,
                         std::chrono::milliseconds timeout = std::chrono::seconds(60));

// The kav7420-sim of this build.
std::string simulatorBinary();

}  // namespace kav::sim::testing
