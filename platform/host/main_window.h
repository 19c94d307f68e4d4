// The host's main window, titled "Orvane2": the device list, the actions
// that query and configure devices through the module, and the log pane
// that shows the module's progress texts.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>

class QAction;
class QPlainTextEdit;
class QTableWidget;

namespace kav::host {

struct ModuleApi;

// Times of the batch firmware upgrade the host hands to the module, in
// milliseconds: fetching the image (device after device), checking and
// writing it (all devices at once; a device may take up to four minutes),
// the margin the watches add to both, and the restart request, after which
// the module waits ten times as long (a minute) for the devices to restart.
struct UpgradeTimes {
  int sendMs = 60000;
  int writeMs = 240000;
  int extraMs = 10000;
  int resetMs = 6000;
};

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // Columns of the device list; the batch firmware upgrade reads and writes
  // them by number.
  enum Column { kAddress = 0, kModel, kMac, kNetmask, kFirmware, kName, kStep, kProgress, kColumns };

  MainWindow(ModuleApi& api, int port, int timeoutMs);
  ~MainWindow() override;

  void addDevices(const QStringList& addresses);
  QTableWidget* deviceList() const { return list_; }
  void log(const QString& text);
  // What "Upgrade firmware..." hands to the module, and how it asks the
  // user for the image (a file dialog; tests answer themselves).
  UpgradeTimes upgradeTimes;
  std::function<QString()> chooseImage;

 private:
  void addDevicesDialog();
  QStringList selectedAddresses() const;
  int rowOf(const QString& address) const;
  void setParameters(const QString& address);
  void refreshSelected();
  void basicConfig();
  void traffic();
  void clients();
  void configure();
  // The module's batch upgrade of the selected rows with an image the user
  // picks; returns when the batch has run.  Abort reaches it meanwhile.
  void upgradeFirmware();
  void abortUpgrade();

  ModuleApi& api_;
  int port_;
  int timeoutMs_;
  QTableWidget* list_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  QAction* upgradeAction_ = nullptr;
  QAction* abortAction_ = nullptr;
};

}  // namespace kav::host
