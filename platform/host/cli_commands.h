// Sub-commands of the host's command line beyond the queries.
#pragma once

#include <QStringList>

#include "platform/host/main_window.h"  // UpgradeTimes

namespace kav::host {

struct ModuleApi;
class HostMessageWindow;

int runSettings(const QStringList& arguments);

struct QueryOptions {
  QString command;  // system-info, basic-config, traffic, clients, neighbours, fw-version,
                    // restart, factory-reset or save-activate
  int timeoutMs = 2000;
  bool json = false;
};
// Runs the query or system command on every device and prints the answers;
// 0 when every device answered, 1 otherwise.
int runQueries(ModuleApi& api, const QueryOptions& o, const QStringList& addresses);

struct TransferOptions {
  QStringList addresses;
  QString folder;  // backup: where the files go
  QString image;   // upgrade: the firmware image
  int timeoutMs = 2000;
  bool json = false;
  // batch-upgrade: the times handed to the module, in milliseconds (fetch
  // of the image, its check and write, the margin of the watches, the
  // restart request; the module waits ten restart time-outs for restarts).
  int sendTimeoutMs = UpgradeTimes().sendMs;
  int writeTimeoutMs = UpgradeTimes().writeMs;
  int extraTimeMs = UpgradeTimes().extraMs;
  int resetTimeoutMs = UpgradeTimes().resetMs;
};
// Backs the devices' configuration files up into <folder>/<address>.dcf.
int runBackup(ModuleApi& api, HostMessageWindow& host, const TransferOptions& o);
// Upgrades the devices' firmware: fetch the image, write it, restart.
int runUpgrade(ModuleApi& api, HostMessageWindow& host, const TransferOptions& o);
// The module's batch upgrade over the devices as rows of a hidden device
// list; prints each row's final columns and the progress texts.  0 when
// every row ended "OK".
int runBatchUpgrade(ModuleApi& api, HostMessageWindow& host, const TransferOptions& o);

}  // namespace kav::host
