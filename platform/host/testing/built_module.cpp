#include "platform/host/testing/built_module.h"

#include <arpa/inet.h>

namespace kav::host::testing {

std::string loadBuiltModule(ModuleApi& api) {
  QString error;
  if (api.load(KAV_BIN_DIR "/KAV-7420AP.plx", &error)) return {};
  return error.isEmpty() ? std::string("cannot load the module") : error.toStdString();
}

void pointAt(ModuleApi& api, const std::string& address, int port, int timeoutMs) {
  in_addr a{};
  inet_pton(AF_INET, address.c_str(), &a);
  api.setSnmpParameter(a.s_addr, "public", "private", port, timeoutMs);
}

}  // namespace kav::host::testing
