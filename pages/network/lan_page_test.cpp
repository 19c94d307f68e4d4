// The LAN page in the window against simulated access points: what a read
// shows, what Save checks, and what reaches the device's configuration.
#include "pages/network/lan_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "pages/testing/page_fixture.h"
#include "platform/testing/qt_wait.h"
#include "shell/ip_address_ctrl.h"
#include "shell/shell_ui_recorder.h"
#include "shell/test_shots.h"

namespace {

using kav::pages::testing::WindowFixture;
using kav::sim::testing::SimProcess;
using kav::testing::waitUntil;

constexpr const char* kWritten = "Written to the device successfully.";

// The device's wired settings as its configuration holds them.
struct Wired {
  std::string mode, ip, mask, gateway;
};

// The text of an element inside the <wan> part of a configuration; an
// empty element ("<gateway />") gives "".
std::string Element(const std::string& xml, const std::string& name) {
  const size_t from = xml.find("<wan>"), to = xml.find("</wan>");
  if (from == std::string::npos || to == std::string::npos) return "(no wan)";
  const std::string wan = xml.substr(from, to - from);
  if (wan.find("<" + name + " />") != std::string::npos) return "";
  const std::string open = "<" + name + ">";
  const size_t a = wan.find(open);
  if (a == std::string::npos) return "(none)";
  const size_t b = wan.find("</" + name + ">", a);
  return wan.substr(a + open.size(), b - a - open.size());
}

Wired WiredOf(const SimProcess& sim, size_t device) {
  const std::string xml = sim.configXml(device);
  return {Element(xml, "mode"), Element(xml, "ipaddr"), Element(xml, "netmask"), Element(xml, "gateway")};
}

class Lan : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kav::testing::ensureApp();
    // Device 1 gets its address by DHCP and has no gateway.
    sim_ = new SimProcess(4,
                          "[*]\n"
                          "xml.wan/rg/inf[id=1]/static/ipaddr = 192.168.0.50\n"
                          "xml.wan/rg/inf[id=1]/static/netmask = 255.255.255.0\n"
                          "xml.wan/rg/inf[id=1]/static/gateway = 192.168.0.1\n"
                          "[${1}]\n"
                          "xml.wan/rg/inf[id=1]/mode = 2\n"
                          "xml.wan/rg/inf[id=1]/static/gateway = \n");
  }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }

  CLanPage* Open(WindowFixture& w) {
    w.Show();
    auto* page = w.Open<CLanPage>(kLanPageId);
    combo = page->findChild<QComboBox*>("getIpFrom");
    ip = page->findChild<CIpAddressCtrl*>("ipAddress");
    mask = page->findChild<CIpAddressCtrl*>("subnetMask");
    gateway = page->findChild<CIpAddressCtrl*>("gateway");
    save = page->findChild<QPushButton*>("save");
    return page;
  }
  void Enter(int mode, const char* i, const char* m, const char* g) {
    combo->setCurrentIndex(mode);
    ip->setText(QString::fromLatin1(i));
    mask->setText(QString::fromLatin1(m));
    gateway->setText(QString::fromLatin1(g));
  }
  // Clicks Save; a check that fails has shown its message when the click
  // returns, a write ends in the status line.
  void Save(WindowFixture& w, bool expectWrite) {
    w.frame()->SetStatusText("idle");
    QTest::mouseClick(save, Qt::LeftButton);
    if (expectWrite) waitUntil([&] { return w.frame()->StatusText() != "idle"; });
  }
  QStringList Texts() const { return {ip->text(), mask->text(), gateway->text()}; }

  static SimProcess* sim_;
  QComboBox* combo = nullptr;
  CIpAddressCtrl *ip = nullptr, *mask = nullptr, *gateway = nullptr;
  QPushButton* save = nullptr;
};
SimProcess* Lan::sim_ = nullptr;

TEST_F(Lan, ReadShowsTheModeAndAddresses) {
  {
    WindowFixture w(*sim_, 0);
    Open(w);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(combo->currentText(), "Static IP( Manual)");
    EXPECT_EQ(Texts(), QStringList({"192.168.0.50", "255.255.255.0", "192.168.0.1"}));
    EXPECT_TRUE(ip->isEnabled() && mask->isEnabled() && gateway->isEnabled());
    SaveShot(w.frame(), "frame_lan");
  }
  // DHCP, no gateway ("N/A" from the device): greyed boxes keep their values.
  WindowFixture w(*sim_, 1);
  Open(w);
  EXPECT_EQ(combo->currentText(), "Dynamic IP( DHCP)");
  EXPECT_EQ(Texts(), QStringList({"192.168.0.50", "255.255.255.0", ""}));
  EXPECT_FALSE(ip->isEnabled() || mask->isEnabled() || gateway->isEnabled());
  combo->setCurrentIndex(0);
  EXPECT_TRUE(ip->isEnabled() && mask->isEnabled() && gateway->isEnabled());
  combo->setCurrentIndex(1);
  EXPECT_FALSE(ip->isEnabled());
  EXPECT_EQ(ip->text(), "192.168.0.50");
}

TEST_F(Lan, SaveWritesBothAddressModes) {
  WindowFixture w(*sim_, 2);
  CLanPage* page = Open(w);
  const struct {
    int mode;
    const char *ip, *mask, *gateway;
    Wired want;
  } cases[] = {
      {0, "10.1.2.3", "255.255.0.0", "10.1.0.1", {"1", "10.1.2.3", "255.255.0.0", "10.1.0.1"}},
      {0, "10.1.2.4", "255.255.0.0", "", {"1", "10.1.2.4", "255.255.0.0", ""}},  // blank gateway: none
      // DHCP: the greyed values are not checked one by one and go along.
      {1, "172.16.5.9", "255.255.255.0", "172.16.5.1", {"2", "172.16.5.9", "255.255.255.0", "172.16.5.1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ip);
    Enter(c.mode, c.ip, c.mask, c.gateway);
    Save(w, true);
    EXPECT_EQ(w.frame()->StatusText(), kWritten);
    const Wired got = WiredOf(*sim_, 2);
    EXPECT_EQ(got.mode, c.want.mode);
    EXPECT_EQ(got.ip, c.want.ip);
    EXPECT_EQ(got.mask, c.want.mask);
    EXPECT_EQ(got.gateway, c.want.gateway);
    // Nothing is read back: the boxes keep what was entered.
    kav::testing::spin(std::chrono::milliseconds(50));
    EXPECT_EQ(w.frame()->StatusText(), kWritten);
    EXPECT_EQ(Texts(), QStringList({c.ip, c.mask, c.gateway}));
    EXPECT_EQ(page->ChangedGroups(), 2);
  }
  // Shown again, the page reads what the device now holds.
  w.frame()->RunCommand(kCmdInformation);
  ASSERT_TRUE(w.WaitIdle());
  w.Open<CLanPage>(kLanPageId);
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(Texts(), QStringList({"172.16.5.9", "255.255.255.0", "172.16.5.1"}));
}

// The checks Save runs, in their order: IP address, mask, gateway (static
// mode only; a blank gateway is not checked), then the combination in both
// modes.  A failing check sends nothing.
TEST_F(Lan, SaveChecksFieldsThenTheCombination) {
  WindowFixture w(*sim_, 3);
  CLanPage* page = Open(w);
  w.frame()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.frame()));
  CShellUiRecorder ui;
  const char* const kHostZero =
      "The combination of IP address and subnet mask is invalid.\nAll of the bits in the host address portion of "
      "the IP address are set to be 0.\nPlease enter a valid combination of IP address and subnet mask.";
  const struct {
    int mode;
    const char *ip, *mask, *gateway;
    const char* message;  // null: the values are written
    int helpContext;      // 0 with a message: the plain box of the combination check
    const char* focus;
  } cases[] = {
      {0, "", "", "", "Invalid IP Address!", 61719, "ipAddress"},
      {0, "127.0.0.1", "255.0.0.0", "", "Invalid IP Address!", 61719, "ipAddress"},
      {0, "10.0.0.255", "255.0.0.0", "", "Invalid IP Address!", 61719, "ipAddress"},
      {0, "192.168.1.", "255.255.255.0", "", "Invalid IP Address!", 61719, "ipAddress"},
      {0, "192.168.1.10", "", "", "Invalid Subnet Mask!", 61722, "subnetMask"},
      {0, "192.168.1.10", "255.0.255.0", "", "Invalid Subnet Mask!", 61722, "subnetMask"},
      {0, "192.168.1.10", "255.255.255.0", "0.0.0.0", "Invalid Gateway Address!", 61721, "gateway"},
      {0, "192.168.1.10", "255.255.255.0", "192.168.2.1", "Invalid Gateway address!", 0, nullptr},
      {0, "192.168.1.0", "255.255.255.0", "", kHostZero, 0, nullptr},
      // DHCP: empty boxes pass the field checks but not the combination.
      {1, "", "", "", "Subnet number for the whole one, not legal.", 0, nullptr},
      {1, "127.0.0.1", "255.0.0.0", "", nullptr, 0, nullptr},
      {0, "192.168.1.10", "255.255.255.0", "", nullptr, 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.ip) + " / " + c.mask + " / " + c.gateway);
    ui.ClearCalls();
    const Wired before = WiredOf(*sim_, 3);
    Enter(c.mode, c.ip, c.mask, c.gateway);
    Save(w, c.message == nullptr);
    if (!c.message) {
      EXPECT_TRUE(ui.Calls().empty());
      EXPECT_EQ(w.frame()->StatusText(), kWritten);
      EXPECT_EQ(WiredOf(*sim_, 3).ip, c.ip);
      continue;
    }
    ASSERT_EQ(ui.Calls().size(), 1u);
    const auto& call = ui.Calls()[0];
    EXPECT_EQ(call.text, QString::fromLatin1(c.message));
    EXPECT_EQ(call.caption, "KAV-7420");
    EXPECT_EQ(call.helpContext, c.helpContext);
    EXPECT_EQ(call.icon, c.helpContext ? QMessageBox::Warning : QMessageBox::NoIcon);
    if (c.focus) {
      EXPECT_EQ(QApplication::focusWidget(), page->findChild<QWidget*>(c.focus));
    }
    EXPECT_EQ(w.frame()->StatusText(), "idle");  // nothing was sent
    const Wired after = WiredOf(*sim_, 3);
    EXPECT_EQ(after.ip, before.ip);
    EXPECT_EQ(after.mode, before.mode);
    EXPECT_EQ(Texts(), QStringList({c.ip, c.mask, c.gateway}));  // as entered
  }
}

// Enter and Escape in an address box neither save nor close anything.
TEST_F(Lan, EnterAndEscapeLeaveThePageOpen) {
  WindowFixture w(*sim_, 0);
  CLanPage* page = Open(w);
  CShellUiRecorder ui;
  ip->setText("1.2.3");  // would fail a Save
  w.frame()->SetStatusText("idle");
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(ip, key);
  kav::testing::spin(std::chrono::milliseconds(50));
  EXPECT_TRUE(ui.Calls().empty());
  EXPECT_EQ(w.frame()->StatusText(), "idle");
  EXPECT_TRUE(page->isVisible());
  EXPECT_TRUE(w.frame()->isVisible());
}

}  // namespace
