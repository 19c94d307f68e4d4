// A firmware image as a simulated device checks it after fetching it from
// an FTP server: any bytes at all.  What the device takes must be exactly
// the image kav7420-fwimage would have made of its header and payload.
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/fwimage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view image(reinterpret_cast<const char*>(data), size);
  std::string why;
  auto header = kav::sim::fw::readHeader(image, &why);
  const kav::sim::fw::Check c = kav::sim::fw::checkImage(image, "KAV-7420");
  if (c.verdict == kav::sim::fw::Verdict::Usable) {
    if (!header) __builtin_trap();
    auto again = kav::sim::fw::makeImage(c.header.model, c.header.version, image.substr(kav::sim::fw::kHeaderSize),
                                         &why);
    if (!again || *again != image) __builtin_trap();
  } else if (c.message.empty()) {
    __builtin_trap();  // a refusal always says why
  }
  return 0;
}
