// Prints the local address the module would give a device: for tests that
// run it inside a network namespace of their own.
//   local-address-probe DEVICE [MASK]
#include <cstdio>
#include <string>

#include "module/local_address.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string out = "none";
  bool ok = argc > 2 ? kav::module::PickLocalAddress(out, argv[1], argv[2])
                     : kav::module::PickLocalAddressForDevice(out, argv[1]);
  std::printf("%s\n", ok ? out.c_str() : "none");
  return ok ? 0 : 1;
}
