// The device information page: MAC formatting, the layout type, and the
// panels a read fills and stacks, against simulated access points.
#include "pages/status/device_info_page.h"

#include <gtest/gtest.h>

#include "pages/testing/page_fixture.h"
#include "platform/testing/qt_wait.h"
#include "shell/scroll_manager.h"
#include "shell/test_shots.h"

namespace {

using kav::pages::testing::WindowFixture;
using kav::sim::testing::SimProcess;
using P = CDeviceInfoPage;

TEST(DeviceInfo, MacFormatting) {
  const struct {
    const char *in, *out;
  } cases[] = {
      {"00aaBBccDDee", "00:aa:BB:cc:DD:ee"},  // case as sent
      {"000000000000", "00:00:00:00:00:00"},
      {"12345", "12:34:5:::"},                // short texts give short pairs
      {"", ":::::"},
      {"0011223344556677", "00:11:22:33:44:55"},
  };
  for (const auto& c : cases) EXPECT_EQ(P::FormatMac(c.in), c.out) << c.in;
}

TEST(DeviceInfo, LayoutType) {
  const struct {
    int bands;
    const char *current, *r24, *r5;
    int type;
  } cases[] = {
      {1, "band2dot4gHz", "", "", 1},
      {1, "band5gHz", "", "", 2},
      {1, "", "on", "on", 2},
      {2, "", "off", "off", 0},
      {2, "", "on", "off", 1},
      {2, "", "off", "on", 2},
      {2, "", "on", "on", 3},
      {2, "", "on", "enabled", 0},
      {0, "band2dot4gHz", "on", "on", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(P::LayoutTypeOf(c.bands, c.current, c.r24, c.r5), c.type) << c.bands << c.current << c.r24 << c.r5;
}

// Devices: 0 single band 2.4 GHz with additional SSID 2 on; 1 single band
// 5 GHz; 2 dual band with both radios off; 3 dual band, both on.
const char* const kScenario =
    "[*]\n"
    "xml.wan/rg/inf[id=1]/static/ipaddr = 192.168.0.50\n"
    "xml.wan/rg/inf[id=1]/static/netmask = 255.255.255.0\n"
    "xml.wan/rg/inf[id=1]/static/gateway = 192.168.0.1\n"
    "wlan_mac = 00:11:22:33:44:50\n"
    "eth_mac = 00:11:22:33:44:aa\n"
    "cpu = 42\n"
    "[${0}]\n"
    "xml.wlan/inf[id=1]/multi/index[id=2]/state = 1\n"
    "xml.wlan/inf[id=1]/ssid = Office\n"
    "[${1}]\n"
    "xml.wlan/inf[id=1]/wlmode = 9\n"
    "[${2}]\n"
    "band_count = 2\n"
    "xml.wlan/inf[id=1]/enable = 0\n"
    "xml.wlan/inf[id=2]/enable = 0\n"
    "[${3}]\n"
    "band_count = 2\n";

class DeviceInfoPanels : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kav::testing::ensureApp();
    sim_ = new SimProcess(4, kScenario);
  }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  static SimProcess* sim_;
};
SimProcess* DeviceInfoPanels::sim_ = nullptr;

TEST_F(DeviceInfoPanels, ReadFillsAndStacksThePanelsOfTheBands) {
  const struct {
    size_t device;
    int layout;
    std::vector<P::PanelId> shown;  // top to bottom
  } cases[] = {
      {0, 1, {P::kIdentity, P::kMac24, P::kEthernet, P::kWireless24, P::kApArray}},
      {1, 2, {P::kIdentity, P::kMac5, P::kEthernet, P::kWireless5, P::kApArray}},
      {2, 0, {P::kIdentity, P::kEthernet, P::kApArray}},
      {3, 3, {P::kIdentity, P::kMac24, P::kMac5, P::kEthernet, P::kWireless24, P::kWireless5, P::kApArray}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.device);
    WindowFixture w(*sim_, c.device);
    w.Show();
    auto* page = static_cast<P*>(w.frame()->View()->Page(kDeviceInfoPageId));
    for (int id = 0; id < P::kPanels; ++id)  // before the first read only the identity shows
      EXPECT_EQ(page->Panel(P::PanelId(id))->isVisibleTo(page), id == P::kIdentity);
    ASSERT_EQ(w.Open<P>(kDeviceInfoPageId), page);
    EXPECT_EQ(page->LayoutType(), c.layout);
    int bottom = 0;
    for (P::PanelId id : c.shown) {
      QWidget* panel = page->Panel(id);
      EXPECT_TRUE(panel->isVisible()) << id;
      EXPECT_EQ(panel->y(), bottom) << id;
      EXPECT_EQ(panel->x(), 0);
      bottom = panel->y() + panel->height();
    }
    int shown = 0;
    for (int id = 0; id < P::kPanels; ++id) shown += page->Panel(P::PanelId(id))->isVisible();
    EXPECT_EQ(shown, int(c.shown.size()));
    EXPECT_FALSE(page->Panel(P::kDeviceStatus)->isVisible());
    EXPECT_EQ(page->Panel(P::kDeviceStatus)->y(), bottom);
    EXPECT_EQ(page->ScrollManager()->DisplaySize(), QSize(600, bottom + 10));

    EXPECT_EQ(page->Value(P::kIdentity, "Firmware Version:"), "1.00.018");
    EXPECT_EQ(page->Value(P::kIdentity, "Ethernet MAC Address:"), "00:11:22:33:44:AA");
    EXPECT_EQ(page->Value(P::kEthernet, "IP Address "), "192.168.0.50");
    EXPECT_EQ(page->Value(P::kEthernet, "Gateway"), "192.168.0.1");
    EXPECT_EQ(page->Value(P::kDeviceStatus, "CPU Utilization "), "42");
    EXPECT_EQ(page->Value(P::kMac5, "SSID3: "), "00:00:00:00:00:00 ");
  }
}

TEST_F(DeviceInfoPanels, MacPanelsOfOneAndTwoBands) {
  {
    WindowFixture w(*sim_, 0);
    w.Show();
    auto* page = w.Open<P>(kDeviceInfoPageId);
    EXPECT_EQ(page->Value(P::kMac24, "heading"), "Wireless MAC Address: ");
    EXPECT_EQ(page->Value(P::kMac24, "Primary: "), "00:11:22:33:44:50");
    // Additional SSIDs 1 to 3; only 2 is on.
    EXPECT_EQ(page->Value(P::kMac24, "SSID1: "), "N/A");
    EXPECT_EQ(page->Value(P::kMac24, "SSID2: "), "00:11:22:33:44:52");
    EXPECT_EQ(page->Value(P::kMac24, "SSID3: "), "N/A");
    EXPECT_EQ(page->Value(P::kWireless24, "Network Name (SSID)"), "Office");
    SaveShot(w.frame(), "frame_device_info");
  }
  {
    WindowFixture w(*sim_, 1);
    w.Show();
    auto* page = w.Open<P>(kDeviceInfoPageId);
    EXPECT_EQ(page->Value(P::kMac5, "heading"), "Wireless MAC Address(5GHz): ");
    EXPECT_EQ(page->Value(P::kMac5, "Primary: "), "00:11:22:33:44:50");
    EXPECT_EQ(page->Value(P::kMac5, "SSID1: "), "00:11:22:33:44:51");  // first and last additional SSID
    EXPECT_EQ(page->Value(P::kMac5, "SSID2: "), "00:11:22:33:44:57");
  }
  WindowFixture w(*sim_, 3);
  w.Show();
  auto* page = w.Open<P>(kDeviceInfoPageId);
  EXPECT_EQ(page->Value(P::kMac24, "heading"), "Wireless MAC Address(2.4GHz): ");
  EXPECT_EQ(page->Value(P::kMac5, "Primary: "), "00:11:22:33:44:60");
  EXPECT_EQ(page->Value(P::kMac5, "SSID2: "), "00:11:22:33:44:67");
}

}  // namespace
