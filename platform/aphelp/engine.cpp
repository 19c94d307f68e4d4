#include "platform/aphelp/engine.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <arpa/inet.h>
#include <poll.h>
#include <sys/select.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstring>
#include <utility>

#include "platform/aphelp/include/KAV7420apHelp.h"

namespace kav::aphelp {
namespace {

SnmpEngine* gEngine = nullptr;

void* openSession(int (*callback)(int, netsnmp_session*, int, netsnmp_pdu*, void*), void* magic) {
  netsnmp_session s;
  snmp_sess_init(&s);
  // The peer given here is only where net-snmp opens its client socket from;
  // every PDU names its own destination.
  s.peername = const_cast<char*>("udp:127.0.0.1:161");
  s.version = SNMP_VERSION_2c;
  s.retries = 0;
  s.timeout = 1000000;
  s.callback = callback;
  s.callback_magic = magic;
  return snmp_sess_open(&s);
}

// Points pdu at target and fills in the community; false for a target that
// is no IPv4 address and port.
bool address(netsnmp_pdu* pdu, const Target& target, const std::string& community) {
  in_addr ip{};
  if (target.port <= 0 || target.port > 65535 || inet_pton(AF_INET, target.address.c_str(), &ip) != 1)
    return false;
  auto* pair = static_cast<netsnmp_indexed_addr_pair*>(calloc(1, sizeof(netsnmp_indexed_addr_pair)));
  pair->remote_addr.sin.sin_family = AF_INET;
  pair->remote_addr.sin.sin_port = htons(static_cast<uint16_t>(target.port));
  pair->remote_addr.sin.sin_addr = ip;
  free(pdu->transport_data);
  pdu->transport_data = pair;
  pdu->transport_data_length = sizeof(*pair);
  free(pdu->community);
  pdu->community = static_cast<u_char*>(netsnmp_memdup(community.data(), community.size() + 1));
  pdu->community_len = community.size();
  pdu->version = SNMP_VERSION_2c;
  return true;
}

void setTimeout(void* sess, int timeoutMs) {
  netsnmp_session* s = snmp_sess_session(sess);
  // A time-out of 0 or less (parameters never set) waits one second.
  s->timeout = (timeoutMs > 0 ? timeoutMs : 1000) * 1000L;
  s->retries = 0;
}

}  // namespace

SnmpEngine::SnmpEngine() = default;

SnmpEngine::~SnmpEngine() {
  for (auto& [id, r] : requests_)
    if (r.pdu) snmp_free_pdu(r.pdu);
  if (async_) snmp_sess_close(async_);
  if (sync_) snmp_sess_close(sync_);
}

int SnmpEngine::start() {
  if (gEngine) return AP_OK;
  if (!QCoreApplication::instance()) return AP_E_NOT_INIT;
  // Quiet and quick: no configuration files, no MIBs, no persistent state.
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_LOAD_HOST_FILES, 1);
  setenv("MIBS", "", 0);
  init_snmp("kav7420aphelp");
  auto* engine = new SnmpEngine;
  if (!engine->open()) {
    delete engine;
    return AP_E_SEND;
  }
  gEngine = engine;
  return AP_OK;
}

void SnmpEngine::stop() {
  // net-snmp itself stays initialised: other libraries of the process may use it.
  delete gEngine;
  gEngine = nullptr;
}

SnmpEngine* SnmpEngine::instance() { return gEngine; }

bool SnmpEngine::open() {
  async_ = openSession(&SnmpEngine::onPacket, this);
  sync_ = openSession(nullptr, nullptr);
  if (!async_ || !sync_) return false;
  netsnmp_transport* t = snmp_sess_transport(async_);
  if (!t || t->sock < 0) return false;
  notifier_ = new QSocketNotifier(t->sock, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &SnmpEngine::readSocket);
  timer_ = new QTimer(this);
  timer_->setSingleShot(true);
  timer_->setTimerType(Qt::PreciseTimer);
  connect(timer_, &QTimer::timeout, this, &SnmpEngine::timeOut);
  return true;
}

long SnmpEngine::sendAsync(const Target& target, const std::string& community, snmp_pdu* pdu,
                           Reply reply) {
  in_addr ip{};
  if (target.port <= 0 || target.port > 65535 || inet_pton(AF_INET, target.address.c_str(), &ip) != 1) {
    snmp_free_pdu(pdu);
    return AP_E_ADDRESS;
  }
  const long id = nextRequest_++;
  Request& r = requests_[id];
  r.target = target;
  r.community = community;
  r.pdu = pdu;
  r.reply = std::move(reply);
  if (sent_.size() >= kWindow) {
    waiting_.push_back(id);
    return id;
  }
  long rc = transmit(id, r);
  if (rc < 0) {
    requests_.erase(id);
    return rc;
  }
  rearm();
  return id;
}

long SnmpEngine::transmit(long id, Request& r) {
  snmp_pdu* pdu = std::exchange(r.pdu, nullptr);
  if (!address(pdu, r.target, r.community)) {
    snmp_free_pdu(pdu);
    return AP_E_ADDRESS;
  }
  setTimeout(async_, r.target.timeoutMs);
  long wire = snmp_sess_send(async_, pdu);
  if (wire == 0) {
    snmp_free_pdu(pdu);
    return AP_E_SEND;
  }
  r.wireId = wire;
  sent_[wire] = id;
  return wire;
}

void SnmpEngine::sendWaiting() {
  while (sent_.size() < kWindow && !waiting_.empty()) {
    long id = waiting_.front();
    waiting_.pop_front();
    auto it = requests_.find(id);
    if (it == requests_.end()) continue;  // cancelled while waiting
    if (transmit(id, it->second) < 0) {
      // It cannot go out at all: it fails like a request that got no answer.
      Reply reply = std::move(it->second.reply);
      requests_.erase(it);
      reply(AP_E_SEND, nullptr);
    }
  }
}

void SnmpEngine::cancel(long request) {
  auto it = requests_.find(request);
  if (it == requests_.end()) return;
  if (it->second.pdu) snmp_free_pdu(it->second.pdu);
  if (it->second.wireId) sent_.erase(it->second.wireId);
  requests_.erase(it);
}

int SnmpEngine::sendSync(const Target& target, const std::string& community, snmp_pdu* pdu,
                         snmp_pdu** answer) {
  *answer = nullptr;
  if (!address(pdu, target, community)) {
    snmp_free_pdu(pdu);
    return AP_E_ADDRESS;
  }
  setTimeout(sync_, target.timeoutMs);
  // The synchronous call frees the request in every case.
  int stat = snmp_sess_synch_response(sync_, pdu, answer);
  if (stat == STAT_SUCCESS && *answer) return AP_OK;
  if (*answer) {
    snmp_free_pdu(*answer);
    *answer = nullptr;
  }
  return stat == STAT_TIMEOUT ? AP_E_TIMEOUT : AP_E_SEND;
}

void SnmpEngine::defer(std::function<void()> work) {
  deferred_.push_back(std::move(work));
  if (!draining_ && !drainPosted_) {
    drainPosted_ = true;
    QMetaObject::invokeMethod(this, [this] {
      drainPosted_ = false;
      drain();
    }, Qt::QueuedConnection);
  }
}

int SnmpEngine::onPacket(int op, netsnmp_session*, int reqid, netsnmp_pdu* pdu, void* magic) {
  auto* self = static_cast<SnmpEngine*>(magic);
  auto sent = self->sent_.find(reqid);
  if (sent == self->sent_.end()) return 1;  // cancelled, or not ours
  auto it = self->requests_.find(sent->second);
  self->sent_.erase(sent);
  if (it == self->requests_.end()) return 1;
  Reply reply = std::move(it->second.reply);
  self->requests_.erase(it);
  // The reply may send the next request of its transfer (net-snmp allows
  // that from here); completions meant for callers are deferred by it.
  if (op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE)
    reply(AP_OK, pdu);
  else if (op == NETSNMP_CALLBACK_OP_TIMED_OUT)
    reply(AP_E_TIMEOUT, nullptr);
  else
    reply(AP_E_SEND, nullptr);
  self->sendWaiting();
  return 1;
}

void SnmpEngine::readSocket() {
  netsnmp_transport* t = snmp_sess_transport(async_);
  draining_ = true;
  // Read every datagram that is waiting, not one per wake-up: with many
  // devices answering at once this saves a trip through the event loop each.
  for (;;) {
    pollfd p{t->sock, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN)) break;
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(t->sock, &fds);
    snmp_sess_read(async_, &fds);
  }
  draining_ = false;
  drain();
  rearm();
}

void SnmpEngine::timeOut() {
  draining_ = true;
  snmp_sess_timeout(async_);
  draining_ = false;
  drain();
  rearm();
}

void SnmpEngine::drain() {
  // Completions may start new requests or close handles; take the queue
  // first so that work they defer runs in the same pass, in order.
  draining_ = true;
  while (!deferred_.empty()) {
    auto work = std::move(deferred_);
    deferred_.clear();
    for (auto& w : work) w();
  }
  draining_ = false;
}

void SnmpEngine::rearm() {
  int fds = 0, block = 1;
  fd_set set;
  FD_ZERO(&set);
  timeval tv{};
  snmp_sess_select_info(async_, &fds, &set, &tv, &block);
  if (block) {
    timer_->stop();
    return;
  }
  long ms = tv.tv_sec * 1000L + (tv.tv_usec + 999) / 1000;
  timer_->start(static_cast<int>(ms));
}

}  // namespace kav::aphelp
