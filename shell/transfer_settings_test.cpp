// The host's file-transfer settings as the module reads them, the home
// folder exchange with the host window, and the preparation of transfers.
#include "shell/transfer_settings.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

#include "module/local_address.h"
#include "platform/testing/qt_wait.h"
#include "platform/win/messages.h"
#include "shell/shell_ui_recorder.h"

namespace {

using namespace kav::shell;

// The host side: answers 1231 with its folder, takes the folder on 1232.
class FakeHost : public QWidget {
 public:
  QString folder = "/srv/ftp";
  QString movedTo;
  int asked = 0;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == kav::win::messageType(kav::win::kMsgGetHomeFolder)) {
      ++asked;
      QSettings s("Vorna", "Orvane");
      s.setValue("AdvanceSystem/homedir", folder);
      return true;
    }
    if (e->type() == kav::win::messageType(kav::win::kMsgSetHomeFolder)) {
      movedTo = QSettings("Vorna", "Orvane").value("AdvanceSystem/homedir").toString();
      return true;
    }
    return QWidget::event(e);
  }
};

class TransferSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    kav::testing::ensureApp();
    ASSERT_TRUE(dir_.isValid());
    qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
  }
  void TearDown() override { kav::module::setNetworkSource(nullptr); }

  void write(const QString& key, const QVariant& v) {
    QSettings s("Vorna", "Orvane");
    s.setValue("AdvanceSystem/" + key, v);
  }

  // The host's two windows: "Orvane2" and its parent, which takes messages.
  std::unique_ptr<FakeHost> host() {
    auto h = std::make_unique<FakeHost>();
    auto* main = new QWidget(h.get(), Qt::Window);
    main->setWindowTitle("Orvane2");
    return h;
  }

  QTemporaryDir dir_;
  CShellUiRecorder ui_;
};

TEST_F(TransferSettings, AccountAndMethodComeFromTheHostsSettings) {
  std::string user = "keep", password = "keep";
  EXPECT_FALSE(ReadFtpAccount(user, password)) << "no settings written yet";
  EXPECT_EQ(user, "keep");
  ReadFtpMethod();
  EXPECT_TRUE(IsHostFtpServer()) << "a missing value leaves the flag as it was";

  write("FtpUserName", "ftpuser");
  write("FtpPasswordTmp", "secret");
  write("FtpPassword", "other");
  write("FtpMethod", 1);
  write("RemoteFtpIpAddress", "10.9.8.7");
  ASSERT_TRUE(ReadFtpAccount(user, password));
  EXPECT_EQ(user, "ftpuser");
  EXPECT_EQ(password, "secret");
  ReadFtpMethod();
  EXPECT_FALSE(IsHostFtpServer());
  EXPECT_EQ(ReadRemoteFtpAddress(), "10.9.8.7");
  write("FtpMethod", 0);
  ReadFtpMethod();
  EXPECT_TRUE(IsHostFtpServer());
}

TEST_F(TransferSettings, HomeFolderIsExchangedWithTheHostWindow) {
  EXPECT_EQ(GetHostHomeFolder(), "") << "no host window";
  SetHostHomeFolder("/nowhere");
  EXPECT_FALSE(QSettings("Vorna", "Orvane").contains("AdvanceSystem/homedir"));
  auto h = host();
  EXPECT_EQ(GetHostHomeFolder(), "/srv/ftp");
  EXPECT_EQ(h->asked, 1);
  SetHostHomeFolder("/data/images");
  EXPECT_EQ(h->movedTo, "/data/images");
}

TEST_F(TransferSettings, FileKindsDecideWhatATransferMayCarry) {
  write("FtpMethod", 0);
  ReadFtpMethod();
  auto h = host();
  struct Case {
    int kind;
    const char* path;
    bool ok;
    const char* pathAfter;
  };
  const Case cases[] = {
      {kFirmwareImage, "/fw/image.bin.old", true, "/fw/image.bin.old"},
      {kFirmwareImage, "/fw/fw.tfp", true, "/fw/fw.tfp"},
      {kFirmwareImage, "/fw/readme.txt", false, "/fw/readme.txt"},
      {kSslKey, "/ssl/key.pem", true, "/ssl/key.pem"},
      {kConfigToDevice, "/cfg/a.DCF", true, "/cfg/a.DCF"},
      {kConfigToDevice, "/cfg/a.xml", false, "/cfg/a.xml"},
      {kConfigFromDevice, "/cfg/backup", true, "/cfg/backup.dcf"},
      {kConfigFromDevice, "/cfg/backup.DCF", true, "/cfg/backup.DCF"},
      {kAclFromDevice, "/acl/list", true, "/acl/list.acl"},
      {kAclToDevice, "/acl/list.txt", false, "/acl/list.txt"},
      {kLanguagePack, "/lang/pack.anything", true, "/lang/pack.anything"},
  };
  for (const Case& c : cases) {
    ui_.ClearCalls();
    std::string path = c.path, user, password, server = "10.0.0.1";
    EXPECT_EQ(PrepareFileTransfer(path, user, password, server, c.kind), c.ok) << c.path;
    EXPECT_EQ(path, c.pathAfter);
    if (!c.ok) {
      ASSERT_EQ(ui_.Calls().size(), 1u) << c.path;
      EXPECT_EQ(ui_.Calls()[0].text, "File format error! Please try again!");
      EXPECT_EQ(ui_.Calls()[0].icon, QMessageBox::NoIcon);
    }
  }
  std::string path = "/fw/fw.tfp", user, password, server = "10.0.0.1";
  ASSERT_TRUE(PrepareFileTransfer(path, user, password, server, kFirmwareImage));
  EXPECT_EQ(h->movedTo, "/fw") << "the host serves the file's folder";

  path.clear();
  ui_.ClearCalls();
  EXPECT_FALSE(PrepareFileTransfer(path, user, password, server, kFirmwareImage));
  ASSERT_EQ(ui_.Calls().size(), 1u);
  EXPECT_EQ(ui_.Calls()[0].text, "Empty file is not accept!");
}

TEST_F(TransferSettings, ARemoteServerAt0000TakesTheLocalAddressForTheDevice) {
  struct OneInterface : kav::module::NetworkSource {
    std::optional<std::vector<kav::module::InterfaceEntry>> interfaces() override {
      kav::module::InterfaceEntry e;
      e.address = "192.168.5.9";
      e.netmask = "255.255.255.0";
      return std::vector{e};
    }
    std::vector<kav::module::AdapterEntry> ethernetAdapters() override { return {}; }
  };
  kav::module::setNetworkSource(std::make_unique<OneInterface>());
  kav::module::RememberCurrentDevice("192.168.5.50", "255.255.255.0");
  write("FtpMethod", 1);
  write("RemoteFtpIpAddress", "0.0.0.0");
  ReadFtpMethod();
  std::string path = "/x/fw.bin", user, password, server;
  ASSERT_TRUE(PrepareFileTransfer(path, user, password, server, kFirmwareImage));
  EXPECT_EQ(server, "192.168.5.9");
  write("RemoteFtpIpAddress", "10.1.1.1");
  server.clear();
  ASSERT_TRUE(PrepareFileTransfer(path, user, password, server, kFirmwareImage));
  EXPECT_EQ(server, "10.1.1.1");
  write("FtpMethod", 0);
  ReadFtpMethod();
}

}  // namespace
