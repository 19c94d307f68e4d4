// The device's FTP client (libcurl): fetches one file from, or stores one
// file on, the server a manager names.  Blocking; runs in a device's
// transfer worker, never on the SNMP thread.
//
// Time limits: 5 s to connect; a server that says nothing (no greeting, no
// answer to a command, no data) for `silenceSeconds` ends the transfer; no
// transfer takes longer than 10 minutes.  Setting `cancel` ends a transfer
// within about a second.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace kav::sim::ftp {

struct Target {
  std::string server;  // IPv4 address text
  uint16_t port = 21;
  std::string user;
  std::string password;
  std::string fileName;       // path on the server, relative to the login folder
  std::string sourceAddress;  // the device's own address: connections come from it
  uint32_t silenceSeconds = 10;
};

struct Result {
  bool ok = false;
  std::string message;  // why not, in the device's words
};

// Checks a file name before anything is sent: non-empty, printable, no
// empty path segment.  Empty when fine, else the reason.
std::string fileNameProblem(std::string_view name);

// Downloads the file into `path` (created or truncated).  More than
// maxBytes fails with "file too large".
Result fetch(const Target& target, const std::string& path, uint64_t maxBytes, const std::atomic<bool>& cancel);
// Uploads `data` as the file (replacing one of that name).
Result store(const Target& target, std::string_view data, const std::atomic<bool>& cancel);

}  // namespace kav::sim::ftp
