// Rule evaluation: which lines of a template section stay.
//
// A rule is "|token|token|...|": conditions "name=value" first, then ":",
// then the names to keep.  A condition holds when some line's key contains
// name ("*" matches any key) and its value contains value ("*" any value);
// any other token holds when the section is not empty.  Every token of
// every rule whose tokens all hold joins the keep set.  A line stays when
// its key is contained in some token of the keep set, or when the keep
// set is empty.  Containment is by substring and case-sensitive.
#pragma once

#include <string>
#include <vector>

namespace kav::tmpl {

// lines are "key=value" texts (key up to the first "="); the lines that do
// not stay are removed, the others keep their order.
void ApplyRules(std::vector<std::string>& lines, const std::vector<std::string>& rules);

}  // namespace kav::tmpl
