// CMainFrame: the configuration window.  Fixed at 850 by 650, titled
// "KAV-7420", without a maximise button; a menu (resource 128) with one
// command per page and the Configuration and Help commands; a status line;
// a splitter with the navigation bar (one seventh of the width, RGB
// 58,110,165 with white text) on the left and the page view on the right.
//
// Page selection: a navigation click (message 2042, code 1) or a page
// command builds a page hint {folder, item, -1, -1, title} and hands it to
// the view; the title is the navigation item's text ("System Information"
// for the home page).  A folder change (code 5) becomes the selected folder.
//
// AP mode: the home page and the basic wireless page hand the frame two mode
// texts.  While the first contains "client" or "repeater" (case-sensitive)
// the ARP command (32829) is disabled and the navigation item "ARP Spoofing
// Prevention Settings" cannot be selected.  The rule is applied when the
// texts change and whenever a folder is opened.
//
// Busy flag: while set the cursor over the frame is the wait cursor.
//
// Closing (the Close command or the window's close button) enables the
// host's window "Orvane2" and its parent again, then deletes the frame.
// Deleting the frame deletes the view and every page.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <functional>

#include "KAV7420apHelp.h"
#include "shell/page_table.h"

class CDevicePage;
class CKAV7420View;
class CXTOutBarCtrl;
class QAction;
class QLabel;
class QSplitter;

// True when the AP-mode text allows the ARP page.
bool ApModeAllowsArp(const QString& apModeText);

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kWidth = 850;
  static constexpr int kHeight = 650;

  // Makes the page of one table entry as a child of `parent`, its feature
  // handles opened on `session`.  Without a factory every page is a
  // placeholder.
  using PageFactory = std::function<CDevicePage*(const PageInfo&, AP_HANDLE session, QWidget* parent)>;

  explicit CMainFrame(AP_HANDLE session = 0, PageFactory factory = {}, QWidget* parent = nullptr);
  ~CMainFrame() override;

  CKAV7420View* View() const { return view_; }
  CXTOutBarCtrl* NavigationBar() const { return bar_; }
  QSplitter* Splitter() const { return splitter_; }
  int SelectedFolder() const { return selectedFolder_; }

  void SetStatusText(const QString& text);
  QString StatusText() const;

  void SetBusy(bool busy);
  bool IsBusy() const { return busy_; }

  // Both mode texts at once; see AP mode above.
  void SetModeTexts(const QString& apMode, const QString& second);
  QString ApModeText() const { return apMode_; }
  QString SecondModeText() const { return secondMode_; }

  // The menu entry of a command, or null.
  QAction* CommandAction(int command) const;
  // Runs a menu command as the menu does (nothing when it is disabled).
  void RunCommand(int command);
  // Hands the view a page hint.
  void ShowPage(int folder, int item, const QString& title);

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildMenu();
  void BuildNavigationBar();
  void OnNavigation(intptr_t code, void* record, intptr_t* result);
  void SelectFolder(int folder);
  void ApplyApModeRule();
  void SaveAndActivate();

  CXTOutBarCtrl* bar_;
  QSplitter* splitter_;
  CKAV7420View* view_;
  QLabel* statusText_;
  QMap<int, QAction*> commands_;
  int selectedFolder_ = 0;
  bool busy_ = false;
  QString apMode_;
  QString secondMode_;
};
