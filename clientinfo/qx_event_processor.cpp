#include "clientinfo/qx_event_processor.h"

#include <QSocketNotifier>

#include "clientinfo/qx_snmp_framework.h"

namespace kav::clientinfo {

CQxEventProcessor::CQxEventProcessor(QObject* parent) : QObject(parent) {
  setObjectName(QStringLiteral("Snmp EventProcessor"));
  m_timer.setInterval(kTickMs);
  connect(&m_timer, &QTimer::timeout, this, &CQxEventProcessor::Tick);
  m_timer.start();
}

CQxEventProcessor::~CQxEventProcessor() = default;

void CQxEventProcessor::Watch(int socket) {
  if (socket < 0 || m_notifiers.count(socket)) return;
  auto notifier = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
  connect(notifier.get(), &QSocketNotifier::activated, this, [this, socket] { Readable(socket); });
  m_notifiers[socket] = std::move(notifier);
}

void CQxEventProcessor::Unwatch(int socket) { m_notifiers.erase(socket); }

void CQxEventProcessor::Tick() {
  m_timer.stop();
  CQxSnmpFramework::ProcessPendingEvents();
  m_timer.start();
}

void CQxEventProcessor::Readable(int socket) {
  // Off while the answer is processed: a completion that pumps the event
  // loop must not re-enter the same net-snmp session.
  auto it = m_notifiers.find(socket);
  if (it == m_notifiers.end()) return;
  QSocketNotifier* notifier = it->second.get();
  notifier->setEnabled(false);
  CQxSnmpFramework::ReadSocket(socket);
  notifier->setEnabled(true);
}

}  // namespace kav::clientinfo
