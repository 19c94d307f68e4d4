#include "shell/avi_player.h"

#include <QPainter>
#include <QTimerEvent>

CAviPlayer::CAviPlayer(QWidget* parent) : QWidget(parent) {}

bool CAviPlayer::Open(const QString& path) {
  Close();
  if (!reader_.LoadFile(path.toStdString())) return false;
  ShowFrame(0);
  updateGeometry();
  return true;
}

void CAviPlayer::Close() {
  Stop();
  reader_.Clear();
  image_ = QImage();
  current_ = -1;
  update();
}

bool CAviPlayer::Play(int first, int last, int repeat) {
  if (!IsOpen()) return false;
  const int count = reader_.FrameCount();
  if (last < 0 || last >= count) last = count - 1;
  if (first < 0 || first > last) return false;
  first_ = first;
  last_ = last;
  repeatsLeft_ = repeat < 0 ? -1 : repeat;
  if (repeat == 0) return true;
  ShowFrame(first_);
  timer_.start(std::max<int>(1, reader_.FrameIntervalUs() / 1000), this);
  return true;
}

void CAviPlayer::Stop() { timer_.stop(); }

void CAviPlayer::Step() {
  if (!IsOpen()) return;
  if (current_ < first_ || current_ >= last_) {
    // End of one pass: start the next one, or stop on the last frame.
    if (repeatsLeft_ > 0 && --repeatsLeft_ == 0) return Stop();
    ShowFrame(first_);
    return;
  }
  ShowFrame(current_ + 1);
}

void CAviPlayer::ShowFrame(int index) {
  reader_.DecodeFrame(index, pixels_);  // a damaged frame shows as far as it decoded
  image_ = QImage(reinterpret_cast<const uchar*>(pixels_.data()), reader_.Width(),
                  reader_.Height(), reader_.Width() * 4, QImage::Format_RGB32)
               .copy();
  current_ = index;
  update();
}

QSize CAviPlayer::sizeHint() const {
  return image_.isNull() ? QSize(0, 0) : image_.size();
}

void CAviPlayer::paintEvent(QPaintEvent*) {
  if (image_.isNull()) return;
  QPainter p(this);
  p.drawImage((width() - image_.width()) / 2, (height() - image_.height()) / 2, image_);
}

void CAviPlayer::timerEvent(QTimerEvent* event) {
  if (event->timerId() == timer_.timerId()) Step();
  else QWidget::timerEvent(event);
}
