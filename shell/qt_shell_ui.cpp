#include "shell/qt_shell_ui.h"

#include <QFileDialog>
#include <QStringList>

QMessageBox::StandardButton CQtShellUi::Message(QWidget* parent, const QString& text,
                                                const QString& caption, QMessageBox::Icon icon,
                                                int helpContext,
                                                QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, caption, text, buttons, parent);
  // Qt message boxes have no help button; keep the number for whoever looks.
  box.setProperty("helpContext", helpContext);
  box.setTextFormat(Qt::PlainText);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString CQtShellUi::FileOpen(QWidget* parent, const QString& filter, const QString& initialPath) {
  return QFileDialog::getOpenFileName(parent, QString(), initialPath, QtFilter(filter));
}

QString CQtShellUi::FileSave(QWidget* parent, const QString& filter, const QString& initialPath) {
  return QFileDialog::getSaveFileName(parent, QString(), initialPath, QtFilter(filter));
}

QString CQtShellUi::QtFilter(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty() && parts[i + 1].isEmpty()) break;  // the closing "||"
    QString patterns = parts[i + 1];
    patterns.replace(u';', u' ');
    out << parts[i] + QStringLiteral(" (") + patterns + u')';
  }
  return out.join(QStringLiteral(";;"));
}
