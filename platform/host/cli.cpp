#include "platform/host/cli.h"

#include <arpa/inet.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTextStream>
#include <QTimer>
#include <deque>
#include <memory>

#include "device/addresses.h"
#include "platform/host/cli_commands.h"
#include "platform/host/host_window.h"
#include "platform/host/module_api.h"

namespace kav::host {
namespace {

const char* const kUsage =
    "Usage: orvane [options] COMMAND [ADDRESS...]\n"
    "\n"
    "Talks to KAV-7420 access points through the KAV-7420 module.\n"
    "ADDRESS is one address (127.0.1.1), a range (127.0.1.1-127.0.1.50 or\n"
    "127.0.1.1-50), a comma list of those, or a file with one of those per line.\n"
    "\n"
    "Commands:\n"
    "  caps                     the module's model, description and capabilities\n"
    "  system-info ADDRESS...   each device's subnet mask\n"
    "  basic-config ADDRESS...  digest of each device's basic wireless configuration\n"
    "  traffic ADDRESS...       each device's traffic digest\n"
    "  clients ADDRESS...       the wireless clients associated with each device\n"
    "  neighbours ADDRESS...    the access points each device detects\n"
    "  fw-version ADDRESS...    each device's firmware version\n"
    "  restart ADDRESS...       restart devices\n"
    "  factory-reset ADDRESS... bring devices back to their factory settings\n"
    "  save-activate ADDRESS... save and activate devices' configuration\n"
    "  configure ADDRESS        open the module's configuration window for one device and\n"
    "                           wait until it is closed (--close-after MS closes it itself)\n"
    "  backup ADDRESS... --to FOLDER\n"
    "                           devices store their configuration files as FOLDER/ADDRESS.dcf\n"
    "  upgrade ADDRESS... --image FILE\n"
    "                           devices fetch the firmware image, write it and restart\n"
    "  batch-upgrade ADDRESS... --image FILE [--send-timeout MS] [--write-timeout MS]\n"
    "                [--extra-time MS] [--reset-timeout MS]\n"
    "                           the module's batch upgrade of the devices as rows of the\n"
    "                           device list: image fetch (60000), check and write (240000),\n"
    "                           margin of the watches (10000), restart request (6000; the\n"
    "                           batch then waits ten times as long for the restarts)\n"
    "  settings [options]       show or change the FTP settings (orvane settings --help)\n"
    "  parse-file CONFIG.dcf TEMPLATE\n"
    "                           make a configuration template from a device configuration file\n"
    "  gui                      the host's window (the default when a display exists)\n"
    "\n"
    "Exit status: 0 when every device answered, 1 when some did not, 2 for a usage error.\n";

const QStringList kCommands = {"caps",          "system-info",   "basic-config", "traffic", "clients",
                               "neighbours",    "fw-version",    "restart",      "factory-reset",
                               "save-activate", "backup",        "upgrade",      "settings",
                               "parse-file",    "configure",     "batch-upgrade"};

struct Options {
  QString module;
  QString readCommunity = "public";
  QString writeCommunity = "private";
  int port = 161;
  int timeout = 2000;
  bool json = false;
  int closeAfterMs = 0;  // configure: 0 waits for the user
  QString command;
  QStringList operands;
  QString to, image;
  TransferOptions batch;  // batch-upgrade: its times
};

// What one device answered; texts are copied out of the callbacks.
struct DeviceAnswer {
  QString address;
  bool answered = false;
  bool done = false;
  QJsonObject data;
};

// The devices of one command and the loop that waits for their answers.
struct Run {
  std::deque<DeviceAnswer> devices;  // stable addresses: contexts point here
  int outstanding = 0;
  QEventLoop loop;

  void finish(DeviceAnswer* a, bool answered) {
    if (a->done) return;
    a->done = true;
    a->answered = answered;
    if (--outstanding == 0) loop.quit();
  }
};
Run* gRun = nullptr;

QString text(const char* s) { return s ? QString::fromLocal8Bit(s) : QString(); }
QJsonValue textOrNull(const char* s) { return s ? QJsonValue(text(s)) : QJsonValue(QJsonValue::Null); }

void onBasicConfig(QueryStatus* st, int32_t hasData, void** records, void* context) {
  auto* a = static_cast<DeviceAnswer*>(context);
  if (hasData == 1 && records && records[0]) {
    const auto* b = static_cast<const BasicConfig*>(records[0]);
    a->data = QJsonObject{{"name", text(st->tag)},
                          {"band", b->band},
                          {"bandText", textOrNull(b->bandText)},
                          {"authentication", b->authentication},
                          {"authenticationText", textOrNull(b->authenticationText)},
                          {"opMode", b->opMode},
                          {"opModeText", textOrNull(b->opModeText)},
                          {"ssid", text(b->ssid)},
                          {"channel", text(b->channel)},
                          {"full", textOrNull(b->full)},
                          {"fullFlag", b->fullFlag}};
    gRun->finish(a, true);
  } else {
    a->data = QJsonObject{{"tag", text(st ? st->tag : nullptr)}};
    gRun->finish(a, false);
  }
}

void onTraffic(QueryStatus* st, int32_t hasData, void** records, void* context) {
  auto* a = static_cast<DeviceAnswer*>(context);
  if (hasData != 1 || !records || !records[0]) return;
  const auto* t = static_cast<const TrafficDigest*>(records[0]);
  (void)st;  // its text is the digest's address again
  a->data = QJsonObject{{"band", text(t->bandText)}, {"ipAddress", text(t->address)}, {"wlanMac", text(t->wlanMac)},
                        {"clients", text(t->clients)}, {"txPackets", text(t->txPackets)},
                        {"rxPackets", text(t->rxPackets)}};
  gRun->finish(a, true);
}

void onClients(ClientResult* result, int32_t count, ClientRow** rows, void* context) {
  auto* a = static_cast<DeviceAnswer*>(context);
  QJsonArray list;
  for (int32_t i = 0; i < count && rows; ++i) {
    const ClientRow* r = rows[i];
    list.append(QJsonObject{{"band", text(r->band)}, {"mac", text(r->mac)},
                            {"authentication", text(r->authentication)}, {"rssi", r->rssi},
                            {"powerSave", text(r->powerSave)}, {"ssidIndex", text(r->ssidIndex)}});
  }
  a->data = QJsonObject{{"status", result->status}, {"message", text(result->message)}, {"clients", list}};
  gRun->finish(a, result->status == 0);
}

void onNeighbours(intptr_t, CmdStatus* st, int32_t count, NeighbourRow** rows, void* context) {
  auto* a = static_cast<DeviceAnswer*>(context);
  static const char* const kKeys[] = {"class", "channel", "bssid", "support", "band", "ssid", "signal"};
  QJsonArray list;
  for (int32_t i = 0; i < count && rows; ++i) {
    QJsonObject o;
    for (int k = 0; k < 7; ++k) o[kKeys[k]] = text(rows[i]->text[k]);
    list.append(o);
  }
  a->data = QJsonObject{{"message", text(st->message)}, {"neighbours", list}};
  // Command 0 reports no failure flag: a failed refresh comes with no rows
  // and the library's error text.
  gRun->finish(a, count > 0 || QString(text(st->message)).contains("successfully"));
}

void onFirmwareVersion(CmdStatus* st, const char* version, void* context) {
  auto* a = static_cast<DeviceAnswer*>(context);
  a->data = QJsonObject{{"version", text(version)}, {"message", textOrNull(st->message)}};
  gRun->finish(a, st->status == 0);
}

bool parseOptions(const QStringList& arguments, Options* o, QString* error) {
  QCommandLineParser p;
  p.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
  p.addOption({"module", "The module file.", "path"});
  p.addOption({"read-community", "SNMP read community (public).", "text"});
  p.addOption({"write-community", "SNMP write community (private).", "text"});
  p.addOption({"port", "SNMP port of the devices (161).", "number"});
  p.addOption({"timeout", "Time-out of a request in milliseconds (2000).", "ms"});
  p.addOption({"json", "Print JSON."});
  p.addOption({"close-after", "configure: close the window after this many milliseconds.", "ms"});
  p.addOption({"to", "backup: the folder for the files.", "folder"});
  p.addOption({"image", "upgrade, batch-upgrade: the firmware image.", "file"});
  p.addOption({"send-timeout", "batch-upgrade: time-out of the image fetch (60000).", "ms"});
  p.addOption({"write-timeout", "batch-upgrade: time-out of the image check and write (240000).", "ms"});
  p.addOption({"extra-time", "batch-upgrade: added to the two above for the watches (10000).", "ms"});
  p.addOption({"reset-timeout", "batch-upgrade: time-out of the restart request (6000).", "ms"});
  p.addOption({{"h", "help"}, "This help."});
  if (!p.parse(QStringList{"orvane"} + arguments)) {
    *error = p.errorText();
    return false;
  }
  if (p.isSet("help")) {
    o->command = "help";
    return true;
  }
  o->module = p.isSet("module") ? p.value("module") : ModuleApi::defaultPath();
  if (p.isSet("read-community")) o->readCommunity = p.value("read-community");
  if (p.isSet("write-community")) o->writeCommunity = p.value("write-community");
  bool ok = true;
  if (p.isSet("port")) o->port = p.value("port").toInt(&ok);
  if (!ok || o->port <= 0 || o->port > 65535) {
    *error = "--port takes a number from 1 to 65535";
    return false;
  }
  if (p.isSet("timeout")) o->timeout = p.value("timeout").toInt(&ok);
  if (!ok || o->timeout <= 0) {
    *error = "--timeout takes a positive number of milliseconds";
    return false;
  }
  o->json = p.isSet("json");
  if (p.isSet("close-after")) o->closeAfterMs = p.value("close-after").toInt(&ok);
  if (!ok || o->closeAfterMs < 0) {
    *error = "--close-after takes a number of milliseconds";
    return false;
  }
  const std::pair<const char*, int*> times[] = {{"send-timeout", &o->batch.sendTimeoutMs},
                                                {"write-timeout", &o->batch.writeTimeoutMs},
                                                {"extra-time", &o->batch.extraTimeMs},
                                                {"reset-timeout", &o->batch.resetTimeoutMs}};
  for (const auto& [name, value] : times) {
    if (!p.isSet(name)) continue;
    *value = p.value(name).toInt(&ok);
    if (!ok || *value < 0) {
      *error = QStringLiteral("--%1 takes a number of milliseconds").arg(QLatin1String(name));
      return false;
    }
  }
  o->to = p.value("to");
  o->image = p.value("image");
  QStringList pos = p.positionalArguments();
  if (pos.isEmpty()) {
    *error = "no command given";
    return false;
  }
  o->command = pos.takeFirst();
  o->operands = pos;
  return true;
}

// Addresses from operands: lists, ranges, or files of them.
bool expandAddresses(const QStringList& operands, QStringList* out, QString* error) {
  QStringList items;
  for (const QString& op : operands) {
    QFileInfo fi(op);
    if (fi.isFile()) {
      QFile f(op);
      if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = "cannot read " + op;
        return false;
      }
      for (QString line : QString::fromLocal8Bit(f.readAll()).split('\n')) {
        line = line.section('#', 0, 0).trimmed();
        if (!line.isEmpty()) items << line;
      }
    } else {
      items << op;
    }
  }
  for (const QString& item : items) {
    std::string why;
    auto list = device::parseAddressList(item.toStdString(), &why);
    if (!list) {
      *error = QStringLiteral("'%1' is not an address, range or file: %2").arg(item, QString::fromStdString(why));
      return false;
    }
    for (uint32_t a : *list) *out << QString::fromStdString(device::ipv4Text(a));
  }
  if (out->isEmpty()) {
    *error = "no device address given";
    return false;
  }
  return true;
}

void printText(QTextStream& out, const DeviceAnswer& a, const QString& command) {
  if (!a.answered) {
    QString why = a.data.value("message").toString();
    out << a.address << ": no answer" << (why.isEmpty() ? "" : " (" + why + ")") << "\n";
    return;
  }
  out << a.address << ":\n";
  if (command == "clients") {
    const QJsonArray list = a.data.value("clients").toArray();
    out << "  " << list.size() << " client(s)\n";
    for (const auto& v : list) {
      QJsonObject c = v.toObject();
      out << "  " << c["mac"].toString() << "  " << c["band"].toString() << "  SSID " << c["ssidIndex"].toString()
          << "  " << c["authentication"].toString() << "  RSSI " << c["rssi"].toInt() << "  power save "
          << c["powerSave"].toString() << "\n";
    }
    return;
  }
  if (command == "neighbours") {
    const QJsonArray list = a.data.value("neighbours").toArray();
    out << "  " << list.size() << " access point(s)\n";
    for (const auto& v : list) {
      QJsonObject n = v.toObject();
      out << "  " << n["bssid"].toString() << "  ch " << n["channel"].toString() << "  " << n["band"].toString()
          << "  " << n["ssid"].toString() << "  (" << n["class"].toString() << ")\n";
    }
    return;
  }
  for (auto it = a.data.begin(); it != a.data.end(); ++it) {
    QString v = it.value().isNull() ? "-" : it.value().isDouble() ? QString::number(it.value().toInt())
                                                                  : it.value().toString();
    out << "  " << it.key() << ": " << v << "\n";
  }
}

int runOnDevices(ModuleApi& api, const Options& o, const QStringList& addresses) {
  Run run;
  gRun = &run;
  for (const QString& addr : addresses) run.devices.push_back(DeviceAnswer{addr});
  run.outstanding = static_cast<int>(run.devices.size());
  const QString& cmd = o.command;
  for (DeviceAnswer& a : run.devices) {
    QByteArray addr = a.address.toLatin1();
    if (cmd == "system-info") {
      uint32_t mask = 0;
      api.getSystemInfo(addr.constData(), nullptr, nullptr, &mask);
      in_addr in{};
      in.s_addr = mask;
      a.data = QJsonObject{{"netmask", QString::fromLatin1(inet_ntoa(in))}, {"value", static_cast<qint64>(mask)}};
      run.finish(&a, mask != 0xFFFFFFFFu);
    } else if (cmd == "basic-config") {
      if (api.getBasicConfigInfor(addr.constData(), onBasicConfig, addr.constData(), &a) != 0) run.finish(&a, false);
    } else if (cmd == "traffic") {
      if (api.getTrafficInfor(addr.constData(), onTraffic, nullptr, &a) != 0) run.finish(&a, false);
    } else if (cmd == "clients") {
      api.getClinetInfor(addr.constData(), onClients, nullptr, &a);
    } else if (cmd == "neighbours") {
      api.cmdApi(0, addr.constData(), "", &a, reinterpret_cast<void*>(&onNeighbours));
    } else if (cmd == "fw-version") {
      api.cmdApi(5, addr.constData(), "", &a, reinterpret_cast<void*>(&onFirmwareVersion));
    } else {
      int code = cmd == "restart" ? 1 : cmd == "factory-reset" ? 2 : 3;
      api.systemCmd(addr.constData(), code);
      a.data = QJsonObject{{"sent", cmd}};
      run.finish(&a, true);
    }
  }
  if (run.outstanding > 0) {
    // The traffic query gives no answer at all when a device is silent, so
    // the wait ends on a deadline; client walks get longer.
    int deadline = o.timeout + 2000;
    if (cmd == "clients" || cmd == "neighbours") deadline = o.timeout * 3 + 10000;
    QTimer::singleShot(deadline, &run.loop, &QEventLoop::quit);
    run.loop.exec();
  }
  gRun = nullptr;

  QTextStream out(stdout);
  bool all = true;
  QJsonArray json;
  for (DeviceAnswer& a : run.devices) {
    all = all && a.answered;
    if (o.json) {
      QJsonObject obj = a.data;
      obj["address"] = a.address;
      obj["answered"] = a.answered;
      json.append(obj);
    } else {
      printText(out, a, cmd);
    }
  }
  if (o.json) out << QJsonDocument(json).toJson(QJsonDocument::Indented);
  out.flush();
  return all ? 0 : 1;
}

// The module's frame: its classes are hidden inside the module, so the host
// knows it by its title among the top-level windows it did not make.
QWidget* findModuleWindow(const QList<QWidget*>& before) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (!before.contains(w) && w->windowTitle() == QLatin1String("KAV-7420")) return w;
  return nullptr;
}

// PlugInit and PlugShow for one device, then wait until the window is gone
// (closed by the user, or by --close-after); PlugExit at the end.
int runConfigure(ModuleApi& api, const Options& o) {
  const QList<QWidget*> before = QApplication::topLevelWidgets();
  api.init();
  api.show();
  QPointer<QWidget> frame = findModuleWindow(before);
  if (!frame) {
    QTextStream(stderr) << "orvane: the module made no configuration window\n";
    api.exit();
    return 1;
  }
  QEventLoop loop;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
    if (!frame || !frame->isVisible()) loop.quit();
  });
  watch.start(100);
  if (o.closeAfterMs > 0)
    QTimer::singleShot(o.closeAfterMs, &loop, [&] {
      if (frame) frame->close();
    });
  loop.exec();
  api.exit();
  return 0;
}

}  // namespace

bool needsDisplay(const QStringList& arguments) { return arguments.contains(QStringLiteral("configure")); }

bool isCliCommand(const QStringList& arguments) {
  for (const QString& a : arguments) {
    if (a == "-h" || a == "--help") return true;
    if (kCommands.contains(a)) return true;
    if (a == "gui") return false;
  }
  return false;
}

int runCli(const QStringList& arguments) {
  QTextStream err(stderr);
  // The settings take options of their own and need no module.
  if (!arguments.isEmpty() && arguments.first() == "settings") return runSettings(arguments.mid(1));
  Options o;
  QString error;
  if (!parseOptions(arguments, &o, &error)) {
    err << "orvane: " << error << "\n\n" << kUsage;
    return 2;
  }
  if (o.command == "help") {
    QTextStream(stdout) << kUsage;
    return 0;
  }
  if (!kCommands.contains(o.command)) {
    err << "orvane: unknown command '" << o.command << "'\n\n" << kUsage;
    return 2;
  }
  // The module looks for the host's windows; they exist, hidden, on the
  // command line too, and progress texts go to standard output.
  std::unique_ptr<HostMessageWindow> host(createHostWindows());
  host->onProgressText = [](const QString& t) { QTextStream(stdout) << t << "\n"; };

  ModuleApi api;
  if (!api.load(o.module, &error)) {
    err << "orvane: cannot load the module " << o.module << ": " << error << "\n";
    return 2;
  }
  if (o.command == "caps") {
    ModuleCaps caps{};
    api.getModuleCaps(&caps);
    QJsonObject obj{{"model", caps.model}, {"description", caps.description}, {"band", caps.band},
                    {"sysObjectId", caps.sysObjectId},
                    {"caps", QJsonArray{caps.caps[0], caps.caps[1], caps.caps[2]}}};
    QTextStream out(stdout);
    if (o.json) {
      out << QJsonDocument(obj).toJson(QJsonDocument::Indented);
    } else {
      out << "Model:         " << caps.model << "\nDescription:   " << caps.description
          << "\nBand:          " << caps.band << "\nSystem object: " << caps.sysObjectId
          << "\nCapabilities:  " << caps.caps[0] << " " << caps.caps[1] << " " << caps.caps[2] << "\n";
    }
    return 0;
  }
  if (o.command == "parse-file") {
    if (o.operands.size() != 2) {
      err << "orvane: parse-file takes a configuration file and a template file\n";
      return 2;
    }
    int written = api.parseFile(QFile::encodeName(o.operands[0]).constData(), QFile::encodeName(o.operands[1]).constData());
    if (o.json)
      QTextStream(stdout) << QJsonDocument(QJsonObject{{"written", written == 1}, {"template", o.operands[1]}}).toJson();
    else if (written == 1)
      QTextStream(stdout) << "Template written to " << o.operands[1] << "\n";
    else
      err << "orvane: no template made from " << o.operands[0] << "\n";
    return written == 1 ? 0 : 1;
  }
  QStringList addresses;
  if (!expandAddresses(o.operands, &addresses, &error)) {
    err << "orvane: " << error << "\n";
    return 2;
  }
  if (o.command == "configure" && addresses.size() != 1) {
    err << "orvane: configure takes one device address\n";
    return 2;
  }
  in_addr first{};
  inet_pton(AF_INET, addresses.first().toLatin1().constData(), &first);
  api.setSnmpParameter(first.s_addr, o.readCommunity.toLocal8Bit().constData(),
                       o.writeCommunity.toLocal8Bit().constData(), o.port, o.timeout);
  if (o.command == "configure") return runConfigure(api, o);
  if (o.command == "backup" || o.command == "upgrade" || o.command == "batch-upgrade") {
    TransferOptions t = o.batch;
    t.addresses = addresses;
    t.folder = o.to;
    t.image = o.image;
    t.timeoutMs = o.timeout;
    t.json = o.json;
    if (o.command == "backup" && t.folder.isEmpty()) {
      err << "orvane: backup needs --to FOLDER\n";
      return 2;
    }
    if (o.command != "backup" && t.image.isEmpty()) {
      err << "orvane: " << o.command << " needs --image FILE\n";
      return 2;
    }
    if (o.command == "batch-upgrade") return runBatchUpgrade(api, *host, t);
    return o.command == "backup" ? runBackup(api, *host, t) : runUpgrade(api, *host, t);
  }
  return runOnDevices(api, o, addresses);
}

}  // namespace kav::host
