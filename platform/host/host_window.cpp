#include "platform/host/host_window.h"

#include <QSettings>

#include "platform/win/messages.h"

namespace kav::host {

HostMessageWindow::HostMessageWindow() {
  setObjectName("OrvaneMessageWindow");
  setWindowTitle("Orvane");
}

bool HostMessageWindow::event(QEvent* e) {
  if (e->type() == win::CopyDataEvent::eventType()) {
    auto* cd = static_cast<win::CopyDataEvent*>(e);
    if (cd->word() == win::kCopyDataProgress && onProgressText)
      onProgressText(QString::fromLocal8Bit(cd->data()));
    return true;
  }
  if (e->type() == win::messageType(win::kMsgGetHomeFolder)) {
    QSettings s("Vorna", "Orvane");
    s.beginGroup("AdvanceSystem");
    s.setValue("homedir", homeFolder ? homeFolder() : s.value("homedir").toString());
    s.sync();
    static_cast<win::MessageEvent*>(e)->result = 1;
    return true;
  }
  if (e->type() == win::messageType(win::kMsgSetHomeFolder)) {
    QSettings s("Vorna", "Orvane");
    s.beginGroup("AdvanceSystem");
    if (moveHomeFolder) moveHomeFolder(s.value("homedir").toString());
    static_cast<win::MessageEvent*>(e)->result = 1;
    return true;
  }
  return QWidget::event(e);
}

HostMessageWindow* createHostWindows(QWidget* mainWindow) {
  auto* messages = new HostMessageWindow;
  if (!mainWindow) mainWindow = new QWidget;
  // A child with the window flag is still a top-level window of its own,
  // with the message window as its parent.
  mainWindow->setParent(messages, Qt::Window);
  mainWindow->setWindowTitle("Orvane2");
  return messages;
}

}  // namespace kav::host
