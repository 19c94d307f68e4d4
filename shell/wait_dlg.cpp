#include "shell/wait_dlg.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTimerEvent>
#include <QVBoxLayout>

#include "shell/avi_player.h"
#include "shell/module_dir.h"

namespace {
long long Now() { return QDateTime::currentSecsSinceEpoch(); }
}  // namespace

CWaitDlg::CWaitDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(QStringLiteral("Please Wait..."));
  setModal(false);

  animation_ = new CAviPlayer(this);
  animation_->setObjectName(QStringLiteral("1367"));
  text_ = new QLabel(QStringLiteral("Please wait..."), this);
  text_->setObjectName(QStringLiteral("1368"));
  text_->setAlignment(Qt::AlignCenter);
  text_->setTextFormat(Qt::PlainText);

  status_ = new QStatusBar(this);
  status_->setObjectName(QStringLiteral("8000"));
  status_->setSizeGripEnabled(false);
  auto* parts = new QWidget(status_);
  auto* partsLayout = new QHBoxLayout(parts);
  partsLayout->setContentsMargins(2, 0, 2, 0);
  const Qt::Alignment align[3] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
  for (int i = 0; i < 3; ++i) {
    statusParts_[i] = new QLabel(parts);
    statusParts_[i]->setAlignment(align[i] | Qt::AlignVCenter);
    partsLayout->addWidget(statusParts_[i], 1);
  }
  status_->addWidget(parts, 1);  // one part across the whole width

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 12, 0, 0);
  layout->addWidget(animation_, 0, Qt::AlignHCenter);
  layout->addWidget(text_);
  layout->addStretch(1);
  layout->addWidget(status_);
  setMinimumSize(300, 160);

  // What opening the dialog does.
  animation_->Open(ModuleDataPath(QStringLiteral("res/DOWNLOAD.AVI")));
  SetText(QStringLiteral("Device is rebooting, please wait..."));
  startTime_ = Now();
  adjustSize();
  const QWidget* over = parent ? parent->window() : nullptr;
  const QRect area = over ? over->geometry()
                          : (QGuiApplication::primaryScreen()
                                 ? QGuiApplication::primaryScreen()->availableGeometry()
                                 : QRect(0, 0, 800, 600));
  move(area.center() - rect().center());
  if (parent) {
    disabledParent_ = parent;
    parent->setEnabled(false);
    setEnabled(true);  // a window stays enabled when its parent is disabled
  }
  clock_.start(1000, this);
}

CWaitDlg::~CWaitDlg() {
  // Closing by deletion (the page went away) still gives the parent back.
  if (disabledParent_) disabledParent_->setEnabled(true);
}

bool CWaitDlg::PlayAnimation() { return animation_->Play(0, -1, -1); }

bool CWaitDlg::HasAnimation() const { return animation_->IsOpen(); }

void CWaitDlg::SetText(const QString& text) { text_->setText(text); }

QString CWaitDlg::Text() const { return text_->text(); }

void CWaitDlg::SetAutoClose(int seconds) {
  autoClose_ = seconds > 0;
  countDown_ = seconds;
}

void CWaitDlg::Close() {
  if (closing_) return;
  closing_ = true;
  clock_.stop();
  animation_->Stop();
  animation_->Close();
  if (disabledParent_) disabledParent_->setEnabled(true);
  disabledParent_ = nullptr;
  hide();
  deleteLater();
}

QString CWaitDlg::ElapsedText(long long seconds) {
  if (seconds < 0) seconds = 0;  // the clock was set back
  return QString::asprintf("Elapsed Time\t\t%02d:%02d:%02d", int(seconds / 3600 % 24),
                           int(seconds / 60 % 60), int(seconds % 60));
}

void CWaitDlg::OnTimer() {
  if (closing_) return;
  SetStatusText(ElapsedText(Now() - startTime_));
  if (autoClose_ && --countDown_ <= 0) Close();
}

void CWaitDlg::SetStatusText(const QString& text) {
  statusText_ = text;
  const QStringList parts = text.split(u'\t');
  for (int i = 0; i < 3; ++i) statusParts_[i]->clear();
  // Text before the first tab sits left, after one tab centred, after two right.
  for (int i = 0; i < parts.size(); ++i)
    if (!parts[i].isEmpty()) statusParts_[std::min(i, 2)]->setText(parts[i]);
}

void CWaitDlg::timerEvent(QTimerEvent* event) {
  if (event->timerId() == clock_.timerId()) OnTimer();
  else QDialog::timerEvent(event);
}

void CWaitDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) return event->accept();
  QDialog::keyPressEvent(event);
}

void CWaitDlg::closeEvent(QCloseEvent* event) {
  if (!closing_) event->ignore();  // only the page (or the count-down) closes it
}
