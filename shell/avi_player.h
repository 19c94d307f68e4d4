// Animation control: plays a silent AVI file (see CAviReader for the
// formats) centred in the widget, on the widget's own timer.
//
// Open() fails quietly (returns false, shows nothing) for a missing,
// unreadable or unsupported file; every other call is then harmless.
#pragma once

#include <QBasicTimer>
#include <QImage>
#include <QWidget>
#include <vector>

#include "shell/avi_reader.h"

class CAviPlayer : public QWidget {
  Q_OBJECT
 public:
  explicit CAviPlayer(QWidget* parent = nullptr);

  bool Open(const QString& path);
  void Close();
  bool IsOpen() const { return reader_.IsLoaded(); }

  // Plays frames first..last (-1: the last frame) `repeat` times (-1: for
  // ever), starting with `first` at once.
  bool Play(int first = 0, int last = -1, int repeat = -1);
  void Stop();
  bool IsPlaying() const { return timer_.isActive(); }

  int FrameCount() const { return reader_.FrameCount(); }
  int CurrentFrame() const { return current_; }
  const QImage& CurrentImage() const { return image_; }
  // Shows the next frame as the timer would; public so tests need not wait.
  void Step();

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void ShowFrame(int index);

  CAviReader reader_;
  QBasicTimer timer_;
  std::vector<std::uint32_t> pixels_;
  QImage image_;
  int current_ = -1;
  int first_ = 0;
  int last_ = -1;
  int repeatsLeft_ = 0;  // -1: for ever
};
