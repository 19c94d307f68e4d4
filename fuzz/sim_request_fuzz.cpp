// Datagrams a simulated device receives: parsed as the device's session
// parses them and answered by its agent (GET, GETNEXT, GETBULK, SET with the
// read and the write community).
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/agent.h"
#include "sim/device.h"
#include "sim/scenario.h"

namespace {

struct World {
  netsnmp_session session;
  kav::sim::Device* device;
};

World& world() {
  static World w = [] {
    World x{};
    setenv("MIBS", "", 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    snmp_disable_log();
    init_snmp("sim_request_fuzz");
    snmp_sess_init(&x.session);
    char dir[] = "/tmp/kav-sim-fuzz-XXXXXX";
    if (!mkdtemp(dir)) abort();
    auto scenario = kav::sim::Scenario::parse(
        "band_count = 2\nrestart_seconds = 0\nclient = 00:11:22:33:44:55 0 6 -40 0 1\n"
        "neighbour = 1|6|b|2.4GHz|n|now|Valid|ok\n",
        nullptr);
    const uint32_t address = 0x7F000101;
    x.device = new kav::sim::Device(address, std::string(dir) + "/dev", [scenario] {
      return std::optional<kav::sim::DeviceSettings>(scenario->forDevice(0x7F000101));
    });
    if (!x.device->open(scenario->forDevice(address), nullptr)) abort();
    return x;
  }();
  return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = world();
  std::string packet(reinterpret_cast<const char*>(data), size);
  netsnmp_pdu* pdu = static_cast<netsnmp_pdu*>(calloc(1, sizeof(netsnmp_pdu)));
  if (kav::sim::parseRequest(&w.session, pdu, reinterpret_cast<u_char*>(packet.data()), packet.size()) == 0) {
    if (netsnmp_pdu* response = kav::sim::answerRequest(*w.device, &w.session, pdu)) snmp_free_pdu(response);
  }
  snmp_free_pdu(pdu);
  return 0;
}
