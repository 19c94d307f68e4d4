// Lets a page larger than the view scroll.  The page states how big its
// content is (SetDisplaySize); when the page is smaller than that in a
// direction, a scroll bar appears on that edge and moves the page's child
// widgets.  Each page owns one.
//
// Scrolling, the same each way: line steps are 60 pixels, page steps the
// visible size, dragging follows the thumb; the position stays within
// 0 .. display size - visible size.  When the content fits, the bar is
// hidden and nothing scrolls.
//
// Attach() watches the page's resize and wheel events (a wheel notch is a
// line step), so the page forwards nothing.  Qt delivers a hidden page's
// resize when it is shown.
//
// Recalculation (on SetDisplaySize once attached, and on every resize of the
// page): the visible size is the page's
// size; where content does not fit, a position and an old visible size that
// are both positive are first scaled by new/old visible size, then kept at
// most display - visible - 1; where it fits, the position returns to 0.
#pragma once

#include <QObject>
#include <QPoint>
#include <QSize>

class QScrollBar;
class QWidget;

class CScrollManager : public QObject {
  Q_OBJECT
 public:
  // Scroll request codes, numbered as window scroll messages number them.
  enum Code { LineUp = 0, LineDown = 1, PageUp = 2, PageDown = 3, ThumbPosition = 4,
              ThumbTrack = 5, Top = 6, Bottom = 7, EndScroll = 8 };

  explicit CScrollManager(QObject* parent = nullptr);

  void Attach(QWidget* page);
  void SetDisplaySize(int width, int height);

  // Scroll requests; trackPos is used by ThumbPosition and ThumbTrack.
  // Other codes are ignored.
  void OnVScroll(int code, int trackPos = 0);
  void OnHScroll(int code, int trackPos = 0);
  void Recalculate();

  QPoint Position() const { return {pos_[0], pos_[1]}; }
  QSize VisibleSize() const { return {visible_[0], visible_[1]}; }
  QSize DisplaySize() const { return {display_[0], display_[1]}; }
  QScrollBar* Bar(Qt::Orientation o) const { return bars_[o == Qt::Horizontal ? 0 : 1]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Scroll(int axis, int code, int trackPos);
  void OnBarAction(int axis, int action);
  void MoveContent(int dx, int dy);
  void PlaceBars();

  QWidget* page_ = nullptr;
  QScrollBar* bars_[2] = {nullptr, nullptr};  // horizontal, vertical
  int visible_[2] = {0, 0};
  int display_[2] = {0, 0};
  int pos_[2] = {0, 0};
  bool placing_ = false;
};
