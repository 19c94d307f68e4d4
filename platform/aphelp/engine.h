// The SNMP engine of the device access library: net-snmp underneath, the Qt
// event loop on top.
//
// Asynchronous requests share one UDP socket: each PDU carries its own
// destination, so any number of devices can be asked at once without a
// socket per device.  Answers are read when the socket becomes readable
// (a QSocketNotifier) and time-outs fire from a QTimer, both on the thread
// of the event loop.  Synchronous requests use a second socket, so a
// blocking request never consumes, or delivers, the answers of
// asynchronous ones.
#pragma once

#include <QObject>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct snmp_pdu;
struct snmp_session;
class QSocketNotifier;
class QTimer;

namespace kav::aphelp {

// Where one request goes; copied from its session when the request starts.
struct Target {
  std::string address;
  int port = 161;
  std::string readCommunity;
  std::string writeCommunity;
  int timeoutMs = 1000;
};

class SnmpEngine : public QObject {
 public:
  // status 0 with the device's answer, or AP_E_TIMEOUT / AP_E_SEND without.
  // The answer belongs to the engine and lives only during the call.
  using Reply = std::function<void(int status, snmp_pdu* answer)>;

  static int start();  // AP_OK or an error code
  static void stop();
  static SnmpEngine* instance();  // null while stopped

  // Sends pdu (taken over in every case) to target with the given community.
  // Returns a request number > 0, or an error code (the reply is then never
  // called).  The reply runs later, from the event loop.
  long sendAsync(const Target& target, const std::string& community, snmp_pdu* pdu, Reply reply);
  // Forgets a request in flight: its reply will not be called.
  void cancel(long request);
  // Sends pdu (taken over) and waits for the answer; on success *answer
  // receives it and the caller frees it with snmp_free_pdu.
  int sendSync(const Target& target, const std::string& community, snmp_pdu* pdu, snmp_pdu** answer);

  // Work queued to run from the event loop after the current processing,
  // such as completions of requests that failed before anything was sent.
  void defer(std::function<void()> work);

  size_t inFlight() const { return sent_.size(); }

  // Requests on the wire at once.  More wait in a queue: answers to a burst
  // of requests arrive together on the one socket, and a window keeps them
  // within its receive buffer instead of losing some to overflow.
  static constexpr size_t kWindow = 128;

 private:
  SnmpEngine();
  ~SnmpEngine() override;
  bool open();
  void readSocket();
  void timeOut();
  void rearm();
  void drain();
  static int onPacket(int op, ::snmp_session* session, int reqid, snmp_pdu* pdu, void* magic);

  void* async_ = nullptr;  // net-snmp single session for asynchronous requests
  void* sync_ = nullptr;   // and for synchronous ones
  QSocketNotifier* notifier_ = nullptr;
  QTimer* timer_ = nullptr;
  struct Request {
    Target target;
    std::string community;
    snmp_pdu* pdu = nullptr;  // until sent
    Reply reply;
    long wireId = 0;  // net-snmp's request id once sent
  };
  long transmit(long id, Request& r);  // sends r; its net-snmp id, or an error code
  void sendWaiting();
  std::unordered_map<long, Request> requests_;  // by our request number
  std::unordered_map<long, long> sent_;          // net-snmp id to our number
  std::deque<long> waiting_;                     // numbers not yet sent, in order
  long nextRequest_ = 1;
  std::vector<std::function<void()>> deferred_;
  bool draining_ = false;
  bool drainPosted_ = false;
};

}  // namespace kav::aphelp
