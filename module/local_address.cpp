#include "module/local_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <cstring>
#include <fstream>
#include <sstream>

namespace kav::module {
namespace {

constexpr size_t kListRoom = 10;  // entries the interface list has room for

std::string dotted(const sockaddr* sa) {
  if (!sa || sa->sa_family != AF_INET) return "0.0.0.0";
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr, text, sizeof text);
  return text;
}

// The running system: IPv4 interfaces from getifaddrs, Ethernet adapters
// from /sys/class/net, gateways from the routing table.
class SystemSource : public NetworkSource {
 public:
  std::optional<std::vector<InterfaceEntry>> interfaces() override {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return std::nullopt;
    std::vector<InterfaceEntry> out;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
      if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
      InterfaceEntry e;
      e.address = dotted(i->ifa_addr);
      e.netmask = dotted(i->ifa_netmask);
      e.up = i->ifa_flags & IFF_UP;
      e.broadcast = i->ifa_flags & IFF_BROADCAST;
      e.loopback = i->ifa_flags & IFF_LOOPBACK;
      e.pointToPoint = i->ifa_flags & IFF_POINTOPOINT;
      e.multicast = i->ifa_flags & IFF_MULTICAST;
      out.push_back(e);
    }
    freeifaddrs(list);
    return out;
  }

  std::vector<AdapterEntry> ethernetAdapters() override {
    std::vector<std::string> names;
    std::vector<AdapterEntry> adapters;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return adapters;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
      if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || (i->ifa_flags & IFF_LOOPBACK)) continue;
      if (!isEthernet(i->ifa_name)) continue;
      size_t k = 0;
      while (k < names.size() && names[k] != i->ifa_name) ++k;
      if (k == names.size()) {
        names.emplace_back(i->ifa_name);
        adapters.emplace_back();
      }
      adapters[k].addresses.push_back({dotted(i->ifa_addr), dotted(i->ifa_netmask)});
    }
    freeifaddrs(list);
    for (size_t k = 0; k < names.size(); ++k) adapters[k].gateways = gatewaysOf(names[k]);
    return adapters;
  }

 private:
  static bool isEthernet(const char* name) {
    std::ifstream type(std::string("/sys/class/net/") + name + "/type");
    int t = 0;
    return (type >> t) && t == 1;  // ARPHRD_ETHER
  }

  static std::vector<std::string> gatewaysOf(const std::string& name) {
    std::vector<std::string> out;
    std::ifstream route("/proc/net/route");
    std::string line;
    std::getline(route, line);  // header
    while (std::getline(route, line)) {
      std::istringstream f(line);
      std::string iface, dest, gateway;
      unsigned flags = 0;
      f >> iface >> dest >> gateway >> std::hex >> flags;
      if (iface != name || !(flags & 0x2)) continue;  // RTF_GATEWAY
      in_addr a{};
      a.s_addr = static_cast<in_addr_t>(std::strtoul(gateway.c_str(), nullptr, 16));
      char text[INET_ADDRSTRLEN] = {};
      inet_ntop(AF_INET, &a, text, sizeof text);
      out.emplace_back(text);
    }
    return out;
  }
};

std::unique_ptr<NetworkSource>& sourceSlot() {
  static std::unique_ptr<NetworkSource> source = std::make_unique<SystemSource>();
  return source;
}

std::string gCurrentAddress, gCurrentMask;

// Whether a candidate may be given to a device.
bool usable(const std::string& a) { return !a.empty() && a != "0.0.0.0"; }

// The adapter fallback.  networkFor(gateway, mask) names the network an
// adapter's further address must share, with that address's own mask: the
// gateway's network for a device with a known mask, the device's otherwise.
using NetworkFor = std::function<std::string(const std::string& gateway, const std::string& mask)>;
std::string adapterFallback(const NetworkFor& networkFor) {
  std::string candidate;
  for (const AdapterEntry& adapter : networkSource().ethernetAdapters()) {
    AdapterEntry::Address first = adapter.addresses.empty() ? AdapterEntry::Address{} : adapter.addresses[0];
    candidate = first.address;
    const std::string gateway = adapter.gateways.empty() ? std::string() : adapter.gateways[0];
    const std::string firstNetwork = NetworkAddressText(first.address, first.mask);
    const std::string gatewayNetwork = NetworkAddressText(gateway, first.mask);
    if (!first.address.empty() && firstNetwork != gatewayNetwork) {
      for (size_t k = 1; k < adapter.addresses.size() && k <= 10; ++k) {
        const auto& a = adapter.addresses[k];
        if (NetworkAddressText(a.address, a.mask) == networkFor(gateway, a.mask)) return a.address;
      }
    } else if (firstNetwork == gatewayNetwork && usable(first.address)) {
      return first.address;
    }
  }
  return candidate;  // the last adapter's first address, or empty
}

// The interface list for choosing an address.  Unlike the export, which has
// room for ten entries, the choice looks at every interface: a computer
// with more than ten must still find the one on the device's network.
std::vector<InterfaceEntry> allInterfaces() { return networkSource().interfaces().value_or(std::vector<InterfaceEntry>{}); }

}  // namespace

NetworkSource& networkSource() { return *sourceSlot(); }

void setNetworkSource(std::unique_ptr<NetworkSource> source) {
  sourceSlot() = source ? std::move(source) : std::make_unique<SystemSource>();
}

std::string NetworkAddressText(const std::string& address, const std::string& mask) {
  // Each octet is the decimal number up to its "."; missing ones read 0.
  auto octets = [](const std::string& text) {
    unsigned v[3] = {0, 0, 0};
    const char* p = text.c_str();
    for (int i = 0; i < 3; ++i) {
      v[i] = static_cast<unsigned>(std::strtoul(p, nullptr, 10));
      const char* dot = std::strchr(p, '.');
      if (!dot) break;
      p = dot + 1;
    }
    return std::array<unsigned, 3>{v[0], v[1], v[2]};
  };
  auto a = octets(address), m = octets(mask);
  return std::to_string(a[0] & m[0]) + "." + std::to_string(a[1] & m[1]) + "." + std::to_string(a[2] & m[2]) + ".0";
}

bool PickLocalAddress(std::string& out, const std::string& device, const std::string& mask) {
  const std::string target = NetworkAddressText(device, mask);
  std::string candidate;
  bool found = false;
  for (const InterfaceEntry& i : allInterfaces()) {
    if (NetworkAddressText(i.address, i.netmask) == target) {
      candidate = i.address;
      found = true;
      break;
    }
  }
  if (!found)
    candidate = adapterFallback([](const std::string& gateway, const std::string& m) {
      return NetworkAddressText(gateway, m);
    });
  if (!usable(candidate)) return false;
  out = candidate;
  return true;
}

bool PickLocalAddressForCurrentDevice(std::string& out) { return PickLocalAddress(out, gCurrentAddress, gCurrentMask); }

bool PickLocalAddressForDevice(std::string& out, const std::string& device) {
  std::string candidate;
  bool found = false;
  for (const InterfaceEntry& i : allInterfaces()) {
    if (NetworkAddressText(i.address, i.netmask) == NetworkAddressText(device, i.netmask)) {
      candidate = i.address;
      found = true;
      break;
    }
  }
  if (!found)
    candidate = adapterFallback([&](const std::string&, const std::string& m) { return NetworkAddressText(device, m); });
  if (!usable(candidate)) return false;
  out = candidate;
  return true;
}

void RememberCurrentDevice(const std::string& address, const std::string& mask) {
  gCurrentAddress = address;
  gCurrentMask = mask;
}

int32_t FillInterfaceRecords(QxNetInterface* records) {
  static char texts[kListRoom][4][16];
  auto list = networkSource().interfaces();
  if (!records || !list || list->size() > kListRoom) return 0;
  for (size_t k = 0; k < list->size(); ++k) {
    const InterfaceEntry& e = (*list)[k];
    QxNetInterface& r = records[k];
    std::snprintf(texts[k][0], 16, "%s", e.address.c_str());
    std::snprintf(texts[k][1], 16, "0.0.0.0");
    std::snprintf(texts[k][2], 16, "0.0.0.0");
    std::snprintf(texts[k][3], 16, "%s", e.netmask.c_str());
    r.address = texts[k][0];
    r.second = texts[k][1];
    r.third = texts[k][2];
    r.netmask = texts[k][3];
    r.up = e.up;
    r.broadcast = e.broadcast;
    r.loopback = e.loopback;
    r.pointToPoint = e.pointToPoint;
    r.multicast = e.multicast;
  }
  return static_cast<int32_t>(list->size());
}

}  // namespace kav::module
