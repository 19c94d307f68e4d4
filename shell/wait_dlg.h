// The "please wait" window shown during long device operations.
//
// Constructing it does what opening the dialog does: loads the animation
// KAV-7420/res/DOWNLOAD.AVI beside the module file (without it the dialog
// simply has no animation), sets the text "Device is rebooting, please
// wait...", records the start time, centres itself over its parent's
// window, disables the parent and starts its one-second clock.  Every
// second the status bar shows "Elapsed Time\t\t%02d:%02d:%02d" (hours
// modulo 24); with auto-close on, the count-down closes the dialog.
//
// Page usage:
//   wait_ = new CWaitDlg(this);            // QPointer<CWaitDlg> wait_;
//   wait_->PlayAnimation();
//   wait_->setWindowTitle("Please wait...");
//   wait_->SetText("Refresh gettings, Please wait...");
//   wait_->show();
//   ...
//   if (wait_) wait_->Close();              // re-enables the page; deletes itself
//
// The operator cannot close it (no close button, Escape ignored).
// Controls keep their numbers as object names: animation "1367", text
// "1368", status bar "8000".
#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QPointer>

class CAviPlayer;
class QLabel;
class QStatusBar;

class CWaitDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CWaitDlg(QWidget* parent);
  ~CWaitDlg() override;

  // Loops the animation over all its frames; false when there is none.
  bool PlayAnimation();
  bool HasAnimation() const;
  void SetText(const QString& text);
  QString Text() const;

  // Closes the dialog `seconds` clock ticks from now (0 turns it off).
  void SetAutoClose(int seconds);

  // Kills the clock, stops and closes the animation, enables the parent and
  // deletes the dialog (later, from the event loop).
  void Close();

  // The status bar text, tabs included ("\t\t" puts the time at the right).
  QString StatusText() const { return statusText_; }
  static QString ElapsedText(long long seconds);

  // What the one-second clock runs; public so a test can drive the clock.
  void OnTimer();
  long long StartTime() const { return startTime_; }
  void SetStartTime(long long secondsSinceEpoch) { startTime_ = secondsSinceEpoch; }

 protected:
  void timerEvent(QTimerEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override {}

 private:
  void SetStatusText(const QString& text);

  CAviPlayer* animation_;
  QLabel* text_;
  QStatusBar* status_;
  QLabel* statusParts_[3];  // left, centre, right of the tab-separated text
  QString statusText_;
  QPointer<QWidget> disabledParent_;
  QBasicTimer clock_;
  long long startTime_ = 0;
  bool autoClose_ = false;
  int countDown_ = 0;
  bool closing_ = false;
};
