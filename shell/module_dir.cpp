#include "shell/module_dir.h"

#include <dlfcn.h>

#include <QDir>
#include <QFileInfo>

namespace {
QString& Override() {
  static QString dir;
  return dir;
}
}  // namespace

QString ModuleDirectory() {
  if (!Override().isEmpty()) return Override();
  Dl_info info{};
  // Any symbol of this library: dladdr names the object that holds it.
  if (dladdr(reinterpret_cast<void*>(&ModuleDirectory), &info) && info.dli_fname &&
      *info.dli_fname)
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
  return QDir::currentPath();
}

QString ModuleDataPath(const QString& relative) {
  return ModuleDirectory() + QStringLiteral("/KAV-7420/") + relative;
}

void SetModuleDirectoryOverride(const QString& dir) { Override() = dir; }
