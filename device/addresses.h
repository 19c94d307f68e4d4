// IPv4 address texts and lists of them ("127.0.1.1-127.0.1.50,127.0.2.7"),
// as the simulator and the host take them on their command lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kav::device {

// Strict dotted quad: four decimal numbers 0..255 without signs or leading
// zeros ("010" is refused rather than guessed as octal).  Host byte order.
std::optional<uint32_t> parseIpv4(std::string_view text);
std::string ipv4Text(uint32_t address);

// A comma list of addresses and inclusive ranges: "127.0.1.1-127.0.1.50,127.0.2.7".
// The end of a range may be shortened to its last number ("127.0.1.1-50").
// Duplicates are dropped, order is kept.  At most kMaxAddresses addresses.
inline constexpr size_t kMaxAddresses = 65536;
std::optional<std::vector<uint32_t>> parseAddressList(std::string_view text, std::string* error);

}  // namespace kav::device
