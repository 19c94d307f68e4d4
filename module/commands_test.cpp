// PlugCmdAPI and PlugSystemCmd as a host drives them, against simulated
// access points and the host's own FTP server.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/host/module_api.h"
#include "platform/host/testing/built_module.h"
#include "platform/host/testing/host_with_ftp.h"
#include "platform/testing/qt_wait.h"
#include "sim/testing/sim_process.h"
#include "template/config_file.h"

namespace {

using kav::host::ModuleApi;
using kav::host::testing::HostWithFtp;
using kav::sim::testing::SimProcess;
using kav::testing::waitUntil;

struct Answer {
  int calls = 0;
  int status = -1;
  std::string message, address, model, text;
  std::vector<std::vector<std::string>> rows;
};

std::string text(const char* s) { return s ? s : "(null)"; }

void onTable(intptr_t zero, CmdStatus* st, int32_t count, NeighbourRow** rows, void* context) {
  auto* a = static_cast<Answer*>(context);
  EXPECT_EQ(zero, 0);
  ++a->calls;
  a->status = st->status;
  a->message = text(st->message);
  a->address = text(st->address);
  EXPECT_EQ(count == 0, rows == nullptr);
  for (int i = 0; i < count; ++i) {
    std::vector<std::string> row;
    for (const char* t : rows[i]->text) row.push_back(text(t));
    a->rows.push_back(row);
  }
}

void onText(CmdStatus* st, const char* result, void* context) {
  auto* a = static_cast<Answer*>(context);
  ++a->calls;
  a->status = st->status;
  a->message = text(st->message);
  a->address = text(st->address);
  a->model = text(st->model);
  a->text = text(result);
}

class Commands : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kav::testing::ensureApp();
    configHome_ = new QTemporaryDir;
    qputenv("XDG_CONFIG_HOME", configHome_->path().toLocal8Bit());
    api_ = new ModuleApi;
    ASSERT_EQ(kav::host::testing::loadBuiltModule(*api_), "");
  }
  static void TearDownTestSuite() {
    delete api_;
    delete configHome_;
  }

  static void useDevices(const SimProcess& sim, int timeoutMs = 2000) {
    kav::host::testing::pointAt(*api_, sim.address(), sim.port(), timeoutMs);
  }

  static ModuleApi* api_;
  static QTemporaryDir* configHome_;
};
ModuleApi* Commands::api_ = nullptr;
QTemporaryDir* Commands::configHome_ = nullptr;

TEST_F(Commands, NeighboursComeAsRowsOfSevenTexts) {
  SimProcess sim(2, "[${0}]\nneighbour = 1|6|00:1A:2B:3C:4D:5E|2.4GHz|Cafe|2026/12/11 09:12|Neighborhood|Active\n"
                    "neighbour = 1|11|00:1A:2B:3C:4D:6F|2.4GHz|Free|2026/12/11 09:13|ROGUE|Active\n"
                    "[${1}]\nneighbour = none\n");
  useDevices(sim);
  Answer some, none;
  EXPECT_EQ(api_->cmdApi(0, sim.address(0).c_str(), "", &some, reinterpret_cast<void*>(&onTable)), 0);
  ASSERT_TRUE(waitUntil([&] { return some.calls > 0; }));
  EXPECT_EQ(api_->cmdApi(0, sim.address(1).c_str(), "", &none, reinterpret_cast<void*>(&onTable)), 0);
  ASSERT_TRUE(waitUntil([&] { return none.calls > 0; }));
  EXPECT_EQ(some.status, 0);
  EXPECT_EQ(some.address, sim.address(0));
  ASSERT_EQ(some.rows.size(), 2u);
  EXPECT_EQ(some.rows[0],
            (std::vector<std::string>{"neighborhood", "6", "00:1A:2B:3C:4D:5E", "Not Suport", "2.4GHz", "Cafe",
                                      "(Not Suport) 0"}));
  EXPECT_EQ(some.rows[1][0], "rogue");
  EXPECT_TRUE(none.rows.empty());
  EXPECT_EQ(none.calls, 1);
}

TEST_F(Commands, CommandsWithoutAnAnswerCallNothing) {
  SimProcess sim(1);
  useDevices(sim);
  Answer a;
  for (int command : {1, 2, 4, 10, -1, 99})
    EXPECT_EQ(api_->cmdApi(command, sim.address().c_str(), "x|y", &a, reinterpret_cast<void*>(&onText)), 0);
  kav::testing::spin(std::chrono::milliseconds(300));
  EXPECT_EQ(a.calls, 0);
}

TEST_F(Commands, FirmwareVersionOfEachDevice) {
  SimProcess sim(2, "[${0}]\nfw_version = 1.02.003\n[${1}]\nsilent = 1\n");
  useDevices(sim, 300);
  Answer ok, silent;
  api_->cmdApi(5, sim.address(0).c_str(), "", &ok, reinterpret_cast<void*>(&onText));
  api_->cmdApi(5, sim.address(1).c_str(), "", &silent, reinterpret_cast<void*>(&onText));
  ASSERT_TRUE(waitUntil([&] { return ok.calls && silent.calls; }));
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.text, "1.02.003");
  EXPECT_EQ(ok.message, "(null)") << "not written on success";
  EXPECT_EQ(silent.status, 1);
  EXPECT_EQ(silent.text, "") << "no version of another device";
  EXPECT_NE(silent.message.find("No answer"), std::string::npos);
}

TEST_F(Commands, FactoryResetBringsTheDefaultsBack) {
  SimProcess sim(1, "[*]\nrestart_seconds = 0\nxml.sys/name = Changed\nxml.wlan/inf[id=1]/ssid = Changed\n");
  useDevices(sim);
  ASSERT_NE(sim.configXml().find("<ssid>Changed</ssid>"), std::string::npos);
  EXPECT_EQ(api_->systemCmd(sim.address().c_str(), 2), 0);
  ASSERT_TRUE(waitUntil([&] { return sim.configXml().find("<ssid>Changed</ssid>") == std::string::npos; }));
  EXPECT_NE(sim.configXml().find("<ssid>kav7420</ssid>"), std::string::npos);
  // Unknown system commands do nothing and still return 0.
  EXPECT_EQ(api_->systemCmd(sim.address().c_str(), 9), 0);
}

std::string fwImage(const std::string& path, const std::vector<std::string>& extra) {
  std::vector<std::string> argv{KAV_BIN_DIR "/kav7420-fwimage"};
  argv.insert(argv.end(), extra.begin(), extra.end());
  argv.push_back(path);
  auto r = kav::sim::testing::runCommand(argv);
  EXPECT_EQ(r.status, 0) << r.err;
  return path;
}

TEST_F(Commands, BackupStoresEachDevicesFileInTheFolder) {
  HostWithFtp host;
  SimProcess sim({.devices = 3, .extraArgs = {"--ftp-port", std::to_string(host.port())}});
  useDevices(sim);
  QTemporaryDir backups;
  const std::string folder = backups.path().toStdString() + "/";
  const std::string argument = "255.0.0.0|" + folder;
  std::vector<Answer> answers(3);
  for (int i = 0; i < 3; ++i)
    api_->cmdApi(3, sim.address(i).c_str(), argument.c_str(), &answers[i], reinterpret_cast<void*>(&onTable));
  ASSERT_TRUE(waitUntil([&] { return answers[0].calls && answers[1].calls && answers[2].calls; },
                        std::chrono::seconds(20)));
  EXPECT_EQ(host.ftp().home(), backups.path()) << "the host serves the folder the module asked for";
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(answers[i].status, 0) << answers[i].message;
    EXPECT_EQ(answers[i].message, "OK!");
    EXPECT_EQ(answers[i].address, sim.address(i));
    const std::string file = folder + sim.address(i) + ".dcf";
    ASSERT_TRUE(std::filesystem::exists(file)) << file;
    const std::string xml = folder + sim.address(i) + ".xml";
    ASSERT_TRUE(kav::tmpl::UnpackConfigFile(file, xml));
    std::ifstream in(xml);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("<ipaddr>" + sim.address(i) + "</ipaddr>"), std::string::npos);
    EXPECT_NE(text.find("\r\n"), std::string::npos) << "unpacked text has CR LF line ends";
  }
}

TEST_F(Commands, FirmwareUpgradeStepsChangeTheVersionOrRefuseABadImage) {
  HostWithFtp host;
  SimProcess sim({.devices = 2, .scenario = "[*]\nrestart_seconds = 1\nflash_ms = 50\n",
                  .extraArgs = {"--ftp-port", std::to_string(host.port())}});
  useDevices(sim, 1000);
  QTemporaryDir images;
  const std::string good = fwImage(images.filePath("good.bin").toStdString(), {"--version", "1.10.002"});
  const std::string bad = fwImage(images.filePath("other.bin").toStdString(), {"--version", "9.9", "--model", "OTHER"});
  auto step = [&](int command, size_t device, const std::string& argument) {
    Answer a;
    api_->cmdApi(command, sim.address(device).c_str(), argument.c_str(), &a, reinterpret_cast<void*>(&onText));
    EXPECT_TRUE(waitUntil([&] { return a.calls > 0; }, std::chrono::seconds(20)));
    return a;
  };
  // The loopback devices share 127.0.0.0/8 with this computer's loopback.
  Answer fetched = step(6, 0, "255.0.0.0|" + good);
  EXPECT_EQ(fetched.status, 0) << fetched.message;
  EXPECT_EQ(host.ftp().home(), images.path());
  Answer written = step(7, 0, "");
  EXPECT_EQ(written.status, 0) << written.message;
  EXPECT_EQ(written.model, "KAV-7420");
  EXPECT_EQ(written.text, "");
  Answer restarted = step(8, 0, "");
  EXPECT_EQ(restarted.status, 0) << restarted.message;
  std::string version;
  ASSERT_TRUE(waitUntil([&] {
    Answer v = step(5, 0, "");
    version = v.text;
    return v.status == 0;
  }, std::chrono::seconds(15)));
  EXPECT_EQ(version, "1.10.002");

  Answer other = step(6, 1, "255.0.0.0|" + bad);
  EXPECT_EQ(other.status, 0) << other.message;
  Answer refused = step(7, 1, "");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.message.find("OTHER"), std::string::npos) << refused.message;
  EXPECT_EQ(step(5, 1, "").text, "1.00.018") << "a refused image is never written";
}

TEST_F(Commands, WithARemoteServerTheDeviceIsToldNothingOfThisComputer) {
  HostWithFtp host(1);
  SimProcess sim({.devices = 1, .extraArgs = {"--ftp-port", std::to_string(host.port())}});
  useDevices(sim);
  Answer a;
  api_->cmdApi(3, sim.address().c_str(), "255.0.0.0|/somewhere/", &a, reinterpret_cast<void*>(&onTable));
  ASSERT_TRUE(waitUntil([&] { return a.calls > 0; }, std::chrono::seconds(20)));
  EXPECT_EQ(a.status, 1);
  auto r = kav::sim::testing::runCommand({"snmpget", "-v2c", "-c", "public", "-Oqv", sim.peer(),
                                          "1.3.6.1.4.1.32473.10.37.38.2.1.5.2.2.0",
                                          "1.3.6.1.4.1.32473.10.37.38.2.1.5.2.5.0"});
  EXPECT_EQ(r.out, "\"\"\n\"\"\n") << "empty server and file name";
}

}  // namespace
