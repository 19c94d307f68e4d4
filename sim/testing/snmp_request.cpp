#include "sim/testing/snmp_request.h"

#include <cstdlib>

#include "device/model.h"

namespace kav::sim::testing {
namespace {

void initSnmp() {
  static const bool done = [] {
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    setenv("MIBS", "", 1);
    snmp_disable_log();
    init_snmp("sim-test");
    return true;
  }();
  (void)done;
}

}  // namespace

SnmpReply snmpRequest(const std::string& peer, long version, const std::string& community, int command,
                      const std::vector<Varbind>& vbs, long nonRepeaters, long maxRepetitions, int timeoutMs,
                      int retries) {
  initSnmp();
  netsnmp_session s;
  snmp_sess_init(&s);
  std::string peerName = peer;
  s.peername = peerName.data();
  s.version = version;
  std::string comm = community;
  s.community = reinterpret_cast<u_char*>(comm.data());
  s.community_len = comm.size();
  s.timeout = timeoutMs * 1000L;
  s.retries = retries;
  SnmpReply reply;
  void* ss = snmp_sess_open(&s);
  if (!ss) return reply;
  netsnmp_pdu* pdu = snmp_pdu_create(command);
  if (command == SNMP_MSG_GETBULK) {
    pdu->non_repeaters = nonRepeaters;
    pdu->max_repetitions = maxRepetitions;
  }
  for (const Varbind& v : vbs) {
    auto parts = device::parseOid(v.oid);
    std::vector<oid> name(parts.begin(), parts.end());
    if (v.type == ASN_INTEGER)
      snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_INTEGER, &v.integer, sizeof v.integer);
    else if (v.type == ASN_NULL)
      snmp_add_null_var(pdu, name.data(), name.size());
    else
      snmp_pdu_add_variable(pdu, name.data(), name.size(), v.type, v.bytes.data(), v.bytes.size());
  }
  netsnmp_pdu* resp = nullptr;
  if (snmp_sess_synch_response(ss, pdu, &resp) == STAT_SUCCESS && resp) {
    reply.answered = true;
    reply.errstat = resp->errstat;
    reply.errindex = resp->errindex;
    for (netsnmp_variable_list* vb = resp->variables; vb; vb = vb->next_variable) {
      Varbind v;
      v.oid = device::oidText(std::vector<uint32_t>(vb->name, vb->name + vb->name_length));
      v.type = vb->type;
      if (vb->type == ASN_OCTET_STR || vb->type == ASN_IPADDRESS)
        v.bytes.assign(reinterpret_cast<char*>(vb->val.string), vb->val_len);
      else if (vb->val.integer && vb->val_len)
        v.integer = *vb->val.integer;
      reply.vbs.push_back(v);
    }
  }
  if (resp) snmp_free_pdu(resp);
  snmp_sess_close(ss);
  return reply;
}

}  // namespace kav::sim::testing
