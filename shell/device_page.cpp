#include "shell/device_page.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QShowEvent>
#include <QTimerEvent>
#include <unordered_map>

#include "platform/win/messages.h"
#include "shell/main_frame.h"
#include "shell/message_catalogue.h"
#include "shell/scroll_manager.h"
#include "shell/wait_dlg.h"

namespace {

// Requests in flight, by the token the library carries as context.  A page
// leaves the table when it is destroyed, so a completion that comes after
// that finds nothing and does nothing.
struct Pending {
  QPointer<CDevicePage> page;
  bool write;
};

std::unordered_map<quintptr, Pending>& PendingTable() {
  static std::unordered_map<quintptr, Pending> table;
  return table;
}

quintptr NewToken(CDevicePage* page, bool write) {
  static quintptr next = 0;
  const quintptr token = ++next;  // never 0: a null context means none
  PendingTable().emplace(token, Pending{page, write});
  return token;
}

bool HasPendingRead(const CDevicePage* page) {
  for (const auto& [token, p] : PendingTable())
    if (p.page == page && !p.write) return true;
  return false;
}

// Enter and Escape pressed in a page's controls stop at the page, so they
// never reach a default button or close anything.  One filter on the
// application sees the key before the control does; windows of their own
// (a combo box's list, a wait dialog) keep their keys.
class PageKeyFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape) return false;
    for (auto* w = qobject_cast<QWidget*>(watched); w; w = w->parentWidget()) {
      if (qobject_cast<CDevicePage*>(w)) return true;
      if (w->isWindow()) return false;
    }
    return false;
  }
};

// The filter lives while pages exist: once the last page is gone nothing of
// the module stays in the application's event path (the module file may be
// unloaded after PlugExit).
int gLivePages = 0;
QPointer<PageKeyFilter> gKeyFilter;

void PageCreated() {
  if (gLivePages++ == 0 && qApp && !gKeyFilter) {
    gKeyFilter = new PageKeyFilter(qApp);
    qApp->installEventFilter(gKeyFilter);
  }
}

void PageDestroyed() {
  if (--gLivePages == 0 && gKeyFilter) {
    if (qApp) qApp->removeEventFilter(gKeyFilter);
    delete gKeyFilter.data();
  }
}

QString LibraryText(int code) {
  char buffer[256] = {};
  apSnmpGetErrorMsg(code, buffer);
  return QString::fromLocal8Bit(buffer);
}

}  // namespace

CDevicePage::CDevicePage(const QString& title, QWidget* parent)
    : QWidget(parent), scroll_(new CScrollManager(this)), title_(title) {
  scroll_->Attach(this);
  PageCreated();
}

CDevicePage::~CDevicePage() {
  auto& table = PendingTable();
  std::erase_if(table, [this](const auto& entry) { return entry.second.page.data() == this; });
  if (handle_) apHandleClose(handle_);
  if (second_) apHandleClose(second_);
  PageDestroyed();
}

void CDevicePage::SetPageId(int id) {
  id_ = id;
  setObjectName(QStringLiteral("page%1").arg(id, 0, 16));
}

CMainFrame* CDevicePage::Frame() const { return qobject_cast<CMainFrame*>(window()); }

int CDevicePage::ReadFromDevice(bool async) { return SendRequest(false, async); }

int CDevicePage::WriteToDevice(bool async) { return SendRequest(true, async); }

int CDevicePage::SendRequest(bool write, bool async) {
  if (!handle_) return AP_E_NO_FEATURE_HANDLE;
  if (!write) ShowStatus(QString::fromLatin1(kReadingText));
  auto send = write ? &apSnmpSendSetRequest : &apSnmpSendGetRequest;
  int rc;
  if (async) {
    const quintptr token = NewToken(this, write);
    if (!write) busy_ = true;
    rc = send(handle_, &CDevicePage::Completion, reinterpret_cast<void*>(token), AP_MODE_ASYNC, 0);
    if (rc != AP_OK) PendingTable().erase(token);  // no completion will come
  } else {
    rc = send(handle_, nullptr, nullptr, AP_MODE_SYNC, 0);
  }
  if (rc != AP_OK) {
    ShowStatus(LibraryText(rc));
    busy_ = HasPendingRead(this);
  }
  return rc;
}

int CDevicePage::Completion(intptr_t handle, int status, const char* message, void* context,
                            const char* /*address*/) {
  auto& table = PendingTable();
  auto it = table.find(reinterpret_cast<quintptr>(context));
  if (it == table.end()) return 0;
  const Pending pending = it->second;
  table.erase(it);
  CDevicePage* page = pending.page.data();
  if (!page) return 0;
  const QString text = QString::fromLocal8Bit(message ? message : "");
  page->status_ = text;
  page->ShowStatus(text);
  if (status != AP_OK) {
    // A failed read sends no read-done message; the page is not busy any
    // longer all the same.
    if (!pending.write) page->busy_ = HasPendingRead(page);
    return 0;
  }
  kav::win::sendMessage(page, pending.write ? kMsgWriteDone : kMsgReadDone, handle, 0);
  return 0;
}

void* CDevicePage::PendingContext() const {
  quintptr newest = 0;
  for (const auto& [token, p] : PendingTable())
    if (p.page == this && token > newest) newest = token;
  return reinterpret_cast<void*>(newest);
}

void CDevicePage::ShowStatus(const QString& text) {
  if (CMainFrame* frame = Frame()) frame->SetStatusText(text);
}

void CDevicePage::ShowStatusId(int id) { ShowStatus(CatalogueText(id)); }

bool CDevicePage::event(QEvent* event) {
  using kav::win::messageType;
  const QEvent::Type type = event->type();
  if (type == messageType(kMsgReadDone)) {
    busy_ = false;
    if (static_cast<kav::win::MessageEvent*>(event)->lParam() == 0) OnGetDone();
    return true;
  }
  if (type == messageType(kMsgWriteDone)) {
    OnSetDone(static_cast<kav::win::MessageEvent*>(event)->lParam());
    return true;
  }
  if (type == messageType(kMsgBusyQuery)) {
    static_cast<kav::win::MessageEvent*>(event)->result = busy_ ? 1 : 0;
    return true;
  }
  return QWidget::event(event);
}

void CDevicePage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous() && ReadOnShow()) ReadFromDevice(true);
}

void CDevicePage::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) FollowOwnEnabledState();
}

// Only the page's own state counts: Qt also reports a disabled ancestor
// (the frame during a long operation) as a change of the page.
void CDevicePage::FollowOwnEnabledState() {
  const bool own = !testAttribute(Qt::WA_ForceDisabled);
  if (own == ownEnabled_) return;
  ownEnabled_ = own;
  const bool follow = own ? (options_ & kEnableChildren) : (options_ & kDisableChildren);
  if (!follow) return;
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isWindow() || qobject_cast<QLabel*>(child)) continue;
    child->setEnabled(own);
  }
}

void CDevicePage::BeginLongOperation(int ms) {
  if (CMainFrame* frame = Frame()) {
    frame->setEnabled(false);
    frame->SetBusy(true);
  }
  longTimer_.start(ms, this);
}

void CDevicePage::timerEvent(QTimerEvent* event) {
  if (event->timerId() != longTimer_.timerId()) return QWidget::timerEvent(event);
  longTimer_.stop();  // one shot
  EndLongOperation();
}

void CDevicePage::EndLongOperation() {
  if (CMainFrame* frame = Frame()) {
    frame->setEnabled(true);
    frame->SetBusy(false);
  }
  if (wait_) wait_->Close();
  ShowStatus(status_);
  OnLongOperationEnd();
}

CWaitDlg* CDevicePage::ShowWaitDialog(const QString& text) {
  if (CMainFrame* frame = Frame()) frame->setEnabled(false);
  if (wait_) wait_->Close();
  wait_ = new CWaitDlg(this);
  wait_->PlayAnimation();
  wait_->setWindowTitle(QStringLiteral("Please wait..."));
  wait_->SetText(text);
  wait_->show();
  return wait_;
}
