// A device configuration document as the simulator loads it from its state
// folder (or, once restores exist, receives it): parsed, read at every path
// of the device model, changed and printed again.
#include <cstdint>
#include <string>

#include "device/model.h"
#include "sim/xmlconfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  kav::sim::ConfigDoc doc;
  std::string error;
  if (!doc.parse(text, &error)) return 0;
  doc.ensureRadios(2);
  for (const kav::device::ObjectDef& o : kav::device::objects()) {
    if (o.store != kav::device::Store::Xml) continue;
    for (uint32_t row : {0u, 1u, 2u}) {
      auto v = doc.get(o.where, row);
      doc.set(o.where, v ? *v + "x" : "new", row);
    }
  }
  kav::sim::ConfigDoc again;
  if (!again.parse(doc.text(), &error)) __builtin_trap();  // what we print we must read back
  return 0;
}
