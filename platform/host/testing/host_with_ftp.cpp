#include "platform/host/testing/host_with_ftp.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>

#include "platform/host/host_settings.h"

namespace kav::host::testing {

int freeTcpPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int port = 0;
  if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  if (fd >= 0) close(fd);
  return port;
}

HostWithFtp::HostWithFtp(int method) : host_(createHostWindows()), port_(freeTcpPort()) {
  AdvanceSystem a;
  a.ftpMethod = method;
  a.ftpPort = port_;
  a.ftpUserName = "device";
  a.ftpPasswordTmp = "secret";
  QString error;
  EXPECT_TRUE(a.save(&error)) << error.toStdString();
  QDir(start_.path()).mkpath("served");
  EXPECT_TRUE(ftp_.start({start_.filePath("served"), "device", "secret", "127.0.0.1", port_}, &error))
      << error.toStdString();
  host_->homeFolder = [this] { return ftp_.home(); };
  host_->moveHomeFolder = [this](const QString& home) {
    QString why;
    EXPECT_TRUE(ftp_.moveHome(home, &why)) << why.toStdString();
  };
}

HostWithFtp::~HostWithFtp() {
  // The windows go first: nothing may ask a stopped server for its folder.
  host_.reset();
  ftp_.stop();
}

}  // namespace kav::host::testing
