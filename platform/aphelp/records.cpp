#include "platform/aphelp/records.h"

#include <cstddef>
#include <cstring>

namespace kav::aphelp {

static_assert(sizeof(AP_DEVICE_INFO) == AP_DEVICE_INFO_SIZE);
static_assert(sizeof(AP_LAN_INFO) == AP_DEVICE_INFO_SIZE);
static_assert(offsetof(AP_DEVICE_INFO, ipAddress) == 96);
static_assert(offsetof(AP_DEVICE_INFO, subnetMask) == 116);
static_assert(offsetof(AP_DEVICE_INFO, gateway) == 136);
static_assert(offsetof(AP_DEVICE_INFO, firmwareVersion) == 156);
static_assert(offsetof(AP_DEVICE_INFO, apArrayName) == 3264);
static_assert(offsetof(AP_DEVICE_INFO, apArrayRole) == 4288);
static_assert(offsetof(AP_DEVICE_INFO, apArrayLocation) == 5312);
static_assert(offsetof(AP_DEVICE_INFO, cpuUtilization) == 6336);
static_assert(offsetof(AP_DEVICE_INFO, memUtilization) == 6340);
static_assert(offsetof(AP_DEVICE_INFO, ethernetMac) == 6344);
static_assert(offsetof(AP_DEVICE_INFO, wlanMac) == 6364);
static_assert(offsetof(AP_DEVICE_INFO, firstSsidMac) == 6404);
static_assert(offsetof(AP_DEVICE_INFO, lastSsidMac) == 6444);
static_assert(offsetof(AP_DEVICE_INFO, ssidMac) == 6484);
static_assert(offsetof(AP_DEVICE_INFO, ssid) == 6604);
static_assert(offsetof(AP_DEVICE_INFO, channel) == 8652);
static_assert(offsetof(AP_DEVICE_INFO, dataRate) == 10700);
static_assert(offsetof(AP_DEVICE_INFO, opMode) == 12748);
static_assert(offsetof(AP_DEVICE_INFO, radioState) == 14796);
static_assert(offsetof(AP_DEVICE_INFO, currentBand) == 18892);
static_assert(offsetof(AP_DEVICE_INFO, security) == 20940);
static_assert(offsetof(AP_DEVICE_INFO, modelName) == 25036);
static_assert(offsetof(AP_DEVICE_INFO, systemTime) == 26060);
static_assert(offsetof(AP_DEVICE_INFO, upTime) == 27084);
static_assert(offsetof(AP_DEVICE_INFO, systemName) == 28108);
static_assert(offsetof(AP_DEVICE_INFO, location) == 29132);
static_assert(offsetof(AP_DEVICE_INFO, bandState) == 30156);
static_assert(offsetof(AP_LAN_INFO, addressMode) == 12);
static_assert(offsetof(AP_LAN_INFO, ipAddress) == 36);
static_assert(offsetof(AP_LAN_INFO, subnetMask) == 56);
static_assert(offsetof(AP_LAN_INFO, gateway) == 76);
static_assert(offsetof(AP_BASIC_CONFIG, ssid) == 2058);
static_assert(offsetof(AP_BASIC_CONFIG, channel) == 4106);
static_assert(offsetof(AP_BASIC_CONFIG, band) == 6156);
static_assert(offsetof(AP_BASIC_CONFIG, authentication) == 6164);
static_assert(offsetof(AP_BASIC_CONFIG, opMode) == 6172);
static_assert(offsetof(AP_BASIC_CONFIG, full) == 6180);
static_assert(offsetof(AP_BASIC_CONFIG, name) == 6188);
static_assert(offsetof(AP_TRAFFIC_DIGEST, clients) == 8);
static_assert(offsetof(AP_TRAFFIC_DIGEST, txPackets) == 104);
static_assert(offsetof(AP_TRAFFIC_DIGEST, rxPackets) == 112);
static_assert(offsetof(AP_TRAFFIC_DIGEST, ipAddress) == 120);
static_assert(offsetof(AP_TRAFFIC_DIGEST, wlanMac) == 140);
static_assert(sizeof(AP_NEIGHBOUR_AP) == 5148);
static_assert(offsetof(AP_NEIGHBOUR_AP, channel) == 8);
static_assert(offsetof(AP_NEIGHBOUR_AP, bssid) == 2312);
static_assert(offsetof(AP_NEIGHBOUR_AP, bandText) == 2332);
static_assert(offsetof(AP_NEIGHBOUR_AP, ssid) == 2588);
static_assert(offsetof(AP_NEIGHBOUR_AP, lastSeen) == 3612);
static_assert(offsetof(AP_NEIGHBOUR_AP, className) == 4636);
static_assert(offsetof(AP_NEIGHBOUR_AP, status) == 4892);

void copyField(char* field, size_t width, const std::string& text) {
  if (width == 0) return;
  size_t n = std::min(text.size(), width - 1);
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, width - n);
}

namespace {

constexpr uint32_t kRadioRows = 2;

bool radioPresent(const LocalCopy& v, uint32_t row) {
  for (const char* col : {"dot11Band", "dot11Ssid", "dot11RadioState", "dot11SecuritySummary"})
    if (v.has(col, row)) return true;
  return false;
}

// Which half of a per-band field pair a radio fills: 0 for 2.4 GHz, 1 for
// 5 GHz, as the radio reports its band.
int bandSlot(const LocalCopy& v, uint32_t row) {
  int64_t band = v.number("dot11Band", row, row - 1);
  return band == 1 ? 1 : 0;
}

void fillFull(const LocalCopy& v, AP_DEVICE_INFO* r) {
  if (v.has("devBandCount")) r->bandCount = static_cast<int32_t>(v.number("devBandCount"));
  copyField(r->ipAddress, v.text("lanIpAddress"));
  copyField(r->subnetMask, v.text("lanSubnetMask"));
  copyField(r->gateway, v.text("lanGateway"));
  copyField(r->firmwareVersion, v.text("devFirmwareVersion"));
  copyField(r->apArrayName, v.text("devApArrayName"));
  copyField(r->apArrayRole, v.text("devApArrayRole"));
  copyField(r->apArrayLocation, v.text("devApArrayLocation"));
  r->cpuUtilization = static_cast<int32_t>(v.number("devCpuUtilization"));
  r->memUtilization = static_cast<int32_t>(v.number("devMemUtilization"));
  copyField(r->ethernetMac, v.text("devEthernetMac"));
  for (uint32_t row = 1; row <= kRadioRows; ++row) {
    if (!radioPresent(v, row)) continue;
    int b = bandSlot(v, row);
    copyField(r->wlanMac[b], v.text("dot11MacPrimary", row));
    copyField(r->firstSsidMac[b], v.text("dot11MacFirstSsid", row));
    copyField(r->lastSsidMac[b], v.text("dot11MacLastSsid", row));
    copyField(r->ssidMac[0][b], v.text("dot11MacSsid1", row));
    copyField(r->ssidMac[1][b], v.text("dot11MacSsid2", row));
    copyField(r->ssidMac[2][b], v.text("dot11MacSsid3", row));
    copyField(r->ssid[b], v.text("dot11Ssid", row));
    copyField(r->channel[b], v.text("dot11ChannelText", row));
    copyField(r->dataRate[b], v.text("dot11DataRateText", row));
    copyField(r->opMode[b], v.text("dot11OpModeText", row));
    copyField(r->radioState[b], v.text("dot11RadioState", row));
    copyField(r->security[b], v.text("dot11SecurityText", row));
    copyField(r->bandState[b], v.text("dot11BandState", row));
  }
  copyField(r->currentBand, v.text("devCurrentBand"));
  copyField(r->modelName, v.text("devModelName"));
  copyField(r->systemTime, v.text("devSystemTime"));
  copyField(r->upTime, v.text("devUpTime"));
  copyField(r->systemName, v.text("devSystemName"));
  copyField(r->location, v.text("devLocation"));
}

}  // namespace

int fillDeviceInfo(const LocalCopy& v, void* record) {
  if (!record) return AP_E_ARGUMENT;
  int32_t selector;
  std::memcpy(&selector, record, sizeof selector);
  if (selector == 0) {
    fillFull(v, static_cast<AP_DEVICE_INFO*>(record));
    return AP_OK;
  }
  if (selector == 2) {
    auto* r = static_cast<AP_LAN_INFO*>(record);
    // The device numbers the modes 1 (static) and 2 (DHCP client).
    r->addressMode = v.number("lanAddressMode", 0, 1) == 2 ? 1 : 0;
    copyField(r->ipAddress, v.text("lanIpAddress"));
    copyField(r->subnetMask, v.text("lanSubnetMask"));
    copyField(r->gateway, v.text("lanGateway"));
    return AP_OK;
  }
  return AP_E_ARGUMENT;
}

int takeDeviceInfo(LocalCopy& v, const void* record) {
  if (!record) return AP_E_ARGUMENT;
  int32_t selector;
  std::memcpy(&selector, record, sizeof selector);
  auto text = [](const char* field, size_t width) { return std::string(field, strnlen(field, width)); };
  if (selector == 2) {
    const auto* r = static_cast<const AP_LAN_INFO*>(record);
    v.setNumber("lanAddressMode", 0, r->addressMode ? 2 : 1);
    v.setText("lanIpAddress", 0, text(r->ipAddress, sizeof r->ipAddress));
    v.setText("lanSubnetMask", 0, text(r->subnetMask, sizeof r->subnetMask));
    v.setText("lanGateway", 0, text(r->gateway, sizeof r->gateway));
    return AP_OK;
  }
  if (selector == 0) {
    const auto* r = static_cast<const AP_DEVICE_INFO*>(record);
    v.setText("devSystemName", 0, text(r->systemName, sizeof r->systemName));
    v.setText("devLocation", 0, text(r->location, sizeof r->location));
    return AP_OK;
  }
  return AP_E_ARGUMENT;
}

void fillBasicConfig(const LocalCopy& v, AP_BASIC_CONFIG* r) {
  copyField(r->ssid, v.text("dot11Ssid", 1));
  copyField(r->channel, v.text("dot11ChannelText", 1));
  r->band = static_cast<int32_t>(v.number("dot11Band", 1));
  r->authentication = static_cast<int32_t>(v.number("dot11SecuritySummary", 1));
  r->opMode = static_cast<int32_t>(v.number("dot11OpModeCode", 1));
  r->full = static_cast<int32_t>(v.number("dot11AssociationFull", 1));
  copyField(r->name, v.text("devSystemName"));
}

void fillTraffic(const LocalCopy& v, AP_TRAFFIC_DIGEST* r) {
  r->band = static_cast<int32_t>(v.number("dot11Band", 1));
  r->clients = static_cast<int32_t>(v.number("trafficAssociatedClients"));
  r->txPackets = static_cast<int32_t>(v.number("trafficTxPackets"));
  r->rxPackets = static_cast<int32_t>(v.number("trafficRxPackets"));
  copyField(r->ipAddress, v.text("lanIpAddress"));
  copyField(r->wlanMac, v.text("dot11MacPrimary", 1));
}

std::vector<AP_NEIGHBOUR_AP> neighbours(const LocalCopy& v) {
  std::vector<AP_NEIGHBOUR_AP> out;
  for (uint32_t row : v.rows("dot11NeighbourBssid")) {
    AP_NEIGHBOUR_AP r{};
    r.band = static_cast<int32_t>(v.number("dot11NeighbourBand", row));
    r.index = static_cast<int32_t>(row);
    copyField(r.channel, v.text("dot11NeighbourChannel", row));
    copyField(r.bssid, v.text("dot11NeighbourBssid", row));
    copyField(r.bandText, v.text("dot11NeighbourBandText", row));
    copyField(r.ssid, v.text("dot11NeighbourSsid", row));
    copyField(r.lastSeen, v.text("dot11NeighbourLastSeen", row));
    copyField(r.className, v.text("dot11NeighbourClass", row));
    copyField(r.status, v.text("dot11NeighbourStatus", row));
    out.push_back(r);
  }
  return out;
}

}  // namespace kav::aphelp
