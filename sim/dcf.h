// The device configuration file (".dcf") as the device writes and takes it:
// the root element name of the configuration in ASCII, the byte 0x30, then a
// gzip stream of the configuration XML with LF line endings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/xmlconfig.h"

namespace kav::sim {

inline constexpr char kDcfSeparator = 0x30;

// The file's bytes.
std::optional<std::string> dcfBytes(const ConfigDoc& config, std::string* error);
// Writes the file atomically (a temporary file beside it, then a rename).
bool writeDcf(const ConfigDoc& config, const std::string& path, std::string* error);

struct DcfContent {
  std::string root;  // the name before the separator
  std::string xml;   // the unpacked XML text
};
// Unpacks a file a device was given.  The root name is what precedes the
// separator that starts the gzip stream; the XML may unpack to at most
// maxXml bytes.  std::nullopt with *why for anything else.
std::optional<DcfContent> readDcf(std::string_view bytes, size_t maxXml, std::string* why);

}  // namespace kav::sim
