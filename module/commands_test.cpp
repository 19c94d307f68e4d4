// PlugCmdAPI and PlugSystemCmd as a host drives them, against simulated
// access points and the host's own FTP server.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/host/ftp_server.h"
#include "platform/host/host_settings.h"
#include "platform/host/host_window.h"
#include "platform/host/module_api.h"
#include "platform/testing/qt_wait.h"
#include "sim/testing/sim_process.h"
#include "template/config_file.h"

namespace {

using kav::host::ModuleApi;
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
    QString error;
    ASSERT_TRUE(api_->load(KAV_BIN_DIR "/KAV-7420AP.plx", &error)) << error.toStdString();
  }
  static void TearDownTestSuite() {
    delete api_;
    delete configHome_;
  }

  static void useDevices(const SimProcess& sim, int timeoutMs = 2000) {
    in_addr a{};
    inet_pton(AF_INET, sim.address().c_str(), &a);
    api_->setSnmpParameter(a.s_addr, "public", "private", sim.port(), timeoutMs);
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

}  // namespace
