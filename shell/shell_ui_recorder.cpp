#include "shell/shell_ui_recorder.h"

CShellUiRecorder::CShellUiRecorder() : previous_(CShellUi::Install(this)) {}

CShellUiRecorder::~CShellUiRecorder() { CShellUi::Install(previous_); }

QMessageBox::StandardButton CShellUiRecorder::Message(QWidget*, const QString& text,
                                                      const QString& caption,
                                                      QMessageBox::Icon icon, int helpContext,
                                                      QMessageBox::StandardButtons buttons) {
  calls_.push_back({Kind::Message, text, caption, icon, helpContext, buttons, {}, {}});
  if (!buttons_.empty()) {
    QMessageBox::StandardButton b = buttons_.front();
    buttons_.pop_front();
    return b;
  }
  if (buttons & QMessageBox::Ok) return QMessageBox::Ok;
  for (unsigned bit = 1; bit; bit <<= 1)
    if (buttons.toInt() & bit) return static_cast<QMessageBox::StandardButton>(bit);
  return QMessageBox::NoButton;
}

QString CShellUiRecorder::FileOpen(QWidget*, const QString& filter, const QString& initialPath) {
  calls_.push_back({Kind::FileOpen, {}, {}, QMessageBox::NoIcon, 0, {}, filter, initialPath});
  return NextPath();
}

QString CShellUiRecorder::FileSave(QWidget*, const QString& filter, const QString& initialPath) {
  calls_.push_back({Kind::FileSave, {}, {}, QMessageBox::NoIcon, 0, {}, filter, initialPath});
  return NextPath();
}

QString CShellUiRecorder::NextPath() {
  if (paths_.empty()) return {};
  QString p = paths_.front();
  paths_.pop_front();
  return p;
}
