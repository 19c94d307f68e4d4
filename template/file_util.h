// Whole-file reads and writes for the template code.
#pragma once

#include <string>

namespace kav::tmpl {

// Writes data to path (binary, truncating); false unless every byte reached
// the file (a full disk shows only at the flush or the close).
bool WriteWholeFile(const std::string& path, const std::string& data);
// Reads the whole file at path into out; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& out);

}  // namespace kav::tmpl
