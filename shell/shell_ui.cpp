#include "shell/shell_ui.h"

#include "shell/message_catalogue.h"
#include "shell/qt_shell_ui.h"

namespace {
CShellUi* g_installed = nullptr;
}

CShellUi& CShellUi::Current() {
  static CQtShellUi qtUi;
  return g_installed ? *g_installed : qtUi;
}

CShellUi* CShellUi::Install(CShellUi* ui) {
  CShellUi* previous = g_installed;
  g_installed = ui;
  return previous;
}

QMessageBox::StandardButton CShellUi::Show(QWidget* parent, const QString& text,
                                           QMessageBox::Icon icon, int helpContext,
                                           QMessageBox::StandardButtons buttons) {
  return Current().Message(parent, text, QString::fromLatin1(kModuleTitle), icon, helpContext,
                           buttons);
}
