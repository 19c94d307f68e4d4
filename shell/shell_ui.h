// The one way the module shows message boxes and file dialogs.  Production
// uses the Qt implementation (CQtShellUi); a test installs a recorder that
// notes each request and answers it, so nothing ever waits for a person.
//
// Contract for callers:
//   - Message() shows `text` with `caption`, `icon` and `buttons` and returns
//     the button pressed; helpContext is the message number of a validation
//     message (0 for none) and is only recorded.
//   - FileOpen()/FileSave() take the filter in the form the pages quote,
//     "Description|pattern|Description|pattern||" (patterns separated by
//     ";"), and return the chosen path, or an empty text on Cancel.
//   - Current() never returns null.  Install() is for tests and the host;
//     the installer keeps ownership and must restore the previous service.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

class CShellUi {
 public:
  virtual ~CShellUi() = default;

  virtual QMessageBox::StandardButton Message(QWidget* parent, const QString& text,
                                              const QString& caption, QMessageBox::Icon icon,
                                              int helpContext,
                                              QMessageBox::StandardButtons buttons) = 0;
  virtual QString FileOpen(QWidget* parent, const QString& filter, const QString& initialPath) = 0;
  virtual QString FileSave(QWidget* parent, const QString& filter, const QString& initialPath) = 0;

  static CShellUi& Current();
  // Makes `ui` the current service (null: the Qt one); returns the previous.
  static CShellUi* Install(CShellUi* ui);

  // A message box with the module title "KAV-7420" as caption.
  static QMessageBox::StandardButton Show(QWidget* parent, const QString& text,
                                          QMessageBox::Icon icon = QMessageBox::NoIcon,
                                          int helpContext = 0,
                                          QMessageBox::StandardButtons buttons = QMessageBox::Ok);
};
