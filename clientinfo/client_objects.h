// The device's client-table objects as framework descriptor tables.
#pragma once

#include "clientinfo/qx_snmp_types.h"

namespace kav::clientinfo {

// dot11ClientInformationRefresh (instance 1): writing 1 ("get") rebuilds
// the device's client table.
extern const QxVarDesc kClientRefreshVars[];
// The six client columns in table order: MAC, band, authentication,
// RSSI, power save, SSID index.
extern const QxVarDesc kClientTableVars[];
inline constexpr int kClientColumnCount = 6;
// dot11Band of radio 1: the band of the device's radio.
extern const QxVarDesc kDeviceBandVars[];

}  // namespace kav::clientinfo
