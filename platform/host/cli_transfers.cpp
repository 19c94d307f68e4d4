// `orvane backup`, `orvane upgrade` and `orvane batch-upgrade`: commands
// that make devices store or fetch files on the host's FTP server.
#include <arpa/inet.h>

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableWidget>
#include <QTextStream>
#include <QTimer>
#include <deque>

#include "platform/host/cli_commands.h"
#include "platform/host/ftp_server.h"
#include "platform/host/host_settings.h"
#include "platform/host/host_window.h"
#include "platform/host/main_window.h"
#include "platform/host/module_api.h"

namespace kav::host {
namespace {

// One device's way through a backup or an upgrade.
struct DeviceJob {
  QString address;
  QByteArray addressBytes;
  QString mask;
  int step = 0;  // the command running: 3, or 6, 7, 8
  bool done = false;
  bool ok = false;
  QString message;
};

struct Batch {
  ModuleApi* api = nullptr;
  std::deque<DeviceJob> jobs;
  int outstanding = 0;
  QByteArray imageArgument;  // per device: mask|path
  QEventLoop loop;

  void finish(DeviceJob* j, bool ok, const QString& message) {
    if (j->done) return;
    j->done = true;
    j->ok = ok;
    j->message = message;
    QTextStream(stderr) << j->address << ": " << (ok ? "done" : "failed") << (message.isEmpty() ? "" : ": ")
                        << message << "\n";
    if (--outstanding == 0) loop.quit();
  }
};
Batch* gBatch = nullptr;

QString text(const char* s) { return s ? QString::fromLocal8Bit(s) : QString(); }

void onBackup(intptr_t, CmdStatus* st, int32_t, NeighbourRow**, void* context) {
  auto* j = static_cast<DeviceJob*>(context);
  gBatch->finish(j, st->status == 0, st->status == 0 ? QString() : text(st->message));
}

void startUpgradeStep(DeviceJob* j);

void onUpgradeStep(CmdStatus* st, const char* result, void* context) {
  auto* j = static_cast<DeviceJob*>(context);
  if (st->status != 0) {
    gBatch->finish(j, false, QStringLiteral("step %1: %2").arg(j->step).arg(text(st->message).isEmpty() ? text(result) : text(st->message)));
    return;
  }
  static const char* const kDone[] = {"", "", "", "", "", "", "image fetched", "image written", "restarting"};
  QTextStream(stderr) << j->address << ": " << kDone[j->step] << "\n";
  if (j->step == 8) {
    gBatch->finish(j, true, "restarting with the new firmware");
    return;
  }
  j->step = j->step == 6 ? 7 : 8;
  startUpgradeStep(j);
}

void startUpgradeStep(DeviceJob* j) {
  const QByteArray argument = j->step == 6 ? j->mask.toLatin1() + "|" + gBatch->imageArgument : QByteArray();
  gBatch->api->cmdApi(j->step, j->addressBytes.constData(), argument.constData(), j,
                      reinterpret_cast<void*>(&onUpgradeStep));
}

QString maskOf(ModuleApi& api, const QByteArray& address) {
  uint32_t mask = 0;
  api.getSystemInfo(address.constData(), nullptr, nullptr, &mask);
  if (mask == 0xFFFFFFFFu) return "255.255.255.0";  // unknown: the usual one
  in_addr a{};
  a.s_addr = mask;
  return QString::fromLatin1(inet_ntoa(a));
}

// With the host's own FTP server set up, serve folder for the devices and
// follow the module when it moves the home folder.
bool serve(FtpServer& server, HostMessageWindow& host, const QString& folder, QString* error) {
  AdvanceSystem settings = AdvanceSystem::load();
  if (settings.ftpMethod != 0) return true;  // a remote server: nothing to start here
  FtpServer::Settings s;
  s.home = folder;
  s.user = settings.ftpUserName;
  s.password = settings.ftpPasswordTmp;
  s.port = settings.ftpPort;
  if (!server.start(s, error)) return false;
  host.homeFolder = [&server] { return server.home(); };
  host.moveHomeFolder = [&server](const QString& dir) {
    QString why;
    if (!server.moveHome(dir, &why)) QTextStream(stderr) << "orvane: " << why << "\n";
  };
  return true;
}

// Checks the image and serves its folder; false, with the reason on
// standard error, when either fails.
bool serveImage(FtpServer& server, HostMessageWindow& host, const QFileInfo& image) {
  QTextStream err(stderr);
  if (!image.isFile()) {
    err << "orvane: no firmware image " << image.filePath() << "\n";
    return false;
  }
  QString error;
  if (!serve(server, host, image.absolutePath(), &error)) {
    err << "orvane: " << error << "\n";
    return false;
  }
  return true;
}

int report(Batch& batch, bool json, const QString& what) {
  QTextStream out(stdout);
  QJsonArray list;
  bool all = true;
  for (const DeviceJob& j : batch.jobs) {
    all = all && j.ok;
    if (json) {
      list.append(QJsonObject{{"address", j.address}, {"ok", j.ok}, {"message", j.message}, {what, j.ok}});
    } else {
      out << j.address << ": " << (j.ok ? "OK" : "failed") << (j.message.isEmpty() ? "" : " (" + j.message + ")")
          << "\n";
    }
  }
  if (json) out << QJsonDocument(list).toJson(QJsonDocument::Indented);
  return all ? 0 : 1;
}

void prepare(Batch& batch, ModuleApi& api, const TransferOptions& o) {
  batch.api = &api;
  for (const QString& a : o.addresses) {
    DeviceJob j;
    j.address = a;
    j.addressBytes = a.toLatin1();
    batch.jobs.push_back(j);
  }
  for (DeviceJob& j : batch.jobs) j.mask = maskOf(api, j.addressBytes);
  batch.outstanding = static_cast<int>(batch.jobs.size());
}

// The wireless MAC address of each device, for the final progress texts,
// from traffic queries waited for up to a deadline (a silent device answers
// nothing).  The queries live as long as the program, so an answer that
// comes after the deadline finds its context and nothing to write to.
struct MacQuery {
  QTableWidgetItem* cell = nullptr;
};
struct MacQueries {
  std::deque<MacQuery> queries;
  int outstanding = 0;
  QEventLoop* loop = nullptr;
};
MacQueries& macQueries() {
  static MacQueries all;
  return all;
}

void onMacTraffic(QueryStatus*, int32_t hasData, void** records, void* context) {
  auto* q = static_cast<MacQuery*>(context);
  if (q->cell && hasData == 1 && records && records[0])
    q->cell->setText(text(static_cast<const TrafficDigest*>(records[0])->wlanMac));
  MacQueries& all = macQueries();
  if (--all.outstanding == 0 && all.loop) all.loop->quit();
}

void fillMacAddresses(ModuleApi& api, QTableWidget& list, int timeoutMs) {
  MacQueries& all = macQueries();
  const size_t first = all.queries.size();
  QEventLoop loop;
  all.loop = &loop;
  for (int r = 0; r < list.rowCount(); ++r) {
    all.queries.push_back({list.item(r, MainWindow::kMac)});
    const QByteArray address = list.item(r, MainWindow::kAddress)->text().toLatin1();
    if (api.getTrafficInfor(address.constData(), onMacTraffic, nullptr, &all.queries.back()) == 0)
      ++all.outstanding;
  }
  QTimer::singleShot(timeoutMs + 2000, &loop, &QEventLoop::quit);
  if (all.outstanding > 0) loop.exec();
  all.loop = nullptr;
  all.outstanding = 0;
  for (size_t i = first; i < all.queries.size(); ++i) all.queries[i].cell = nullptr;
}

}  // namespace

int runBackup(ModuleApi& api, HostMessageWindow& host, const TransferOptions& o) {
  QTextStream err(stderr);
  const QString folder = QDir(o.folder).absolutePath();
  if (!QDir().mkpath(folder)) {
    err << "orvane: cannot make the folder " << folder << "\n";
    return 2;
  }
  FtpServer server;
  QString error;
  if (!serve(server, host, folder, &error)) {
    err << "orvane: " << error << "\n";
    return 2;
  }
  Batch batch;
  gBatch = &batch;
  prepare(batch, api, o);
  const QByteArray folderArgument = (folder + "/").toLocal8Bit();
  for (DeviceJob& j : batch.jobs) {
    QByteArray argument = j.mask.toLatin1() + "|" + folderArgument;
    api.cmdApi(3, j.addressBytes.constData(), argument.constData(), &j, reinterpret_cast<void*>(&onBackup));
  }
  QTimer::singleShot(o.timeoutMs + 15000, &batch.loop, &QEventLoop::quit);
  if (batch.outstanding > 0) batch.loop.exec();
  gBatch = nullptr;
  return report(batch, o.json, "backedUp");
}

int runUpgrade(ModuleApi& api, HostMessageWindow& host, const TransferOptions& o) {
  QFileInfo image(o.image);
  FtpServer server;
  if (!serveImage(server, host, image)) return 2;
  Batch batch;
  gBatch = &batch;
  prepare(batch, api, o);
  batch.imageArgument = image.absoluteFilePath().toLocal8Bit();
  for (DeviceJob& j : batch.jobs) {
    j.step = 6;
    startUpgradeStep(&j);
  }
  // Writing an image may take the device up to four minutes.
  QTimer::singleShot(300000, &batch.loop, &QEventLoop::quit);
  if (batch.outstanding > 0) batch.loop.exec();
  gBatch = nullptr;
  return report(batch, o.json, "upgraded");
}

int runBatchUpgrade(ModuleApi& api, HostMessageWindow& host, const TransferOptions& o) {
  QFileInfo image(o.image);
  FtpServer server;
  if (!serveImage(server, host, image)) return 2;
  // The device list as the host window has it, hidden: one selected row
  // per device, of this module's model, with its mask and MAC address.
  QTableWidget list(0, MainWindow::kColumns);
  ModuleCaps caps{};
  api.getModuleCaps(&caps);
  for (const QString& address : o.addresses) {
    const int row = list.rowCount();
    list.insertRow(row);
    for (int c = 0; c < MainWindow::kColumns; ++c) list.setItem(row, c, new QTableWidgetItem);
    list.item(row, MainWindow::kAddress)->setText(address);
    list.item(row, MainWindow::kModel)->setText(QString::fromLatin1(caps.model));
    list.item(row, MainWindow::kNetmask)->setText(maskOf(api, address.toLatin1()));
  }
  fillMacAddresses(api, list, o.timeoutMs);
  list.selectAll();

  QStringList texts;
  QTextStream out(stdout);
  host.onProgressText = [&](const QString& t) {
    texts << t;
    if (!o.json) out << t << Qt::endl;
  };
  // Non-null: the devices fetch the image from this computer's server.
  const int hostServer = 0;
  const bool own = AdvanceSystem::load().ftpMethod == 0;
  const QByteArray path = image.absoluteFilePath().toLocal8Bit();
  const int rc = api.upgradeFirmware(own ? &hostServer : nullptr, &list, nullptr, path.constData(), o.sendTimeoutMs,
                                     o.writeTimeoutMs, o.extraTimeMs, o.resetTimeoutMs);
  host.onProgressText = nullptr;

  static const char* const kKeys[] = {"address", "model", "mac", "netmask", "fwVersion", "name", "step", "progress"};
  bool all = rc == 0;
  QJsonArray rows;
  for (int r = 0; r < list.rowCount(); ++r) {
    QJsonObject row;
    for (int c = 0; c < MainWindow::kColumns; ++c) row[kKeys[c]] = list.item(r, c)->text();
    all = all && row["progress"].toString() == "OK";
    rows.append(row);
    if (!o.json)
      out << row["address"].toString() << ": " << row["progress"].toString() << " (step \""
          << row["step"].toString() << "\", firmware " << row["fwVersion"].toString() << ", MAC "
          << row["mac"].toString() << ", netmask " << row["netmask"].toString() << ")\n";
  }
  if (o.json)
    out << QJsonDocument(QJsonObject{{"result", rc}, {"rows", rows}, {"messages", QJsonArray::fromStringList(texts)}})
               .toJson(QJsonDocument::Indented);
  out.flush();
  return all ? 0 : 1;
}

}  // namespace kav::host
