// The file-transfer settings the host keeps for the module (QSettings
// "Vorna"/"Orvane", group AdvanceSystem), the exchange of the FTP home folder
// with the host window, and the preparation every file transfer runs before
// the device is told to fetch or store a file.
#pragma once

#include <string>

namespace kav::shell {

// Reads "FtpMethod" into the host-server flag; a missing value leaves the
// flag as it was.  The flag starts true (the host's own FTP server).
void ReadFtpMethod();
bool IsHostFtpServer();
// "FtpUserName" and "FtpPasswordTmp" (each empty when absent); false, with
// both unchanged, when the host has written no settings at all.
bool ReadFtpAccount(std::string& user, std::string& password);
// "RemoteFtpIpAddress", empty when absent.
std::string ReadRemoteFtpAddress();

// The host's FTP home folder: asks the host to write it (message 1231) and
// reads "homedir"; empty without a host window.
std::string GetHostHomeFolder();
// Stores the folder in "homedir" and tells the host (message 1232); nothing
// without a host window.
void SetHostHomeFolder(const std::string& folder);

// File kinds of a transfer.
enum FileKind {
  kFirmwareImage = 0,
  kSslCertificate = 1,
  kSslKey = 2,
  kConfigToDevice = 3,
  kConfigFromDevice = 4,
  kAclToDevice = 5,
  kAclFromDevice = 6,
  kLanguagePack = 13,
};

// Checks the file name for its kind, fills the account and the server the
// device is to use, and points the host's FTP server at the file's folder.
// Shows its own message and returns false when the transfer may not start.
// Paths use "/" as the folder separator.
bool PrepareFileTransfer(std::string& path, std::string& user, std::string& password, std::string& server,
                         int kind);

}  // namespace kav::shell
