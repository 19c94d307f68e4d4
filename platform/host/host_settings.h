// The host's settings the module reads: QSettings("Vorna", "Orvane"), group
// AdvanceSystem.  The file holds FTP passwords, so it is kept readable by
// its owner only.
#pragma once

#include <QString>

namespace kav::host {

struct AdvanceSystem {
  int ftpMethod = 0;  // 0: the host's own FTP server, else a remote one
  int ftpPort = 2121;
  QString ftpUserName;
  QString ftpPassword;     // the remote server's (batch upgrade)
  QString ftpPasswordTmp;  // used in every other case, the host's own server among them
  QString remoteFtpIpAddress;
  QString homedir;

  static AdvanceSystem load();
  // Writes every value and makes the file private to its owner.
  bool save(QString* error) const;
  // The file the values live in.
  static QString path();
};

}  // namespace kav::host
