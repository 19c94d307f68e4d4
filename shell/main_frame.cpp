#include "shell/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QThread>

#include "platform/win/messages.h"
#include "shell/about_dlg.h"
#include "shell/device_page.h"
#include "shell/frame_icons.h"
#include "shell/kav7420_view.h"
#include "shell/out_bar_ctrl.h"

namespace {
constexpr int kStatusBarId = 59393;  // the standard status bar's number
constexpr const char* kInformationTitle = "System Information";
}  // namespace

bool ApModeAllowsArp(const QString& apModeText) {
  return !apModeText.contains(QLatin1String("client"), Qt::CaseSensitive) &&
         !apModeText.contains(QLatin1String("repeater"), Qt::CaseSensitive);
}

CMainFrame::CMainFrame(AP_HANDLE session, PageFactory factory, QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("128"));
  setWindowTitle(QStringLiteral("KAV-7420"));
  setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) &
                 ~Qt::WindowMaximizeButtonHint);
  setWindowIcon(FrameIcon(kIconModule));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kWidth, kHeight);

  statusBar()->setObjectName(QString::number(kStatusBarId));
  statusBar()->setSizeGripEnabled(false);
  statusText_ = new QLabel(this);
  statusText_->setObjectName(QStringLiteral("statusText"));
  statusText_->setTextFormat(Qt::PlainText);
  // The line takes the bar's width whatever it says: a new text never
  // lays out the status bar again.
  statusText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  statusBar()->addWidget(statusText_, 1);

  BuildMenu();

  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName(QStringLiteral("splitter"));
  splitter_->setChildrenCollapsible(false);
  bar_ = new CXTOutBarCtrl(splitter_);
  bar_->setObjectName(QStringLiteral("navigation"));
  bar_->SetOwner(this);
  bar_->SetBackColor(QColor(58, 110, 165));
  bar_->SetTextColor(Qt::white);
  view_ = new CKAV7420View(session, factory, splitter_);
  view_->resize(100, 100);
  splitter_->addWidget(bar_);
  splitter_->addWidget(view_);
  splitter_->setStretchFactor(1, 1);
  setCentralWidget(splitter_);
  // Column 0 takes a seventh of the client width.
  const int column0 = kWidth / 7;
  splitter_->setSizes({column0, kWidth - column0 - splitter_->handleWidth()});
  BuildNavigationBar();

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect r = frameGeometry();
    r.moveCenter(screen->availableGeometry().center());
    move(r.topLeft());
  }
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::BuildMenu() {
  QMap<QString, QMenu*> menus;
  for (const MenuCommand& c : MenuCommands()) {
    const QString title = QString::fromLatin1(c.menu);
    QMenu*& menu = menus[title];
    if (!menu) menu = menuBar()->addMenu(title);
    QAction* action = menu->addAction(QString::fromLatin1(c.text));
    action->setObjectName(QString::number(c.command));
    action->setData(c.command);
    const int command = c.command;
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    commands_.insert(c.command, action);
  }
}

void CMainFrame::BuildNavigationBar() {
  bar_->SetImageList({FrameIcon(kIconNavItem)}, true);
  bar_->SetImageList({FrameIcon(kIconNavItem)}, false);
  for (const NavFolder& f : NavFolders()) bar_->AddFolder(QString::fromLatin1(f.caption), f.number);
  for (const PageInfo& p : PageTable())
    if (p.folder >= 0) bar_->InsertItem(p.folder, p.item, QString::fromLatin1(p.itemText), 0, p.id);
  SelectFolder(0);
}

void CMainFrame::SetStatusText(const QString& text) { statusText_->setText(text); }

QString CMainFrame::StatusText() const { return statusText_->text(); }

void CMainFrame::SetBusy(bool busy) {
  busy_ = busy;
  if (busy) setCursor(Qt::WaitCursor);
  else unsetCursor();
}

void CMainFrame::SetModeTexts(const QString& apMode, const QString& second) {
  apMode_ = apMode;
  secondMode_ = second;
  ApplyApModeRule();
}

void CMainFrame::ApplyApModeRule() {
  const bool allowed = ApModeAllowsArp(apMode_);
  bar_->SetItemSelectable(kArpFolder, kArpItem, allowed);
  if (QAction* arp = CommandAction(kCmdArp)) arp->setEnabled(allowed);
}

QAction* CMainFrame::CommandAction(int command) const { return commands_.value(command, nullptr); }

void CMainFrame::SelectFolder(int folder) {
  bar_->SetSelFolder(folder);
  selectedFolder_ = folder;
  ApplyApModeRule();
}

void CMainFrame::ShowPage(int folder, int item, const QString& title) {
  CPageHint hint{folder, item, -1, -1, title};
  view_->OnUpdate(kHintShowPage, &hint);
}

void CMainFrame::RunCommand(int command) {
  QAction* action = CommandAction(command);
  if (!action || !action->isEnabled()) return;
  switch (command) {
    case kCmdInformation:
      ShowPage(-1, -1, QString::fromLatin1(kInformationTitle));
      return;
    case kCmdClose:
      close();
      return;
    case kCmdSaveAndActive:
      SaveAndActivate();
      return;
    case kCmdDiscardChanges:
      if (CDevicePage* system = view_->Page(kSystemPageId)) system->OnFrameCommand(command);
      return;
    case kCmdAbout: {
      CAboutDlg about(this);
      about.exec();
      return;
    }
    default:
      break;
  }
  const MenuCommand* c = FindCommand(command);
  if (!c || c->folder < 0) return;
  SelectFolder(c->folder);
  ShowPage(c->folder, c->item, bar_->GetItemText(c->folder, c->item));
}

// The System page runs the command; when the AP Array page is on show it is
// read again once the System page is no longer busy.
void CMainFrame::SaveAndActivate() {
  CDevicePage* system = view_->Page(kSystemPageId);
  if (!system) return;
  system->OnFrameCommand(kCmdSaveAndActive);
  CDevicePage* apArray = view_->Page(kApArrayPageId);
  if (!apArray || !apArray->isVisible()) return;
  // Pumping messages may close the frame; nothing is touched after that.
  QPointer<CMainFrame> self(this);
  QPointer<CDevicePage> waitFor(system), refresh(apArray);
  while (waitFor && kav::win::sendMessage(waitFor, kMsgBusyQuery) != 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    QThread::msleep(100);
  }
  if (self && refresh) refresh->Refresh();
}

bool CMainFrame::event(QEvent* event) {
  if (event->type() == kav::win::messageType(CXTOutBarCtrl::kMsgNotify)) {
    auto* m = static_cast<kav::win::MessageEvent*>(event);
    OnNavigation(m->wParam(), reinterpret_cast<void*>(m->lParam()), &m->result);
    return true;
  }
  return QMainWindow::event(event);
}

void CMainFrame::OnNavigation(intptr_t code, void* record, intptr_t* result) {
  auto* notify = static_cast<COutBarNotify*>(record);
  if (!notify) return;
  if (code == CXTOutBarCtrl::kNotifyItemClick) {
    notify->folder = selectedFolder_;
    ShowPage(notify->folder, notify->item, notify->caption);
  } else if (code == CXTOutBarCtrl::kNotifyFolderChange) {
    if (notify->flag) selectedFolder_ = notify->item;
    ApplyApModeRule();
    *result = 1;  // let the bar open the folder
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // The host's window is usable again once the module's window is gone.
  if (QWidget* host = kav::win::findHostWindow()) {
    if (QWidget* parent = host->parentWidget()) parent->setEnabled(true);
    host->setEnabled(true);
  }
  QMainWindow::closeEvent(event);
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // The frame activated: the page view takes the focus.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !view_->isAncestorOf(focusWidget())) {
    if (CDevicePage* page = view_->CurrentPage()) page->setFocus(Qt::ActiveWindowFocusReason);
  }
}
