#include "shell/scroll_manager.h"

#include <QEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

namespace {
constexpr int kLineStep = 60;
}  // namespace

CScrollManager::CScrollManager(QObject* parent) : QObject(parent) {}

void CScrollManager::Attach(QWidget* page) {
  page_ = page;
  for (int axis = 0; axis < 2; ++axis) {
    auto* bar = new QScrollBar(axis == 0 ? Qt::Horizontal : Qt::Vertical, page);
    bar->setObjectName(axis == 0 ? QStringLiteral("hscroll") : QStringLiteral("vscroll"));
    bar->hide();
    bar->setSingleStep(kLineStep);
    connect(bar, &QAbstractSlider::actionTriggered, this,
            [this, axis](int action) { OnBarAction(axis, action); });
    bars_[axis] = bar;
  }
  page->installEventFilter(this);
}

void CScrollManager::SetDisplaySize(int width, int height) {
  display_[0] = std::max(0, width);
  display_[1] = std::max(0, height);
  if (page_) Recalculate();
}

void CScrollManager::OnHScroll(int code, int trackPos) { Scroll(0, code, trackPos); }
void CScrollManager::OnVScroll(int code, int trackPos) { Scroll(1, code, trackPos); }

void CScrollManager::Scroll(int axis, int code, int trackPos) {
  int step;
  switch (code) {
    case LineUp: step = -kLineStep; break;
    case LineDown: step = kLineStep; break;
    case PageUp: step = -visible_[axis]; break;
    case PageDown: step = visible_[axis]; break;
    case ThumbPosition:
    case ThumbTrack: step = trackPos - pos_[axis]; break;
    default: return;
  }
  // A visible size of 0 means the content fits: nothing to scroll.
  const int maxPos = visible_[axis] > 0 ? display_[axis] - visible_[axis] : 0;
  if (pos_[axis] + step > maxPos) step = maxPos - pos_[axis];
  if (pos_[axis] + step < 0) step = -pos_[axis];
  if (step == 0) return;
  pos_[axis] += step;
  if (bars_[axis]) {
    QSignalBlocker block(bars_[axis]);
    bars_[axis]->setValue(pos_[axis]);
  }
  MoveContent(axis == 0 ? -step : 0, axis == 1 ? -step : 0);
}

// A click or drag on one of our bars becomes a scroll request; the bar then
// shows our position rather than the one it worked out itself.
void CScrollManager::OnBarAction(int axis, int action) {
  QScrollBar* bar = bars_[axis];
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: Scroll(axis, LineUp, 0); break;
    case QAbstractSlider::SliderSingleStepAdd: Scroll(axis, LineDown, 0); break;
    case QAbstractSlider::SliderPageStepSub: Scroll(axis, PageUp, 0); break;
    case QAbstractSlider::SliderPageStepAdd: Scroll(axis, PageDown, 0); break;
    case QAbstractSlider::SliderMove: Scroll(axis, ThumbTrack, bar->sliderPosition()); break;
    default: break;
  }
  bar->setSliderPosition(pos_[axis]);
}

void CScrollManager::Recalculate() {
  if (!page_) return;
  const int newVisible[2] = {page_->width(), page_->height()};
  int move[2];
  for (int axis = 0; axis < 2; ++axis) {
    const int oldPos = pos_[axis];
    if (newVisible[axis] < display_[axis]) {
      if (pos_[axis] > 0 && visible_[axis] > 0)
        pos_[axis] = int((long long)pos_[axis] * newVisible[axis] / visible_[axis]);
      visible_[axis] = newVisible[axis];
      pos_[axis] = std::min(pos_[axis], display_[axis] - visible_[axis] - 1);
      move[axis] = oldPos - pos_[axis];
    } else {
      visible_[axis] = 0;
      pos_[axis] = 0;
      move[axis] = oldPos;
    }
    QScrollBar* bar = bars_[axis];
    QSignalBlocker block(bar);
    bar->setRange(0, visible_[axis] > 0 ? display_[axis] - visible_[axis] : 0);
    bar->setPageStep(std::max(1, visible_[axis]));
    bar->setValue(pos_[axis]);
    bar->setVisible(visible_[axis] > 0);
  }
  if (move[0] || move[1]) MoveContent(move[0], move[1]);
  PlaceBars();
}

// Moves the page's child widgets (not our bars, not child windows such as a
// wait dialog).  Done by hand rather than with QWidget::scroll, which does
// nothing while the page is hidden and would leave it out of step.
void CScrollManager::MoveContent(int dx, int dy) {
  for (QObject* child : page_->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || w->isWindow() || w == bars_[0] || w == bars_[1]) continue;
    w->move(w->pos() + QPoint(dx, dy));
  }
  page_->update();
}

// The bars hug the right and bottom edges whatever the content does.
void CScrollManager::PlaceBars() {
  if (!page_ || placing_) return;
  placing_ = true;
  QScrollBar* h = bars_[0];
  QScrollBar* v = bars_[1];
  const int vw = v->isVisibleTo(page_) ? v->sizeHint().width() : 0;
  const int hh = h->isVisibleTo(page_) ? h->sizeHint().height() : 0;
  h->setGeometry(0, page_->height() - hh, page_->width() - vw, hh);
  v->setGeometry(page_->width() - vw, 0, vw, page_->height() - hh);
  h->raise();
  v->raise();
  placing_ = false;
}

bool CScrollManager::eventFilter(QObject* watched, QEvent* event) {
  if (watched == page_) {
    if (event->type() == QEvent::Resize) {
      Recalculate();
    } else if (event->type() == QEvent::Wheel) {
      auto* wheel = static_cast<QWheelEvent*>(event);
      const int notches = wheel->angleDelta().y() / 120;
      for (int i = 0; i < std::abs(notches); ++i) OnVScroll(notches > 0 ? LineUp : LineDown);
      return notches != 0;
    }
  }
  return QObject::eventFilter(watched, event);
}
