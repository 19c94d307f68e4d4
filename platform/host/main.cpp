// orvane: the host application.  With a sub-command it works on the command
// line; otherwise it opens its window titled "Orvane2".
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTextStream>
#include <QToolBar>

#include <sys/stat.h>
#include <unistd.h>

#include "device/addresses.h"
#include "platform/host/cli.h"
#include "platform/host/ftp_server.h"
#include "platform/host/host_settings.h"
#include "platform/host/settings_dialog.h"
#include "platform/host/host_window.h"
#include "platform/host/main_window.h"
#include "platform/host/module_api.h"

int main(int argc, char** argv) {
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  const bool cli = kav::host::isCliCommand(args);
  // Nothing here names SNMP objects by MIB names: keep net-snmp, which the
  // module's libraries start, from reading MIB files at all.
  setenv("MIBS", "", 0);
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    // Qt wants a private runtime folder and complains on every start when
    // the session has none; make the one it would fall back to.
    QByteArray dir = "/tmp/runtime-" + QByteArray::number(getuid());
    mkdir(dir.constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", dir);
  }
  // The command line needs no display (the module still makes widgets),
  // except to show the configuration window.
  if (cli && !kav::host::needsDisplay(args) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  app.setApplicationName("orvane");
  if (cli) return kav::host::runCli(args);

  QCommandLineParser p;
  p.addOption({"module", "The module file.", "path"});
  p.addOption({"port", "SNMP port of the devices (161).", "number", "161"});
  p.addOption({"timeout", "Time-out of a request in milliseconds (2000).", "ms", "2000"});
  p.addOption({"devices", "Devices to list at start.", "addresses"});
  p.addHelpOption();
  p.addPositionalArgument("gui", "Open the window (the default).");
  p.process(app);

  kav::host::ModuleApi api;
  QString error;
  QString path = p.isSet("module") ? p.value("module") : kav::host::ModuleApi::defaultPath();
  if (!api.load(path, &error)) {
    QMessageBox::critical(nullptr, "Orvane", "Cannot load the module " + path + ":\n" + error);
    return 2;
  }
  auto* window = new kav::host::MainWindow(api, p.value("port").toInt(), p.value("timeout").toInt());
  std::unique_ptr<kav::host::HostMessageWindow> host(kav::host::createHostWindows(window));
  host->onProgressText = [window](const QString& t) { window->log(t); };

  // The FTP server devices use, while the settings choose this computer's.
  kav::host::FtpServer ftp;
  auto serve = [&](const QString& home) {
    kav::host::AdvanceSystem a = kav::host::AdvanceSystem::load();
    ftp.stop();
    if (a.ftpMethod != 0 || home.isEmpty() || a.ftpUserName.isEmpty()) return;
    QString error;
    if (ftp.start({home, a.ftpUserName, a.ftpPasswordTmp, "0.0.0.0", a.ftpPort}, &error))
      window->log(QStringLiteral("FTP server on port %1 serves %2").arg(ftp.port()).arg(home));
    else
      window->log("FTP server: " + error);
  };
  host->homeFolder = [&] { return ftp.running() ? ftp.home() : kav::host::AdvanceSystem::load().homedir; };
  host->moveHomeFolder = [&](const QString& home) {
    if (home != ftp.home() || !ftp.running()) serve(home);
  };
  serve(kav::host::AdvanceSystem::load().homedir);
  QToolBar* hostBar = window->addToolBar("Host");
  hostBar->addAction("Settings...", window, [&] {
    kav::host::SettingsDialog dialog(window);
    if (dialog.exec() == QDialog::Accepted) serve(dialog.values().homedir);
  });
  if (p.isSet("devices")) {
    std::string why;
    if (auto list = kav::device::parseAddressList(p.value("devices").toStdString(), &why)) {
      QStringList addresses;
      for (uint32_t a : *list) addresses << QString::fromStdString(kav::device::ipv4Text(a));
      window->addDevices(addresses);
    }
  }
  window->show();
  int rc = app.exec();
  api.exit();
  return rc;
}
