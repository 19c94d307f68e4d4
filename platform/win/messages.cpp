#include "messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>

namespace kav::win {

QEvent::Type messageType(int msg) { return static_cast<QEvent::Type>(QEvent::User + msg); }

MessageEvent::MessageEvent(int msg, intptr_t wParam, intptr_t lParam)
    : QEvent(messageType(msg)), msg_(msg), wParam_(wParam), lParam_(lParam) {}

CopyDataEvent::CopyDataEvent(uint32_t word, QByteArray data)
    : QEvent(eventType()), word_(word), data_(std::move(data)) {}

QEvent::Type CopyDataEvent::eventType() { return messageType(kMsgCopyData); }

intptr_t sendMessage(QObject* receiver, int msg, intptr_t wParam, intptr_t lParam) {
  if (!receiver) return 0;
  MessageEvent ev(msg, wParam, lParam);
  QCoreApplication::sendEvent(receiver, &ev);
  return ev.result;
}

void postMessage(QObject* receiver, int msg, intptr_t wParam, intptr_t lParam) {
  if (!receiver) return;
  QCoreApplication::postEvent(receiver, new MessageEvent(msg, wParam, lParam));
}

QWidget* findHostWindow() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->windowTitle() == QLatin1String("Orvane2")) return w;
  return nullptr;
}

QWidget* hostMessageWindow() {
  QWidget* host = findHostWindow();
  if (!host) return nullptr;
  return host->parentWidget() ? host->parentWidget() : host;
}

bool sendProgressText(const QByteArray& text) {
  QWidget* target = hostMessageWindow();
  if (!target) return false;
  CopyDataEvent ev(kCopyDataProgress, text);
  QCoreApplication::sendEvent(target, &ev);
  return true;
}

}  // namespace kav::win
