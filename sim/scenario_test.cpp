#include "sim/scenario.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using kav::sim::DeviceSettings;
using kav::sim::Scenario;

constexpr uint32_t kDev1 = 0x7F000101;  // 127.0.1.1
constexpr uint32_t kDev2 = 0x7F000102;
constexpr uint32_t kDev5 = 0x7F000105;

DeviceSettings settingsOf(const std::string& text, uint32_t address) {
  std::string error;
  auto s = Scenario::parse(text, &error);
  EXPECT_TRUE(s) << error;
  return s ? s->forDevice(address) : DeviceSettings{};
}

TEST(Scenario, DefaultsDifferPerDevice) {
  DeviceSettings a = settingsOf("", kDev1), b = settingsOf("", kDev2);
  EXPECT_EQ(a.model, "KAV-7420");
  EXPECT_EQ(a.bandCount, 1);
  EXPECT_EQ(a.readCommunity, "public");
  EXPECT_EQ(a.writeCommunity, "private");
  EXPECT_EQ(a.maxMessageSize, 4096u);
  EXPECT_EQ(a.restartSeconds, 2u);
  EXPECT_EQ(kav::sim::macText(a.ethMac), "024B00010100");
  EXPECT_EQ(kav::sim::macText(a.wlanMac), "024B00010110");
  EXPECT_NE(a.ethMac, b.ethMac);
  EXPECT_NE(a.txPackets, b.txPackets);
  EXPECT_TRUE(a.clients.empty());
}

TEST(Scenario, SectionsLayerInOrder) {
  const std::string text = R"(# fleet
cpu = 10
[127.0.1.2]
cpu = 50
band_count = 2
[*]
cpu = 20
mem = 40
[127.0.1.1-127.0.1.3]
mem = 90
)";
  DeviceSettings d1 = settingsOf(text, kDev1), d2 = settingsOf(text, kDev2), d5 = settingsOf(text, kDev5);
  EXPECT_EQ(d1.cpu, 20u);  // every [*] section first, then the device's own
  EXPECT_EQ(d2.cpu, 50u);
  EXPECT_EQ(d5.cpu, 20u);
  EXPECT_EQ(d1.mem, 90u);
  EXPECT_EQ(d5.mem, 40u);
  EXPECT_EQ(d2.bandCount, 2);
  EXPECT_EQ(d1.bandCount, 1);
}

TEST(Scenario, TablesOfTheLastSectionWin) {
  const std::string text = R"([*]
client = 00:11:22:33:44:55 0 6 -40 0 1
client = 00-11-22-33-44-66 1 4 -70 1 Primary SSID
neighbour = 1|6|00:aa:bb:cc:dd:ee|2.4GHz| Cafe Bar |12:00|Rogue|Active
[127.0.1.2]
client = AABBCCDDEEFF 0 1 -50 0 2
[127.0.1.5]
client = none
neighbour = none
)";
  DeviceSettings d1 = settingsOf(text, kDev1);
  ASSERT_EQ(d1.clients.size(), 2u);
  EXPECT_EQ(d1.clients[0].mac, 0x001122334455u);
  EXPECT_EQ(d1.clients[0].rssi, -40);
  EXPECT_EQ(d1.clients[1].band, 1);
  EXPECT_EQ(d1.clients[1].ssidIndex, "Primary SSID");
  ASSERT_EQ(d1.neighbours.size(), 1u);
  EXPECT_EQ(d1.neighbours[0].bssid, "00:aa:bb:cc:dd:ee");
  EXPECT_EQ(d1.neighbours[0].status, "Active");
  EXPECT_EQ(d1.neighbours[0].ssid, "Cafe Bar");

  DeviceSettings d2 = settingsOf(text, kDev2);
  ASSERT_EQ(d2.clients.size(), 1u);
  EXPECT_EQ(d2.clients[0].mac, 0xAABBCCDDEEFFu);
  EXPECT_EQ(d2.neighbours.size(), 1u);  // inherited: this section has no neighbour lines

  DeviceSettings d5 = settingsOf(text, kDev5);
  EXPECT_TRUE(d5.clients.empty());
  EXPECT_TRUE(d5.neighbours.empty());
}

TEST(Scenario, XmlValuesMergeByPath) {
  const std::string text = R"([*]
xml.wlan/inf[id=1]/ssid = Office
xml.sys/location =
[127.0.1.1]
xml.wlan/inf[id=1]/ssid = Lab
)";
  DeviceSettings d1 = settingsOf(text, kDev1);
  ASSERT_EQ(d1.xml.size(), 2u);
  EXPECT_EQ(d1.xml[0], (std::pair<std::string, std::string>{"wlan/inf[id=1]/ssid", "Lab"}));
  EXPECT_EQ(d1.xml[1], (std::pair<std::string, std::string>{"sys/location", ""}));
  EXPECT_EQ(settingsOf(text, kDev2).xml[0].second, "Office");
}

TEST(Scenario, ErrorsNameTheLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"cpu = 101", "line 1: cpu: must be 0..100"},
      {"\n\nband_count = 3", "line 3: band_count: must be 1 or 2"},
      {"colour = blue", "line 1: unknown key 'colour'"},
      {"just words", "line 1: expected 'key = value'"},
      {"[127.0.1.1", "line 1: section header without ']'"},
      {"[127.0.1.300]", "line 1: bad address '127.0.1.300'"},
      {"client = 00:11:22:33:44 0 1 1 0 1", "line 1: client: bad MAC address"},
      {"client = 00:11:22:33:44:55 2 1 1 0 1", "line 1: client: BAND must be 0 or 1"},
      {"client = 00:11:22:33:44:55 0 1", "line 1: client: needs MAC BAND AUTH RSSI PSM SSID_INDEX"},
      {"neighbour = 1|6|x", "line 1: neighbour: needs 8 fields separated by '|'"},
      {"xml.wlan/inf[id=1/ssid = x", "line 1: expected 'key = value'"},
      {"xml.wlan/inf[id=1]]/ssid = x", "line 1: xml.wlan/inf[id=1]]/ssid: bad element path"},
      {"neighbour = 1|6|x|2.4GHz|Cafe | Bar|12:00|Rogue|Active", "line 1: neighbour: needs 8 fields separated by '|'"},
      {"xml.wlan/inf[id=$]/ssid = x", "line 1: xml.wlan/inf[id=$]/ssid: bad element path"},
      {"root = 7420", "line 1: root: not an element name"},
      {"read_community = two words", "line 1: read_community: 1..64 printable characters"},
      {"max_message_size = 10", "line 1: max_message_size: must be 64..65507"},
      {"silent = maybe", "line 1: silent: must be 0 or 1"},
      {"eth_mac = 000000000000", "line 1: eth_mac: not a MAC address"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(Scenario::parse(c.text, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(Scenario, DemoFleetIsVaried) {
  std::string error;
  auto s = Scenario::load(std::string(KAV_SOURCE_DIR) + "/sim/scenarios/demo.ini", &error);
  ASSERT_TRUE(s) << error;
  std::set<std::string> names, ssids;
  int dual = 0, withClients = 0, withNeighbours = 0;
  for (uint32_t a = 0x7F000101; a <= 0x7F000106; ++a) {
    DeviceSettings d = s->forDevice(a);
    dual += d.bandCount == 2;
    withClients += !d.clients.empty();
    withNeighbours += !d.neighbours.empty();
    for (auto& [path, value] : d.xml) {
      if (path == "sys/name") names.insert(value);
      if (path == "wlan/inf[id=1]/ssid") ssids.insert(value);
    }
  }
  EXPECT_EQ(names.size(), 6u);
  EXPECT_EQ(ssids.size(), 6u);
  EXPECT_GE(dual, 2);
  EXPECT_GE(withClients, 4);
  EXPECT_GE(withNeighbours, 2);
}

TEST(Scenario, MacTexts) {
  EXPECT_EQ(kav::sim::parseMac("0a:1B:2c:3D:4e:5F"), 0x0A1B2C3D4E5Fu);
  EXPECT_EQ(kav::sim::parseMac("0a1b2c3d4e5f"), 0x0A1B2C3D4E5Fu);
  EXPECT_FALSE(kav::sim::parseMac("0a1b2c3d4e5"));
  EXPECT_FALSE(kav::sim::parseMac("0a1b2c3d4e5f0"));
  EXPECT_FALSE(kav::sim::parseMac("0a:1b:2c:3d:4e:5g"));
  EXPECT_FALSE(kav::sim::parseMac("0a::1b2c3d4e5f"));
  EXPECT_FALSE(kav::sim::parseMac("0a1b2c3d4e5f:"));
  EXPECT_EQ(kav::sim::macText(0x0A1B2C3D4E5F), "0A1B2C3D4E5F");
}

}  // namespace
