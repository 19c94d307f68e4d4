#include "shell/kav7420_view.h"

#include <QResizeEvent>

#include "platform/win/messages.h"
#include "shell/device_page.h"
#include "shell/page_table.h"
#include "shell/placeholder_page.h"
#include "shell/title_label.h"

namespace {
constexpr int kPageTop = 20;  // the title band and one pixel below it
}

CHLPView::CHLPView(QWidget* parent) : QWidget(parent), title_(new CTitleLabel(this)) {
  title_->setObjectName(QStringLiteral("titleBand"));
  title_->setGeometry(0, 0, width(), CTitleLabel::kHeight);
}

void CHLPView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  title_->setGeometry(0, 0, width(), CTitleLabel::kHeight);
}

CKAV7420View::CKAV7420View(AP_HANDLE session, const CMainFrame::PageFactory& factory, QWidget* parent)
    : CHLPView(parent) {
  setObjectName(QStringLiteral("view"));
  TitleBand()->SetText(QStringLiteral("System Information"));
  for (const PageInfo& info : PageTable()) {
    CDevicePage* page = factory ? factory(info, session, this) : nullptr;
    if (!page) page = new CPlaceholderPage(info, this);
    page->SetPageId(info.id);
    page->setGeometry(0, kPageTop, width(), std::max(0, height() - kPageTop));
    page->setVisible(info.id == kHomePageId);
    pages_.push_back(page);
  }
  current_ = kHomePageId;
}

CKAV7420View::~CKAV7420View() {
  // Pages go first, while the view (their parent) is still whole.
  for (CDevicePage* page : pages_) delete page;
  pages_.clear();
}

CDevicePage* CKAV7420View::Page(int id) const {
  for (CDevicePage* page : pages_)
    if (page->PageId() == id) return page;
  return nullptr;
}

void CKAV7420View::OnUpdate(int hint, const CPageHint* record) {
  if (hint == kHintRefreshAll) {
    for (CDevicePage* page : pages_) page->OnGetDone();
    return;
  }
  if (hint != kHintShowPage || !record) return;
  const int target = PageIdOf(record->folder, record->item);
  if (target == current_) return;
  CDevicePage* next = Page(target);
  if (!next) return;  // no page answers to that entry
  CDevicePage* shown = Page(current_);
  kav::win::sendMessage(next, kMsgBusyQuery);
  next->show();
  if (shown) shown->hide();
  current_ = target;
  TitleBand()->SetText(record->title);
}

void CKAV7420View::resizeEvent(QResizeEvent* event) {
  CHLPView::resizeEvent(event);
  for (CDevicePage* page : pages_) page->setGeometry(0, kPageTop, width(), std::max(0, height() - kPageTop));
}
