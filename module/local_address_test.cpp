// The choice of the local address a device can reach.
#include "module/local_address.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

using namespace kav::module;

struct FakeNetwork : NetworkSource {
  std::optional<std::vector<InterfaceEntry>> list;
  std::vector<AdapterEntry> adapters;
  std::optional<std::vector<InterfaceEntry>> interfaces() override { return list; }
  std::vector<AdapterEntry> ethernetAdapters() override { return adapters; }
};

InterfaceEntry iface(const char* a, const char* m, bool loopback = false) {
  InterfaceEntry e;
  e.address = a;
  e.netmask = m;
  e.up = true;
  e.loopback = loopback;
  return e;
}

class LocalAddress : public ::testing::Test {
 protected:
  FakeNetwork* use(std::optional<std::vector<InterfaceEntry>> list, std::vector<AdapterEntry> adapters = {}) {
    auto n = std::make_unique<FakeNetwork>();
    n->list = std::move(list);
    n->adapters = std::move(adapters);
    FakeNetwork* raw = n.get();
    setNetworkSource(std::move(n));
    return raw;
  }
  void TearDown() override { setNetworkSource(nullptr); }
};

TEST(NetworkAddress, ComparesThreeOctetsAndZeroesTheFourth) {
  EXPECT_EQ(NetworkAddressText("192.168.0.50", "255.255.255.0"), "192.168.0.0");
  EXPECT_EQ(NetworkAddressText("192.168.0.200", "255.255.255.128"), NetworkAddressText("192.168.0.10", "255.255.255.128"));
  EXPECT_EQ(NetworkAddressText("10.1.2.3", "255.0.0.0"), "10.0.0.0");
  EXPECT_EQ(NetworkAddressText("", ""), "0.0.0.0");
  EXPECT_EQ(NetworkAddressText("172.16", "255.255.255.0"), "172.16.0.0");
}

TEST_F(LocalAddress, TheInterfaceOnTheDevicesNetworkWinsWhereverItStands) {
  use(std::vector{iface("10.0.0.5", "255.0.0.0"), iface("192.168.0.10", "255.255.255.0")});
  std::string out = "unchanged";
  ASSERT_TRUE(PickLocalAddress(out, "192.168.0.50", "255.255.255.0"));
  EXPECT_EQ(out, "192.168.0.10");
  ASSERT_TRUE(PickLocalAddressForDevice(out, "10.9.9.9"));
  EXPECT_EQ(out, "10.0.0.5");
}

TEST_F(LocalAddress, AdapterFallbackCases) {
  struct Case {
    const char* name;
    std::vector<AdapterEntry> adapters;
    const char* expected;  // null: no address, out unchanged
  };
  const Case cases[] = {
      {"first address on the gateway's network", {{{{"192.168.1.20", "255.255.255.0"}}, {"192.168.1.1"}}}, "192.168.1.20"},
      {"a further address on the gateway's network",
       {{{{"10.5.5.5", "255.255.255.0"}, {"172.16.3.4", "255.255.0.0"}}, {"172.16.0.1"}}},
       "172.16.3.4"},
      {"only 0.0.0.0 is never chosen", {{{{"0.0.0.0", "0.0.0.0"}}, {}}}, nullptr},
      {"no gateway: the last adapter's first address",
       {{{{"10.1.1.1", "255.255.255.0"}}, {"10.2.2.1"}}, {{{"10.3.3.3", "255.255.255.0"}}, {"10.4.4.1"}}},
       "10.3.3.3"},
      {"no Ethernet adapter at all", {}, nullptr},
  };
  for (const Case& c : cases) {
    use(std::vector{iface("127.0.0.1", "255.0.0.0", true)}, c.adapters);
    std::string out = "unchanged";
    bool ok = PickLocalAddress(out, "192.168.0.50", "255.255.255.0");
    EXPECT_EQ(ok, c.expected != nullptr) << c.name;
    EXPECT_EQ(out, c.expected ? c.expected : "unchanged") << c.name;
  }
}

TEST_F(LocalAddress, WithoutAMaskFurtherAddressesAreMatchedToTheDevice) {
  use(std::vector<InterfaceEntry>{},
      {{{{"10.5.5.5", "255.255.255.0"}, {"172.16.3.4", "255.255.0.0"}, {"192.168.7.2", "255.255.255.0"}},
        {"172.16.0.1"}}});
  std::string out;
  ASSERT_TRUE(PickLocalAddressForDevice(out, "192.168.7.40"));
  EXPECT_EQ(out, "192.168.7.2");
}

TEST_F(LocalAddress, TheExportHoldsTenInterfacesAtMost) {
  std::vector<InterfaceEntry> eleven;
  for (int i = 0; i < 11; ++i) eleven.push_back(iface(("10.0." + std::to_string(i) + ".1").c_str(), "255.255.255.0"));
  use(eleven);
  QxNetInterface records[10] = {};
  EXPECT_EQ(FillInterfaceRecords(records), 0);
  // Choosing an address still sees every interface.
  std::string out;
  ASSERT_TRUE(PickLocalAddress(out, "10.0.10.77", "255.255.255.0"));
  EXPECT_EQ(out, "10.0.10.1");

  use(std::vector{iface("127.0.0.1", "255.0.0.0", true), iface("192.168.0.10", "255.255.255.0")});
  ASSERT_EQ(FillInterfaceRecords(records), 2);
  EXPECT_STREQ(records[1].address, "192.168.0.10");
  EXPECT_STREQ(records[1].second, "0.0.0.0");
  EXPECT_STREQ(records[1].netmask, "255.255.255.0");
  EXPECT_EQ(records[0].loopback, 1);
  EXPECT_EQ(records[1].loopback, 0);
  EXPECT_EQ(records[1].up, 1);
}

TEST(LocalAddressOnThisMachine, LoopbackDevicesGetTheLoopbackAddress) {
  std::string out;
  ASSERT_TRUE(PickLocalAddress(out, "127.0.1.7", "255.0.0.0"));
  EXPECT_EQ(NetworkAddressText(out, "255.0.0.0"), "127.0.0.0");
  QxNetInterface records[10] = {};
  EXPECT_GE(FillInterfaceRecords(records), 0);
}

// Two interfaces in two subnets inside a network namespace of the test's
// own: the device's subnet decides.  Needs root and iproute2.
TEST(LocalAddressInANamespace, TheDevicesSubnetDecides) {
  if (geteuid() != 0 || std::system("command -v ip >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs root and ip";
  const std::string ns = "kavla" + std::to_string(getpid());
  auto sh = [](const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()); };
  if (sh("ip netns add " + ns) != 0) GTEST_SKIP() << "cannot create network namespaces here";
  const std::string in = "ip netns exec " + ns + " ";
  bool ok = sh(in + "ip link add va type veth peer name vb") == 0 && sh(in + "ip link add wa type veth peer name wb") == 0 &&
            sh(in + "ip addr add 10.61.0.1/24 dev va") == 0 && sh(in + "ip addr add 10.62.0.1/24 dev wa") == 0 &&
            sh(in + "ip link set va up") == 0 && sh(in + "ip link set wa up") == 0;
  auto probe = [&](const std::string& args) {
    std::string cmd = in + KAV_BIN_DIR "/local-address-probe " + args;
    FILE* p = popen(cmd.c_str(), "r");
    char buf[64] = {};
    if (p) {
      if (!fgets(buf, sizeof buf, p)) buf[0] = 0;
      pclose(p);
    }
    std::string s = buf;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
  };
  std::string a = probe("10.61.0.50 255.255.255.0"), b = probe("10.62.0.50 255.255.255.0"), c = probe("10.62.0.9");
  sh("ip netns del " + ns);
  ASSERT_TRUE(ok) << "could not set up the namespace";
  EXPECT_EQ(a, "10.61.0.1");
  EXPECT_EQ(b, "10.62.0.1");
  EXPECT_EQ(c, "10.62.0.1");
}

}  // namespace
