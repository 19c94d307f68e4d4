// Device answers as the client information library reads them: a
// response PDU (BER, as it arrives after the community) is parsed by
// net-snmp and then turned into value texts, once as a step of the client
// table walk and once as the answer to a get of one variable of every
// syntax the framework knows.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "clientinfo/client_objects.h"
#include "clientinfo/qx_answer.h"

using namespace kav::clientinfo;

namespace {

const QxValuePair kPairs[] = {{0, "zero"}, {1, "one"}, {0, nullptr}};

// One variable per syntax code, and two codes without a text form.
const QxVarDesc kEverySyntax[] = {
    {"1.3.6.1.9.1", "boolean", kSynBoolean, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.2", "integer", kSynInteger, kAccReadOnly, kPairs, {}},
    {"1.3.6.1.9.3", "bitstr", kSynBitStr, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.4", "octetstr", kSynOctetStr, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.5", "null", kSynNull, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.6", "objectid", kSynObjectId, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.7", "ipaddress", kSynIpAddress, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.8", "counter", kSynCounter, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.9", "guage", kSynGuage, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.10", "timeticks", kSynTimeTicks, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.11", "opaque", kSynOpaque, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.12", "nsapaddr", kSynNsapAddr, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.13", "counter64", kSynCounter64, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.14", "uinteger", kSynUInteger, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.15", "double", kSynDouble, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.16", "macaddress", kSynMacAddress, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.17", "datetime", kSynDateTime, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.18", "bcdatetime", kSynBcDateTime, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.19", "displaystr", kSynDisplayStr, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.20", "int8", kSynInt8, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.9.21", "unknown", 0x77, kAccReadOnly, nullptr, {}},
    {},
};

void Apply(const QxVarDesc* table, bool walk, const netsnmp_pdu& pdu) {
  auto list = CQxVarList::BuildList(table, walk ? MVT_UMV : MVT_SV);
  QxRequestShape shape;
  shape.command = walk ? SNMP_MSG_GETNEXT : SNMP_MSG_GET;
  shape.walk = walk;
  for (size_t i = 0; i < list->Count(); ++i) {
    shape.sent.push_back(i);
    shape.asked.push_back((*list)[i].current);
  }
  bool end = false;
  ApplyAnswer(*list, shape, pdu, end);
  // A second step from where the first left off, as a walk goes on.
  if (walk && !end) {
    QxRequestShape next = shape;
    next.sent.clear();
    next.asked.clear();
    for (size_t i = 0; i < list->Count(); ++i)
      if (!(*list)[i].done) {
        next.sent.push_back(i);
        next.asked.push_back((*list)[i].current);
      }
    ApplyAnswer(*list, next, pdu, end);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<u_char> buffer(data, data + size);
  netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_RESPONSE);
  pdu->version = SNMP_VERSION_2c;
  size_t length = buffer.size();
  if (snmp_pdu_parse(pdu, buffer.data(), &length) == 0) {
    Apply(kClientTableVars, true, *pdu);
    Apply(kEverySyntax, false, *pdu);
  }
  snmp_free_pdu(pdu);
  return 0;
}
