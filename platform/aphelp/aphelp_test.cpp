// The device access library against simulated access points.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <cstring>
#include <string>
#include <vector>

#include "KAV7420apHelp.h"
#include "platform/testing/qt_wait.h"
#include "sim/testing/sim_process.h"

namespace {

using kav::sim::testing::SimProcess;
using kav::testing::waitUntil;

struct Completion {
  bool called = false;
  int status = 999;
  std::string message;
  std::string address;
  intptr_t first = 0;
  bool onAppThread = false;
  std::string name;  // copied from a basic-configuration record
};

int record(intptr_t first, int status, const char* message, void* context, const char* address) {
  auto* c = static_cast<Completion*>(context);
  c->called = true;
  c->status = status;
  c->message = message ? message : "";
  c->address = address ? address : "";
  c->first = first;
  c->onAppThread = QThread::currentThread() == QCoreApplication::instance()->thread();
  return 0;
}

// apPlugGetBasicConfig hands its record as the first argument, alive only
// during the call.
int recordBasic(intptr_t first, int status, const char* message, void* context, const char* address) {
  record(first, status, message, context, address);
  static_cast<Completion*>(context)->name = reinterpret_cast<const AP_BASIC_CONFIG*>(first)->name;
  return 0;
}

std::string errorText(int code) {
  char buf[256];
  apSnmpGetErrorMsg(code, buf);
  return buf;
}

class ApHelp : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kav::testing::ensureApp();
    ASSERT_EQ(apInitSnmpLibrary(), AP_OK);
  }

  AP_HANDLE session(const SimProcess& sim, size_t device = 0, int timeoutMs = 2000,
                    const char* write = "private") {
    AP_HANDLE s = apSnmpOpenSession(38, "rny0043");
    apSnmpSetSession(s, sim.port(), "public", write, timeoutMs, sim.address(device).c_str(), 1);
    return s;
  }

  static AP_LAN_INFO readLan(AP_HANDLE h) {
    apStyleModify(h, 2, 0);
    EXPECT_EQ(apSnmpSendGetRequest(h, nullptr, nullptr, AP_MODE_SYNC, 0), AP_OK);
    AP_LAN_INFO lan{};
    lan.selector = 2;
    EXPECT_EQ(apSysDeviceGetInfor(h, &lan), AP_OK);
    return lan;
  }
};

TEST_F(ApHelp, LanSettingsWrittenPersistAcrossARestart) {
  SimProcess sim(1, "[*]\nrestart_seconds = 0\n");
  AP_HANDLE h = apSysDeviceInforOpen(session(sim), 0);
  AP_LAN_INFO lan = readLan(h);
  EXPECT_EQ(lan.addressMode, 0);
  EXPECT_EQ(std::string(lan.ipAddress), sim.address());  // a device reports the address it is reached on
  EXPECT_EQ(std::string(lan.gateway), sim.address().substr(0, sim.address().rfind('.')) + ".254");

  std::strcpy(lan.ipAddress, "10.20.30.40");
  std::strcpy(lan.subnetMask, "255.255.0.0");
  std::strcpy(lan.gateway, "");
  lan.addressMode = 1;
  ASSERT_EQ(apSysDeviceSetInfor(h, &lan), AP_OK);
  Completion done;
  ASSERT_EQ(apSnmpSendSetRequest(h, record, &done, AP_MODE_ASYNC, 0), AP_OK);
  ASSERT_TRUE(waitUntil([&] { return done.called; }));
  EXPECT_EQ(done.status, AP_OK) << done.message;
  EXPECT_NE(sim.configXml().find("<ipaddr>10.20.30.40</ipaddr>"), std::string::npos);

  sim.restart();
  AP_HANDLE fresh = apSysDeviceInforOpen(session(sim), 0);
  AP_LAN_INFO again = readLan(fresh);
  EXPECT_EQ(again.addressMode, 1);
  EXPECT_STREQ(again.ipAddress, "10.20.30.40");
  EXPECT_STREQ(again.subnetMask, "255.255.0.0");
  EXPECT_STREQ(again.gateway, "N/A");  // the device's word for no gateway

  // The full layout shows the same settings among the device's identity.
  AP_DEVICE_INFO info{};
  apStyleModify(fresh, 0x00FFFFFF, 0);
  ASSERT_EQ(apSnmpSendGetRequest(fresh, nullptr, nullptr, AP_MODE_SYNC, 0), AP_OK);
  ASSERT_EQ(apSysDeviceGetInfor(fresh, &info), AP_OK);
  EXPECT_STREQ(info.ipAddress, "10.20.30.40");
  EXPECT_STREQ(info.modelName, "KAV-7420");
  EXPECT_EQ(info.bandCount, 1);
  EXPECT_STREQ(info.currentBand, "band2dot4gHz");
  EXPECT_STREQ(info.radioState[0], "on");
  EXPECT_STREQ(info.ssid[0], "kav7420");
  EXPECT_EQ(info.ssid[1][0], '\0');  // no 5 GHz radio
  apHandleClose(h);
  apHandleClose(fresh);
}

// net-snmp's own tools, reading through the MIB, see what the library wrote.
TEST_F(ApHelp, NetSnmpToolsSeeWhatTheLibraryWrote) {
  SimProcess sim(1, "[*]\nband_count = 2\nneighbour = 1|6|00:11:22:33:44:55|2.4GHz|Cafe|now|New|up\n");
  AP_HANDLE h = apSysDeviceInforOpen(session(sim), 0);
  AP_LAN_INFO lan = readLan(h);
  std::strcpy(lan.ipAddress, "10.77.0.9");
  apSysDeviceSetInfor(h, &lan);
  ASSERT_EQ(apSnmpSendSetRequest(h, nullptr, nullptr, AP_MODE_SYNC, 0), AP_OK);
  AP_DEVICE_INFO name{};
  std::strcpy(name.systemName, "written-by-library");
  apSysDeviceSetInfor(h, &name);
  apStyleModify(h, 1, 1);
  ASSERT_EQ(apSnmpSendSetRequest(h, nullptr, nullptr, AP_MODE_SYNC, 0), AP_OK);
  apHandleClose(h);

  const std::vector<std::string> mib = {"-m", "+KAV7420-MIB", "-M", "+" KAV_SOURCE_DIR "/mib", "-v2c", "-c", "public"};
  auto tool = [&](const char* name, std::vector<std::string> args) {
    std::vector<std::string> argv{name};
    argv.insert(argv.end(), mib.begin(), mib.end());
    argv.push_back(sim.address() + ":" + std::to_string(sim.port()));
    argv.insert(argv.end(), args.begin(), args.end());
    return kav::sim::testing::runCommand(argv);
  };
  auto get = tool("snmpget", {"KAV7420-MIB::lanIpAddress.0", "KAV7420-MIB::devSystemName.0"});
  ASSERT_EQ(get.status, 0) << get.err;
  EXPECT_NE(get.out.find("lanIpAddress.0 = STRING: 10.77.0.9"), std::string::npos) << get.out;
  EXPECT_NE(get.out.find("devSystemName.0 = STRING: written-by-library"), std::string::npos) << get.out;
  auto walk = tool("snmpwalk", {"KAV7420-MIB::dot11RadioState"});
  EXPECT_NE(walk.out.find("dot11RadioState.2 = STRING: on"), std::string::npos) << walk.out;
  auto bulk = tool("snmpbulkwalk", {"KAV7420-MIB::dot11NeighbourTable"});
  EXPECT_NE(bulk.out.find("dot11NeighbourSsid.1 = STRING: Cafe"), std::string::npos) << bulk.out;
}

TEST_F(ApHelp, SilentDeviceTimesOutThroughTheEventLoop) {
  SimProcess sim(1, "[*]\nsilent = 1\n");
  AP_HANDLE h = apSysDeviceInforOpen(session(sim, 0, 300), 0);
  Completion done;
  ASSERT_EQ(apSnmpSendGetRequest(h, record, &done, AP_MODE_ASYNC, 0), AP_OK);
  EXPECT_FALSE(done.called) << "completions never run inside the call that starts them";
  ASSERT_TRUE(waitUntil([&] { return done.called; }, std::chrono::seconds(5)));
  EXPECT_EQ(done.status, AP_E_TIMEOUT);
  EXPECT_EQ(done.message, errorText(AP_E_TIMEOUT));
  EXPECT_EQ(done.address, sim.address());
  EXPECT_TRUE(done.onAppThread);
  // Synchronous requests time out the same way.
  EXPECT_EQ(apSnmpSendGetRequest(h, nullptr, nullptr, AP_MODE_SYNC, 0), AP_E_TIMEOUT);
  apHandleClose(h);
}

TEST_F(ApHelp, RequestInFlightKeepsItsTargetWhenTheSessionMoves) {
  SimProcess sim(2);
  sim.setScenario("[" + sim.address(0) + "]\ndelay_ms = 300\n");
  // Tell the two devices apart by a name given through the library itself.
  AP_HANDLE s = session(sim, 0);
  AP_HANDLE di = apSysDeviceInforOpen(s, 0);
  AP_DEVICE_INFO name{};
  std::strcpy(name.systemName, "first-device");
  apSysDeviceSetInfor(di, &name);
  apStyleModify(di, 1, 1);
  ASSERT_EQ(apSnmpSendSetRequest(di, nullptr, nullptr, AP_MODE_SYNC, 0), AP_OK);

  AP_HANDLE wl = apWirelessOpen(s, 0);
  Completion done;
  ASSERT_EQ(apPlugGetBasicConfig(wl, recordBasic, &done, AP_MODE_ASYNC), AP_OK);
  // Move the session while the slow device has not answered yet.
  apSnmpSetSession(s, sim.port(), "public", "private", 2000, sim.address(1).c_str(), 1);
  Completion second;
  ASSERT_EQ(apPlugGetBasicConfig(wl, recordBasic, &second, AP_MODE_ASYNC), AP_OK);
  ASSERT_TRUE(waitUntil([&] { return done.called && second.called; }));
  ASSERT_EQ(done.status, AP_OK) << done.message;
  EXPECT_EQ(done.address, sim.address(0));
  EXPECT_EQ(done.name, "first-device");
  EXPECT_EQ(second.address, sim.address(1));
  EXPECT_EQ(second.name, "KAV-7420");
  apHandleClose(di);
  apHandleClose(wl);
}

TEST_F(ApHelp, OversizedTextIsCutToItsFieldAndTerminated) {
  std::string huge(2000, 'x');
  SimProcess sim(1, "[*]\nxml.wan/rg/inf[id=1]/static/ipaddr = " + huge + "\n");
  AP_HANDLE h = apSysDeviceInforOpen(session(sim), 0);
  AP_LAN_INFO lan = readLan(h);
  EXPECT_EQ(std::string(lan.ipAddress), std::string(19, 'x'));
  EXPECT_STREQ(lan.subnetMask, "255.255.255.0");  // the next field is untouched
  apHandleClose(h);
}

TEST_F(ApHelp, DeviceErrorsComeBackWithTheirCodesAndTexts) {
  SimProcess sim(1);
  struct Case {
    const char* write;
    int timeoutMs;
    int expected;
  };
  // Writing with the read community is refused by the device (noAccess); a
  // community it does not know at all is met with silence.
  for (const Case& c : {Case{"private", 2000, AP_OK}, Case{"public", 2000, AP_E_STATUS_BASE - 6},
                        Case{"wrong", 300, AP_E_TIMEOUT}}) {
    AP_HANDLE h = apSysDeviceInforOpen(session(sim, 0, c.timeoutMs, c.write), 0);
    AP_LAN_INFO lan = readLan(h);
    ASSERT_EQ(apSysDeviceSetInfor(h, &lan), AP_OK);
    EXPECT_EQ(apSnmpSendSetRequest(h, nullptr, nullptr, AP_MODE_SYNC, 0), c.expected) << c.write;
    apHandleClose(h);
  }
  EXPECT_NE(errorText(AP_E_STATUS_BASE - 6).find("write community"), std::string::npos);
  // A value the device refuses: a mask that is no address.
  AP_HANDLE h = apSysDeviceInforOpen(session(sim), 0);
  AP_LAN_INFO lan = readLan(h);
  std::strcpy(lan.subnetMask, "not-a-mask");
  apSysDeviceSetInfor(h, &lan);
  int rc = apSnmpSendSetRequest(h, nullptr, nullptr, AP_MODE_SYNC, 0);
  EXPECT_LE(rc, AP_E_STATUS_BASE - 1);
  EXPECT_EQ(readLan(h).subnetMask, std::string("255.255.255.0")) << "nothing of the refused set was taken";
  apHandleClose(h);
}

TEST_F(ApHelp, ClosingAHandleCancelsItsCompletion) {
  SimProcess sim(1, "[*]\ndelay_ms = 200\n");
  AP_HANDLE h = apSysDeviceInforOpen(session(sim), 0);
  Completion done;
  ASSERT_EQ(apSnmpSendGetRequest(h, record, &done, AP_MODE_ASYNC, 0), AP_OK);
  apHandleClose(h);
  kav::testing::spin(std::chrono::milliseconds(600));
  EXPECT_FALSE(done.called);
}

TEST_F(ApHelp, NeighbourTableIsReadWholeAfterAScan) {
  std::string scenario = "[*]\n";
  for (int i = 1; i <= 45; ++i)
    scenario += "neighbour = 1|" + std::to_string(i % 11 + 1) + "|00:11:22:33:44:" + std::to_string(10 + i) +
                "|2.4GHz|net" + std::to_string(i) + "|2026-12-11 10:00|" + (i % 2 ? "New" : "Valid") + "|up\n";
  SimProcess sim(1, scenario);
  AP_HANDLE s = session(sim);
  AP_HANDLE m = apSysMonitorOpen(s, 2, 0);
  Completion done;
  ASSERT_EQ(apSysMonitorRefresh(m, 1, record, &done, AP_MODE_ASYNC), AP_OK);
  ASSERT_TRUE(waitUntil([&] { return done.called; }));
  ASSERT_EQ(done.status, AP_OK) << done.message;
  AP_TABLE_PAIR pair{0, nullptr};
  ASSERT_EQ(apSysMonitorQueryInfor(m, &pair), AP_OK);
  ASSERT_EQ(pair.count, 45);
  std::vector<char> buffer(pair.count * sizeof(AP_NEIGHBOUR_AP) + 1, 0);
  pair.buffer = buffer.data();
  ASSERT_EQ(apSysMonitorQueryInfor(m, &pair), AP_OK);
  auto* rows = reinterpret_cast<const AP_NEIGHBOUR_AP*>(buffer.data());
  EXPECT_EQ(rows[0].band, 1);
  EXPECT_STREQ(rows[0].ssid, "net1");
  EXPECT_STREQ(rows[0].className, "New");
  EXPECT_STREQ(rows[44].ssid, "net45");
  EXPECT_STREQ(rows[44].bssid, "00:11:22:33:44:55");
  EXPECT_EQ(buffer.back(), 0);
  apHandleClose(m);
}

TEST_F(ApHelp, FactoryResetCommandBringsBackTheDefaults) {
  SimProcess sim(1, "[*]\nrestart_seconds = 0\nxml.sys/name = changed\n");
  AP_HANDLE s = session(sim);
  AP_HANDLE cmd = apSysCommandObjOpen(s, 0);
  ASSERT_EQ(apSysCommand(cmd, 1, 3000), AP_OK);
  ASSERT_EQ(apSnmpSendGetRequest(cmd, nullptr, nullptr, AP_MODE_SYNC, 0), AP_OK);
  ASSERT_TRUE(waitUntil([&] { return sim.configXml().find("<name>changed</name>") == std::string::npos; }));
  char version[64];
  ASSERT_EQ(apSnmpSendGetRequest(cmd, nullptr, nullptr, AP_MODE_SYNC, 0), AP_OK);
  EXPECT_EQ(apSysGetFWversion(cmd, version, sizeof version), AP_OK);
  apHandleClose(cmd);
}

TEST_F(ApHelp, ASmallDeviceLimitSplitsTheReadInsteadOfFailing) {
  SimProcess sim(1, "[*]\nmax_message_size = 700\n");
  AP_HANDLE h = apSysDeviceInforOpen(session(sim), 0);
  ASSERT_EQ(apSnmpSendGetRequest(h, nullptr, nullptr, AP_MODE_SYNC, 0), AP_OK);
  AP_DEVICE_INFO info{};
  ASSERT_EQ(apSysDeviceGetInfor(h, &info), AP_OK);
  EXPECT_STREQ(info.modelName, "KAV-7420");
  EXPECT_STREQ(info.ssid[0], "kav7420");
  apHandleClose(h);
}

TEST_F(ApHelp, BadArgumentsAreRefusedWithoutTraffic) {
  SimProcess sim(1);
  AP_HANDLE s = session(sim);
  AP_HANDLE h = apSysDeviceInforOpen(s, 0);
  EXPECT_EQ(apSnmpSendGetRequest(12345, nullptr, nullptr, AP_MODE_SYNC, 0), AP_E_HANDLE);
  EXPECT_EQ(apSnmpSendGetRequest(h, nullptr, nullptr, 3, 0), AP_E_ARGUMENT);
  AP_DEVICE_INFO info{};
  info.selector = 7;
  EXPECT_EQ(apSysDeviceGetInfor(h, &info), AP_E_ARGUMENT);
  apSnmpSetSession(s, sim.port(), "public", "private", 1000, "not.an.address", 1);
  EXPECT_EQ(apSnmpSendGetRequest(h, nullptr, nullptr, AP_MODE_ASYNC, 0), AP_E_ADDRESS);
  apHandleClose(h);
}

}  // namespace
