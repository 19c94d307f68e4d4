// `orvane settings`: shows and changes the settings the module reads.
#include <QCommandLineParser>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "platform/host/cli_commands.h"
#include "platform/host/host_settings.h"

namespace kav::host {

int runSettings(const QStringList& arguments) {
  QTextStream out(stdout), err(stderr);
  QCommandLineParser p;
  p.setApplicationDescription("Shows or changes the host's FTP settings, which the module reads.");
  p.addOption({"ftp-method", "0: the host's own FTP server; 1: a remote server.", "n"});
  p.addOption({"ftp-port", "Port of the host's FTP server.", "port"});
  p.addOption({"ftp-user", "FTP account name.", "name"});
  p.addOption({"ftp-password-stdin", "Read the FTP account password from standard input."});
  p.addOption({"remote-password-stdin", "Read the remote server's password from standard input (after the first)."});
  p.addOption({"remote-ftp", "Address of the remote FTP server.", "address"});
  p.addOption({"home", "Home folder of the host's FTP server.", "folder"});
  p.addOption({"json", "Print JSON."});
  p.addOption({{"h", "help"}, "This help."});
  if (!p.parse(QStringList{"orvane"} + arguments)) {
    err << "orvane settings: " << p.errorText() << "\n";
    return 2;
  }
  if (p.isSet("help")) {
    out << p.helpText().replace("orvane [options]", "orvane settings [options]");
    return 0;
  }
  AdvanceSystem a = AdvanceSystem::load();
  bool changed = false;
  bool ok = true;
  auto number = [&](const char* name, int* field) {
    if (!p.isSet(name)) return;
    int v = p.value(name).toInt(&ok);
    if (!ok) return;
    *field = v;
    changed = true;
  };
  number("ftp-method", &a.ftpMethod);
  number("ftp-port", &a.ftpPort);
  if (!ok || a.ftpPort <= 0 || a.ftpPort > 65535) {
    err << "orvane settings: --ftp-method and --ftp-port take numbers (a port from 1 to 65535)\n";
    return 2;
  }
  auto text = [&](const char* name, QString* field) {
    if (!p.isSet(name)) return;
    *field = p.value(name);
    changed = true;
  };
  text("ftp-user", &a.ftpUserName);
  text("remote-ftp", &a.remoteFtpIpAddress);
  text("home", &a.homedir);
  // Passwords never come from the command line, where other users could read them.
  QTextStream in(stdin);
  if (p.isSet("ftp-password-stdin")) {
    a.ftpPasswordTmp = in.readLine();
    changed = true;
  }
  if (p.isSet("remote-password-stdin")) {
    a.ftpPassword = in.readLine();
    changed = true;
  }
  if (changed) {
    QString error;
    if (!a.save(&error)) {
      err << "orvane settings: " << error << "\n";
      return 1;
    }
  }
  auto hidden = [](const QString& s) { return s.isEmpty() ? QString("(not set)") : QString("(set)"); };
  QJsonObject o{{"FtpMethod", a.ftpMethod},
                {"FtpPort", a.ftpPort},
                {"FtpUserName", a.ftpUserName},
                {"FtpPassword", hidden(a.ftpPassword)},
                {"FtpPasswordTmp", hidden(a.ftpPasswordTmp)},
                {"RemoteFtpIpAddress", a.remoteFtpIpAddress},
                {"homedir", a.homedir},
                {"file", AdvanceSystem::path()}};
  if (p.isSet("json")) {
    out << QJsonDocument(o).toJson(QJsonDocument::Indented);
  } else {
    for (auto it = o.begin(); it != o.end(); ++it)
      out << it.key() << ": " << (it.value().isDouble() ? QString::number(it.value().toInt()) : it.value().toString())
          << "\n";
  }
  return 0;
}

}  // namespace kav::host
