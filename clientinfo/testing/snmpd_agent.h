// net-snmp's own agent, snmpd, started for a test on a free loopback port
// with a generated configuration (read-only community "public"), and
// stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace kav::clientinfo::testing {

class CSnmpdAgent {
 public:
  // extraConfig: further snmpd.conf lines.
  explicit CSnmpdAgent(const std::string& extraConfig = "");
  ~CSnmpdAgent();

  bool Running() const { return m_pid > 0; }
  const std::string& Address() const { return m_address; }
  uint16_t Port() const { return m_port; }
  const std::string& Folder() const { return m_folder; }

 private:
  std::string m_folder;
  std::string m_address = "127.0.0.1";
  uint16_t m_port = 0;
  pid_t m_pid = -1;
};

// A UDP port on the loopback address that nothing listens on right now.
uint16_t FreeUdpPort();

}  // namespace kav::clientinfo::testing
