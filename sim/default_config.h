// The device's default configuration document (sim/default-config.xml),
// built into the simulator so that a new device needs no file beside it.
#pragma once

namespace kav::sim {
extern const char kDefaultConfigXml[];
}  // namespace kav::sim
