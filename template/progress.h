// Progress and warning texts of the template engine.  In the module they
// go to the host window (copy-data 3005); tests and tools install their
// own sink.
#pragma once

#include <functional>
#include <string>

namespace kav::tmpl {

using MessageSink = std::function<void(const std::string&)>;

// Sends each text to the host window titled "Orvane2" (nothing when there
// is none).
MessageSink HostWindowSink();

// printf-style formatting into a std::string.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kav::tmpl
