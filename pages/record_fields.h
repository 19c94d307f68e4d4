// Moving texts between the controls and the fixed-width text fields of the
// device access library's records.
#pragma once

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstring>

namespace kav::pages {

// The text of a zero-terminated field, never reading past its width.
inline QString FieldText(const char* field, std::size_t width) {
  return QString::fromLatin1(field, static_cast<qsizetype>(strnlen(field, width)));
}

template <std::size_t N>
QString FieldText(const char (&field)[N]) {
  return FieldText(field, N);
}

// Copies text into a field, cut to fit, zero-filled to its end.
template <std::size_t N>
void SetField(char (&field)[N], const QString& text) {
  const QByteArray bytes = text.toLatin1();
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(bytes.size()), N - 1);
  std::memcpy(field, bytes.constData(), n);
  std::memset(field + n, 0, N - n);
}

}  // namespace kav::pages
