#include "template/path_expression.h"

#include <string>

namespace kav::tmpl {

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::optional<std::string_view> FindTag(std::string_view expression, std::string_view tag) {
  std::string opener = ":[";
  opener.append(tag);
  opener.push_back('=');
  size_t at = expression.find(opener);
  if (at == std::string_view::npos) return std::nullopt;
  size_t begin = at + opener.size();
  size_t close = expression.find(']', begin);
  size_t lt = expression.find('<', begin);
  if (close == std::string_view::npos || lt == std::string_view::npos || lt < close) return std::nullopt;
  return expression.substr(begin, close - begin);
}

char ExpressionKind(std::string_view expression) {
  if (expression.size() < 2 || expression[1] != ':') return '\0';
  return expression[0];
}

bool ParsePath(std::string_view expression, std::vector<PathSegment>& out) {
  out.clear();
  size_t p = expression.find('<');
  if (p == std::string_view::npos) return false;
  while (p < expression.size()) {
    if (expression[p] != '<') break;
    size_t nameBegin = p + 1;
    size_t stop = expression.find_first_of("[>", nameBegin);
    if (stop == std::string_view::npos || stop == nameBegin) break;
    PathSegment seg;
    seg.name = expression.substr(nameBegin, stop - nameBegin);
    p = stop;
    if (expression[p] == '[') {
      size_t close = expression.find(']', p + 1);
      if (close == std::string_view::npos) break;
      std::string_view pred = expression.substr(p + 1, close - p - 1);
      size_t eq = pred.find('=');
      if (eq == std::string_view::npos || eq == 0) break;
      seg.hasPredicate = true;
      seg.attribute = pred.substr(0, eq);
      seg.value = pred.substr(eq + 1);
      p = close + 1;
      if (p >= expression.size() || expression[p] != '>') break;
    }
    ++p;  // past '>'
    out.push_back(seg);
    if (p == expression.size()) return true;
  }
  out.clear();
  return false;
}

std::optional<std::string> TranslateRrl(std::string_view table, std::string_view value) {
  // The table is written between bars; a leading and a trailing bar
  // delimit the pairs and are not pairs themselves.
  if (!table.empty() && table.front() == '|') table.remove_prefix(1);
  if (!table.empty() && table.back() == '|') table.remove_suffix(1);
  if (table.empty()) return std::nullopt;
  size_t begin = 0;
  for (;;) {
    size_t bar = table.find('|', begin);
    std::string_view pair = table.substr(begin, bar == std::string_view::npos ? std::string_view::npos : bar - begin);
    size_t eq = pair.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    std::string_view left = pair.substr(0, eq);
    std::string_view right = pair.substr(eq + 1);
    if (EqualsIgnoreCase(value, left)) return std::string(right);
    if (EqualsIgnoreCase(value, right)) return std::string(left);
    if (bar == std::string_view::npos) return std::nullopt;
    begin = bar + 1;
  }
}

}  // namespace kav::tmpl
