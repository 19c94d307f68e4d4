// Writes the SMIv2 module KAV7420-MIB from the device model, so that the MIB
// file and the objects the simulator serves cannot drift apart.
#pragma once

#include <string>

namespace kav::device {

inline constexpr const char* kMibModule = "KAV7420-MIB";

// The whole text of mib/KAV7420-MIB.txt.
std::string generateMib();

}  // namespace kav::device
