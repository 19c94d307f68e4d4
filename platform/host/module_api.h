// The module's exports as the host sees them: loaded by full path with
// dlopen and looked up by name, as a host loads any plug-in.
#pragma once

#include <QString>

#include "KAV7420AP.h"

namespace kav::host {

struct ModuleApi {
  decltype(&::PlugGetModuleCaps) getModuleCaps = nullptr;
  decltype(&::PlugSetSnmpParameter) setSnmpParameter = nullptr;
  decltype(&::PlugInit) init = nullptr;
  decltype(&::PlugShow) show = nullptr;
  decltype(&::PlugExit) exit = nullptr;
  decltype(&::PlugSetAsIndividual) setAsIndividual = nullptr;
  decltype(&::PlugSetAsMultiple) setAsMultiple = nullptr;
  decltype(&::PlugPreTranslateMsg) preTranslateMsg = nullptr;
  decltype(&::PlugGetSystemInfo) getSystemInfo = nullptr;
  decltype(&::PlugGetBasicConfigInfor) getBasicConfigInfor = nullptr;
  decltype(&::PlugGetTrafficInfor) getTrafficInfor = nullptr;
  decltype(&::PlugGetClinetInfor) getClinetInfor = nullptr;
  decltype(&::PlugCmdAPI) cmdApi = nullptr;
  decltype(&::PlugSystemCmd) systemCmd = nullptr;
  decltype(&::PlugParseFile) parseFile = nullptr;
  decltype(&::PlugUpgradeFirmware) upgradeFirmware = nullptr;
  decltype(&::PlugUpFirCallBack) upFirCallBack = nullptr;

  // Loads the module; false with *error set when it or an export is missing.
  bool load(const QString& path, QString* error);
  void unload();
  ~ModuleApi() { unload(); }

  // Where the module is by default: beside the host in the build or
  // install tree.
  static QString defaultPath();

 private:
  void* library_ = nullptr;
};

}  // namespace kav::host
