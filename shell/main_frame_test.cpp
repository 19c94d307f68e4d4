// The configuration window without a device: the frame and view built from
// the tables, page switching, the AP-mode rule, keys, closing.  Every page is
// a test page that counts what the frame and view do to it.
#include "shell/main_frame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QTest>

#include "platform/testing/qt_wait.h"
#include "platform/win/messages.h"
#include "shell/about_dlg.h"
#include "shell/device_page.h"
#include "shell/kav7420_view.h"
#include "shell/out_bar_ctrl.h"
#include "shell/test_shots.h"
#include "shell/title_label.h"

namespace {

class TestPage : public CDevicePage {
 public:
  TestPage(const PageInfo& info, QWidget* parent) : CDevicePage(QString::fromLatin1(info.title), parent) {
    edit = new QLineEdit(this);
    edit->setGeometry(10, 10, 200, 24);
    button = new QPushButton(QStringLiteral("Save"), this);
    button->setGeometry(10, 50, 80, 28);
    QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
  }
  bool ReadOnShow() override {
    ++reads;
    return true;  // the read itself answers -600: no handle
  }
  void OnGetDone() override { ++getDone; }

  int reads = 0, getDone = 0, busyQueries = 0, clicks = 0;
  QLineEdit* edit;
  QPushButton* button;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == kav::win::messageType(kMsgBusyQuery)) ++busyQueries;
    return CDevicePage::event(e);
  }
};

// Counts Enter and Escape key presses that reach a widget.
class KeyWatch : public QObject {
 public:
  int seen = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(e)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) ++seen;
    }
    return false;
  }
};

class Frame : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { kav::testing::ensureApp(); }
  void SetUp() override {
    frame = new CMainFrame(0, [](const PageInfo& info, AP_HANDLE, QWidget* parent) {
      return new TestPage(info, parent);
    });
  }
  void TearDown() override { delete frame.data(); }

  TestPage* Page(int id) const { return static_cast<TestPage*>(frame->View()->Page(id)); }
  QString Title() const { return frame->View()->TitleBand()->Text(); }
  QListWidget* Items(int folder) const {
    return frame->NavigationBar()->findChild<QListWidget*>(QStringLiteral("items%1").arg(folder));
  }
  void ClickItem(int folder, int item) {
    QListWidget* list = Items(folder);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(item)).center());
  }
  void ClickFolder(int folder) {
    QTest::mouseClick(frame->NavigationBar()->findChild<QPushButton*>(QStringLiteral("folder%1").arg(folder)),
                      Qt::LeftButton);
  }

  QPointer<CMainFrame> frame;
};

TEST_F(Frame, WindowIsBuiltFromTheTables) {
  frame->show();
  EXPECT_EQ(frame->windowTitle(), "KAV-7420");
  EXPECT_EQ(frame->size(), QSize(850, 650));
  EXPECT_EQ(frame->minimumSize(), QSize(850, 650));
  EXPECT_EQ(frame->maximumSize(), QSize(850, 650));
  EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(frame->Splitter()->sizes().value(0), 850 / 7);

  // Navigation bar: colours, folders with their numbers, items in table order.
  CXTOutBarCtrl* bar = frame->NavigationBar();
  EXPECT_EQ(bar->palette().color(QPalette::Window), QColor(58, 110, 165));
  EXPECT_EQ(bar->palette().color(QPalette::WindowText), QColor(Qt::white));
  ASSERT_EQ(bar->GetFolderCount(), 5);
  for (int f = 0; f < 5; ++f) EXPECT_EQ(bar->GetFolderNumber(f), f);
  EXPECT_EQ(bar->GetSelFolder(), 0);
  EXPECT_EQ(frame->SelectedFolder(), 0);
  int items = 0;
  for (const PageInfo& p : PageTable()) {
    if (p.folder < 0) continue;
    ++items;
    EXPECT_EQ(bar->GetItemText(p.folder, p.item), QString::fromLatin1(p.itemText));
    EXPECT_EQ(bar->GetItemData(p.folder, p.item), p.id);
  }
  EXPECT_EQ(items, 22);

  // Every page once, in table order, with its identifier; the home page shown.
  const auto& pages = frame->View()->Pages();
  ASSERT_EQ(pages.size(), PageTable().size());
  for (size_t i = 0; i < pages.size(); ++i) {
    EXPECT_EQ(pages[i]->PageId(), PageTable()[i].id);
    EXPECT_EQ(pages[i]->Title(), QString::fromLatin1(PageTable()[i].title));
    EXPECT_EQ(pages[i]->isVisible(), PageTable()[i].id == kHomePageId);
    EXPECT_EQ(pages[i]->geometry(),
              QRect(0, 20, frame->View()->width(), frame->View()->height() - 20));
  }
  EXPECT_EQ(Title(), "System Information");
  EXPECT_EQ(frame->View()->TitleBand()->height(), 19);
  EXPECT_EQ(Page(kHomePageId)->reads, 1);  // the frame's first showing reads the home page

  // Menus in order; every command with its text.
  QStringList menus;
  for (QAction* a : frame->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, QStringList({"Home", "Basic", "Advanced", "Maintenance", "Status", "System", "Configuration",
                                "Help"}));
  for (const MenuCommand& c : MenuCommands()) {
    QAction* a = frame->CommandAction(c.command);
    ASSERT_NE(a, nullptr) << c.command;
    EXPECT_EQ(a->text(), QString::fromLatin1(c.text));
    EXPECT_EQ(a->objectName(), QString::number(c.command));
  }
  SaveShot(frame, "frame_placeholders");
}

TEST_F(Frame, SwitchingShowsOnePageAndReadsItOnce) {
  frame->show();
  TestPage* home = Page(kHomePageId);
  TestPage* lan = Page(kLanPageId);
  ClickItem(0, 1);
  EXPECT_EQ(frame->View()->CurrentPageId(), 0x10002);
  EXPECT_EQ(Title(), "LAN");
  EXPECT_TRUE(lan->isVisible());
  EXPECT_FALSE(home->isVisible());
  EXPECT_EQ(lan->busyQueries, 1);  // asked before it is shown
  EXPECT_EQ(lan->reads, 1);

  // The page on show chosen again: nothing happens, no second read.
  ClickItem(0, 1);
  frame->RunCommand(32802);
  EXPECT_EQ(lan->reads, 1);
  EXPECT_EQ(lan->busyQueries, 1);

  // Another folder: the bar asks, the frame takes the folder, then an item.
  ClickFolder(3);
  EXPECT_EQ(frame->SelectedFolder(), 3);
  EXPECT_EQ(frame->NavigationBar()->GetSelFolder(), 3);
  ClickItem(3, 4);
  EXPECT_EQ(frame->View()->CurrentPageId(), 0x40005);
  EXPECT_EQ(Title(), "Log");
  EXPECT_FALSE(lan->isVisible());

  // Every page command: its page, its title, its folder.
  for (const MenuCommand& c : MenuCommands()) {
    if (c.folder == kNoFolder) continue;
    SCOPED_TRACE(c.text);
    frame->RunCommand(c.command);
    const int id = PageIdOf(c.folder, c.item);
    EXPECT_EQ(frame->View()->CurrentPageId(), id);
    EXPECT_TRUE(Page(id)->isVisible());
    if (c.command == kCmdInformation) {
      EXPECT_EQ(id, 0);
      EXPECT_EQ(Title(), "System Information");
    } else {
      EXPECT_EQ(Title(), QString::fromLatin1(FindPage(id)->itemText));
      EXPECT_EQ(frame->SelectedFolder(), c.folder);
      EXPECT_EQ(frame->NavigationBar()->GetSelFolder(), c.folder);
    }
  }
  int visible = 0;
  for (CDevicePage* p : frame->View()->Pages()) visible += p->isVisible();
  EXPECT_EQ(visible, 1);
  EXPECT_EQ(home->reads, 2);  // shown at start and by "&Information"
  EXPECT_EQ(lan->reads, 2);   // and once more by "&Lan"
}

TEST_F(Frame, HintNinetyNineFillsEveryPage) {
  frame->View()->OnUpdate(kHintRefreshAll, nullptr);
  for (CDevicePage* p : frame->View()->Pages()) EXPECT_EQ(static_cast<TestPage*>(p)->getDone, 1);
}

// The first mode text decides, by a case-sensitive search for "client" and
// "repeater".
TEST_F(Frame, ApModeRuleForTheArpPage) {
  const struct {
    const char* mode;
    bool allowed;
  } cases[] = {
      {"", true},
      {"Access Point", true},
      {"Wireless client", false},
      {"Wireless repeater", false},
      {"Wireless Client", true},  // the device's own texts are capitalised
      {"AP Repeater", true},
      {"clientless", false},
      {"WDS with AP", true},
  };
  frame->show();
  ClickFolder(kArpFolder);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    frame->SetModeTexts(QString::fromLatin1(c.mode), QStringLiteral("Access Point"));
    EXPECT_EQ(ApModeAllowsArp(QString::fromLatin1(c.mode)), c.allowed);
    EXPECT_EQ(frame->CommandAction(kCmdArp)->isEnabled(), c.allowed);
    EXPECT_EQ(frame->NavigationBar()->IsItemSelectable(kArpFolder, kArpItem), c.allowed);
    // Reopening the folder applies the same rule.
    ClickFolder(0);
    ClickFolder(kArpFolder);
    EXPECT_EQ(frame->NavigationBar()->IsItemSelectable(kArpFolder, kArpItem), c.allowed);

    frame->RunCommand(kCmdInformation);
    frame->RunCommand(kCmdArp);
    EXPECT_EQ(frame->View()->CurrentPageId() == kArpPageId, c.allowed);
    frame->RunCommand(kCmdInformation);
    ClickItem(kArpFolder, kArpItem);
    EXPECT_EQ(frame->View()->CurrentPageId() == kArpPageId, c.allowed);
  }
  EXPECT_EQ(frame->SecondModeText(), "Access Point");
}

TEST_F(Frame, EnterAndEscapeStopAtThePage) {
  frame->show();
  frame->RunCommand(32802);
  TestPage* lan = Page(kLanPageId);
  KeyWatch watch;
  frame->View()->installEventFilter(&watch);
  frame->installEventFilter(&watch);
  for (QWidget* target : {static_cast<QWidget*>(lan->edit), static_cast<QWidget*>(lan->button)}) {
    target->setFocus();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(target, key);
  }
  EXPECT_EQ(watch.seen, 0);
  EXPECT_EQ(lan->clicks, 0);
  EXPECT_TRUE(lan->isVisible());
  EXPECT_TRUE(frame->isVisible());
  // Other keys still reach the controls.
  QTest::keyClicks(lan->edit, "abc");
  EXPECT_EQ(lan->edit->text(), "abc");
}

TEST_F(Frame, BusyFlagShowsTheWaitCursor) {
  frame->SetBusy(true);
  EXPECT_TRUE(frame->IsBusy());
  EXPECT_EQ(frame->cursor().shape(), Qt::WaitCursor);
  frame->SetBusy(false);
  EXPECT_EQ(frame->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Frame, ClosingEnablesTheHostWindowAndDeletesTheFrame) {
  QWidget hostParent;
  auto* host = new QWidget(&hostParent, Qt::Window);
  host->setWindowTitle("Orvane2");
  host->setEnabled(false);
  hostParent.setEnabled(false);
  frame->show();
  QPointer<CDevicePage> home = frame->View()->Page(kHomePageId);
  frame->RunCommand(kCmdClose);
  EXPECT_TRUE(hostParent.isEnabled());
  EXPECT_TRUE(host->isEnabled());
  EXPECT_TRUE(kav::testing::waitUntil([&] { return frame.isNull(); }));
  EXPECT_TRUE(home.isNull());
}

TEST(AboutBox, Texts) {
  kav::testing::ensureApp();
  CAboutDlg about;
  EXPECT_EQ(about.windowTitle(), "About KAV-7420");
  QStringList texts;
  for (QLabel* l : about.findChildren<QLabel*>())
    if (!l->text().isEmpty()) texts << l->text();
  EXPECT_TRUE(texts.contains("KAV-7420 Management Module"));
  EXPECT_TRUE(texts.contains("Release Version:"));
  EXPECT_TRUE(texts.contains("3.15r05"));
  EXPECT_EQ(about.findChild<QPushButton*>("1")->text(), "OK");
}

}  // namespace
