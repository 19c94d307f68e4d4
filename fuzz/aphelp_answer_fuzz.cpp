// Device answers as the device access library takes them: the fuzz input
// becomes the answers to whatever a transfer asks (a device-information
// read, a walk of the detected access points, the progress of a file
// transfer), and the records are filled from what was taken.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "device/model.h"
#include "platform/aphelp/handles.h"
#include "platform/aphelp/records.h"
#include "platform/aphelp/transfer.h"

namespace {

using namespace kav::aphelp;

struct Input {
  const uint8_t* p;
  size_t n;
  uint8_t byte() {
    if (!n) return 0;
    --n;
    return *p++;
  }
  std::vector<uint8_t> bytes(size_t max) {
    size_t k = std::min<size_t>(byte() % (max + 1), n);
    std::vector<uint8_t> v(p, p + k);
    p += k;
    n -= k;
    return v;
  }
};

// An answer to request: for each variable asked, the same name, a nearby
// name or an arbitrary one, with a value of a type the input picks.
snmp_pdu* answerTo(const snmp_pdu* request, Input& in) {
  snmp_pdu* a = snmp_pdu_create(SNMP_MSG_RESPONSE);
  a->errstat = in.byte() % 8 == 0 ? in.byte() % 20 : 0;
  int count = 0;
  for (const netsnmp_variable_list* v = request->variables; v; v = v->next_variable) ++count;
  int repeats = request->command == SNMP_MSG_GETBULK ? 1 + in.byte() % 4 : 1;
  if (in.byte() % 16 == 0) count += in.byte() % 3;  // more or fewer than asked
  for (int r = 0; r < repeats; ++r) {
    const netsnmp_variable_list* v = request->variables;
    for (int i = 0; i < count; ++i) {
      std::vector<oid> name;
      if (v) name.assign(v->name, v->name + v->name_length);
      uint8_t how = in.byte();
      if (how % 4 == 1 && !name.empty()) name.back() += how / 4;
      if (how % 4 == 2) name.push_back(how);
      if (how % 4 == 3) {
        name.clear();
        for (uint8_t b : in.bytes(12)) name.push_back(b);
      }
      if (name.empty()) name.push_back(0);
      static const u_char kTypes[] = {ASN_INTEGER, ASN_OCTET_STR, ASN_COUNTER, ASN_GAUGE, ASN_TIMETICKS,
                                      ASN_IPADDRESS, ASN_NULL, SNMP_NOSUCHOBJECT, SNMP_NOSUCHINSTANCE,
                                      SNMP_ENDOFMIBVIEW, ASN_OBJECT_ID};
      u_char type = kTypes[in.byte() % (sizeof kTypes)];
      std::vector<uint8_t> value = in.bytes(type == ASN_OCTET_STR ? 255 : 8);
      if (type == ASN_INTEGER || type == ASN_COUNTER || type == ASN_GAUGE || type == ASN_TIMETICKS) {
        long n = 0;
        std::memcpy(&n, value.data(), std::min(value.size(), sizeof n));
        snmp_pdu_add_variable(a, name.data(), name.size(), type, &n, sizeof n);
      } else if (type == ASN_IPADDRESS) {
        value.resize(4);
        snmp_pdu_add_variable(a, name.data(), name.size(), type, value.data(), 4);
      } else if (type == ASN_OBJECT_ID) {
        oid o[2] = {1, 3};
        snmp_pdu_add_variable(a, name.data(), name.size(), type, o, sizeof o);
      } else {
        snmp_pdu_add_variable(a, name.data(), name.size(), type, value.data(), value.size());
      }
      if (v) v = v->next_variable;
    }
  }
  return a;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  FeatureHandle h;
  const uint8_t which = in.byte() % 3;
  h.feature = which == 0 ? kav::device::Feature::DeviceInfo
              : which == 1 ? kav::device::Feature::Monitor
                           : kav::device::Feature::SysCommand;
  h.monitorKind = 2;
  Transfer t(h, Transfer::Kind::Get, 0x00FFFFFF);
  if (which == 2) t.runFileTransfer({.kind = 10, .server = "127.0.0.1", .fileName = "x.bin", .timeoutMs = 1});
  for (int step = 0; step < 64; ++step) {
    bool write = false;
    int timeoutMs = 0;
    snmp_pdu* request = t.next(&write, &timeoutMs);
    if (!request) break;
    snmp_pdu* answer = answerTo(request, in);
    int rc = t.take(answer);
    snmp_free_pdu(answer);
    snmp_free_pdu(request);
    t.takeDelay();
    if (rc != 0) break;
  }
  t.commit();
  std::vector<char> record(AP_DEVICE_INFO_SIZE, 0);
  fillDeviceInfo(h.values, record.data());
  record[0] = 2;
  fillDeviceInfo(h.values, record.data());
  AP_BASIC_CONFIG basic;
  fillBasicConfig(h.values, &basic);
  AP_TRAFFIC_DIGEST traffic;
  fillTraffic(h.values, &traffic);
  neighbours(h.values);
  return 0;
}
