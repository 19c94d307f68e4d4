// Test fixture: the host as orvane runs it for devices that move files -
// its windows (the module's messages and progress texts go there), its
// settings (this computer's FTP server, or a remote one with method 1) and
// its FTP server on a free port of 127.0.0.1, following the module when it
// moves the home folder.  Settings are written where QSettings looks, so a
// test points XDG_CONFIG_HOME at a temporary folder first.
//
//   HostWithFtp host;
//   host.window().onProgressText = [&](const QString& t) { texts << t; };
//   SimProcess sim({.devices = 3, .extraArgs = {"--ftp-port", std::to_string(host.port())}});
#pragma once

#include <QTemporaryDir>
#include <memory>

#include "platform/host/ftp_server.h"
#include "platform/host/host_window.h"

namespace kav::host::testing {

class HostWithFtp {
 public:
  // method: the settings' FtpMethod (0 this computer's server).
  explicit HostWithFtp(int method = 0);
  ~HostWithFtp();
  HostWithFtp(const HostWithFtp&) = delete;
  HostWithFtp& operator=(const HostWithFtp&) = delete;

  int port() const { return port_; }
  FtpServer& ftp() { return ftp_; }
  HostMessageWindow& window() { return *host_; }

 private:
  std::unique_ptr<HostMessageWindow> host_;
  FtpServer ftp_;
  QTemporaryDir start_;
  int port_ = 0;
};

// A TCP port of 127.0.0.1 that nothing listens on now.
int freeTcpPort();

}  // namespace kav::host::testing
