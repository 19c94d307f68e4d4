#include "platform/host/main_window.h"

#include <arpa/inet.h>

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableWidget>
#include <QToolBar>

#include "device/addresses.h"
#include "platform/host/host_settings.h"
#include "platform/host/module_api.h"

namespace kav::host {
namespace {

MainWindow* gWindow = nullptr;  // callbacks find the window through this

QString text(const char* s) { return s ? QString::fromLocal8Bit(s) : QString(); }

void setCell(QTableWidget* t, int row, int col, const QString& v) {
  if (row < 0) return;
  auto* item = t->item(row, col);
  if (!item) t->setItem(row, col, item = new QTableWidgetItem);
  item->setText(v);
}

// Contexts carry the address the query was for, copied.
struct Ctx {
  QString address;
};

void onBasicConfig(QueryStatus* st, int32_t hasData, void** records, void* context) {
  std::unique_ptr<Ctx> c(static_cast<Ctx*>(context));
  if (!gWindow) return;
  if (hasData != 1) {
    gWindow->log(c->address + ": no answer to the basic configuration query");
    return;
  }
  const auto* b = static_cast<const BasicConfig*>(records[0]);
  gWindow->log(QStringLiteral("%1: %2, %3, SSID \"%4\", channel %5, %6%7")
                   .arg(c->address, text(st->tag), text(b->bandText), text(b->ssid), text(b->channel),
                        text(b->authenticationText), b->full ? ", full" : ""));
}

void onTraffic(QueryStatus*, int32_t hasData, void** records, void* context) {
  std::unique_ptr<Ctx> c(static_cast<Ctx*>(context));
  if (!gWindow || hasData != 1) return;
  const auto* t = static_cast<const TrafficDigest*>(records[0]);
  gWindow->log(QStringLiteral("%1: %2 clients on %3, %4 packets sent, %5 received")
                   .arg(c->address, text(t->clients), text(t->bandText), text(t->txPackets), text(t->rxPackets)));
  int row = -1;
  for (int r = 0; r < gWindow->deviceList()->rowCount(); ++r)
    if (gWindow->deviceList()->item(r, MainWindow::kAddress)->text() == c->address) row = r;
  setCell(gWindow->deviceList(), row, MainWindow::kMac, text(t->wlanMac));
}

void onClients(ClientResult* result, int32_t count, ClientRow** rows, void* context) {
  std::unique_ptr<Ctx> c(static_cast<Ctx*>(context));
  if (!gWindow) return;
  gWindow->log(QStringLiteral("%1: %2 client(s): %3").arg(c->address).arg(count).arg(text(result->message)));
  for (int i = 0; i < count; ++i)
    gWindow->log(QStringLiteral("    %1  %2  SSID %3  %4  RSSI %5")
                     .arg(text(rows[i]->mac), text(rows[i]->band), text(rows[i]->ssidIndex),
                          text(rows[i]->authentication))
                     .arg(rows[i]->rssi));
}

void onFirmwareVersion(CmdStatus* st, const char* version, void* context) {
  std::unique_ptr<Ctx> c(static_cast<Ctx*>(context));
  if (!gWindow) return;
  int row = -1;
  for (int r = 0; r < gWindow->deviceList()->rowCount(); ++r)
    if (gWindow->deviceList()->item(r, MainWindow::kAddress)->text() == c->address) row = r;
  if (st->status == 0)
    setCell(gWindow->deviceList(), row, MainWindow::kFirmware, text(version));
  else
    gWindow->log(c->address + ": " + text(st->message));
}

}  // namespace

MainWindow::MainWindow(ModuleApi& api, int port, int timeoutMs) : api_(api), port_(port), timeoutMs_(timeoutMs) {
  gWindow = this;
  setWindowTitle("Orvane2");
  resize(1000, 640);
  list_ = new QTableWidget(0, kColumns);
  list_->setHorizontalHeaderLabels(
      {"IP Address", "Model Name", "Mac Address", "Netmask", "FW Version", "Name", "Step", "Progress"});
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->horizontalHeader()->setStretchLastSection(true);
  log_ = new QPlainTextEdit;
  log_->setReadOnly(true);
  log_->setObjectName("log");
  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(list_);
  split->addWidget(log_);
  setCentralWidget(split);

  QToolBar* bar = addToolBar("Devices");
  bar->addAction("Add devices...", this, &MainWindow::addDevicesDialog);
  bar->addAction("Refresh", this, &MainWindow::refreshSelected);
  bar->addAction("Basic configuration", this, &MainWindow::basicConfig);
  bar->addAction("Traffic", this, &MainWindow::traffic);
  bar->addAction("Clients", this, &MainWindow::clients);
  bar->addAction("Configure...", this, &MainWindow::configure);
  upgradeAction_ = bar->addAction("Upgrade firmware...", this, &MainWindow::upgradeFirmware);
  abortAction_ = bar->addAction("Abort", this, &MainWindow::abortUpgrade);
  abortAction_->setEnabled(false);
  chooseImage = [this] {
    return QFileDialog::getOpenFileName(this, "Firmware image", QString(), "Firmware images (*.bin *.tfp);;All files (*)");
  };
}

MainWindow::~MainWindow() {
  // Answers that come after the window is gone find no window.
  if (gWindow == this) gWindow = nullptr;
}

void MainWindow::log(const QString& text) { log_->appendPlainText(text); }

void MainWindow::addDevices(const QStringList& addresses) {
  ModuleCaps caps{};
  api_.getModuleCaps(&caps);
  for (const QString& a : addresses) {
    if (rowOf(a) >= 0) continue;
    int row = list_->rowCount();
    list_->insertRow(row);
    setCell(list_, row, kAddress, a);
    setCell(list_, row, kModel, QString::fromLatin1(caps.model));
    for (int c = kMac; c < kColumns; ++c) setCell(list_, row, c, "");
  }
}

void MainWindow::addDevicesDialog() {
  bool ok = false;
  QString range = QInputDialog::getText(this, "Add devices", "Address or range (127.0.1.1-127.0.1.50):",
                                       QLineEdit::Normal, "", &ok);
  if (!ok || range.trimmed().isEmpty()) return;
  std::string why;
  auto list = device::parseAddressList(range.trimmed().toStdString(), &why);
  if (!list) {
    QMessageBox::warning(this, "Add devices", QString::fromStdString(why));
    return;
  }
  QStringList addresses;
  for (uint32_t a : *list) addresses << QString::fromStdString(device::ipv4Text(a));
  addDevices(addresses);
}

QStringList MainWindow::selectedAddresses() const {
  QStringList out;
  for (int r = 0; r < list_->rowCount(); ++r)
    if (list_->item(r, kAddress)->isSelected()) out << list_->item(r, kAddress)->text();
  if (out.isEmpty())
    for (int r = 0; r < list_->rowCount(); ++r) out << list_->item(r, kAddress)->text();
  return out;
}

int MainWindow::rowOf(const QString& address) const {
  for (int r = 0; r < list_->rowCount(); ++r)
    if (list_->item(r, kAddress)->text() == address) return r;
  return -1;
}

void MainWindow::setParameters(const QString& address) {
  in_addr a{};
  inet_pton(AF_INET, address.toLatin1().constData(), &a);
  api_.setSnmpParameter(a.s_addr, "public", "private", port_, timeoutMs_);
}

void MainWindow::refreshSelected() {
  for (const QString& addr : selectedAddresses()) {
    setParameters(addr);
    QByteArray a = addr.toLatin1();
    uint32_t mask = 0;
    api_.getSystemInfo(a.constData(), nullptr, nullptr, &mask);
    in_addr m{};
    m.s_addr = mask;
    setCell(list_, rowOf(addr), kNetmask, mask == 0xFFFFFFFFu ? QString() : QString::fromLatin1(inet_ntoa(m)));
    api_.cmdApi(5, a.constData(), "", new Ctx{addr}, reinterpret_cast<void*>(&onFirmwareVersion));
    api_.getTrafficInfor(a.constData(), onTraffic, nullptr, new Ctx{addr});
  }
}

void MainWindow::basicConfig() {
  for (const QString& addr : selectedAddresses()) {
    setParameters(addr);
    QByteArray a = addr.toLatin1();
    auto* c = new Ctx{addr};
    if (api_.getBasicConfigInfor(a.constData(), onBasicConfig, a.constData(), c) != 0) {
      delete c;
      log(addr + ": the query could not be sent");
    }
  }
}

void MainWindow::traffic() {
  for (const QString& addr : selectedAddresses()) {
    setParameters(addr);
    QByteArray a = addr.toLatin1();
    auto* c = new Ctx{addr};
    if (api_.getTrafficInfor(a.constData(), onTraffic, nullptr, c) != 0) delete c;
  }
}

void MainWindow::clients() {
  for (const QString& addr : selectedAddresses()) {
    setParameters(addr);
    api_.getClinetInfor(addr.toLatin1().constData(), onClients, nullptr, new Ctx{addr});
  }
}

void MainWindow::configure() {
  QStringList sel = selectedAddresses();
  if (sel.isEmpty()) return;
  setParameters(sel.first());
  api_.exit();  // one window at a time
  api_.init();
  api_.show();
}

void MainWindow::upgradeFirmware() {
  const QString image = chooseImage();
  if (image.isEmpty()) return;
  QList<int> rows;
  for (int r = 0; r < list_->rowCount(); ++r)
    if (list_->item(r, kAddress)->isSelected()) rows << r;
  if (rows.isEmpty()) {
    log("Firmware upgrade: select the devices to upgrade first");
    return;
  }
  // The module talks to every device with the port and communities set here.
  setParameters(list_->item(rows.first(), kAddress)->text());
  // The step and progress columns hold what an earlier batch left; only a
  // running batch writes them, and none runs now.
  for (int r : rows) {
    setCell(list_, r, kStep, "");
    setCell(list_, r, kProgress, "");
  }
  const int hostServer = 0;  // the module only looks at whether it is given
  const bool ownServer = AdvanceSystem::load().ftpMethod == 0;
  const UpgradeTimes t = upgradeTimes;
  upgradeAction_->setEnabled(false);
  abortAction_->setEnabled(true);
  log("Firmware upgrade with " + image);
  const int rc = api_.upgradeFirmware(ownServer ? &hostServer : nullptr, list_, nullptr,
                                      QFile::encodeName(image).constData(), t.sendMs, t.writeMs, t.extraMs, t.resetMs);
  upgradeAction_->setEnabled(true);
  abortAction_->setEnabled(false);
  log(rc == 0 ? QStringLiteral("Firmware upgrade finished")
              : QStringLiteral("Firmware upgrade: no selected device of this model to upgrade"));
}

void MainWindow::abortUpgrade() { api_.upFirCallBack(); }

}  // namespace kav::host
