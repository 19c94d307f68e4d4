#include "shell/action_icons.h"

// Resources of a static library must be registered by hand; outside any
// namespace, as the macro requires.
static void InitShellIcons() { Q_INIT_RESOURCE(shell_icons); }

QIcon ActionIcon(int resourceId) {
  static const bool registered = (InitShellIcons(), true);
  (void)registered;
  if (resourceId != kIconEdit && resourceId != kIconDelete) return {};
  return QIcon(QStringLiteral(":/kav/icons/%1").arg(resourceId));
}
