// The host's main window, titled "Orvane2": the device list, the actions
// that query and configure devices through the module, and the log pane
// that shows the module's progress texts.
#pragma once

#include <QMainWindow>
#include <QString>

class QPlainTextEdit;
class QTableWidget;

namespace kav::host {

struct ModuleApi;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // Columns of the device list; the batch firmware upgrade reads and writes
  // them by number.
  enum Column { kAddress = 0, kModel, kMac, kNetmask, kFirmware, kName, kStep, kProgress, kColumns };

  MainWindow(ModuleApi& api, int port, int timeoutMs);

  void addDevices(const QStringList& addresses);
  QTableWidget* deviceList() const { return list_; }
  void log(const QString& text);

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

  ModuleApi& api_;
  int port_;
  int timeoutMs_;
  QTableWidget* list_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
};

}  // namespace kav::host
