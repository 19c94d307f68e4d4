#include "clientinfo/testing/qt_app.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace kav::clientinfo::testing {

void EnsureCoreApp() {
  static int argc = 1;
  static char name[] = "clientinfo-test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  QTimer wake;  // so that the wait below always returns
  wake.start(10);
  while (!done() && clock.elapsed() < timeoutMs) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return done();
}

}  // namespace kav::clientinfo::testing
