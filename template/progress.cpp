#include "template/progress.h"

#include <QByteArray>
#include <cstdarg>
#include <cstdio>

#include "platform/win/messages.h"

namespace kav::tmpl {

MessageSink HostWindowSink() {
  return [](const std::string& text) {
    kav::win::sendProgressText(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  };
}

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (length > 0) {
    out.resize(static_cast<size_t>(length));
    std::vsnprintf(out.data(), out.size() + 1, format, args);
  }
  va_end(args);
  return out;
}

}  // namespace kav::tmpl
