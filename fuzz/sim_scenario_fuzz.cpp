// Scenario files of the simulator, and the device settings drawn from them.
#include <cstdint>
#include <string>

#include "sim/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  if (auto s = kav::sim::Scenario::parse(text, &error)) {
    for (uint32_t address : {0x7F000101u, 0x7F000102u, 0x7F0001FEu}) {
      kav::sim::DeviceSettings d = s->forDevice(address);
      (void)kav::sim::macText(d.ethMac);
    }
  }
  return 0;
}
