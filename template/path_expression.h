// Path expressions: how the template engine names one setting in the
// configuration document.
//
//   kind ":" { "[" TAG "=" value "]" ":" } path
//
// kind is "e" (read element text), "a" (read an attribute), "m" (set the
// element text) or "n" (set an attribute).  The tags are FFN (template key
// name), PRE (key name prefix), ARR (attribute name), VAL (value to store)
// and RRL (two-way value table such as "|0=Disable|1=Enable|").  The path
// is a row of segments "<name>" or "<name[attribute=value]>", the first
// naming a child of the root element, for example
//
//   e:[FFN=AWS_80211g_DTIM]:<wlan><inf[id=1]><dtim>
//
// Everything here is a pure function over the expression text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kav::tmpl {

struct PathSegment {
  std::string_view name;
  bool hasPredicate = false;
  std::string_view attribute;
  std::string_view value;
};

// The value of a tag, looked up by the first occurrence of ":[TAG=" in
// the expression.  The value runs to the next "]", which must come before
// the next "<"; otherwise the tag counts as absent.
std::optional<std::string_view> FindTag(std::string_view expression, std::string_view tag);

// The expression's kind character, or '\0' when it does not start with a
// character and ":".
char ExpressionKind(std::string_view expression);

// Splits the path (from the first "<" to the end) into segments.  False,
// with out left empty, when there is no segment, a name is empty, a
// predicate has no "=" or an empty attribute name, or anything but a
// further segment follows a ">".
bool ParsePath(std::string_view expression, std::vector<PathSegment>& out);

// Two-way translation through an RRL table: the first pair whose left side
// equals value (ignoring case) gives its right side, or whose right side
// does gives its left side.  A pair without "=" ends the search; nullopt
// when nothing matched.
std::optional<std::string> TranslateRrl(std::string_view table, std::string_view value);

// ASCII comparison ignoring case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace kav::tmpl
