// An ACL file as a simulated device reads it after fetching it from an FTP
// server (transfer kind 6): any bytes at all.  What it takes it writes back
// in a form it reads as the same list.
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/aclfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string why;
  auto macs = kav::sim::parseAclFile(std::string_view(reinterpret_cast<const char*>(data), size), &why);
  if (!macs) {
    if (why.empty()) __builtin_trap();
    return 0;
  }
  if (macs->size() > kav::sim::kMaxAclEntries) __builtin_trap();
  auto again = kav::sim::parseAclFile(kav::sim::aclFileText(*macs), &why);
  if (!again || *again != *macs) __builtin_trap();
  return 0;
}
