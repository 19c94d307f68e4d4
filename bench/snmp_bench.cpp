// Timing driver for the SNMP benchmarks: the device access library and the
// module against plain net-snmp doing the same work, on the same simulated
// devices, in the same run.
//
//   snmp-bench lib-sync ADDRESS PORT COUNT      COUNT synchronous device-information gets
//   snmp-bench plain-sync ADDRESS PORT COUNT    the same objects with snmp_synch_response
//   snmp-bench module-basic ADDRESSES PORT      basic-configuration queries to every device at once
//   snmp-bench plain-async ADDRESSES PORT       the same objects with plain asynchronous GETs
//
// Each prints one line: "<mode> <operations> <seconds> <operations per second>".
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <arpa/inet.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "KAV7420apHelp.h"
#include "device/addresses.h"
#include "device/model.h"
#include "bench/plain_snmp.h"
#include "platform/host/module_api.h"

namespace {

using kav::bench::getPdu;
using kav::bench::instancesOf;
using kav::bench::openPlain;
using kav::device::Feature;

void report(const char* mode, int ops, qint64 ns) {
  double s = ns / 1e9;
  std::printf("%s %d %.4f %.1f\n", mode, ops, s, ops / s);
}

int libSync(const std::string& address, int port, int count) {
  apInitSnmpLibrary();
  AP_HANDLE s = apSnmpOpenSession(38, "rny0043");
  apSnmpSetSession(s, port, "public", "private", 2000, address.c_str(), 1);
  AP_HANDLE h = apSysDeviceInforOpen(s, 0);
  QElapsedTimer t;
  t.start();
  for (int i = 0; i < count; ++i)
    if (apSnmpSendGetRequest(h, nullptr, nullptr, AP_MODE_SYNC, 0) != AP_OK) return 1;
  report("lib-sync", count, t.nsecsElapsed());
  return 0;
}

int plainSync(const std::string& address, int port, int count) {
  auto names = instancesOf(Feature::DeviceInfo, 0x00FFFFFF);
  netsnmp_session* ss = openPlain(address, port);
  QElapsedTimer t;
  t.start();
  for (int i = 0; i < count; ++i) {
    netsnmp_pdu* answer = nullptr;
    if (snmp_synch_response(ss, getPdu(names), &answer) != STAT_SUCCESS) return 1;
    snmp_free_pdu(answer);
  }
  report("plain-sync", count, t.nsecsElapsed());
  snmp_close(ss);
  return 0;
}

int gAnswered = 0;

void onBasic(QueryStatus*, int32_t hasData, void**, void*) { gAnswered += hasData == 1; }

int moduleBasic(const std::vector<std::string>& addresses, int port) {
  kav::host::ModuleApi api;
  QString error;
  if (!api.load(kav::host::ModuleApi::defaultPath(), &error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  in_addr a{};
  inet_pton(AF_INET, addresses[0].c_str(), &a);
  api.setSnmpParameter(a.s_addr, "public", "private", port, 5000);
  QElapsedTimer t;
  t.start();
  for (const auto& addr : addresses) api.getBasicConfigInfor(addr.c_str(), onBasic, "", nullptr);
  while (gAnswered < static_cast<int>(addresses.size()) && t.elapsed() < 20000)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  report("module-basic", gAnswered, t.nsecsElapsed());
  return gAnswered == static_cast<int>(addresses.size()) ? 0 : 1;
}

int gPlainAnswered = 0;

int onPlain(int op, netsnmp_session*, int, netsnmp_pdu*, void*) {
  gPlainAnswered += op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE;
  return 1;
}

int plainAsync(const std::vector<std::string>& addresses, int port) {
  auto names = instancesOf(Feature::Wireless, kav::device::group::kBasicDigest);
  std::vector<netsnmp_session*> sessions;
  for (const auto& addr : addresses) sessions.push_back(openPlain(addr, port, onPlain));
  QElapsedTimer t;
  t.start();
  for (netsnmp_session* s : sessions) snmp_send(s, getPdu(names));
  while (gPlainAnswered < static_cast<int>(addresses.size()) && t.elapsed() < 20000) {
    int fds = 0, block = 1;
    fd_set set;
    FD_ZERO(&set);
    timeval tv{};
    snmp_select_info(&fds, &set, &tv, &block);
    int n = select(fds, &set, nullptr, nullptr, block ? nullptr : &tv);
    if (n > 0) snmp_read(&set);
    else snmp_timeout();
  }
  report("plain-async", gPlainAnswered, t.nsecsElapsed());
  for (netsnmp_session* s : sessions) snmp_close(s);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("MIBS", "", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: snmp-bench MODE ADDRESS[ES] PORT [COUNT]\n");
    return 2;
  }
  std::string mode = argv[1];
  int port = std::atoi(argv[3]);
  int count = argc > 4 ? std::atoi(argv[4]) : 1000;
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
  init_snmp("snmp-bench");
  std::string why;
  auto list = kav::device::parseAddressList(argv[2], &why);
  if (!list) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return 2;
  }
  std::vector<std::string> addresses;
  for (uint32_t a : *list) addresses.push_back(kav::device::ipv4Text(a));
  if (mode == "lib-sync") return libSync(addresses[0], port, count);
  if (mode == "plain-sync") return plainSync(addresses[0], port, count);
  if (mode == "module-basic") return moduleBasic(addresses, port);
  if (mode == "plain-async") return plainAsync(addresses, port);
  std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
  return 2;
}
