// Icons of the list action columns, by resource number: 177 "Edit",
// 178 "Delete" (32 by 32, scaled down where a list draws 16 by 16).
#pragma once

#include <QIcon>

inline constexpr int kIconEdit = 177;
inline constexpr int kIconDelete = 178;

// The icon, or a null icon for another number.
QIcon ActionIcon(int resourceId);
