// Texts and records of the host queries, shared with the tests.
#pragma once

#include "KAV7420AP.h"
#include "KAV7420apHelp.h"

namespace kav::module {

// Texts of the host's numbering, null outside it.
const char* authenticationText(int code);
const char* opModeText(int code);
// Builds the host's record from the library's; texts point into r.
void fillBasicConfig(const AP_BASIC_CONFIG& r, BasicConfig* out);

}  // namespace kav::module
