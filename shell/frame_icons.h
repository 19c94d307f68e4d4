// Icons of the configuration window, by resource number: 128 the module's
// icon (window and About box), 130 the icon of every navigation item.
// Drawn once in code at 32 by 32 (16 by 16 where asked).
#pragma once

#include <QIcon>

inline constexpr int kIconModule = 128;
inline constexpr int kIconNavItem = 130;

// The icon, or a null icon for another number.
QIcon FrameIcon(int resourceId);
