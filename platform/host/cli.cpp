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
  return runQueries(api, QueryOptions{o.command, o.timeout, o.json}, addresses);
}

}  // namespace kav::host
