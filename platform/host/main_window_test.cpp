// The host window's batch firmware upgrade: the image the user picks (the
// file dialog answered by the test), the selected rows of the device list,
// and Abort while the batch runs.
#include "platform/host/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

#include "platform/host/module_api.h"
#include "platform/host/testing/built_module.h"
#include "platform/host/testing/host_with_ftp.h"
#include "platform/testing/qt_wait.h"
#include "sim/testing/sim_process.h"

namespace {

using kav::host::MainWindow;
using kav::sim::testing::SimProcess;

QAction* action(QWidget* w, const QString& text) {
  for (QAction* a : w->findChildren<QAction*>())
    if (a->text() == text) return a;
  return nullptr;
}

QString cell(QTableWidget* list, int row, int column) {
  return list->item(row, column) ? list->item(row, column)->text() : QString();
}

TEST(MainWindow, UpgradeFirmwareRunsOnTheSelectedRowsAndAbortStopsIt) {
  kav::testing::ensureApp();
  QTemporaryDir configHome, images;
  qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
  kav::host::ModuleApi api;
  ASSERT_EQ(kav::host::testing::loadBuiltModule(api), "");
  const QString image = images.filePath("fw.bin");
  auto made = kav::sim::testing::runCommand(
      {KAV_BIN_DIR "/kav7420-fwimage", "--version", "1.10.002", image.toStdString()});
  ASSERT_EQ(made.status, 0) << made.err;

  struct Case {
    const char* abortAt;  // the step at which the user presses Abort, or none
    const char* progress;
  } cases[] = {{nullptr, "OK"}, {"Update F/W:2", "Aborted!"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.progress);
    kav::host::testing::HostWithFtp host;
    SimProcess sim({.devices = 3, .scenario = "[*]\nrestart_seconds = 1\nflash_ms = 500\n",
                    .extraArgs = {"--ftp-port", std::to_string(host.port())}});
    // As the host makes it: the window titled "Orvane2" below the message window.
    auto* window = new MainWindow(api, sim.port(), 2000);
    window->setParent(&host.window(), Qt::Window);
    window->upgradeTimes = {.sendMs = 5000, .writeMs = 8000, .extraMs = 1000, .resetMs = 100};
    window->addDevices({QString::fromStdString(sim.address(0)), QString::fromStdString(sim.address(1)),
                        QString::fromStdString(sim.address(2))});
    QTableWidget* list = window->deviceList();
    for (int r = 0; r < 3; ++r) list->item(r, MainWindow::kNetmask)->setText("255.0.0.0");
    // What an earlier batch left in a row is cleared for the next one.
    list->item(0, MainWindow::kStep)->setText("Update F/W:2");
    list->item(0, MainWindow::kProgress)->setText("Aborted!");
    list->selectRow(0);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->selectRow(1);

    QAction* upgrade = action(window, "Upgrade firmware...");
    QAction* abort = action(window, "Abort");
    ASSERT_TRUE(upgrade && abort);
    EXPECT_FALSE(abort->isEnabled());
    window->chooseImage = [&] { return image; };
    bool abortable = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
      abortable = abortable || (abort->isEnabled() && !upgrade->isEnabled());
      if (c.abortAt && abort->isEnabled() && cell(list, 0, MainWindow::kStep) == c.abortAt &&
          cell(list, 1, MainWindow::kStep) == c.abortAt)
        abort->trigger();
    });
    user.start(20);
    upgrade->trigger();  // returns when the batch has run
    user.stop();

    EXPECT_TRUE(abortable) << "Abort is offered while the batch runs";
    EXPECT_FALSE(abort->isEnabled());
    EXPECT_TRUE(upgrade->isEnabled());
    for (int r : {0, 1}) EXPECT_EQ(cell(list, r, MainWindow::kProgress), c.progress);
    EXPECT_EQ(cell(list, 2, MainWindow::kProgress), "");
    EXPECT_EQ(cell(list, 2, MainWindow::kStep), "");
    EXPECT_EQ(host.ftp().home(), images.path());
    EXPECT_TRUE(window->findChild<QPlainTextEdit*>("log")->toPlainText().contains("Firmware upgrade finished"));
  }
}

}  // namespace
