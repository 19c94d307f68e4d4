// The firmware image format of the simulated KAV-7420: a 64-byte header,
// then the payload.  All numbers are little-endian.
//
//   offset  size  field
//        0    10  magic "KAV7420FW" and a NUL
//       10     2  header format, 1
//       12    16  model name ("KAV-7420"), NUL-padded, at most 15 characters
//       28    16  version text ("1.10.002"), NUL-padded, 1..15 printable characters
//       44     4  payload length in bytes
//       48     4  CRC-32 of the payload (zlib's crc32)
//       52     8  zero
//       60     4  CRC-32 of bytes 0..59
//
// A device takes an image only when every field checks out and the model is
// its own; the whole image is at most kMaxImageSize bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kav::sim::fw {

inline constexpr size_t kHeaderSize = 64;
inline constexpr uint64_t kMaxImageSize = 64ull << 20;
inline constexpr size_t kMaxNameLength = 15;  // model and version fields
inline constexpr char kMagic[] = "KAV7420FW";

struct Header {
  std::string model;
  std::string version;
  uint32_t payloadLength = 0;
  uint32_t payloadCrc = 0;
};

// The header for a payload; std::nullopt (with *why) when the model or the
// version does not fit its field.
std::optional<std::string> makeHeader(std::string_view model, std::string_view version, uint32_t payloadLength,
                                      uint32_t payloadCrc, std::string* why);
// Header and payload.
std::optional<std::string> makeImage(std::string_view model, std::string_view version, std::string_view payload,
                                     std::string* why);

enum class Verdict {
  Usable,     // a sound image for this model
  Unusable,   // not an image for this device (the transfer status 500)
  Unreadable  // the file could not be read at all
};

struct Check {
  Verdict verdict = Verdict::Unusable;
  std::string message;  // why not, in the device's words; empty when usable
  Header header;        // valid once the header has been read
};

// Reads the header from the first kHeaderSize bytes (fewer: not an image).
// Checks magic, format, header checksum and the two text fields.
std::optional<Header> readHeader(std::string_view bytes, std::string* why);

// Checks a whole image held in memory for a device of `model`.
Check checkImage(std::string_view image, std::string_view model);
// The same for a file, read in pieces.
Check checkImageFile(const std::string& path, std::string_view model);

}  // namespace kav::sim::fw
