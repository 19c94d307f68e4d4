// Small text helpers shared by the template code.
#pragma once

#include <climits>
#include <string>
#include <string_view>

namespace kav::tmpl {

inline bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

inline bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The number a text begins with, as the device's own tools read it:
// leading blanks and a sign, then digits up to the first other character;
// 0 when there are none.  Values beyond int saturate instead of wrapping.
inline int ToNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) {
      value = static_cast<long long>(INT_MAX) + 1;
      if (!negative) value = INT_MAX;
      break;
    }
  }
  return static_cast<int>(negative ? -value : value);
}

}  // namespace kav::tmpl
