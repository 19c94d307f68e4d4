#include "shell/frame_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// An access point: a box with two aerials and signal arcs.
QPixmap DrawModuleIcon(int size) {
  QPixmap pix(size, size);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  p.setPen(QPen(QColor(32, 32, 32), 1.5));
  p.setBrush(QColor(58, 110, 165));
  p.drawRoundedRect(QRectF(4, 19, 24, 9), 2, 2);
  p.drawLine(QPointF(9, 19), QPointF(7, 8));
  p.drawLine(QPointF(23, 19), QPointF(25, 8));
  p.setPen(QPen(QColor(120, 200, 90), 2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(10, 3, 12, 12), 30 * 16, 120 * 16);
  p.drawArc(QRectF(13, 7, 6, 6), 30 * 16, 120 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(120, 230, 90));
  p.drawEllipse(QRectF(7, 22, 3, 3));
  return pix;
}

// A settings sheet with a tick, light enough to show on the blue bar.
QPixmap DrawNavIcon(int size) {
  QPixmap pix(size, size);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  p.setPen(QPen(QColor(40, 60, 90), 1.5));
  p.setBrush(QColor(245, 245, 235));
  p.drawRect(QRectF(7, 4, 18, 24));
  p.setPen(QPen(QColor(90, 110, 140), 1.5));
  for (int y = 9; y <= 15; y += 3) p.drawLine(QPointF(10, y), QPointF(22, y));
  p.setPen(QPen(QColor(40, 150, 60), 2.5));
  QPainterPath tick;
  tick.moveTo(11, 21);
  tick.lineTo(14, 24);
  tick.lineTo(21, 17);
  p.drawPath(tick);
  return pix;
}

}  // namespace

QIcon FrameIcon(int resourceId) {
  QPixmap (*draw)(int) = nullptr;
  if (resourceId == kIconModule) draw = DrawModuleIcon;
  else if (resourceId == kIconNavItem) draw = DrawNavIcon;
  else return {};
  QIcon icon;
  icon.addPixmap(draw(32));
  icon.addPixmap(draw(16));
  return icon;
}
