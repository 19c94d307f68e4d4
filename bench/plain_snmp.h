// Plain net-snmp, the peer the benchmarks measure against: a session to one
// device and the instances a get of some objects of the device model asks for.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <string>
#include <vector>

#include "device/model.h"

namespace kav::bench {

// A v2c session with the read community "public"; null when it cannot open.
inline netsnmp_session* openPlain(const std::string& address, int port, netsnmp_callback callback = nullptr,
                                  void* magic = nullptr) {
  netsnmp_session s;
  snmp_sess_init(&s);
  std::string peer = "udp:" + address + ":" + std::to_string(port);
  s.peername = const_cast<char*>(peer.c_str());
  s.version = SNMP_VERSION_2c;
  s.community = reinterpret_cast<u_char*>(const_cast<char*>("public"));
  s.community_len = 6;
  s.timeout = 2000000;
  s.retries = 0;
  s.callback = callback;
  s.callback_magic = magic;
  return snmp_open(&s);
}

// The instances a get of feature/mask covers: scalars and the fixed rows
// of tables (tables of any length are walked, not got).
inline std::vector<std::vector<oid>> instancesOf(device::Feature feature, uint32_t mask) {
  std::vector<std::vector<oid>> out;
  for (const auto* def : device::objectsOf(feature, mask)) {
    const auto* table = def->table ? device::findTable(def->table) : nullptr;
    if (table && table->fixedRows == 0) continue;
    uint32_t rows = table ? table->fixedRows : 1;
    for (uint32_t r = 1; r <= rows; ++r) {
      auto v = device::instanceOid(*def, table ? r : 0);
      out.emplace_back(v.begin(), v.end());
    }
  }
  return out;
}

inline netsnmp_pdu* getPdu(const std::vector<std::vector<oid>>& names) {
  netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
  for (const auto& n : names) snmp_add_null_var(pdu, n.data(), n.size());
  return pdu;
}

}  // namespace kav::bench
