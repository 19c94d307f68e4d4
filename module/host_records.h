// Texts and records of the host queries.
#pragma once

#include <cstdint>
#include <string>

#include "KAV7420AP.h"
#include "KAV7420apHelp.h"

namespace kav::module {

// Texts of the host's numbering, null outside it.
const char* authenticationText(int code);
const char* opModeText(int code);
// Builds the host's record from the library's; texts point into r.
void fillBasicConfig(const AP_BASIC_CONFIG& r, BasicConfig* out);
// The dotted text of an address the host passes in network order.
std::string dottedAddress(uint32_t networkOrder);

}  // namespace kav::module
