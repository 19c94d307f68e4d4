#include "template/template_rules.h"

#include <string_view>
#include <unordered_set>

namespace kav::tmpl {

namespace {

struct Line {
  std::string_view key;
  std::string_view value;
};

Line Split(const std::string& line) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return {line, {}};
  std::string_view view(line);
  return {view.substr(0, eq), view.substr(eq + 1)};
}

// Texts between consecutive bars.
std::vector<std::string_view> Tokens(std::string_view rule) {
  std::vector<std::string_view> out;
  size_t bar = rule.find('|');
  while (bar != std::string_view::npos) {
    size_t next = rule.find('|', bar + 1);
    if (next == std::string_view::npos) break;
    out.push_back(rule.substr(bar + 1, next - bar - 1));
    bar = next;
  }
  return out;
}

bool Holds(std::string_view token, const std::vector<Line>& lines) {
  if (lines.empty()) return false;
  size_t eq = token.find('=');
  if (eq == std::string_view::npos) return true;
  std::string_view name = token.substr(0, eq);
  std::string_view value = token.substr(eq + 1);
  for (const Line& line : lines) {
    bool keyOk = name == "*" || line.key.find(name) != std::string_view::npos;
    bool valueOk = value == "*" || line.value.find(value) != std::string_view::npos;
    if (keyOk && valueOk) return true;
  }
  return false;
}

}  // namespace

void ApplyRules(std::vector<std::string>& lines, const std::vector<std::string>& rules) {
  std::vector<Line> parsed;
  parsed.reserve(lines.size());
  for (const std::string& line : lines) parsed.push_back(Split(line));

  std::vector<std::string_view> keep;
  for (const std::string& rule : rules) {
    std::vector<std::string_view> tokens = Tokens(rule);
    bool applies = !tokens.empty();
    for (std::string_view token : tokens) {
      if (!Holds(token, parsed)) {
        applies = false;
        break;
      }
    }
    if (applies) keep.insert(keep.end(), tokens.begin(), tokens.end());
  }
  if (keep.empty()) return;

  // Most keys equal a token; look those up directly before searching.
  std::unordered_set<std::string_view> exact(keep.begin(), keep.end());
  std::vector<std::string> kept;
  kept.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view key = parsed[i].key;
    bool stays = exact.count(key) > 0;
    for (size_t t = 0; !stays && t < keep.size(); ++t) stays = keep[t].find(key) != std::string_view::npos;
    if (stays) kept.push_back(std::move(lines[i]));
  }
  lines = std::move(kept);
}

}  // namespace kav::tmpl
