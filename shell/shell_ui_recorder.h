// Test stand-in for the shell service: records every message box and file
// dialog request and answers from queues.  Constructing one installs it,
// destroying it restores the previous service.
//
// Answers: a message box takes the next queued button, else Ok when offered,
// else the lowest-valued button offered; a file dialog takes the next queued
// path, else "" (Cancel).
#pragma once

#include <QStringList>
#include <deque>
#include <vector>

#include "shell/shell_ui.h"

class CShellUiRecorder : public CShellUi {
 public:
  enum class Kind { Message, FileOpen, FileSave };
  struct Call {
    Kind kind;
    QString text;     // message text
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int helpContext = 0;
    QMessageBox::StandardButtons buttons;
    QString filter;   // file dialogs, as the caller gave it
    QString initialPath;
  };

  CShellUiRecorder();
  ~CShellUiRecorder() override;
  CShellUiRecorder(const CShellUiRecorder&) = delete;
  CShellUiRecorder& operator=(const CShellUiRecorder&) = delete;

  void QueueButton(QMessageBox::StandardButton button) { buttons_.push_back(button); }
  void QueuePath(const QString& path) { paths_.push_back(path); }

  const std::vector<Call>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  QMessageBox::StandardButton Message(QWidget* parent, const QString& text, const QString& caption,
                                      QMessageBox::Icon icon, int helpContext,
                                      QMessageBox::StandardButtons buttons) override;
  QString FileOpen(QWidget* parent, const QString& filter, const QString& initialPath) override;
  QString FileSave(QWidget* parent, const QString& filter, const QString& initialPath) override;

 private:
  QString NextPath();

  CShellUi* previous_;
  std::vector<Call> calls_;
  std::deque<QMessageBox::StandardButton> buttons_;
  std::deque<QString> paths_;
};
