// PlugUpgradeFirmware and PlugUpFirCallBack as a host drives them: its
// device list, its windows and its FTP server, against simulated access
// points that fetch, write and run the images.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/host/host_settings.h"
#include "platform/host/module_api.h"
#include "platform/host/testing/built_module.h"
#include "platform/host/testing/host_with_ftp.h"
#include "platform/testing/qt_wait.h"
#include "sim/testing/sim_process.h"

namespace {

using kav::host::ModuleApi;
using kav::host::testing::HostWithFtp;
using kav::sim::testing::SimOptions;
using kav::sim::testing::SimProcess;
using Texts = std::vector<std::string>;

constexpr int kStep = 6, kProgress = 7;
const int kHostServer = 0;  // the mode pointer's target: this computer's server

// One row of the host's list: the eight columns and whether it is selected.
struct Row {
  std::string address, model = "KAV-7420", mac, mask = "255.0.0.0", fw = "1.00.018", name = "ap", step,
                       progress;
  bool selected = true;
  Texts cells() const { return {address, model, mac, mask, fw, name, step, progress}; }
};

std::unique_ptr<QTableWidget> makeList(const std::vector<Row>& rows) {
  auto list = std::make_unique<QTableWidget>(0, 8);
  list->setSelectionMode(QAbstractItemView::MultiSelection);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  for (const Row& r : rows) {
    const int row = list->rowCount();
    list->insertRow(row);
    Texts cells = r.cells();
    for (int c = 0; c < 8; ++c) list->setItem(row, c, new QTableWidgetItem(QString::fromStdString(cells[c])));
    if (r.selected) list->selectRow(row);
  }
  return list;
}

Texts rowOf(const QTableWidget& list, int row) {
  Texts out;
  for (int c = 0; c < 8; ++c) out.push_back(list.item(row, c) ? list.item(row, c)->text().toStdString() : "");
  return out;
}

// Runs check every 20 ms while the batch runs (the host's own events).
struct Watcher {
  QTimer timer;
  explicit Watcher(std::function<void()> check) {
    QObject::connect(&timer, &QTimer::timeout, check);
    timer.start(20);
  }
};

std::string firmwareOf(const SimProcess& sim, size_t i) {
  std::ifstream in(sim.stateDir() + "/" + sim.address(i) + "/firmware");
  std::string v;
  std::getline(in, v);
  return v;  // empty: still the factory firmware
}

std::string fwImage(const std::string& path, const Texts& extra) {
  Texts argv{KAV_BIN_DIR "/kav7420-fwimage"};
  argv.insert(argv.end(), extra.begin(), extra.end());
  argv.push_back(path);
  auto r = kav::sim::testing::runCommand(argv);
  EXPECT_EQ(r.status, 0) << r.err;
  return path;
}

// Small times: fetch 5 s, write 8 s, 1 s more for the watches, restart
// request 100 ms (and a 1-s wait for the restarts).
struct Times {
  int send = 5000, second = 8000, extra = 1000, reset = 100;
};

class BatchUpgrade : public ::testing::Test {
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
  void SetUp() override { ASSERT_TRUE(images_.isValid()); }

  static void useDevices(const SimProcess& sim, int timeoutMs = 2000) {
    kav::host::testing::pointAt(*api_, sim.address(), sim.port(), timeoutMs);
  }
  static SimOptions devices(const HostWithFtp& host, int n, const std::string& scenario = "") {
    return {.devices = n, .scenario = "[*]\nrestart_seconds = 1\nflash_ms = 50\n" + scenario,
            .extraArgs = {"--ftp-port", std::to_string(host.port())}};
  }
  std::string image(const std::string& name, const Texts& extra = {"--version", "1.10.002"}) {
    return fwImage(images_.filePath(QString::fromStdString(name)).toStdString(), extra);
  }
  static int upgrade(QTableWidget* list, const std::string& path, Times t = {}, const void* mode = &kHostServer) {
    return api_->upgradeFirmware(mode, list, nullptr, path.c_str(), t.send, t.second, t.extra, t.reset);
  }
  static void collect(HostWithFtp& host, Texts& texts) {
    host.window().onProgressText = [&texts](const QString& t) { texts.push_back(t.toStdString()); };
  }

  static ModuleApi* api_;
  static QTemporaryDir* configHome_;
  QTemporaryDir images_;
};
ModuleApi* BatchUpgrade::api_ = nullptr;
QTemporaryDir* BatchUpgrade::configHome_ = nullptr;

TEST_F(BatchUpgrade, SelectedDevicesOfThisModelEndOnTheNewFirmware) {
  HostWithFtp host;
  Texts texts;
  collect(host, texts);
  SimProcess sim(devices(host, 6));
  useDevices(sim);
  const std::string fw = image("fw.bin");
  std::vector<Row> rows;
  for (size_t i = 0; i < 3; ++i) rows.push_back({.address = sim.address(i), .mac = "00:11:22:33:44:0" + std::to_string(i)});
  const Row otherModel{.address = sim.address(3), .model = "KAV-9999", .mac = "M3"};
  const Row busy{.address = sim.address(4), .mac = "M4", .step = "Write Config:1", .progress = ".."};
  const Row notSelected{.address = sim.address(5), .mac = "M5", .selected = false};
  rows.insert(rows.begin() + 1, otherModel);
  rows.insert(rows.begin() + 3, busy);
  rows.push_back(notSelected);
  auto list = makeList(rows);  // 0, other model, 1, busy, 2, not selected

  EXPECT_EQ(upgrade(list.get(), fw), 0);

  for (int row : {0, 2, 4}) {
    const Texts r = rowOf(*list, row);
    EXPECT_EQ(r[kProgress], "OK") << r[0];
    EXPECT_EQ(r[kStep], "Update F/W") << r[0];
    EXPECT_EQ(r[4], "UpdatedFW") << r[0];
  }
  EXPECT_EQ(texts, (Texts{"00:11:22:33:44:00 Update F/W OK.", "00:11:22:33:44:01 Update F/W OK.",
                          "00:11:22:33:44:02 Update F/W OK."}));
  EXPECT_EQ(host.ftp().home(), images_.path()) << "the host serves the image's folder";
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(firmwareOf(sim, i), "1.10.002") << "device " << i << " runs the image";
  EXPECT_EQ(rowOf(*list, 1), otherModel.cells());
  EXPECT_EQ(rowOf(*list, 3), busy.cells());
  EXPECT_EQ(rowOf(*list, 5), notSelected.cells());
  for (size_t i = 3; i < 6; ++i) EXPECT_EQ(firmwareOf(sim, i), "") << "device " << i << " untouched";
}

// Each failure ends the row at the step that failed, with the library's
// text; the image fetch also tells the host window.
TEST_F(BatchUpgrade, AFailedTransferKeepsItsTextAndNeverEndsOK) {
  HostWithFtp host;
  SimProcess sim(devices(host, 1));
  useDevices(sim);
  struct Case {
    std::string image, step, inProgress;
    bool hostText;
  } cases[] = {
      {images_.filePath("missing.bin").toStdString(), "Write Config:1", "transfer", true},
      {image("broken.bin", {"--version", "1.10.002", "--corrupt", "payload"}), "Update F/W:2", "", false},
      {image("other.bin", {"--version", "9.9", "--model", "OTHER"}), "Update F/W:2", "OTHER", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.image);
    Texts texts;
    collect(host, texts);
    auto list = makeList({{.address = sim.address(), .mac = "AA"}});
    EXPECT_EQ(upgrade(list.get(), c.image), 0);
    const Texts r = rowOf(*list, 0);
    EXPECT_EQ(r[kStep], c.step);
    EXPECT_NE(r[kProgress], "OK");
    EXPECT_NE(r[kProgress], "..");
    EXPECT_NE(r[kProgress], ".....");
    EXPECT_NE(r[kProgress].find(c.inProgress), std::string::npos) << r[kProgress];
    EXPECT_EQ(r[4], "1.00.018");
    if (c.hostText) {
      ASSERT_EQ(texts.size(), 1u);
      EXPECT_EQ(texts[0], sim.address() + " Snmp Ack: Firmware update " + r[kProgress]);
    } else {
      EXPECT_TRUE(texts.empty()) << texts[0];
    }
    EXPECT_EQ(firmwareOf(sim, 0), "");
  }
}

// A silent device, and a slow one whose answers come after the watch has
// run out: both "No Response!".  The slow one's late answer must not end the
// watch over the next device, whose image must still be written.
TEST_F(BatchUpgrade, DevicesThatDoNotAnswerInTimeShowNoResponse) {
  HostWithFtp host;
  Texts texts;
  collect(host, texts);
  SimProcess sim(devices(host, 3, "[${0}]\ndelay_ms = 1400\n[${1}]\ndelay_ms = 600\n[${2}]\nsilent = 1\n"));
  useDevices(sim);
  const std::string fw = image("fw.bin");
  auto list = makeList({{.address = sim.address(0), .mac = "SLOW"},
                        {.address = sim.address(1), .mac = "GOOD"},
                        {.address = sim.address(2), .mac = "SILENT"}});
  EXPECT_EQ(upgrade(list.get(), fw, {.send = 2000, .second = 8000, .extra = 0, .reset = 1000}), 0);
  EXPECT_EQ(rowOf(*list, 0)[kProgress], "No Response!");
  EXPECT_EQ(rowOf(*list, 0)[kStep], "Write Config:1");
  EXPECT_EQ(rowOf(*list, 1)[kProgress], "OK");
  EXPECT_EQ(firmwareOf(sim, 1), "1.10.002") << "the image was written before the restart";
  EXPECT_EQ(rowOf(*list, 2)[kProgress], "No Response!");
  EXPECT_EQ(rowOf(*list, 2)[kStep], "Write Config:1");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rfind(sim.address(2) + " Snmp Ack: Firmware update No answer", 0), 0u) << texts[0];
  EXPECT_EQ(texts[1], "GOOD Update F/W OK.");
}

TEST_F(BatchUpgrade, WithoutASelectedReadyRowOfThisModelNothingHappens) {
  HostWithFtp host;
  SimProcess sim(devices(host, 1));
  useDevices(sim);
  const std::string fw = image("fw.bin");
  const std::string a = sim.address();
  struct Case {
    const char* what;
    std::vector<Row> rows;
  } cases[] = {
      {"no row", {}},
      {"nothing selected", {{.address = a, .selected = false}}},
      {"another model", {{.address = a, .model = "KAV-742"}, {.address = a, .model = ""}}},
      {"a step under way", {{.address = a, .step = "Reset"}, {.address = a, .step = " "}}},
  };
  const auto before = sim.stats()[a].received;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto list = makeList(c.rows);
    EXPECT_EQ(upgrade(list.get(), fw), -1);
    for (size_t i = 0; i < c.rows.size(); ++i) EXPECT_EQ(rowOf(*list, static_cast<int>(i)), c.rows[i].cells());
  }
  EXPECT_EQ(upgrade(nullptr, fw), -1) << "no list";
  EXPECT_EQ(sim.stats()[a].received, before) << "no request reached the device";
  api_->upFirCallBack();  // no batch: nothing to abort
}

// An abort lets the step under way answer, drops the rest and marks every
// handled row; a second batch is refused while one runs.
TEST_F(BatchUpgrade, AbortMarksTheUnfinishedRowsAborted) {
  HostWithFtp host;
  SimProcess sim(devices(host, 3, "[*]\nflash_ms = 1500\n"));
  useDevices(sim);
  const std::string fw = image("fw.bin");
  struct Case {
    const char* abortAt;  // the step all handled rows show
    bool restarted;       // the devices had been told to restart
  } cases[] = {{"Update F/W:2", false}, {"Reset", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.abortAt);
    // Factory firmware again: an image written before runs from a start.
    sim.stop();
    for (size_t i = 0; i < 3; ++i) std::filesystem::remove_all(sim.stateDir() + "/" + sim.address(i));
    sim.start();
    const Row other{.address = sim.address(2), .model = "OTHER"};
    auto list = makeList({{.address = sim.address(0), .mac = "A"}, other, {.address = sim.address(1), .mac = "B"}});
    auto second = makeList({{.address = sim.address(2)}});
    int secondResult = 0;
    bool aborted = false;
    Watcher w([&] {
      if (aborted || rowOf(*list, 0)[kStep] != c.abortAt || rowOf(*list, 2)[kStep] != c.abortAt) return;
      aborted = true;
      secondResult = upgrade(second.get(), fw);
      api_->upFirCallBack();
    });
    EXPECT_EQ(upgrade(list.get(), fw, {.reset = 300}), 0);
    ASSERT_TRUE(aborted);
    EXPECT_EQ(secondResult, -1);
    EXPECT_EQ(rowOf(*second, 0), Row{.address = sim.address(2)}.cells());
    for (int row : {0, 2}) {
      EXPECT_EQ(rowOf(*list, row)[kProgress], "Aborted!");
      EXPECT_EQ(rowOf(*list, row)[kStep], c.abortAt);
      EXPECT_EQ(rowOf(*list, row)[4], "1.00.018");
    }
    EXPECT_EQ(rowOf(*list, 1), other.cells()) << "a row the batch did not handle";
    if (c.restarted)
      EXPECT_TRUE(kav::testing::waitUntil([&] { return firmwareOf(sim, 0) == "1.10.002"; }));
    else
      EXPECT_EQ(firmwareOf(sim, 0), "");
    api_->upFirCallBack();  // after the batch: nothing
    EXPECT_EQ(rowOf(*list, 0)[kProgress], "Aborted!");
  }
}

// The host may change its list while the batch runs: texts follow the
// device's row, and a device whose row has gone is left alone.
TEST_F(BatchUpgrade, RowsThatMoveOrLeaveTheListDuringTheBatch) {
  HostWithFtp host;
  SimProcess sim(devices(host, 2));
  useDevices(sim);
  const std::string fw = image("fw.bin");
  auto list = makeList({{.address = sim.address(0), .mac = "GONE"}, {.address = sim.address(1), .mac = "STAYS"}});
  bool changed = false;
  Watcher w([&] {
    if (changed || list->rowCount() < 2 || list->item(1, kStep)->text() != "Write Config:1") return;
    changed = true;
    list->removeRow(0);
    list->insertRow(0);
    list->insertRow(0);
    list->setItem(0, 0, new QTableWidgetItem("10.9.9.9"));
  });
  Texts texts;
  collect(host, texts);
  EXPECT_EQ(upgrade(list.get(), fw), 0);
  ASSERT_TRUE(changed);
  ASSERT_EQ(list->rowCount(), 3);
  EXPECT_EQ(rowOf(*list, 0), (Texts{"10.9.9.9", "", "", "", "", "", "", ""}));
  EXPECT_EQ(rowOf(*list, 1), Texts(8));
  EXPECT_EQ(rowOf(*list, 2)[kProgress], "OK");
  EXPECT_EQ(texts, Texts{"STAYS Update F/W OK."});
}

// With a remote server the device is told the settings' address and
// account, and the host's own home folder stays where it is.
TEST_F(BatchUpgrade, WithARemoteServerTheSettingsNameTheServer) {
  HostWithFtp host(1);
  SimProcess sim(devices(host, 1));
  useDevices(sim);
  const QString served = host.ftp().home();
  fwImage((served + "/remote.bin").toStdString(), {"--version", "1.10.002"});
  struct Case {
    const char* address;
    const char* progress;
  } cases[] = {{"", "Invalid IP!"}, {"127.0.0.1", "OK"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    kav::host::AdvanceSystem a = kav::host::AdvanceSystem::load();
    a.remoteFtpIpAddress = c.address;
    a.ftpPassword = "secret";
    a.ftpPasswordTmp = "not this one";
    QString error;
    ASSERT_TRUE(a.save(&error)) << error.toStdString();
    auto list = makeList({{.address = sim.address(), .mac = "R", .mask = ""}});
    EXPECT_EQ(upgrade(list.get(), "/elsewhere/remote.bin", {}, nullptr), 0);
    EXPECT_EQ(rowOf(*list, 0)[kProgress], c.progress);
    EXPECT_EQ(host.ftp().home(), served);
  }
  EXPECT_EQ(firmwareOf(sim, 0), "1.10.002");
}

TEST_F(BatchUpgrade, CommandLineUpgradesTheDevicesItIsGiven) {
  kav::host::AdvanceSystem a;
  a.ftpPort = kav::host::testing::freeTcpPort();
  a.ftpUserName = "device";
  a.ftpPasswordTmp = "secret";
  QString error;
  ASSERT_TRUE(a.save(&error)) << error.toStdString();
  SimProcess sim({.devices = 2, .scenario = "[*]\nrestart_seconds = 1\nflash_ms = 50\n",
                  .extraArgs = {"--ftp-port", std::to_string(a.ftpPort)}});
  const std::string fw = image("cli.bin");
  auto r = kav::sim::testing::runCommand({KAV_BIN_DIR "/orvane", "batch-upgrade", sim.address(0) + "-" +
                                          sim.address(1).substr(sim.address(1).rfind('.') + 1), "--image", fw,
                                          "--port", std::to_string(sim.port()), "--json", "--reset-timeout", "100"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const QJsonObject out = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
  const QJsonArray rows = out["rows"].toArray();
  ASSERT_EQ(rows.size(), 2) << r.out;
  Texts expected;
  for (int i = 0; i < 2; ++i) {
    const QJsonObject row = rows[i].toObject();
    EXPECT_EQ(row["address"].toString().toStdString(), sim.address(i));
    EXPECT_EQ(row["progress"].toString(), "OK");
    EXPECT_EQ(row["step"].toString(), "Update F/W");
    EXPECT_EQ(row["fwVersion"].toString(), "UpdatedFW");
    EXPECT_EQ(row["netmask"].toString(), "255.255.255.0");
    EXPECT_EQ(row["mac"].toString().size(), 12) << "the device's MAC address";
    expected.push_back(row["mac"].toString().toStdString() + " Update F/W OK.");
    EXPECT_EQ(firmwareOf(sim, i), "1.10.002");
  }
  Texts messages;
  for (const auto& m : out["messages"].toArray()) messages.push_back(m.toString().toStdString());
  EXPECT_EQ(messages, expected);
}

}  // namespace
