// The home page in the window against simulated access points: the rows,
// the SSID rows with "N/A", the layout type, the frame's mode texts and the
// remembered device address.
#include "pages/status/home_page.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <algorithm>

#include "module/local_address.h"
#include "pages/testing/page_fixture.h"
#include "platform/testing/qt_wait.h"
#include "shell/test_shots.h"

namespace {

using kav::pages::testing::WindowFixture;
using kav::sim::testing::SimProcess;

// Devices: 0 single band with additional SSIDs 1 and 3 on; 1 dual band, the
// 2.4 GHz radio a wireless client, the 5 GHz radio off; 2 dual band, both
// radios on; 3 silent.
const char* const kScenario =
    "[*]\n"
    "xml.wan/rg/inf[id=1]/static/ipaddr = 192.168.0.50\n"
    "xml.wan/rg/inf[id=1]/static/netmask = 255.255.255.0\n"
    "[${0}]\n"
    "wlan_mac = 00:11:22:33:44:50\n"
    "xml.sys/name = Lobby\n"
    "xml.sys/location = First floor\n"
    "xml.wlan/inf[id=1]/multi/index[id=1]/state = 1\n"
    "xml.wlan/inf[id=1]/multi/index[id=3]/state = 1\n"
    "[${1}]\n"
    "band_count = 2\n"
    "wlan_mac = 00:aa:bb:cc:dd:00\n"
    "xml.wlan/inf[id=1]/ap_mode = 3\n"
    "xml.wlan/inf[id=2]/enable = 0\n"
    "[${2}]\n"
    "band_count = 2\n"
    "[${3}]\n"
    "silent = 1\n";

// The shown rows top to bottom: label, value.
std::vector<std::pair<QString, QString>> ShownRows(CHomePage* page, std::vector<int>* tops = nullptr) {
  static const QStringList kLabelIds = {"1397", "1398", "1399", "1400", "1401", "1402", "1386",
                                        "1385", "1384", "1390", "1383", "1391", "1382"};
  std::vector<QLabel*> labels;
  for (QLabel* l : page->findChildren<QLabel*>())
    if (kLabelIds.contains(l->objectName()) && l->isVisibleTo(page)) labels.push_back(l);
  std::sort(labels.begin(), labels.end(), [](QLabel* a, QLabel* b) { return a->y() < b->y(); });
  std::vector<std::pair<QString, QString>> rows;
  for (QLabel* l : labels) {
    // The value is the visible label in the same line, in the value column.
    QString value = "(none)";
    for (QLabel* v : page->findChildren<QLabel*>())
      if (v != l && v->y() == l->y() && v->x() > l->x() && v->isVisibleTo(page)) value = v->text();
    rows.emplace_back(l->text(), value);
    if (tops) tops->push_back(l->y());
  }
  return rows;
}

class Home : public ::testing::Test {
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
SimProcess* Home::sim_ = nullptr;

TEST_F(Home, SingleBandRowsWithSsidAddresses) {
  WindowFixture w(*sim_, 0);
  w.frame()->show();
  // The read keeps the frame disabled for a while.
  EXPECT_FALSE(w.frame()->isEnabled());
  EXPECT_TRUE(w.frame()->IsBusy());
  ASSERT_TRUE(w.WaitIdle());
  auto* page = static_cast<CHomePage*>(w.frame()->View()->Page(kHomePageId));
  EXPECT_EQ(page->LayoutType(), 1);
  std::vector<int> tops;
  const auto rows = ShownRows(page, &tops);
  const std::vector<std::pair<QString, QString>> want = {
      {"Model Name", "KAV-7420"},
      {"Firmware Version", "1.00.018"},
      {"System Name", "Lobby"},
      {"Location", "First floor"},
      {"System Time", rows.at(4).second},
      {"Up Time", rows.at(5).second},
      {"Operation Mode", "Access Point"},
      {"MAC Address", "001122334450"},  // as the device sent it
      {"SSID1", "001122334451"},
      {"SSID2", "N/A"},
      {"SSID3", "001122334453"},
      {"IP Address", "192.168.0.50"},
  };
  EXPECT_EQ(rows, want);
  EXPECT_FALSE(rows.at(4).second.isEmpty());
  EXPECT_FALSE(rows.at(5).second.isEmpty());
  // One spacing between all rows: a label's height and 10.
  const int step = page->findChild<QLabel*>("1397")->height() + 10;
  for (size_t i = 1; i < tops.size(); ++i) EXPECT_EQ(tops[i] - tops[i - 1], step) << i;
  // A single band gives no second mode text: the frame keeps its own.
  EXPECT_EQ(w.frame()->ApModeText(), "");
  EXPECT_EQ(w.frame()->StatusText(), "Read from the device successfully.");
  SaveShot(w.frame(), "frame_home");
}

TEST_F(Home, DualBandRowsAndModeTexts) {
  const struct {
    size_t device;
    int layout;
    const char* apMode;
    std::vector<QString> labels;
  } cases[] = {
      {1, 1, "Wireless client",
       {"Operation Mode(2.4GHz)", "Operation Mode(5GHz)", "MAC Address(2.4GHz)", "SSID1", "SSID2", "SSID3",
        "IP Address"}},
      {2, 3, "Access Point",
       {"Operation Mode(2.4GHz)", "Operation Mode(5GHz)", "MAC Address(2.4GHz)", "SSID1", "SSID2", "SSID3",
        "IP Address"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.device);
    WindowFixture w(*sim_, c.device);
    w.Show();
    auto* page = static_cast<CHomePage*>(w.frame()->View()->Page(kHomePageId));
    EXPECT_EQ(page->LayoutType(), c.layout);
    std::vector<QString> labels;
    for (const auto& [label, value] : ShownRows(page)) labels.push_back(label);
    labels.erase(labels.begin(), labels.begin() + 6);  // model name to up time
    EXPECT_EQ(labels, c.labels);
    EXPECT_EQ(w.frame()->ApModeText(), c.apMode);
    EXPECT_EQ(w.frame()->SecondModeText(), "Access Point");
  }
}

TEST(HomeLayout, TypeFromBandCountAndStates) {
  const struct {
    int bands;
    const char *s24, *s5;
    int type;
  } cases[] = {
      {1, "", "", 1},
      {1, "disabled", "disabled", 1},
      {2, "disabled", "disabled", 0},
      {2, "enabled", "disabled", 1},
      {2, "disabled", "enabled", 2},
      {2, "enabled", "enabled", 3},
      {2, "enabled", "on", 0},
      {0, "enabled", "enabled", 0},
      {3, "enabled", "enabled", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CHomePage::LayoutTypeOf(c.bands, c.s24, c.s5), c.type) << c.bands << c.s24 << c.s5;
}

// The address and mask read last pick the local address a device can reach;
// a failed read keeps them.
TEST_F(Home, RemembersTheDeviceForTheLocalAddress) {
  class Source : public kav::module::NetworkSource {
   public:
    std::optional<std::vector<kav::module::InterfaceEntry>> interfaces() override {
      kav::module::InterfaceEntry other{"10.0.0.5", "255.0.0.0", true, true};
      kav::module::InterfaceEntry lan{"192.168.0.7", "255.255.255.0", true, true};
      return std::vector{other, lan};
    }
    std::vector<kav::module::AdapterEntry> ethernetAdapters() override { return {}; }
  };
  kav::module::setNetworkSource(std::make_unique<Source>());
  {
    WindowFixture w(*sim_, 0);
    w.Show();
  }
  std::string local;
  EXPECT_TRUE(kav::module::PickLocalAddressForCurrentDevice(local));
  EXPECT_EQ(local, "192.168.0.7");

  WindowFixture silent(*sim_, 3, 300);
  silent.Show();
  ASSERT_TRUE(kav::testing::waitUntil([&] { return !silent.frame()->View()->Page(kHomePageId)->IsBusy(); }));
  local.clear();
  EXPECT_TRUE(kav::module::PickLocalAddressForCurrentDevice(local));
  EXPECT_EQ(local, "192.168.0.7");
  kav::module::setNetworkSource(nullptr);
}

}  // namespace
