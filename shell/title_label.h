// The title band across the top of the page view: 19 pixels high, blue
// (RGB 58,110,165), the page title in white Arial 16 px bold, a small white
// triangle after the text.
//
// SetText() measures the text and sets the text rectangle to
// (1, 1, text width + 23, height - 1) (right and bottom exclusive).  The text
// is drawn in that rectangle less 5 pixels each side and 12 more on the
// right (elided in the middle if the label is too narrow); the triangle
// fills those 12 pixels.  While the mouse is over the text rectangle a 3-D
// frame is drawn around it (raised; sunken while the button is down).
#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

class CTitleLabel : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHeight = 19;

  explicit CTitleLabel(QWidget* parent = nullptr);

  void SetText(const QString& text);
  QString Text() const { return text_; }
  QRect TextRect() const { return textRect_; }  // as a rectangle of inclusive edges

  void SetFrame(bool on);        // the hover frame
  void SetFrameSunken(bool on);  // the frame's reversed colours

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QString text_;
  QFont font_;
  QRect textRect_;
  bool frame_ = false;
  bool sunken_ = false;
};
