// A configuration file (.dcf) as a simulated device unpacks it after
// fetching it from an FTP server (transfer kind 4): any bytes at all.
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/dcf.h"
#include "sim/xmlconfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string why;
  auto content = kav::sim::readDcf(bytes, 1 << 20, &why);
  if (!content) return 0;
  if (content->xml.size() > (1 << 20)) __builtin_trap();
  kav::sim::ConfigDoc doc;
  if (!doc.parse(content->xml, &why)) return 0;
  doc.ensureRadios(2);
  // What the device would store again reads back as the same document.
  auto again = kav::sim::dcfBytes(doc, &why);
  if (!again) return 0;  // a root name that is not ASCII
  auto back = kav::sim::readDcf(*again, 64u << 20, &why);
  if (!back || back->root != doc.rootName() || back->xml != doc.text()) __builtin_trap();
  return 0;
}
