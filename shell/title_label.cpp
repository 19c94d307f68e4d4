#include "shell/title_label.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace {
const QColor kBand(58, 110, 165);
}  // namespace

CTitleLabel::CTitleLabel(QWidget* parent) : QWidget(parent) {
  font_ = QFont(QStringLiteral("Arial"));
  font_.setPixelSize(16);
  font_.setBold(true);
  setFixedHeight(kHeight);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CTitleLabel::SetText(const QString& text) {
  text_ = text;
  const int width = QFontMetrics(font_).horizontalAdvance(text);
  // Windows-style rectangle (1, 1, width + 23, height - 1): right and bottom
  // are exclusive, hence the -1 for QRect's inclusive edges.
  textRect_ = QRect(QPoint(1, 1), QPoint(width + 23 - 1, height() - 1 - 1));
  update();
}

void CTitleLabel::SetFrame(bool on) {
  if (frame_ != on) frame_ = on, update();
}

void CTitleLabel::SetFrameSunken(bool on) {
  if (sunken_ != on) sunken_ = on, update();
}

QSize CTitleLabel::sizeHint() const { return {textRect_.right() + 2, kHeight}; }

void CTitleLabel::resizeEvent(QResizeEvent*) {
  textRect_.setBottom(height() - 2);
}

void CTitleLabel::paintEvent(QPaintEvent*) {
  // Drawn off screen and copied in one step so the band never flickers.
  QPixmap buffer(size() * devicePixelRatioF());
  buffer.setDevicePixelRatio(devicePixelRatioF());
  QPainter p(&buffer);
  p.fillRect(rect(), kBand);

  // Text area: inset 5 each side, 12 more kept free on the right for the
  // triangle; never past the label's own right edge.
  QRect area = textRect_.adjusted(5, 0, -5 - 12, 0);
  area.setRight(std::min(area.right(), width() - 1 - 5 - 12));
  p.setFont(font_);
  p.setPen(Qt::white);
  const QString shown = QFontMetrics(font_).elidedText(text_, Qt::ElideMiddle, area.width() + 1);
  p.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);

  const int right = area.right() + 1;  // exclusive right edge, as the triangle's corners count
  const int middle = textRect_.top() + (textRect_.height()) / 2;
  const QPolygon triangle({QPoint(right + 4, middle - 1), QPoint(right + 12, middle - 1),
                           QPoint(right + 8, middle + 3)});
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPolygon(triangle);

  if (frame_) {
    const QColor topLeft = sunken_ ? Qt::black : Qt::white;
    const QColor bottomRight = sunken_ ? Qt::white : Qt::black;
    const QRect r = textRect_;
    p.setPen(topLeft);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
  }
  p.end();
  QPainter(this).drawPixmap(0, 0, buffer);
}

void CTitleLabel::mouseMoveEvent(QMouseEvent* event) {
  SetFrame(textRect_.contains(event->position().toPoint()));
}

void CTitleLabel::mousePressEvent(QMouseEvent* event) {
  if (textRect_.contains(event->position().toPoint())) SetFrameSunken(true);
}

void CTitleLabel::mouseReleaseEvent(QMouseEvent*) { SetFrameSunken(false); }

void CTitleLabel::leaveEvent(QEvent*) {
  SetFrame(false);
  SetFrameSunken(false);
}
