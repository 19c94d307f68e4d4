// The host's FTP server: devices store backups on it and fetch firmware
// images from it.  A child process (Debian's python3-pyftpdlib) serving one
// folder with the account of the host's settings.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

namespace kav::host {

class FtpServer : public QObject {
  Q_OBJECT
 public:
  struct Settings {
    QString home;
    QString user;
    QString password;
    QString address = "0.0.0.0";  // every address a device may reach
    int port = 2121;
  };

  ~FtpServer() override;
  // Starts serving; false with *error set when the server did not come up.
  bool start(const Settings& s, QString* error);
  // Serves another folder (the module changed the home folder).
  bool moveHome(const QString& home, QString* error);
  void stop();
  bool running() const { return process_ && process_->state() == QProcess::Running; }
  int port() const { return port_; }
  QString home() const { return settings_.home; }

  // The script beside the host program.
  static QString scriptPath();

 private:
  Settings settings_;
  QProcess* process_ = nullptr;
  int port_ = 0;
};

}  // namespace kav::host
