#include "platform/host/ftp_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace kav::host {

FtpServer::~FtpServer() { stop(); }

QString FtpServer::scriptPath() { return QCoreApplication::applicationDirPath() + "/orvane-ftp-server.py"; }

bool FtpServer::start(const Settings& s, QString* error) {
  stop();
  if (!QFileInfo(s.home).isDir()) {
    *error = "the FTP home folder " + s.home + " does not exist";
    return false;
  }
  if (s.user.isEmpty()) {
    *error = "no FTP account set (orvane settings --ftp-user NAME --ftp-password-stdin)";
    return false;
  }
  settings_ = s;
  process_ = new QProcess(this);
  process_->setProcessChannelMode(QProcess::SeparateChannels);
  // Debian's interpreter, where python3-pyftpdlib is installed.
  const QString python = QFileInfo::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
  process_->start(python, {scriptPath()});
  if (!process_->waitForStarted(5000)) {
    *error = "cannot start " + python + ": " + process_->errorString();
    stop();
    return false;
  }
  QJsonObject cfg{{"home", QDir(s.home).absolutePath()}, {"user", s.user}, {"password", s.password},
                  {"address", s.address}, {"port", s.port}};
  process_->write(QJsonDocument(cfg).toJson(QJsonDocument::Compact) + "\n");
  process_->closeWriteChannel();
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 10000) {
    if (process_->canReadLine()) {
      QByteArray line = process_->readLine().trimmed();
      if (line.startsWith("ready ")) {
        port_ = line.mid(6).toInt();
        return true;
      }
    }
    if (process_->state() != QProcess::Running) break;
    process_->waitForReadyRead(100);
  }
  *error = "the FTP server did not start: " + QString::fromLocal8Bit(process_->readAllStandardError()).trimmed();
  stop();
  return false;
}

bool FtpServer::moveHome(const QString& home, QString* error) {
  if (home == settings_.home && running()) return true;
  Settings s = settings_;
  s.home = home;
  return start(s, error);
}

void FtpServer::stop() {
  if (!process_) return;
  process_->terminate();
  if (!process_->waitForFinished(3000)) process_->kill();
  process_->waitForFinished(1000);
  delete process_;
  process_ = nullptr;
  port_ = 0;
}

}  // namespace kav::host
