// The window exports as a host uses them: PlugInit makes the frame with the
// module's pages, PlugShow shows it and the home page reads the device,
// PlugPreTranslateMsg moves the focus on Tab, PlugExit and the user's close
// end it.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include "platform/host/module_api.h"
#include "platform/host/testing/built_module.h"
#include "platform/testing/qt_wait.h"
#include "sim/testing/sim_process.h"

namespace {

using kav::host::ModuleApi;
using kav::sim::testing::SimProcess;
using kav::testing::waitUntil;

// The module's frame: its classes are hidden in the module, so it is found
// by title and class name.
QWidget* ModuleWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->windowTitle() == "KAV-7420" && QLatin1String(w->metaObject()->className()) == "CMainFrame") return w;
  return nullptr;
}

QString StatusLine(QWidget* frame) {
  auto* label = frame ? frame->findChild<QLabel*>("statusText") : nullptr;
  return label ? label->text() : QString();
}

class Window : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kav::testing::ensureApp();
    api_ = new ModuleApi;
    ASSERT_EQ(kav::host::testing::loadBuiltModule(*api_), "");
    sim_ = new SimProcess(1, "[*]\nxml.sys/name = Lobby\n");
    kav::host::testing::pointAt(*api_, sim_->address(), sim_->port());
  }
  static void TearDownTestSuite() {
    api_->exit();
    delete api_;
    delete sim_;
  }
  static ModuleApi* api_;
  static SimProcess* sim_;
};
ModuleApi* Window::api_ = nullptr;
SimProcess* Window::sim_ = nullptr;

TEST_F(Window, InitShowReadsTheHomePageAndExitDestroysTheFrame) {
  EXPECT_EQ(api_->init(), 0);
  QPointer<QWidget> frame = ModuleWindow();
  ASSERT_TRUE(frame);
  EXPECT_FALSE(frame->isVisible());  // PlugShow shows it
  api_->show();
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(frame->size(), QSize(850, 650));
  ASSERT_TRUE(waitUntil([&] { return StatusLine(frame) == "Read from the device successfully."; }));
  auto* systemName = frame->findChild<QLabel*>("1374");
  ASSERT_NE(systemName, nullptr);
  EXPECT_EQ(systemName->text(), "Lobby");

  // A second PlugInit replaces the frame.
  EXPECT_EQ(api_->init(), 0);
  EXPECT_TRUE(waitUntil([&] { return frame.isNull(); }));
  frame = ModuleWindow();
  ASSERT_TRUE(frame);
  EXPECT_EQ(api_->exit(), 1);
  EXPECT_TRUE(frame.isNull());
  EXPECT_EQ(ModuleWindow(), nullptr);
  EXPECT_EQ(api_->exit(), 1);
}

TEST_F(Window, TabMovesTheFocusInsideTheWindowOnly) {
  api_->init();
  api_->show();
  QWidget* frame = ModuleWindow();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(waitUntil([&] { return frame->isEnabled(); }));
  PlugMessage tab{};
  tab.message = 0x0100;
  tab.wParam = 9;
  QWidget outside;
  auto* edit = new QLineEdit(&outside);
  outside.show();
  outside.activateWindow();
  ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &outside; }));
  edit->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), edit);
  EXPECT_EQ(api_->preTranslateMsg(&tab), 0);  // not the module's window

  frame->activateWindow();
  ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == frame; }));
  auto* lan = frame->findChild<QWidget*>("page10002");
  ASSERT_NE(lan, nullptr);
  auto* ip = lan->findChild<QLineEdit*>("ipAddress");
  // Move to the LAN page through the menu, then Tab from its address box.
  for (QAction* a : frame->findChildren<QAction*>())
    if (a->objectName() == "32802") a->trigger();
  ASSERT_TRUE(waitUntil([&] { return lan->isVisible() && frame->isEnabled(); }));
  ip->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), ip);
  EXPECT_EQ(api_->preTranslateMsg(&tab), 1);
  EXPECT_EQ(QApplication::focusWidget(), lan->findChild<QLineEdit*>("subnetMask"));
  api_->exit();
}

TEST_F(Window, ClosingByTheUserEnablesTheHostWindow) {
  QWidget hostParent;
  auto* host = new QWidget(&hostParent, Qt::Window);
  host->setWindowTitle("Orvane2");
  hostParent.setEnabled(false);
  api_->init();
  api_->show();
  QPointer<QWidget> frame = ModuleWindow();
  ASSERT_TRUE(frame);
  frame->close();
  EXPECT_TRUE(hostParent.isEnabled());
  EXPECT_TRUE(host->isEnabled());
  EXPECT_TRUE(waitUntil([&] { return frame.isNull(); }));
  EXPECT_EQ(api_->exit(), 1);  // nothing left to destroy
}

// The host's command line opens the window for one device and returns when
// it is closed; the home page has read the device by then.
TEST(HostConfigure, OpensTheWindowUntilItIsClosed) {
  kav::testing::ensureApp();  // also gives the host the offscreen platform
  SimProcess sim(1);
  const auto before = sim.stats().at(sim.address()).answered;
  const std::string orvane = KAV_BIN_DIR "/orvane";
  auto r = kav::sim::testing::runCommand({orvane, "configure", sim.address(), "--port", std::to_string(sim.port()),
                                          "--close-after", "1500"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_GT(sim.stats().at(sim.address()).answered, before);

  r = kav::sim::testing::runCommand({orvane, "configure", sim.address() + "-2", "--port", std::to_string(sim.port())});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("one device"), std::string::npos) << r.err;
}

}  // namespace
