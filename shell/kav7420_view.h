// The page view of the configuration window.
//
// CHLPView: a title band (CTitleLabel, 19 pixels, full width) across the top.
// CKAV7420View: creates every page of the page table once, in table order,
// each with its identifier; shows the home page only; keeps every page at
// (0, 20) with the view's size less 20 in height.
//
// OnUpdate(1, hint): the target identifier comes from the hint's folder and
// item; the page on show is left alone when it is the target.  Otherwise
// message 0x0502 goes to the target (its answer is not used), the target is
// shown, the page on show hidden, and the title band takes the hint's title.
// Showing the target starts its read (see device_page.h).
// OnUpdate(99): every page runs OnGetDone().
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "shell/main_frame.h"

class CDevicePage;
class CTitleLabel;

// The record the frame hands the view with hint code 1.
struct CPageHint {
  int folder;
  int item;
  int reserved1 = -1;
  int reserved2 = -1;
  QString title;
};

inline constexpr int kHintShowPage = 1;
inline constexpr int kHintRefreshAll = 99;

class CHLPView : public QWidget {
  Q_OBJECT
 public:
  explicit CHLPView(QWidget* parent = nullptr);
  CTitleLabel* TitleBand() const { return title_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  CTitleLabel* title_;
};

class CKAV7420View : public CHLPView {
  Q_OBJECT
 public:
  CKAV7420View(AP_HANDLE session, const CMainFrame::PageFactory& factory, QWidget* parent = nullptr);
  ~CKAV7420View() override;

  void OnUpdate(int hint, const CPageHint* record);

  // The page with this identifier, or null.
  CDevicePage* Page(int id) const;
  const std::vector<CDevicePage*>& Pages() const { return pages_; }
  int CurrentPageId() const { return current_; }
  CDevicePage* CurrentPage() const { return Page(current_); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::vector<CDevicePage*> pages_;
  int current_ = 0;
};
