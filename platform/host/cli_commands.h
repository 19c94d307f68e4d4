// Sub-commands of the host's command line beyond the queries.
#pragma once

#include <QStringList>

namespace kav::host {

struct ModuleApi;
class HostMessageWindow;

int runSettings(const QStringList& arguments);

struct TransferOptions {
  QStringList addresses;
  QString folder;  // backup: where the files go
  QString image;   // upgrade: the firmware image
  int timeoutMs = 2000;
  bool json = false;
};
// Backs the devices' configuration files up into <folder>/<address>.dcf.
int runBackup(ModuleApi& api, HostMessageWindow& host, const TransferOptions& o);
// Upgrades the devices' firmware: fetch the image, write it, restart.
int runUpgrade(ModuleApi& api, HostMessageWindow& host, const TransferOptions& o);

}  // namespace kav::host
