// The device configuration file (".dcf") as the device writes it: the root
// element name of the configuration in ASCII, the byte 0x30, then a gzip
// stream of the configuration XML with LF line endings.
#pragma once

#include <string>

#include "sim/xmlconfig.h"

namespace kav::sim {

inline constexpr char kDcfSeparator = 0x30;

// Writes the file atomically (a temporary file beside it, then a rename).
bool writeDcf(const ConfigDoc& config, const std::string& path, std::string* error);

}  // namespace kav::sim
