// The production shell service: QMessageBox and QFileDialog.
#pragma once

#include "shell/shell_ui.h"

class CQtShellUi : public CShellUi {
 public:
  QMessageBox::StandardButton Message(QWidget* parent, const QString& text, const QString& caption,
                                      QMessageBox::Icon icon, int helpContext,
                                      QMessageBox::StandardButtons buttons) override;
  QString FileOpen(QWidget* parent, const QString& filter, const QString& initialPath) override;
  QString FileSave(QWidget* parent, const QString& filter, const QString& initialPath) override;

  // "ACL File(*.acl)|*.acl|All Files(*.*)|*.*||" ->
  // "ACL File(*.acl) (*.acl);;All Files(*.*) (*.*)"
  static QString QtFilter(const QString& filter);
};
