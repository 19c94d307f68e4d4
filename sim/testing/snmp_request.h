// Test helper: one SNMP request through net-snmp's C API, with the exact
// error status, error index and variables of the answer, for tests that
// check what a device says to the letter.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <string>
#include <vector>

namespace kav::sim::testing {

struct Varbind {
  std::string oid;  // dotted
  u_char type = ASN_NULL;
  long integer = 0;
  std::string bytes;  // octet strings and addresses
};

inline Varbind integerVar(const std::string& oid, long v) { return {oid, ASN_INTEGER, v, {}}; }
inline Varbind textVar(const std::string& oid, const std::string& v) { return {oid, ASN_OCTET_STR, 0, v}; }
inline Varbind nullVar(const std::string& oid) { return {oid, ASN_NULL, 0, {}}; }

struct SnmpReply {
  bool answered = false;
  long errstat = -1;
  long errindex = -1;
  std::vector<Varbind> vbs;
};

// Sends one request (command SNMP_MSG_GET, ...) to peer ("udp:A:P") and
// waits for the answer; answered is false after the time-out.
SnmpReply snmpRequest(const std::string& peer, long version, const std::string& community, int command,
                      const std::vector<Varbind>& vbs, long nonRepeaters = 0, long maxRepetitions = 0,
                      int timeoutMs = 1000, int retries = 1);

}  // namespace kav::sim::testing
