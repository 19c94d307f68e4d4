// What one device reports and accepts, without the network in between.
#include "sim/device.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

using kav::sim::Device;
using kav::sim::DeviceSettings;
using kav::sim::Scenario;
using kav::sim::Value;
namespace device = kav::device;

constexpr uint32_t kAddress = 0x7F000105;  // 127.0.1.5

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kav-device-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A device whose scenario is `text`; the scenario file is rewritten by
  // setScenario for the refresh and scan commands to find.
  Device& open(const std::string& text) {
    setScenario(text);
    device_ = std::make_unique<Device>(kAddress, dir_ + "/dev", [this] {
      return std::optional<DeviceSettings>(Scenario::parse(scenario_, nullptr)->forDevice(kAddress));
    });
    std::string error;
    auto s = Scenario::parse(text, &error);
    EXPECT_TRUE(s) << error;
    EXPECT_TRUE(device_->open(s->forDevice(kAddress), &error)) << error;
    return *device_;
  }
  void setScenario(const std::string& text) { scenario_ = text; }

  Value read(const char* name, uint32_t row = 1) {
    const device::ObjectDef* def = device::findByName(name);
    EXPECT_NE(def, nullptr) << name;
    auto oid = device::instanceOid(*def, row);
    std::vector<oid_t> name_(oid.begin(), oid.end());
    const Device::Instance* in = device_->find(name_.data(), name_.size());
    EXPECT_NE(in, nullptr) << name << "." << row;
    return in ? device_->read(*in) : Value{};
  }
  std::string text(const char* name, uint32_t row = 1) { return read(name, row).bytes; }
  long integer(const char* name, uint32_t row = 1) { return read(name, row).integer; }

  // Checks and applies one SET; returns the SNMPv2 error.
  int set(const char* name, uint32_t row, u_char type, const std::string& bytes, long number = 0) {
    const device::ObjectDef* def = device::findByName(name);
    auto oid = device::instanceOid(*def, row);
    std::vector<oid_t> name_(oid.begin(), oid.end());
    const Device::Instance* in = device_->find(name_.data(), name_.size());
    if (!in) return SNMP_ERR_NOCREATION;
    netsnmp_variable_list vb{};
    long n = number;
    if (type == ASN_INTEGER) {
      vb.val.integer = &n;
      vb.val_len = sizeof n;
    } else {
      vb.val.string = reinterpret_cast<u_char*>(const_cast<char*>(bytes.data()));
      vb.val_len = bytes.size();
    }
    vb.type = type;
    Value v;
    if (int err = device_->check(*in, vb, &v); err != SNMP_ERR_NOERROR) return err;
    return device_->apply({{in, v}});
  }
  int setText(const char* name, const std::string& value, uint32_t row = 0) {
    return set(name, row, ASN_OCTET_STR, value);
  }
  int setInt(const char* name, long value, uint32_t row = 0) { return set(name, row, ASN_INTEGER, "", value); }

  using oid_t = oid;
  std::string dir_;
  std::string scenario_;
  std::unique_ptr<Device> device_;
};

TEST_F(DeviceTest, SecuritySummaryFromAuthenticationAndCipher) {
  struct Case {
    int auth, wep;
    long summary;
    const char* text;
  };
  const Case cases[] = {
      {0, 0, 1, "Open System"},       {0, 1, 11, "WEP"},
      {1, 1, 2, "Shared Key"},        {8, 1, 3, "Open System and Shared Key"},
      {3, 2, 4, "WPA-Personal / TKIP"}, {2, 3, 5, "WPA-Enterprise / AES"},
      {5, 3, 6, "WPA2-Personal / AES"}, {4, 4, 7, "WPA2-Enterprise / Auto"},
      {7, 4, 8, "WPA2-Auto-Personal / Auto"}, {6, 3, 9, "WPA2-Auto-Enterprise / AES"},
      {9, 1, 10, "802.1x"},           {42, 0, 0, "None"},
  };
  for (const Case& c : cases) {
    open("xml.wlan/inf[id=1]/authentication = " + std::to_string(c.auth) +
         "\nxml.wlan/inf[id=1]/wpa/wepmode = " + std::to_string(c.wep) + "\n");
    EXPECT_EQ(integer("dot11SecuritySummary"), c.summary) << c.auth << "/" << c.wep;
    EXPECT_EQ(text("dot11SecurityText"), c.text) << c.auth << "/" << c.wep;
    std::filesystem::remove_all(dir_ + "/dev");
  }
}

TEST_F(DeviceTest, RadioTexts) {
  open(R"(band_count = 2
wlan_mac = 00:11:22:33:44:50
max_clients = 2
xml.wlan/inf[id=1]/ap_mode = 3
xml.wlan/inf[id=1]/fixedrate = 11
xml.wlan/inf[id=1]/autochannel = 0
xml.wlan/inf[id=1]/channel = 11
xml.wlan/inf[id=1]/multi/index[id=2]/state = 1
xml.wlan/inf[id=2]/enable = 0
xml.wlan/inf[id=2]/fixedrate = 7
xml.wlan/inf[id=2]/ap_mode = 4
xml.wan/rg/inf[id=1]/static/gateway =
client = 00:00:00:00:00:01 0 1 -40 0 1
client = 00:00:00:00:00:02 0 1 -40 0 1
client = 00:00:00:00:00:03 1 1 -40 0 1
)");
  EXPECT_EQ(text("devCurrentBand", 0), "band2dot4gHz");
  EXPECT_EQ(text("lanGateway", 0), "N/A");
  EXPECT_EQ(integer("trafficAssociatedClients", 0), 3);
  // radio 1: 2.4 GHz
  EXPECT_EQ(integer("dot11Band", 1), 0);
  EXPECT_EQ(text("dot11OpModeText", 1), "Wireless client");
  EXPECT_EQ(integer("dot11OpModeCode", 1), 4);
  EXPECT_EQ(text("dot11DataRateText", 1), "54 Mbps");
  EXPECT_EQ(text("dot11ChannelText", 1), "11");
  EXPECT_EQ(text("dot11RadioState", 1), "on");
  EXPECT_EQ(text("dot11BandState", 1), "enabled");
  EXPECT_EQ(text("dot11MacPrimary", 1), "001122334450");
  EXPECT_EQ(text("dot11MacFirstSsid", 1), "001122334451");
  EXPECT_EQ(text("dot11MacLastSsid", 1), "001122334457");
  EXPECT_EQ(text("dot11MacSsid1", 1), "000000000000");  // off
  EXPECT_EQ(text("dot11MacSsid2", 1), "001122334452");
  EXPECT_EQ(integer("dot11AssociationFull", 1), 1);     // two 2.4 GHz clients, two allowed
  // radio 2: 5 GHz
  EXPECT_EQ(integer("dot11Band", 2), 1);
  EXPECT_EQ(text("dot11OpModeText", 2), "Wireless repeater");
  EXPECT_EQ(integer("dot11OpModeCode", 2), 5);
  EXPECT_EQ(text("dot11DataRateText", 2), "54 Mbps");
  EXPECT_EQ(text("dot11ChannelText", 2), "153");  // automatic: picked by the device
  EXPECT_EQ(text("dot11RadioState", 2), "off");
  EXPECT_EQ(text("dot11BandState", 2), "disabled");
  EXPECT_EQ(text("dot11MacPrimary", 2), "001122334460");
  EXPECT_EQ(integer("dot11AssociationFull", 2), 0);
}

TEST_F(DeviceTest, BandFollowsTheWirelessMode) {
  open("");
  for (auto [mode, band] : {std::pair{6, 0}, {3, 0}, {2, 0}, {9, 1}, {7, 1}, {8, 1}}) {
    // The mode is a setting of the configuration; write it as a restore would.
    kav::sim::ConfigDoc doc = device_->config();
    doc.set("wlan/inf[id=1]/wlmode", std::to_string(mode));
    ASSERT_TRUE(device_->replaceConfig(doc));
    EXPECT_EQ(integer("dot11Band", 1), band) << mode;
    EXPECT_EQ(text("devCurrentBand", 0), band ? "band5gHz" : "band2dot4gHz") << mode;
  }
  // Setting the band picks the mixed mode of the other band, and keeps a mode
  // that already belongs to the asked band.
  EXPECT_EQ(setInt("dot11Band", 0, 1), SNMP_ERR_NOERROR);
  EXPECT_EQ(device_->config().get("wlan/inf[id=1]/wlmode"), "6");
  EXPECT_EQ(setInt("dot11Band", 1, 1), SNMP_ERR_NOERROR);
  EXPECT_EQ(device_->config().get("wlan/inf[id=1]/wlmode"), "9");
  kav::sim::ConfigDoc doc = device_->config();
  doc.set("wlan/inf[id=1]/wlmode", "7");
  ASSERT_TRUE(device_->replaceConfig(doc));
  EXPECT_EQ(setInt("dot11Band", 1, 1), SNMP_ERR_NOERROR);
  EXPECT_EQ(device_->config().get("wlan/inf[id=1]/wlmode"), "7");
}

TEST_F(DeviceTest, SetChecks) {
  open("");
  struct Case {
    const char* name;
    u_char type;
    std::string bytes;
    long number;
    int error;
  };
  const Case cases[] = {
      {"devSystemName", ASN_OCTET_STR, std::string(64, 'a'), 0, SNMP_ERR_NOERROR},
      {"devSystemName", ASN_OCTET_STR, std::string(65, 'a'), 0, SNMP_ERR_WRONGLENGTH},
      {"devSystemName", ASN_OCTET_STR, "tab\there", 0, SNMP_ERR_WRONGVALUE},
      {"devSystemName", ASN_OCTET_STR, "caf\xc3\xa9", 0, SNMP_ERR_WRONGVALUE},
      {"devSystemName", ASN_INTEGER, "", 5, SNMP_ERR_WRONGTYPE},
      {"devModelName", ASN_OCTET_STR, "x", 0, SNMP_ERR_NOTWRITABLE},
      {"lanAddressMode", ASN_INTEGER, "", 2, SNMP_ERR_NOERROR},
      {"lanAddressMode", ASN_INTEGER, "", 3, SNMP_ERR_WRONGVALUE},
      {"lanAddressMode", ASN_INTEGER, "", 0, SNMP_ERR_WRONGVALUE},
      {"lanIpAddress", ASN_OCTET_STR, "10.0.0.7", 0, SNMP_ERR_NOERROR},
      {"lanIpAddress", ASN_OCTET_STR, "10.0.0.256", 0, SNMP_ERR_WRONGVALUE},
      {"lanIpAddress", ASN_OCTET_STR, "", 0, SNMP_ERR_WRONGVALUE},
      {"lanIpAddress", ASN_OCTET_STR, "10.0.0.1.5", 0, SNMP_ERR_WRONGVALUE},
      {"lanIpAddress", ASN_OCTET_STR, "1234567890123456", 0, SNMP_ERR_WRONGLENGTH},
      {"lanGateway", ASN_OCTET_STR, "", 0, SNMP_ERR_NOERROR},
      {"lanGateway", ASN_OCTET_STR, "N/A", 0, SNMP_ERR_WRONGVALUE},
      {"sysCommand", ASN_INTEGER, "", 5, SNMP_ERR_WRONGVALUE},
      {"dot11Band", ASN_INTEGER, "", 2, SNMP_ERR_WRONGVALUE},
      {"dot11NeighbourScan", ASN_INTEGER, "", 3, SNMP_ERR_WRONGVALUE},
  };
  for (const Case& c : cases) {
    const device::ObjectDef* def = device::findByName(c.name);
    EXPECT_EQ(set(c.name, def->table ? 1 : 0, c.type, c.bytes, c.number), c.error) << c.name << " " << c.bytes;
  }
  EXPECT_EQ(text("lanIpAddress", 0), "10.0.0.7");
  EXPECT_EQ(text("lanGateway", 0), "N/A");
  EXPECT_EQ(device_->config().get("wan/rg/inf[id=1]/static/gateway"), "");
  EXPECT_EQ(setText("lanGateway", "10.0.0.1"), SNMP_ERR_NOERROR);
  EXPECT_EQ(text("lanGateway", 0), "10.0.0.1");
}

TEST_F(DeviceTest, FactoryDefaultsKeepRootAndRadios) {
  open("root = KAV-7420b\nband_count = 2\nrestart_seconds = 0\nxml.sys/name = Custom\nread_community = ro1\n");
  EXPECT_EQ(device_->readCommunity(), "ro1");
  EXPECT_EQ(text("devSystemName", 0), "Custom");
  EXPECT_EQ(setInt("sysCommand", 1), SNMP_ERR_NOERROR);
  EXPECT_EQ(device_->config().rootName(), "KAV-7420b");
  EXPECT_EQ(device_->config().get("wlan/inf[id=2]/wlmode"), "9");
  EXPECT_EQ(text("devSystemName", 0), "KAV-7420");
  EXPECT_EQ(device_->readCommunity(), "public");
  kav::sim::ConfigDoc onDisk;
  ASSERT_TRUE(onDisk.load(device_->configPath(), nullptr));
  EXPECT_EQ(onDisk.text(), device_->config().text());
}

TEST_F(DeviceTest, NewConfigurationHoldsTheAddressTheDeviceIsReachedOn) {
  open("restart_seconds = 0\n");
  EXPECT_EQ(text("lanIpAddress", 0), "127.0.1.5");
  EXPECT_EQ(setText("lanIpAddress", "10.0.0.7"), SNMP_ERR_NOERROR);
  open("restart_seconds = 0\n");  // an existing configuration stays as it is
  EXPECT_EQ(text("lanIpAddress", 0), "10.0.0.7");
  EXPECT_EQ(setInt("sysCommand", 1), SNMP_ERR_NOERROR);  // factory defaults
  EXPECT_EQ(text("lanIpAddress", 0), "127.0.1.5");
  // The scenario's xml lines decide when they set it.
  std::filesystem::remove_all(dir_ + "/dev");
  open("xml.wan/rg/inf[id=1]/static/ipaddr = 10.1.1.1\n");
  EXPECT_EQ(text("lanIpAddress", 0), "10.1.1.1");
}

TEST_F(DeviceTest, RefreshAndScanReadTheScenarioAgain) {
  open("client = 00:11:22:33:44:55 0 6 -40 0 1\nneighbour = 1|6|b1|2.4GHz|one|now|Valid|ok\n");
  EXPECT_EQ(integer("trafficAssociatedClients", 0), 1);
  setScenario(
      "client = 00:11:22:33:44:55 0 6 -40 0 1\nclient = 00:11:22:33:44:66 1 4 -70 1 2\n"
      "neighbour = 2|36|b2|5GHz|two|later|Rogue|ok\nneighbour = 1|1|b3|2.4GHz|three|later|New|ok\n");
  EXPECT_EQ(integer("trafficAssociatedClients", 0), 1);  // nothing changes by itself
  EXPECT_EQ(setInt("dot11ClientInformationRefresh", 1, 1), SNMP_ERR_NOERROR);
  EXPECT_EQ(integer("trafficAssociatedClients", 0), 2);
  EXPECT_EQ(integer("dot11ClientInformationRefresh", 1), 0);
  EXPECT_EQ(read("dot11ClientMacAddress", 2).bytes, std::string("\x00\x11\x22\x33\x44\x66", 6));
  EXPECT_EQ(integer("dot11ClientPsm", 2), 1);
  EXPECT_EQ(text("dot11SSIDIndex", 2), "2");
  EXPECT_EQ(text("dot11NeighbourSsid", 1), "one");
  EXPECT_EQ(setInt("dot11NeighbourScan", 2), SNMP_ERR_NOERROR);
  EXPECT_EQ(integer("dot11NeighbourScan", 0), 2);
  EXPECT_EQ(text("dot11NeighbourSsid", 1), "two");
  EXPECT_EQ(text("dot11NeighbourClass", 2), "New");
}

TEST_F(DeviceTest, InstalledFirmwareOutlivesTheScenario) {
  open("fw_version = 1.00.018\n");
  EXPECT_EQ(text("devFirmwareVersion", 0), "1.00.018");
  ASSERT_TRUE(device_->setFirmwareVersion("2.01.003"));
  EXPECT_EQ(text("devFirmwareVersion", 0), "2.01.003");
  device_->applySettings(Scenario::parse("fw_version = 1.00.019\n", nullptr)->forDevice(kAddress));
  EXPECT_EQ(text("devFirmwareVersion", 0), "2.01.003");
  open("fw_version = 1.00.019\n");  // the same state folder, as after a restart
  EXPECT_EQ(text("devFirmwareVersion", 0), "2.01.003");
}

}  // namespace
