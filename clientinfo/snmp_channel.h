// One net-snmp session (one UDP socket) to one agent.  Communities travel
// in each PDU and time-out and retries are applied at each send, so one
// channel serves every framework session aimed at the same agent.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <memory>
#include <string>

#include "clientinfo/qx_session_settings.h"

namespace kav::clientinfo {

class CSnmpChannel {
 public:
  // Raises -509 when the address or port cannot be a target, and the
  // mapped library error when the socket cannot be opened.
  static std::unique_ptr<CSnmpChannel> Open(const QxSessionSettings& target);
  ~CSnmpChannel();
  CSnmpChannel(const CSnmpChannel&) = delete;
  CSnmpChannel& operator=(const CSnmpChannel&) = delete;

  int Socket() const;

  // Sends pdu asynchronously; callback(magic) runs from Read or Timeouts.
  // Takes the pdu on success; on failure returns false, leaves the pdu to
  // the caller and sets *libError to the net-snmp error code.
  bool SendAsync(netsnmp_pdu* pdu, const QxSessionSettings& target, bool write, netsnmp_callback callback,
                 void* magic, int* libError);

  // Blocks until the answer or the last time-out.  Always takes the pdu.
  // Returns STAT_SUCCESS (with *response for the caller to free),
  // STAT_TIMEOUT or STAT_ERROR (with *libError).
  int SendSync(netsnmp_pdu* pdu, const QxSessionSettings& target, bool write, netsnmp_pdu** response,
               int* libError);

  // Handles one waiting datagram: its answer reaches its callback.
  void Read();
  // Resends or expires requests whose time has come.
  void Timeouts();
  bool Busy() const { return m_busy; }

  // Asynchronous requests sent and not yet completed.
  int Outstanding() const { return m_outstanding; }
  void RequestDone() { --m_outstanding; }
  // The SNMPv3 user of the channel, empty for a community target.
  const std::string& UserName() const { return m_userName; }

 private:
  explicit CSnmpChannel(void* session) : m_session(session) {}
  void Apply(netsnmp_pdu* pdu, const QxSessionSettings& target, bool write);

  void* m_session;
  std::string m_userName;
  int m_outstanding = 0;
  bool m_busy = false;  // inside Read or Timeouts (net-snmp is not re-entrant per session)
};

}  // namespace kav::clientinfo
