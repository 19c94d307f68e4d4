#include "platform/host/module_api.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QFileInfo>

namespace kav::host {

bool ModuleApi::load(const QString& path, QString* error) {
  unload();
  library_ = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
  if (!library_) {
    *error = QString::fromLocal8Bit(dlerror());
    return false;
  }
  bool ok = true;
  auto bind = [&](auto& fn, const char* name) {
    fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(library_, name));
    if (!fn) {
      *error = QStringLiteral("the module has no export %1").arg(QLatin1String(name));
      ok = false;
    }
  };
  bind(getModuleCaps, "PlugGetModuleCaps");
  bind(setSnmpParameter, "PlugSetSnmpParameter");
  bind(init, "PlugInit");
  bind(show, "PlugShow");
  bind(exit, "PlugExit");
  bind(setAsIndividual, "PlugSetAsIndividual");
  bind(setAsMultiple, "PlugSetAsMultiple");
  bind(preTranslateMsg, "PlugPreTranslateMsg");
  bind(getSystemInfo, "PlugGetSystemInfo");
  bind(getBasicConfigInfor, "PlugGetBasicConfigInfor");
  bind(getTrafficInfor, "PlugGetTrafficInfor");
  bind(getClinetInfor, "PlugGetClinetInfor");
  bind(cmdApi, "PlugCmdAPI");
  bind(systemCmd, "PlugSystemCmd");
  bind(parseFile, "PlugParseFile");
  bind(upgradeFirmware, "PlugUpgradeFirmware");
  bind(upFirCallBack, "PlugUpFirCallBack");
  if (!ok) unload();
  return ok;
}

void ModuleApi::unload() {
  if (library_) dlclose(library_);
  library_ = nullptr;
}

QString ModuleApi::defaultPath() {
  return QCoreApplication::applicationDirPath() + QStringLiteral("/KAV-7420AP.plx");
}

}  // namespace kav::host
