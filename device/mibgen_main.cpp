// kav7420-mibgen [FILE]: writes KAV7420-MIB (from the device model) to FILE,
// or to stdout without one.
#include <cstdio>
#include <exception>
#include <fstream>

#include "device/mibgen.h"

int main(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && argv[1][0] == '-' && argv[1][1] != '\0')) {
    std::fprintf(stderr, "usage: kav7420-mibgen [FILE]   writes KAV7420-MIB from the device model\n");
    return 2;
  }
  std::string text;
  try {
    text = kav::device::generateMib();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kav7420-mibgen: %s\n", e.what());
    return 1;
  }
  if (argc == 1) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) {
    std::fprintf(stderr, "kav7420-mibgen: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
