// Where asynchronous answers are processed: on the thread that created
// the processor (the Qt event loop's), never two at once.  A 20 ms timer
// runs the framework's pending events (time-outs and resends, and any
// answer not yet read); each channel's socket is also watched so that an
// answer is processed as soon as its datagram arrives instead of waiting
// for the next tick.
#pragma once

#include <QObject>
#include <QTimer>

#include <map>
#include <memory>

class QSocketNotifier;

namespace kav::clientinfo {

class CQxEventProcessor : public QObject {
  Q_OBJECT
 public:
  static constexpr int kTickMs = 20;
  explicit CQxEventProcessor(QObject* parent = nullptr);
  ~CQxEventProcessor() override;

  void Watch(int socket);
  void Unwatch(int socket);
  bool Running() const { return m_timer.isActive(); }

 private:
  void Tick();
  void Readable(int socket);

  QTimer m_timer;
  std::map<int, std::unique_ptr<QSocketNotifier>> m_notifiers;
};

}  // namespace kav::clientinfo
