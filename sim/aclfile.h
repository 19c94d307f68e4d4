// The ACL file a device fetches and stores: the MAC addresses of its
// wireless access control list, one a line.
//
// Written as "00:11:22:33:44:55" lines with LF endings.  Read leniently:
// twelve hexadecimal digits bare or in pairs separated by ':' or '-', CR LF
// endings, blank lines and lines starting with '#' are taken; anything else
// refuses the whole file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kav::sim {

inline constexpr size_t kMaxAclEntries = 256;

// "00:11:22:33:44:55", upper-case digits.
std::string macColonText(uint64_t mac);

std::optional<std::vector<uint64_t>> parseAclFile(std::string_view text, std::string* why);
std::string aclFileText(const std::vector<uint64_t>& macs);

}  // namespace kav::sim
