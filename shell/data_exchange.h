// The context in which a page moves values between its controls and its
// members.  Loading fills the controls; saving reads them and runs the
// validators, and the first failing check shows its message and fails the
// whole exchange.
//
// Page usage on Save:
//   CDataExchange dx(this, /*saving=*/true);
//   dx.Text(ui.ssid, ssid);
//   ValidateNotBlank(dx, ssid, 61446);
//   ...
//   if (!dx.Finish()) return;   // message shown, focus on the failed control
//
// Each exchange method makes its control the "current" one; a validator
// that fails blames the current control.  After a failure every further
// exchange and validator does nothing, so one message is shown at most.
#pragma once

#include <QString>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QWidget;

class CDataExchange {
 public:
  CDataExchange(QWidget* dialog, bool saving) : dialog_(dialog), saving_(saving) {}

  bool IsSaving() const { return saving_; }
  bool IsLoading() const { return !saving_; }
  QWidget* Dialog() const { return dialog_; }

  void SetCurrent(QWidget* control) { current_ = control; }
  QWidget* Current() const { return current_; }

  void Text(QLineEdit* control, QString& value);
  void Check(QAbstractButton* control, bool& value);
  void ComboIndex(QComboBox* control, int& value);
  // Saving: the text must be a decimal integer (blanks around it allowed),
  // else "Please enter an integer." fails the exchange.
  void Int(QLineEdit* control, int& value);

  // Fails the exchange blaming the current control: shows `text` with the
  // caption "KAV-7420", the exclamation icon and `helpContext`.
  void Fail(const QString& text, int helpContext);
  // The same with catalogue message `id` (also the help context).
  void FailWith(int id);

  bool Failed() const { return failed_; }
  QWidget* FailedControl() const { return failedControl_; }

  // Puts the focus on the failed control (selecting a line edit's text) and
  // returns false after a failure; returns true otherwise.
  bool Finish();

 private:
  QWidget* dialog_;
  bool saving_;
  bool failed_ = false;
  QWidget* current_ = nullptr;
  QWidget* failedControl_ = nullptr;
};
