// Conversions between a feature handle's local copy and the fixed-layout
// records callers exchange with the library.
#pragma once

#include <vector>

#include "platform/aphelp/include/KAV7420apHelp.h"
#include "platform/aphelp/local_copy.h"

namespace kav::aphelp {

// Copies text into a fixed-width field: cut to width - 1 bytes, always
// terminated, the rest of the field zeroed.
void copyField(char* field, size_t width, const std::string& text);
template <size_t N>
void copyField(char (&field)[N], const std::string& text) {
  copyField(field, N, text);
}

// Fills a device-information record in the layout its selector names.
int fillDeviceInfo(const LocalCopy& values, void* record);
// Takes the writable values of a device-information record.
int takeDeviceInfo(LocalCopy& values, const void* record);

void fillBasicConfig(const LocalCopy& values, AP_BASIC_CONFIG* record);
void fillTraffic(const LocalCopy& values, AP_TRAFFIC_DIGEST* record);
std::vector<AP_NEIGHBOUR_AP> neighbours(const LocalCopy& values);

}  // namespace kav::aphelp
