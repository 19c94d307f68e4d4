// The wait animation's AVI reader: any bytes must be refused or decoded
// without reading or writing out of bounds.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/avi_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CAviReader reader;
  if (!reader.Load({data, size})) return 0;
  std::vector<std::uint32_t> pixels;
  const int frames = reader.FrameCount() < 64 ? reader.FrameCount() : 64;
  for (int i = 0; i < frames; ++i) reader.DecodeFrame(i, pixels);
  reader.DecodeFrame(0, pixels);  // back to the start, as a looping player does
  reader.DecodeFrame(reader.FrameCount() - 1, pixels);
  return 0;
}
