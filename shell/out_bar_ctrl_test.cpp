#include "shell/out_bar_ctrl.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "platform/win/messages.h"
#include "shell/action_icons.h"
#include "platform/testing/qt_wait.h"
#include "shell/test_shots.h"

namespace {

// The frame's side: notes each notification and answers folder changes.
class Owner : public QWidget {
 public:
  struct Got {
    intptr_t code;
    COutBarNotify record;
  };
  std::vector<Got> got;
  intptr_t answer = 1;

 protected:
  bool event(QEvent* e) override {
    if (auto* m = dynamic_cast<kav::win::MessageEvent*>(e)) {
      if (m->message() == CXTOutBarCtrl::kMsgNotify) {
        got.push_back({m->wParam(), *reinterpret_cast<COutBarNotify*>(m->lParam())});
        m->result = m->wParam() == CXTOutBarCtrl::kNotifyFolderChange ? answer : 0;
      }
      return true;
    }
    return QWidget::event(e);
  }
};

class OutBar : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { kav::testing::ensureApp(); }
  void SetUp() override {
    bar = new CXTOutBarCtrl(&owner);
    bar->SetImageList({ActionIcon(kIconEdit)}, true);  // any 32 by 32 icon
    bar->AddFolder("Basic", 0);
    bar->AddFolder("Advanced", 1);
    bar->InsertItem(0, 0, "Wireless", 0, 0);
    bar->InsertItem(0, 1, "LAN", 0, 0);
    bar->InsertItem(1, 0, "Performance", 0, 0);
    bar->InsertItem(1, 1, "ARP Spoofing Prevention Settings", 0, 0);
    bar->setGeometry(0, 0, 120, 500);
    owner.resize(120, 500);
    owner.show();
  }
  QPoint ItemCentre(int folder, int item) {
    auto* list = bar->findChild<QListWidget*>(QStringLiteral("items%1").arg(folder));
    return list->visualItemRect(list->item(item)).center();
  }
  QWidget* Viewport(int folder) {
    return bar->findChild<QListWidget*>(QStringLiteral("items%1").arg(folder))->viewport();
  }
  void ClickFolder(int folder) {
    QTest::mouseClick(bar->findChild<QPushButton*>(QStringLiteral("folder%1").arg(folder)), Qt::LeftButton);
  }

  Owner owner;
  CXTOutBarCtrl* bar = nullptr;
};

TEST_F(OutBar, ItemClickNotifiesCode1) {
  EXPECT_EQ(bar->GetSelFolder(), 0);
  QTest::mouseClick(Viewport(0), Qt::LeftButton, {}, ItemCentre(0, 1));
  ASSERT_EQ(owner.got.size(), 1u);
  const auto& n = owner.got[0];
  EXPECT_EQ(n.code, 1);
  EXPECT_EQ(n.record.folder, 0);
  EXPECT_EQ(n.record.item, 1);
  EXPECT_EQ(n.record.reserved1, -1);
  EXPECT_EQ(n.record.reserved2, -1);
  EXPECT_EQ(n.record.caption, "LAN");
  SaveShot(&owner, "out_bar");
}

TEST_F(OutBar, ReleaseOverAnotherItemIsNoClick) {
  QTest::mousePress(Viewport(0), Qt::LeftButton, {}, ItemCentre(0, 0));
  QTest::mouseRelease(Viewport(0), Qt::LeftButton, {}, ItemCentre(0, 1));
  EXPECT_TRUE(owner.got.empty());
}

TEST_F(OutBar, FolderOpensOnlyWhenTheOwnerAgrees) {
  owner.answer = 0;
  ClickFolder(1);
  ASSERT_EQ(owner.got.size(), 1u);
  EXPECT_EQ(owner.got[0].code, 5);
  EXPECT_EQ(owner.got[0].record.folder, 0);
  EXPECT_EQ(owner.got[0].record.item, 1);
  EXPECT_EQ(owner.got[0].record.caption, "Advanced");
  EXPECT_EQ(owner.got[0].record.flag, 1);
  EXPECT_EQ(bar->GetSelFolder(), 0);

  owner.answer = 1;
  ClickFolder(1);
  EXPECT_EQ(bar->GetSelFolder(), 1);
  owner.got.clear();
  QTest::mouseClick(Viewport(1), Qt::LeftButton, {}, ItemCentre(1, 0));
  ASSERT_EQ(owner.got.size(), 1u);
  EXPECT_EQ(owner.got[0].record.folder, 1);
  EXPECT_EQ(owner.got[0].record.caption, "Performance");
}

TEST_F(OutBar, UnselectableItemSendsNothing) {
  bar->SetSelFolder(1);
  EXPECT_TRUE(owner.got.empty());  // opening from code asks nobody
  bar->SetItemSelectable(1, 1, false);
  EXPECT_FALSE(bar->IsItemSelectable(1, 1));
  QTest::mouseClick(Viewport(1), Qt::LeftButton, {}, ItemCentre(1, 1));
  EXPECT_TRUE(owner.got.empty());
  bar->SetItemSelectable(1, 1, true);
  QTest::mouseClick(Viewport(1), Qt::LeftButton, {}, ItemCentre(1, 1));
  ASSERT_EQ(owner.got.size(), 1u);
  EXPECT_EQ(owner.got[0].record.caption, "ARP Spoofing Prevention Settings");
}

TEST_F(OutBar, FoldersAndItemsAsBuilt) {
  EXPECT_EQ(bar->GetFolderCount(), 2);
  EXPECT_EQ(bar->GetFolderNumber(1), 1);
  EXPECT_EQ(bar->GetItemCount(1), 2);
  EXPECT_EQ(bar->GetItemText(1, 1), "ARP Spoofing Prevention Settings");
  EXPECT_EQ(bar->InsertItem(0, 99, "Last", 0, 42), 2);
  EXPECT_EQ(bar->GetItemData(0, 2), 42);
  EXPECT_TRUE(bar->GetItemText(5, 0).isEmpty());
}

}  // namespace
