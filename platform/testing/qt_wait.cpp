#include "platform/testing/qt_wait.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>

namespace kav::testing {

void ensureApp() {
  if (QCoreApplication::instance()) return;
  setenv("MIBS", "", 0);
  if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "kav7420-test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives as long as the test process
}

bool waitUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
  QElapsedTimer t;
  t.start();
  while (!pred()) {
    if (t.elapsed() > timeout.count()) return pred();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(200);
  }
  return true;
}

void spin(std::chrono::milliseconds time) {
  waitUntil([] { return false; }, time);
}

}  // namespace kav::testing
