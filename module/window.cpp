#include "module/window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

#include "module/app.h"
#include "pages/pages.h"
#include "shell/main_frame.h"

namespace kav::module {
namespace {

// Closing the frame deletes it; the pointer then reads null.
QPointer<CMainFrame> gFrame;

}  // namespace

void createWindow() {
  delete gFrame.data();
  gFrame = new CMainFrame(CKAV7420App::get().windowSession, &kav::pages::CreatePage);
}

void showWindow() {
  if (!gFrame) return;
  gFrame->show();
  gFrame->update();
}

void destroyWindow() { delete gFrame.data(); }

CMainFrame* mainWindow() { return gFrame.data(); }

bool routeTabKey() {
  QWidget* focus = QApplication::focusWidget();
  if (!gFrame || !focus || !gFrame->isAncestorOf(focus)) return false;
  // The key goes to the control with the focus as if typed, so Qt's own Tab
  // handling picks the next control that takes the focus.
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QApplication::sendEvent(focus, &tab);
  return true;
}

}  // namespace kav::module
