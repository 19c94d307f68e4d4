// Window messages between the module, its pages and the host, carried as
// Qt events.  A message number n travels as event type QEvent::User + n;
// sendMessage waits for the receiver like a direct call and returns the
// result the receiver stored, postMessage queues it.
#pragma once

#include <QByteArray>
#include <QEvent>
#include <cstdint>

class QObject;
class QWidget;

namespace kav::win {

// Message numbers used between the module and the host window.
inline constexpr int kMsgGetHomeFolder = 1231;  // host writes its FTP home folder into the settings
inline constexpr int kMsgSetHomeFolder = 1232;  // host moves its FTP server to the stored home folder
inline constexpr int kMsgCopyData = 0x004A;     // progress text for the host's log
inline constexpr uint32_t kCopyDataProgress = 3005;

QEvent::Type messageType(int msg);

class MessageEvent : public QEvent {
 public:
  MessageEvent(int msg, intptr_t wParam = 0, intptr_t lParam = 0);
  int message() const { return msg_; }
  intptr_t wParam() const { return wParam_; }
  intptr_t lParam() const { return lParam_; }
  intptr_t result = 0;

 private:
  int msg_;
  intptr_t wParam_;
  intptr_t lParam_;
};

// The copy-data message: a data word and the bytes it carries.
class CopyDataEvent : public QEvent {
 public:
  CopyDataEvent(uint32_t word, QByteArray data);
  uint32_t word() const { return word_; }
  const QByteArray& data() const { return data_; }
  static QEvent::Type eventType();

 private:
  uint32_t word_;
  QByteArray data_;
};

intptr_t sendMessage(QObject* receiver, int msg, intptr_t wParam = 0, intptr_t lParam = 0);
void postMessage(QObject* receiver, int msg, intptr_t wParam = 0, intptr_t lParam = 0);

// The host's top-level window titled "Orvane2", or null.
QWidget* findHostWindow();
// The window that takes the host's messages: the parent of "Orvane2", or
// the window itself when it has no parent; null when there is no host window.
QWidget* hostMessageWindow();

// Sends a progress text to the host window (copy-data, word 3005): the
// text's bytes without a terminator.  Returns false when no host window exists.
bool sendProgressText(const QByteArray& text);

}  // namespace kav::win
