// The module's exports as a host sees them: loaded with dlopen, driven
// against simulated access points.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "module/host_records.h"
#include "platform/host/module_api.h"
#include "platform/host/testing/built_module.h"
#include "platform/testing/qt_wait.h"
#include "sim/testing/sim_process.h"

namespace {

using kav::host::ModuleApi;
using kav::sim::testing::SimProcess;
using kav::testing::waitUntil;

// What a callback saw, copied while the module's texts were alive.
struct Answer {
  int calls = 0;
  std::string via;  // which host callback took it
  int hasData = -1;
  std::string address, tag;
  int band = 0, authentication = 0, opMode = 0, fullFlag = 0;
  std::string bandText, authenticationText, opModeText, ssid, channel, full;
  std::map<std::string, std::string> traffic;
};

std::string text(const char* s) { return s ? s : "(null)"; }

// Starts the devices afresh from a scenario that names them (xml lines
// apply when a device's configuration is made).
void recreate(SimProcess& sim, const std::string& scenario) {
  sim.stop();
  std::ofstream(sim.scenarioPath()) << scenario;
  std::filesystem::remove_all(sim.stateDir());
  std::filesystem::create_directories(sim.stateDir());
  sim.start();
}

void take(const char* via, QueryStatus* st, int32_t hasData, void** records, void* context) {
  auto* a = static_cast<Answer*>(context);
  ++a->calls;
  a->via = via;
  a->hasData = hasData;
  a->address = text(st->address);
  a->tag = text(st->tag);
  if (hasData == 1) {
    const auto* b = static_cast<const BasicConfig*>(records[0]);
    a->band = b->band;
    a->bandText = text(b->bandText);
    a->authentication = b->authentication;
    a->authenticationText = text(b->authenticationText);
    a->opMode = b->opMode;
    a->opModeText = text(b->opModeText);
    a->ssid = text(b->ssid);
    a->channel = text(b->channel);
    a->full = text(b->full);
    a->fullFlag = b->fullFlag;
  }
}
void callbackA(QueryStatus* st, int32_t h, void** r, void* c) { take("A", st, h, r, c); }
void callbackB(QueryStatus* st, int32_t h, void** r, void* c) { take("B", st, h, r, c); }

void takeTraffic(QueryStatus* st, int32_t hasData, void** records, void* context) {
  auto* a = static_cast<Answer*>(context);
  ++a->calls;
  a->hasData = hasData;
  a->address = text(st->address);
  const auto* t = static_cast<const TrafficDigest*>(records[0]);
  a->traffic = {{"band", text(t->bandText)},   {"empty", text(t->empty)},     {"address", text(t->address)},
                {"mac", text(t->wlanMac)},     {"clients", text(t->clients)}, {"tx", text(t->txPackets)},
                {"rx", text(t->rxPackets)}};
}

class Module : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kav::testing::ensureApp();
    api_ = new ModuleApi;
    ASSERT_EQ(kav::host::testing::loadBuiltModule(*api_), "");
  }
  static void TearDownTestSuite() {
    delete api_;
    api_ = nullptr;
  }

  static void useDevices(const SimProcess& sim, int timeoutMs = 2000) {
    kav::host::testing::pointAt(*api_, sim.address(), sim.port(), timeoutMs);
  }

  static ModuleApi* api_;
};
ModuleApi* Module::api_ = nullptr;

TEST(HostRecords, TextsFollowTheHostsNumbering) {
  struct Case {
    int band, auth, mode, full;
    int wantBand;
    const char *bandText, *authText, *modeText, *fullText;
  };
  const Case cases[] = {
      {0, 1, 1, 0, 1, "2.4GHz", "Open System", "Access Point", nullptr},
      {1, 10, 4, 1, 2, "5GHz", "802.1x", "Wireless client", "full"},
      {7, 11, 5, 2, 2, "5GHz", "Wep", "AP Repeater", nullptr},  // any band but 0 is 5 GHz
      {0, 3, 2, 1, 1, "2.4GHz", "Both", "WDS with AP", "full"},
      {0, 0, 0, 0, 1, "2.4GHz", nullptr, nullptr, nullptr},  // codes outside the tables
      {0, 12, 6, 0, 1, "2.4GHz", nullptr, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    AP_BASIC_CONFIG r{};
    r.band = c.band;
    r.authentication = c.auth;
    r.opMode = c.mode;
    r.full = c.full;
    BasicConfig b{};
    kav::module::fillBasicConfig(r, &b);
    EXPECT_EQ(b.band, c.wantBand);
    EXPECT_STREQ(b.bandText, c.bandText);
    EXPECT_EQ(b.authentication, c.auth);
    EXPECT_STREQ(b.authenticationText, c.authText) << c.auth;
    EXPECT_EQ(b.opMode, c.mode);
    EXPECT_STREQ(b.opModeText, c.modeText) << c.mode;
    EXPECT_STREQ(b.full, c.fullText) << c.full;
    EXPECT_EQ(b.fullFlag, c.full);
  }
  EXPECT_EQ(kav::module::dottedAddress(0), "0.0.0.0");
  EXPECT_EQ(kav::module::dottedAddress(htonl(0x7F000102)), "127.0.1.2");
}

TEST_F(Module, CapabilitiesAreExactlyTheModulesOwn) {
  ModuleCaps caps;
  std::memset(&caps, 0x5A, sizeof caps);
  EXPECT_EQ(api_->getModuleCaps(&caps), 0);
  EXPECT_STREQ(caps.model, "KAV-7420");
  EXPECT_STREQ(caps.description, "Orvane Module v3.15r05 (2011/05/18)");
  EXPECT_STREQ(caps.band, "2.4GHz");
  EXPECT_STREQ(caps.sysObjectId, "1.3.6.1.4.1.32473.10.37.38");
  EXPECT_EQ(caps.caps[0], 3);
  EXPECT_EQ(caps.caps[1], 15);
  EXPECT_EQ(caps.caps[2], 13);
  EXPECT_EQ(api_->exit(), 1);
  EXPECT_EQ(api_->exit(), 1);
  PlugMessage other{nullptr, 0x0100, 13, 0, 0, 0, 0};
  EXPECT_EQ(api_->preTranslateMsg(&other), 0);
  other.message = 0x0101;
  other.wParam = 9;
  EXPECT_EQ(api_->preTranslateMsg(&other), 0);
}

TEST_F(Module, BasicConfigurationDigestsFollowEachDevice) {
  SimProcess sim(3);
  recreate(sim, "[" + sim.address(1) + "]\nxml.wlan/inf[id=1]/wlmode = 9\nxml.wlan/inf[id=1]/authentication = 5\n"
                  "xml.wlan/inf[id=1]/wpa/wepmode = 3\nxml.wlan/inf[id=1]/ap_mode = 2\nxml.sys/name = five\n"
                  "xml.wlan/inf[id=1]/ssid = Office\n"
                  "[" + sim.address(2) + "]\nsilent = 1\n");
  useDevices(sim, 500);
  Answer a[3];
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(api_->getBasicConfigInfor(sim.address(i).c_str(), callbackA, "tag-of-host", &a[i]), 0);
  ASSERT_TRUE(waitUntil([&] { return a[0].calls && a[1].calls && a[2].calls; }));
  EXPECT_EQ(a[0].hasData, 1);
  EXPECT_EQ(a[0].address, sim.address(0));
  EXPECT_EQ(a[0].tag, "KAV-7420");  // the device's name on success
  EXPECT_EQ(a[0].band, 1);
  EXPECT_EQ(a[0].bandText, "2.4GHz");
  EXPECT_EQ(a[0].authenticationText, "Open System");
  EXPECT_EQ(a[0].opModeText, "Access Point");
  EXPECT_EQ(a[0].full, "(null)");

  EXPECT_EQ(a[1].band, 2);
  EXPECT_EQ(a[1].bandText, "5GHz");
  EXPECT_EQ(a[1].authentication, 6);
  EXPECT_EQ(a[1].authenticationText, "WPA2-Personal");
  EXPECT_EQ(a[1].opMode, 3);
  EXPECT_EQ(a[1].opModeText, "WDS");
  EXPECT_EQ(a[1].ssid, "Office");
  EXPECT_EQ(a[1].tag, "five");

  // A device that does not answer still gets an answer: no data, the tag.
  EXPECT_EQ(a[2].hasData, 0);
  EXPECT_EQ(a[2].tag, "tag-of-host");
  EXPECT_EQ(a[2].address, sim.address(2));
}

TEST_F(Module, ASecondQueryTakesOverTheCallbackOfTheFirst) {
  SimProcess sim(2);
  sim.setScenario("[" + sim.address(0) + "]\ndelay_ms = 300\n");
  useDevices(sim);
  Answer first, second;
  ASSERT_EQ(api_->getBasicConfigInfor(sim.address(0).c_str(), callbackA, "", &first), 0);
  ASSERT_EQ(api_->getBasicConfigInfor(sim.address(1).c_str(), callbackB, "", &second), 0);
  ASSERT_TRUE(waitUntil([&] { return first.calls && second.calls; }));
  EXPECT_EQ(first.via, "B");
  EXPECT_EQ(second.via, "B");
  EXPECT_EQ(first.address, sim.address(0));
}

TEST_F(Module, SystemInfoGivesTheMaskInNetworkOrder) {
  SimProcess sim(2);
  recreate(sim, "[" + sim.address(0) + "]\nxml.wan/rg/inf[id=1]/static/netmask = 255.255.240.0\n" +
                  "[" + sim.address(1) + "]\nxml.wan/rg/inf[id=1]/static/netmask = garbage\n");
  useDevices(sim);
  uint32_t out = 0;
  EXPECT_EQ(api_->getSystemInfo(sim.address(0).c_str(), nullptr, nullptr, &out), inet_addr("255.255.240.0"));
  EXPECT_EQ(out, htonl(0xFFFFF000u));
  EXPECT_EQ(api_->getSystemInfo(sim.address(1).c_str(), nullptr, nullptr, &out), 0xFFFFFFFFu);
  EXPECT_EQ(out, 0xFFFFFFFFu);
}

TEST_F(Module, TrafficAnswersOnlyOnSuccess) {
  const std::string clients = "[*]\nclient = 00AABBCCDD01 0 6 -40 0 1\nclient = 00AABBCCDD02 0 6 -50 1 2\n";
  SimProcess sim(2, clients);
  sim.setScenario(clients + "[" + sim.address(1) + "]\nsilent = 1\n");
  useDevices(sim, 300);
  Answer ok, silent;
  ASSERT_EQ(api_->getTrafficInfor(sim.address(0).c_str(), takeTraffic, nullptr, &ok), 0);
  ASSERT_EQ(api_->getTrafficInfor(sim.address(1).c_str(), takeTraffic, nullptr, &silent), 0);
  ASSERT_TRUE(waitUntil([&] { return ok.calls > 0; }));
  kav::testing::spin(std::chrono::milliseconds(800));
  EXPECT_EQ(silent.calls, 0);
  EXPECT_EQ(ok.hasData, 1);
  EXPECT_EQ(ok.traffic["band"], "2.4GHz");
  EXPECT_EQ(ok.traffic["empty"], "");
  EXPECT_EQ(ok.traffic["clients"], "2");
  EXPECT_EQ(ok.address, ok.traffic["address"]);
  EXPECT_FALSE(ok.traffic["tx"].empty());
}

TEST_F(Module, TwoHundredDevicesAtOnceEachAnswerWithTheirOwnRecord) {
  constexpr int kDevices = 200;
  SimProcess sim(kDevices);
  std::string scenario;
  for (int i = 0; i < kDevices; ++i)
    scenario += "[" + sim.address(i) + "]\nxml.sys/name = dev-" + sim.address(i) + "\n";
  recreate(sim, scenario);
  useDevices(sim, 5000);
  std::vector<Answer> answers(kDevices);
  for (int i = 0; i < kDevices; ++i)
    ASSERT_EQ(api_->getBasicConfigInfor(sim.address(i).c_str(), callbackA, "t", &answers[i]), 0);
  ASSERT_TRUE(waitUntil([&] {
    for (const Answer& a : answers)
      if (!a.calls) return false;
    return true;
  }, std::chrono::seconds(30)));
  for (int i = 0; i < kDevices; ++i) {
    EXPECT_EQ(answers[i].hasData, 1) << sim.address(i);
    EXPECT_EQ(answers[i].address, sim.address(i));
    EXPECT_EQ(answers[i].tag, "dev-" + sim.address(i));
  }
}

TEST_F(Module, CommandLineJsonShowsWhatTheDeviceHolds) {
  SimProcess sim(2, "[*]\nxml.wlan/inf[id=1]/ssid = Lobby\nxml.wlan/inf[id=1]/authentication = 3\n"
                    "xml.wlan/inf[id=1]/wpa/wepmode = 2\n");
  auto r = kav::sim::testing::runCommand({KAV_BIN_DIR "/orvane", "basic-config", sim.address(0) + "-" +
                                          sim.address(1), "--port", std::to_string(sim.port()), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  QJsonArray list = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array();
  ASSERT_EQ(list.size(), 2);
  for (int i = 0; i < 2; ++i) {
    QJsonObject o = list[i].toObject();
    EXPECT_EQ(o["address"].toString().toStdString(), sim.address(i));
    EXPECT_TRUE(o["answered"].toBool());
    EXPECT_EQ(o["ssid"].toString(), "Lobby");
    EXPECT_NE(sim.configXml(i).find("<ssid>Lobby</ssid>"), std::string::npos);
    EXPECT_EQ(o["authenticationText"].toString(), "WPA-Personal");
    EXPECT_EQ(o["bandText"].toString(), "2.4GHz");
  }
  // A malformed address is a usage error, not a crash.
  auto bad = kav::sim::testing::runCommand({KAV_BIN_DIR "/orvane", "traffic", "10.0.0.300"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("10.0.0.300"), std::string::npos);
}

TEST_F(Module, ParseFileMakesATemplateFromADevicesFile) {
  SimProcess sim(1, "[*]\nxml.wlan/inf[id=1]/ssid = Warehouse\n");
  const std::string dir = sim.stateDir() + "/../parse";
  std::filesystem::create_directories(dir);
  const std::string dcf = dir + "/device.dcf", tpl = dir + "/device.tpl";
  sim.stop();  // the device's files are read while it is off
  auto r = kav::sim::testing::runCommand({kav::sim::testing::simulatorBinary(), "--state", sim.stateDir(),
                                          "--export-dcf", sim.address(), dcf});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(api_->parseFile(dcf.c_str(), tpl.c_str()), 1);
  std::ifstream in(tpl);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("[System]\r\n"), std::string::npos);
  EXPECT_NE(text.find("SSID=Warehouse\r\n"), std::string::npos);
  EXPECT_NE(text.find("[2.4GHz_MultiSSIDSettings]"), std::string::npos);
  // A configuration file whose compressed body is broken: nothing is made.
  std::ofstream(dir + "/junk.dcf", std::ios::binary) << std::string("KAV-7420" "0" "\x1f\x8b\x08\x00garbage", 20);
  EXPECT_EQ(api_->parseFile((dir + "/junk.dcf").c_str(), (dir + "/junk.tpl").c_str()), 0);
}

}  // namespace
