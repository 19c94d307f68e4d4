// Which of this computer's addresses a device can reach: the address the
// module tells a device to fetch a file from, or store one on.
//
// The computer's interfaces and Ethernet adapters come from a source that
// tests can replace; the real one reads the running system.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "KAV7420AP.h"

namespace kav::module {

// One entry of the interface list.
struct InterfaceEntry {
  std::string address;  // dotted
  std::string netmask;  // dotted
  bool up = false, broadcast = false, loopback = false, pointToPoint = false, multicast = false;
};

// One Ethernet adapter with its addresses in order and its gateways.
struct AdapterEntry {
  struct Address {
    std::string address, mask;
  };
  std::vector<Address> addresses;
  std::vector<std::string> gateways;
};

class NetworkSource {
 public:
  virtual ~NetworkSource() = default;
  // The interface list, or nothing when it cannot be had (among others when
  // there are more interfaces than the list holds).
  virtual std::optional<std::vector<InterfaceEntry>> interfaces() = 0;
  // Ethernet adapters, in the system's order.
  virtual std::vector<AdapterEntry> ethernetAdapters() = 0;
};

// The source in use; replacing it is for tests (null restores the system's).
NetworkSource& networkSource();
void setNetworkSource(std::unique_ptr<NetworkSource> source);

// The network of an address: the first three octets ANDed with the mask's,
// each read as a decimal number up to its ".", and a fourth octet of 0.
std::string NetworkAddressText(const std::string& address, const std::string& mask);

// The local address sharing the device's network (with the mask given), or
// the adapter fallback; false, with out unchanged, when there is none.
bool PickLocalAddress(std::string& out, const std::string& device, const std::string& mask);
// The same for the device the home page read last.
bool PickLocalAddressForCurrentDevice(std::string& out);
// The same without a mask of the device's own: each interface's mask is used.
bool PickLocalAddressForDevice(std::string& out, const std::string& device);

// What the home page read last: the device's address and mask.
void RememberCurrentDevice(const std::string& address, const std::string& mask);

// Fills the export's array of 10; the count, 0 when the list cannot be had.
int32_t FillInterfaceRecords(QxNetInterface* records);

}  // namespace kav::module
