// Test fixture: the host's FTP server for devices (bin/orvane-ftp-server.py,
// on Debian's python3-pyftpdlib) on a free port of 127.0.0.1, serving a
// fresh temporary folder with one account; stopped and removed when
// destroyed (and it dies with the test process).
//
//   kav::sim::testing::FtpProcess ftp("device", "secret");
//   ftp.put("image.bin", bytes);
//   SimProcess sim({.devices = 1, .extraArgs = {"--ftp-port", std::to_string(ftp.port())}});
//   ... the device fetches ftp://127.0.0.1:PORT/image.bin ...
//   ftp.read("backup.dcf");
//
// Failures throw std::runtime_error.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace kav::sim::testing {

class FtpProcess {
 public:
  explicit FtpProcess(std::string user = "device", std::string password = "secret");
  ~FtpProcess();
  FtpProcess(const FtpProcess&) = delete;
  FtpProcess& operator=(const FtpProcess&) = delete;

  const std::string& address() const { return address_; }  // 127.0.0.1
  uint16_t port() const { return port_; }
  const std::string& user() const { return user_; }
  const std::string& password() const { return password_; }
  // The served folder, and a file in it.
  const std::string& home() const { return home_; }
  std::string path(const std::string& name) const { return home_ + "/" + name; }
  void put(const std::string& name, const std::string& bytes) const;
  std::optional<std::string> read(const std::string& name) const;

 private:
  std::string address_ = "127.0.0.1";
  std::string user_, password_, home_;
  uint16_t port_ = 0;
  pid_t pid_ = -1;
};

// bin/orvane-ftp-server.py of this build.
std::string ftpServerScript();

}  // namespace kav::sim::testing
