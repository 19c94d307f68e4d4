// Test helpers: the module of this build, loaded as a host loads it, and
// pointed at a simulated device.
//
//   ModuleApi api;
//   ASSERT_EQ(kav::host::testing::loadBuiltModule(api), "");
//   kav::host::testing::pointAt(api, sim.address(), sim.port());
#pragma once

#include <string>

#include "platform/host/module_api.h"

namespace kav::host::testing {

// Loads bin/KAV-7420AP.plx of this build into api; "" on success, else why not.
std::string loadBuiltModule(ModuleApi& api);
// PlugSetSnmpParameter for one device, with the simulator's communities
// "public" and "private".
void pointAt(ModuleApi& api, const std::string& address, int port, int timeoutMs = 2000);

}  // namespace kav::host::testing
