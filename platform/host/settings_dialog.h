// The host's settings dialog: the FTP settings the module reads.
#pragma once

#include <QDialog>

#include "platform/host/host_settings.h"

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace kav::host {

class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SettingsDialog(QWidget* parent = nullptr);
  // The values as the dialog shows them.
  AdvanceSystem values() const;

 private:
  void accept() override;

  AdvanceSystem loaded_;
  QComboBox* method_;
  QSpinBox* port_;
  QLineEdit* user_;
  QLineEdit* password_;
  QLineEdit* remote_;
  QLineEdit* remotePassword_;
  QLineEdit* home_;
};

}  // namespace kav::host
