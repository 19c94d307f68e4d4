// Small file helpers of the simulator's state folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kav::sim {

// Writes a whole file so that it holds either the old or the new contents
// whatever happens: a temporary file in the same folder, flushed to disk,
// renamed over the old one, and the folder flushed.
bool writeFileAtomic(const std::string& path, std::string_view data, std::string* error);
std::optional<std::string> readFile(const std::string& path);
// mkdir -p
bool makeDirs(const std::string& path, std::string* error);
bool fileExists(const std::string& path);

}  // namespace kav::sim
