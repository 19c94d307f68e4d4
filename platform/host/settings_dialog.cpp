#include "platform/host/settings_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

namespace kav::host {

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent), loaded_(AdvanceSystem::load()) {
  setWindowTitle("FTP settings");
  auto* form = new QFormLayout;
  method_ = new QComboBox;
  method_->addItems({"This computer's FTP server", "A remote FTP server"});
  method_->setCurrentIndex(loaded_.ftpMethod == 0 ? 0 : 1);
  port_ = new QSpinBox;
  port_->setRange(1, 65535);
  port_->setValue(loaded_.ftpPort);
  user_ = new QLineEdit(loaded_.ftpUserName);
  password_ = new QLineEdit(loaded_.ftpPasswordTmp);
  password_->setEchoMode(QLineEdit::Password);
  remote_ = new QLineEdit(loaded_.remoteFtpIpAddress);
  remotePassword_ = new QLineEdit(loaded_.ftpPassword);
  remotePassword_->setEchoMode(QLineEdit::Password);
  home_ = new QLineEdit(loaded_.homedir);
  auto* browse = new QPushButton("Browse...");
  connect(browse, &QPushButton::clicked, this, [this] {
    QString dir = QFileDialog::getExistingDirectory(this, "FTP home folder", home_->text());
    if (!dir.isEmpty()) home_->setText(dir);
  });
  auto* homeRow = new QHBoxLayout;
  homeRow->addWidget(home_);
  homeRow->addWidget(browse);
  form->addRow("Server", method_);
  form->addRow("Port of this computer's server", port_);
  form->addRow("Account name", user_);
  form->addRow("Account password", password_);
  form->addRow("Remote server address", remote_);
  form->addRow("Remote server password", remotePassword_);
  form->addRow("Home folder", homeRow);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
  setLayout(form);
}

AdvanceSystem SettingsDialog::values() const {
  AdvanceSystem a = loaded_;
  a.ftpMethod = method_->currentIndex();
  a.ftpPort = port_->value();
  a.ftpUserName = user_->text();
  a.ftpPasswordTmp = password_->text();
  a.remoteFtpIpAddress = remote_->text();
  a.ftpPassword = remotePassword_->text();
  a.homedir = home_->text();
  return a;
}

void SettingsDialog::accept() {
  QString error;
  if (!values().save(&error)) {
    QMessageBox::warning(this, "FTP settings", error);
    return;
  }
  QDialog::accept();
}

}  // namespace kav::host
