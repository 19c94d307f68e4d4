// The module's numbered messages (61446-61761) and how their %1 and %2
// place holders are filled.  Texts are the system's own, misspellings and
// trailing blanks included: pages compare against them.
#pragma once

#include <QString>

inline constexpr const char* kModuleTitle = "KAV-7420";  // caption of every message box

// The text of message `id`, or an empty text for a number not in the table.
QString CatalogueText(int id);

// Replaces %1 and %2 in one pass, so an argument holding "%2" stays as it is.
QString FillMessageArgs(const QString& text, const QString& arg1, const QString& arg2 = {});
