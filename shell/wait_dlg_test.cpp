#include "shell/wait_dlg.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QTest>

#include "shell/avi_player.h"
#include "shell/module_dir.h"
#include "platform/testing/qt_wait.h"
#include "shell/test_shots.h"

namespace {

class WaitDlg : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { kav::testing::ensureApp(); }
  void TearDown() override { SetModuleDirectoryOverride({}); }
};

TEST_F(WaitDlg, ElapsedTimeText) {
  struct { long long seconds; const char* text; } cases[] = {
      {0, "Elapsed Time\t\t00:00:00"},
      {3725, "Elapsed Time\t\t01:02:05"},
      {90061, "Elapsed Time\t\t01:01:01"},  // hours wrap at a day
      {-5, "Elapsed Time\t\t00:00:00"},     // clock set back
  };
  for (const auto& c : cases) EXPECT_EQ(CWaitDlg::ElapsedText(c.seconds), c.text) << c.seconds;
}

// The module folder is found with dladdr: here the test program's folder,
// where the build put the generated animation.
TEST_F(WaitDlg, OpensWithAnimationAndDisablesItsParent) {
  EXPECT_EQ(ModuleDirectory(), QStringLiteral(KAV_BIN_DIR));
  QWidget page;
  page.resize(400, 300);
  page.show();
  QPointer<CWaitDlg> dlg = new CWaitDlg(&page);
  EXPECT_TRUE(dlg->HasAnimation());
  EXPECT_TRUE(dlg->PlayAnimation());
  EXPECT_EQ(dlg->windowTitle(), "Please Wait...");
  EXPECT_EQ(dlg->Text(), "Device is rebooting, please wait...");
  EXPECT_FALSE(page.isEnabled());
  EXPECT_TRUE(dlg->isEnabled());
  EXPECT_NE(dlg->findChild<CAviPlayer*>("1367"), nullptr);
  EXPECT_NE(dlg->findChild<QLabel*>("1368"), nullptr);
  EXPECT_NE(dlg->findChild<QStatusBar*>("8000"), nullptr);

  dlg->setWindowTitle("Please wait...");
  dlg->SetText("Refresh gettings, Please wait...");
  dlg->show();
  dlg->SetStartTime(QDateTime::currentSecsSinceEpoch() - 3725);
  dlg->OnTimer();
  EXPECT_EQ(dlg->StatusText(), "Elapsed Time\t\t01:02:05");
  SaveShot(dlg, "wait_dlg");

  dlg->close();  // the operator cannot close it
  EXPECT_TRUE(dlg->isVisible());
  dlg->Close();
  EXPECT_TRUE(page.isEnabled());
  QTRY_VERIFY(dlg.isNull());
}

TEST_F(WaitDlg, AutoCloseCountsDown) {
  QWidget page;
  QPointer<CWaitDlg> dlg = new CWaitDlg(&page);
  dlg->SetAutoClose(3);
  dlg->OnTimer();
  dlg->OnTimer();
  EXPECT_FALSE(page.isEnabled());
  dlg->OnTimer();
  EXPECT_TRUE(page.isEnabled());
  QTRY_VERIFY(dlg.isNull());
}

TEST_F(WaitDlg, WorksWithoutAnimationFile) {
  SetModuleDirectoryOverride(QStringLiteral(KAV_BUILD_DIR "/no-such-folder"));
  QWidget page;
  QPointer<CWaitDlg> dlg = new CWaitDlg(&page);
  EXPECT_FALSE(dlg->HasAnimation());
  EXPECT_FALSE(dlg->PlayAnimation());
  dlg->OnTimer();
  EXPECT_TRUE(dlg->StatusText().startsWith("Elapsed Time\t\t"));
  dlg->Close();
  EXPECT_TRUE(page.isEnabled());
}

TEST_F(WaitDlg, DeletingThePageTakesTheDialogAlong) {
  auto* page = new QWidget;
  QPointer<CWaitDlg> dlg = new CWaitDlg(page);
  delete page;
  EXPECT_TRUE(dlg.isNull());
}

}  // namespace
