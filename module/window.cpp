#include "module/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QWidget>

#include "platform/win/messages.h"

namespace kav::module {
namespace {

// A bare frame until the configuration shell takes its place.
class BareFrame : public QWidget {
 public:
  BareFrame() {
    setWindowTitle("KAV-7420");
    setFixedSize(850, 650);
    setAttribute(Qt::WA_DeleteOnClose);
  }

 protected:
  void closeEvent(QCloseEvent* e) override {
    // The host window is usable again once the module's window is gone.
    if (QWidget* host = kav::win::findHostWindow()) host->setEnabled(true);
    QWidget::closeEvent(e);
  }
};

QPointer<QWidget> gFrame;

}  // namespace

void createWindow() {
  delete gFrame.data();
  gFrame = new BareFrame;
}

void showWindow() {
  if (!gFrame) return;
  gFrame->show();
  gFrame->update();
}

void destroyWindow() { delete gFrame.data(); }

bool routeTabKey() {
  QWidget* focus = QApplication::focusWidget();
  if (!gFrame || !focus || !gFrame->isAncestorOf(focus)) return false;
  focus->nextInFocusChain()->setFocus(Qt::TabFocusReason);
  return true;
}

}  // namespace kav::module
