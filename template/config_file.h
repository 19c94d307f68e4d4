// The device configuration file (".dcf"): the name of the configuration
// document's root element, the byte '0' and a gzip stream of the document
// with LF line endings.  On disk beside it the document is kept as an XML
// text file with CR LF line endings.  These two conversions are the only
// code that knows the layout.
#pragma once

#include <cstddef>
#include <string>

namespace kav::tmpl {

// A body that inflates beyond this is refused.
inline constexpr size_t kMaxConfigBody = size_t{64} << 20;
// The separator is looked for in this many leading bytes, so a root
// element name (the header) has at most 30 characters.
inline constexpr size_t kHeaderScan = 32;
inline constexpr size_t kMaxHeader = 30;

// Reads the .dcf file at sourcePath and writes its XML text, with CR LF
// line endings, to targetPath.  The body goes through a temporary file
// beside the target (see UnpackTempName), which is removed whatever the
// outcome.  False on any failure; targetPath is then left as it was.
bool UnpackConfigFile(const std::string& sourcePath, const std::string& targetPath);

// Reads the XML text file at xmlPath and writes a .dcf file to targetPath.
// False when the file has no root element, the root name is longer than a
// reader can find, or any write fails (targetPath may then hold partial data).
bool PackConfigFile(const std::string& xmlPath, const std::string& targetPath);

// The temporary file of UnpackConfigFile: the ten characters of the target
// path that begin with the last "." of its file name (fewer where the name
// ends sooner) are replaced by "__tmpFile.tmp", so "192.168.0.50_.xml"
// gives "192.168.0.50___tmpFile.tmp".  Empty when the file name has no ".".
std::string UnpackTempName(const std::string& targetPath);

// Where the body of a .dcf whose first bytes are head begins: just after
// the first '0' that is followed by 0x1F within head, else after the last
// '0' in head, else at offset 1.
size_t FindBodyOffset(const char* head, size_t length);

}  // namespace kav::tmpl
