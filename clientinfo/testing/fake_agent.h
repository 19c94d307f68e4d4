// A tiny SNMPv1/v2c agent for tests, written without net-snmp so that it
// can answer what a real agent would not: answers that leave a table,
// repeat an identifier or go backwards, or no answer at all.  It runs on
// its own thread on a free loopback port and answers through a handler.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kav::clientinfo::testing {

using Oid = std::vector<uint32_t>;

struct FakeValue {
  uint8_t type = 0x05;        // BER tag: 0x02 integer, 0x04 octet string, 0x05 null, 0x06 OID, 0x82 endOfMibView ...
  std::vector<uint8_t> bytes; // contents (integers: big-endian two's complement, use Int())
  static FakeValue Int(long value);
  static FakeValue Str(const std::string& text);
  static FakeValue Octets(const std::vector<uint8_t>& bytes);
};

struct FakeBinding {
  Oid name;
  FakeValue value;
};

struct FakeRequest {
  int command = 0;  // 0xA0 get, 0xA1 get-next, 0xA3 set
  std::string community;
  std::vector<FakeBinding> bindings;
};

struct FakeResponse {
  bool silent = false;  // send nothing
  int errorStatus = 0;
  int errorIndex = 0;
  std::vector<FakeBinding> bindings;
};

class CFakeAgent {
 public:
  using Handler = std::function<FakeResponse(const FakeRequest&)>;
  explicit CFakeAgent(Handler handler);
  ~CFakeAgent();

  uint16_t Port() const { return m_port; }
  const std::string& Address() const { return m_address; }
  int Requests() const { return m_requests; }
  std::vector<FakeRequest> Log();

 private:
  void Run();

  Handler m_handler;
  std::string m_address = "127.0.0.1";
  uint16_t m_port = 0;
  int m_socket = -1;
  int m_wake[2] = {-1, -1};
  std::atomic<int> m_requests{0};
  std::mutex m_mutex;
  std::vector<FakeRequest> m_log;
  std::thread m_thread;
};

// A lexicographically ordered table served by get and get-next, the way an
// agent serves its MIB: get-next answers the first object after the asked one.
class CFakeMib {
 public:
  void Set(const Oid& name, FakeValue value);
  FakeResponse Answer(const FakeRequest& request) const;

 private:
  std::vector<FakeBinding> m_objects;  // sorted by name
};

Oid OidOf(const std::string& dotted);

}  // namespace kav::clientinfo::testing
