// Texts of the library's result codes.
#pragma once

#include <string>

namespace kav::aphelp {

std::string errorText(int code);
// The message a completion carries for a finished transfer.
std::string completionText(int status, bool write);

}  // namespace kav::aphelp
