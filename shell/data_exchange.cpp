#include "shell/data_exchange.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include "shell/message_catalogue.h"
#include "shell/shell_ui.h"

void CDataExchange::Text(QLineEdit* control, QString& value) {
  if (failed_) return;
  current_ = control;
  if (saving_) value = control->text();
  else control->setText(value);
}

void CDataExchange::Check(QAbstractButton* control, bool& value) {
  if (failed_) return;
  current_ = control;
  if (saving_) value = control->isChecked();
  else control->setChecked(value);
}

void CDataExchange::ComboIndex(QComboBox* control, int& value) {
  if (failed_) return;
  current_ = control;
  if (saving_) value = control->currentIndex();
  else control->setCurrentIndex(value);
}

void CDataExchange::Int(QLineEdit* control, int& value) {
  if (failed_) return;
  current_ = control;
  if (!saving_) {
    control->setText(QString::number(value));
    return;
  }
  bool ok = false;
  int v = control->text().trimmed().toInt(&ok);
  if (!ok) return Fail(QStringLiteral("Please enter an integer."), 0);
  value = v;
}

void CDataExchange::Fail(const QString& text, int helpContext) {
  if (failed_) return;
  failed_ = true;
  failedControl_ = current_;
  CShellUi::Current().Message(dialog_, text, QString::fromLatin1(kModuleTitle),
                              QMessageBox::Warning, helpContext, QMessageBox::Ok);
}

void CDataExchange::FailWith(int id) { Fail(CatalogueText(id), id); }

bool CDataExchange::Finish() {
  if (!failed_) return true;
  if (failedControl_) {
    failedControl_->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(failedControl_)) edit->selectAll();
  }
  return false;
}
