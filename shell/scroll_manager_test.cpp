#include "shell/scroll_manager.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QScrollBar>

#include "platform/testing/qt_wait.h"
#include "shell/test_shots.h"

namespace {

class ScrollManager : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { kav::testing::ensureApp(); }
  void SetUp() override {
    page.resize(300, 200);
    child = new QLabel("content", &page);
    child->move(10, 10);
    manager.Attach(&page);
    manager.SetDisplaySize(500, 150);  // wider than the page, not taller
  }
  QWidget page;  // never shown: hidden pages must scroll too
  QLabel* child = nullptr;
  CScrollManager manager;
};

TEST_F(ScrollManager, StepsStayWithinTheContent) {
  EXPECT_EQ(manager.VisibleSize(), QSize(300, 0));  // 0: the height fits
  EXPECT_FALSE(manager.Bar(Qt::Horizontal)->isHidden());
  EXPECT_TRUE(manager.Bar(Qt::Vertical)->isHidden());
  struct { int code; int track; int x; } steps[] = {
      {CScrollManager::LineUp, 0, 0},          // at the start: nothing moves
      {CScrollManager::LineDown, 0, 60},
      {CScrollManager::PageDown, 0, 200},      // 60 + 300 stops at 500 - 300
      {CScrollManager::LineDown, 0, 200},
      {CScrollManager::ThumbTrack, 50, 50},
      {CScrollManager::PageUp, 0, 0},
      {CScrollManager::ThumbPosition, 1000, 200},
      {CScrollManager::Bottom, 0, 200},        // ignored
  };
  for (const auto& s : steps) {
    manager.OnHScroll(s.code, s.track);
    EXPECT_EQ(manager.Position().x(), s.x) << "code " << s.code;
    EXPECT_EQ(child->x(), 10 - s.x);
    EXPECT_EQ(manager.Bar(Qt::Horizontal)->value(), s.x);
  }
  manager.OnVScroll(CScrollManager::LineDown);  // fits: never scrolls
  EXPECT_EQ(manager.Position().y(), 0);
  EXPECT_EQ(child->y(), 10);
}

// Qt holds back resize events of hidden widgets until they are shown, so
// this page is shown.
TEST_F(ScrollManager, ResizeRescalesThePosition) {
  page.show();
  manager.OnHScroll(CScrollManager::ThumbTrack, 150);
  page.resize(400, 200);  // 150 * 400 / 300 = 200, at most 500 - 400 - 1
  EXPECT_EQ(manager.Position().x(), 99);
  EXPECT_EQ(child->x(), 10 - 99);
  EXPECT_EQ(manager.Bar(Qt::Horizontal)->maximum(), 100);

  page.resize(600, 200);  // the content fits now: back to the origin
  EXPECT_EQ(manager.Position().x(), 0);
  EXPECT_EQ(manager.VisibleSize().width(), 0);
  EXPECT_EQ(child->x(), 10);
  EXPECT_TRUE(manager.Bar(Qt::Horizontal)->isHidden());

  manager.SetDisplaySize(500, 900);  // now taller than the page
  EXPECT_EQ(manager.VisibleSize(), QSize(0, 200));
  manager.OnVScroll(CScrollManager::PageDown);
  EXPECT_EQ(child->y(), 10 - 200);
  SaveShot(&page, "scroll_manager");
}

}  // namespace
