#include "platform/host/host_settings.h"

#include <QFile>
#include <QSettings>

#include <sys/stat.h>

namespace kav::host {

AdvanceSystem AdvanceSystem::load() {
  QSettings s("Vorna", "Orvane");
  s.beginGroup("AdvanceSystem");
  AdvanceSystem a;
  a.ftpMethod = s.value("FtpMethod", a.ftpMethod).toInt();
  a.ftpPort = s.value("FtpPort", a.ftpPort).toInt();
  a.ftpUserName = s.value("FtpUserName").toString();
  a.ftpPassword = s.value("FtpPassword").toString();
  a.ftpPasswordTmp = s.value("FtpPasswordTmp").toString();
  a.remoteFtpIpAddress = s.value("RemoteFtpIpAddress").toString();
  a.homedir = s.value("homedir").toString();
  return a;
}

bool AdvanceSystem::save(QString* error) const {
  // A new file is made private from its first byte, not just afterwards.
  const mode_t old = umask(077);
  QSettings s("Vorna", "Orvane");
  s.beginGroup("AdvanceSystem");
  s.setValue("FtpMethod", ftpMethod);
  s.setValue("FtpPort", ftpPort);
  s.setValue("FtpUserName", ftpUserName.left(255));
  s.setValue("FtpPassword", ftpPassword.left(255));
  s.setValue("FtpPasswordTmp", ftpPasswordTmp.left(255));
  s.setValue("RemoteFtpIpAddress", remoteFtpIpAddress.left(255));
  s.setValue("homedir", homedir);
  s.sync();
  umask(old);
  if (s.status() != QSettings::NoError) {
    *error = "cannot write " + s.fileName();
    return false;
  }
  QFile::setPermissions(s.fileName(), QFile::ReadOwner | QFile::WriteOwner);
  return true;
}

QString AdvanceSystem::path() { return QSettings("Vorna", "Orvane").fileName(); }

}  // namespace kav::host
