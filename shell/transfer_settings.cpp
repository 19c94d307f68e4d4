#include "shell/transfer_settings.h"

#include <QSettings>

#include "module/local_address.h"
#include "platform/win/messages.h"
#include "shell/shell_ui.h"

namespace kav::shell {
namespace {

bool gHostServer = true;

constexpr int kMaxText = 255;  // the host writes texts of at most this length

QSettings* openSettings() {
  auto* s = new QSettings("Vorna", "Orvane");
  s->beginGroup("AdvanceSystem");
  return s;
}

std::string readText(QSettings& s, const char* key) {
  return s.value(key).toString().toStdString().substr(0, kMaxText);
}

void plainMessage(const char* text) { CShellUi::Show(nullptr, QString::fromUtf8(text)); }

std::string afterLastSlash(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string upToLastSlash(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

void ReadFtpMethod() {
  std::unique_ptr<QSettings> s(openSettings());
  if (s->contains("FtpMethod")) gHostServer = s->value("FtpMethod").toInt() == 0;
}

bool IsHostFtpServer() { return gHostServer; }

bool ReadFtpAccount(std::string& user, std::string& password) {
  std::unique_ptr<QSettings> s(openSettings());
  if (s->childKeys().isEmpty()) return false;
  user = readText(*s, "FtpUserName");
  password = readText(*s, "FtpPasswordTmp");
  return true;
}

std::string ReadRemoteFtpAddress() {
  std::unique_ptr<QSettings> s(openSettings());
  return readText(*s, "RemoteFtpIpAddress");
}

std::string GetHostHomeFolder() {
  QWidget* host = win::hostMessageWindow();
  if (!host) return {};
  win::sendMessage(host, win::kMsgGetHomeFolder);
  std::unique_ptr<QSettings> s(openSettings());
  return readText(*s, "homedir");
}

void SetHostHomeFolder(const std::string& folder) {
  QWidget* host = win::hostMessageWindow();
  if (!host) return;
  {
    std::unique_ptr<QSettings> s(openSettings());
    s->setValue("homedir", QString::fromStdString(folder));
    s->sync();
  }
  win::sendMessage(host, win::kMsgSetHomeFolder);
}

bool PrepareFileTransfer(std::string& path, std::string& user, std::string& password, std::string& server,
                         int kind) {
  if (path.empty()) {
    plainMessage("Empty file is not accept!");
    return false;
  }
  ReadFtpAccount(user, password);
  if (IsHostFtpServer()) {
    const std::string name = afterLastSlash(path);
    auto has = [&](const char* ext) { return name.find(ext) != std::string::npos; };
    bool ok = true;
    switch (kind) {
      case kFirmwareImage: ok = has(".tfp") || has(".bin"); break;
      case kSslCertificate:
      case kSslKey: ok = has(".pem"); break;
      case kConfigToDevice: ok = has(".dcf") || has(".DCF"); break;
      case kConfigFromDevice:
        if (!has(".dcf") && !has(".DCF")) path += ".dcf";
        break;
      case kAclToDevice: ok = has(".acl") || has(".ACL"); break;
      case kAclFromDevice:
        if (!has(".acl") && !has(".ACL")) path += ".acl";
        break;
      default: break;
    }
    if (!ok) {
      plainMessage("File format error! Please try again!");
      return false;
    }
    SetHostHomeFolder(upToLastSlash(path));
  } else {
    server = ReadRemoteFtpAddress();
  }
  if (server.empty() || server == "0.0.0.0") module::PickLocalAddressForCurrentDevice(server);
  return true;
}

}  // namespace kav::shell
