// CDevicePage: the base of every page of the configuration window, with the
// read and write cycle every page follows.
//
// Cycle:
//   - When the page becomes visible (not on a spontaneous show such as a
//     restore from minimised) and ReadOnShow() returns true, it runs
//     ReadFromDevice(true).  Pages that need a style mask set it inside
//     ReadOnShow().
//   - ReadFromDevice / WriteToDevice: -600 without a main handle, nothing
//     else happens.  A read first shows "Reading Config from... ..." in the
//     frame's status line.  Asynchronous: the request goes out with mode 2
//     and this class's completion; a read sets the busy flag.  Synchronous:
//     mode 4, no completion.  A result other than 0 puts the library's text
//     for it in the status line, clears the busy flag and is returned.
//   - Completion: the library's message goes to the status line and becomes
//     the page's status text; the busy flag of a read is cleared; on status 0
//     message 0x0500 (read) or 0x0501 (write) is sent to the page with the
//     handle in wParam and 0 in lParam.
//   - 0x0500: clears the busy flag, and with lParam 0 runs OnGetDone().
//     0x0501: runs OnSetDone(lParam).  0x0502: answers 1 while busy, else 0.
//   - A completion whose page is gone does nothing: the context handed to the
//     library is a token looked up in a table the page leaves when destroyed.
//   - Enter and Escape pressed anywhere inside the page (not in windows of
//     its own, such as a combo box's list) are consumed there.
//   - Option byte: bit 0 enables the page's direct children other than labels
//     when the page itself is enabled; bit 1 disables them when it is
//     disabled.  Enabling or disabling an ancestor does not count.
//   - Long operations: BeginLongOperation() disables the frame, sets its busy
//     flag (wait cursor) and starts a one-shot timer; when it fires the frame
//     is enabled again, the busy flag cleared, an open wait dialog closed and
//     the page's status text shown.
//   - Destroy: the main and the second handle are closed (apHandleClose).
#pragma once

#include <QBasicTimer>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "KAV7420apHelp.h"
#include "shell/wait_dlg.h"

class CMainFrame;
class CScrollManager;

inline constexpr int kMsgReadDone = 0x0500;
inline constexpr int kMsgWriteDone = 0x0501;
inline constexpr int kMsgBusyQuery = 0x0502;

inline constexpr const char* kReadingText = "Reading Config from... ...";

class CDevicePage : public QWidget {
  Q_OBJECT
 public:
  // Option bits.
  static constexpr uint8_t kEnableChildren = 1;
  static constexpr uint8_t kDisableChildren = 2;

  CDevicePage(const QString& title, QWidget* parent);
  ~CDevicePage() override;

  int PageId() const { return id_; }
  void SetPageId(int id);
  QString Title() const { return title_; }
  AP_HANDLE Handle() const { return handle_; }
  AP_HANDLE SecondHandle() const { return second_; }
  bool IsBusy() const { return busy_; }
  QString StatusText() const { return status_; }
  int ChangedGroups() const { return changed_; }
  uint8_t Options() const { return options_; }
  void SetOptions(uint8_t options) { options_ = options; }
  CScrollManager* ScrollManager() const { return scroll_; }
  // The frame this page lives in, or null (a page tested on its own).
  CMainFrame* Frame() const;

  int ReadFromDevice(bool async);
  int WriteToDevice(bool async);

  // Whether showing the page reads it.
  virtual bool ReadOnShow() { return true; }
  // After a write completed (lParam of 0x0501).
  virtual void OnSetDone(intptr_t lParam) {}
  // Fill the controls from the handle after a read completed.
  virtual void OnGetDone() {}
  // Puts a text in the frame's status line.
  virtual void ShowStatus(const QString& text);
  // The same with a catalogue message.
  virtual void ShowStatusId(int id);
  // Frame commands a page carries out for the frame (the System page's
  // save-and-activate and discard); false when the page has no such command.
  virtual bool OnFrameCommand(int command) { return false; }
  // Reads the page again (the frame's refresh after save-and-activate).
  virtual void Refresh() { ReadFromDevice(true); }

  // The completion the page hands the library.
  static int Completion(intptr_t handle, int status, const char* message, void* context,
                        const char* address);
  // The context of the newest asynchronous request still in flight, null
  // when there is none (for tests that deliver a completion late).
  void* PendingContext() const;

 protected:
  void SetHandle(AP_HANDLE handle) { handle_ = handle; }
  void SetSecondHandle(AP_HANDLE handle) { second_ = handle; }
  void MarkChanged(int groups) { changed_ |= groups; }
  void ClearChanged() { changed_ = 0; }
  void SetStatusText(const QString& text) { status_ = text; }

  // Disables the frame and shows the wait cursor for `ms`; see above.
  void BeginLongOperation(int ms = 500);
  bool LongOperationRunning() const { return longTimer_.isActive(); }
  // Runs when the long-operation timer fires, after the frame is usable again.
  virtual void OnLongOperationEnd() {}
  // Disables the frame and shows the wait dialog with `text`; the end of
  // the long operation closes it.
  CWaitDlg* ShowWaitDialog(const QString& text);
  CWaitDlg* WaitDialog() const { return wait_; }

  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  int SendRequest(bool write, bool async);
  void EndLongOperation();
  void FollowOwnEnabledState();

  int id_ = 0;
  QString status_;
  AP_HANDLE handle_ = 0;
  int changed_ = 0;
  AP_HANDLE second_ = 0;
  uint8_t options_ = 0;
  CScrollManager* scroll_;
  bool busy_ = false;
  QString title_;
  QBasicTimer longTimer_;
  QPointer<CWaitDlg> wait_;
  bool ownEnabled_ = true;
};
