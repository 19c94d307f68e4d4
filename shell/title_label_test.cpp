#include "shell/title_label.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>

#include "platform/testing/qt_wait.h"
#include "shell/test_shots.h"

namespace {

TEST(TitleLabel, TextRectangleAndPainting) {
  kav::testing::ensureApp();
  CTitleLabel label;
  label.resize(400, CTitleLabel::kHeight);
  label.SetText("System Information");
  QFont font("Arial");
  font.setPixelSize(16);
  font.setBold(true);
  const int advance = QFontMetrics(font).horizontalAdvance("System Information");
  // (1, 1, width + 23, 18) with exclusive right and bottom edges.
  EXPECT_EQ(label.TextRect(), QRect(QPoint(1, 1), QPoint(advance + 22, 17)));

  const QImage shot = label.grab().toImage();
  EXPECT_EQ(shot.pixelColor(0, 0), QColor(58, 110, 165));
  EXPECT_EQ(shot.pixelColor(399, 18), QColor(58, 110, 165));
  const int right = advance + 23 - 5 - 12;  // exclusive right edge of the text area
  EXPECT_EQ(shot.pixelColor(right + 8, 9), QColor(Qt::white));  // inside the triangle
  EXPECT_EQ(shot.pixelColor(right + 8, 13), QColor(58, 110, 165));  // below its tip
  SaveShot(&label, "title_label");

  label.SetFrame(true);
  const QImage framed = label.grab().toImage();
  EXPECT_EQ(framed.pixelColor(1, 1), QColor(Qt::white));
  EXPECT_EQ(framed.pixelColor(advance + 22, 17), QColor(Qt::black));
  label.SetFrameSunken(true);
  EXPECT_EQ(label.grab().toImage().pixelColor(1, 1), QColor(Qt::black));
}

}  // namespace
