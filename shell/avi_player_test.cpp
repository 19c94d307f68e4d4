#include "shell/avi_player.h"

#include <gtest/gtest.h>

#include <QTest>

#include "platform/testing/qt_wait.h"
#include "shell/test_shots.h"

namespace {

const QString kAnimation = QStringLiteral(KAV_BIN_DIR "/KAV-7420/res/DOWNLOAD.AVI");

class AviPlayer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { kav::testing::ensureApp(); }
};

TEST_F(AviPlayer, LoopsOverAllFrames) {
  CAviPlayer player;
  ASSERT_TRUE(player.Open(kAnimation));
  EXPECT_EQ(player.sizeHint(), QSize(64, 48));
  ASSERT_TRUE(player.Play());
  EXPECT_TRUE(player.IsPlaying());
  EXPECT_EQ(player.CurrentFrame(), 0);
  const QImage first = player.CurrentImage();
  for (int i = 1; i < player.FrameCount(); ++i) player.Step();
  EXPECT_EQ(player.CurrentFrame(), player.FrameCount() - 1);
  EXPECT_NE(player.CurrentImage(), first);
  player.Step();  // wraps round
  EXPECT_EQ(player.CurrentFrame(), 0);
  EXPECT_EQ(player.CurrentImage(), first);
  player.resize(80, 60);
  SaveShot(&player, "avi_player_frame0");
}

TEST_F(AviPlayer, TimerAdvancesFrames) {
  CAviPlayer player;
  ASSERT_TRUE(player.Open(kAnimation));
  player.Play();
  QTRY_VERIFY_WITH_TIMEOUT(player.CurrentFrame() >= 2, 5000);
}

TEST_F(AviPlayer, PlaysACountedNumberOfTimes) {
  CAviPlayer player;
  ASSERT_TRUE(player.Open(kAnimation));
  ASSERT_TRUE(player.Play(2, 4, 2));
  int steps = 0;
  while (player.IsPlaying() && steps < 100) player.Step(), ++steps;
  // Play shows 2; ticks show 3 4 | 2 3 4, and the sixth tick stops on 4.
  EXPECT_EQ(steps, 6);
  EXPECT_EQ(player.CurrentFrame(), 4);
}

TEST_F(AviPlayer, MissingOrDamagedFileShowsNothing) {
  const QString damaged = QStringLiteral(KAV_BUILD_DIR "/damaged.avi");
  QFile f(damaged);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("RIFF\x10\0\0\0AVI LIST\xff\xff\xff\xff", 20);
  f.close();
  for (const QString& path : {QStringLiteral("/nonexistent/DOWNLOAD.AVI"), damaged}) {
    CAviPlayer player;
    EXPECT_FALSE(player.Open(path));
    EXPECT_FALSE(player.Play());
    player.Step();
    EXPECT_TRUE(player.CurrentImage().isNull());
    EXPECT_EQ(player.sizeHint(), QSize(0, 0));
  }
}

}  // namespace
