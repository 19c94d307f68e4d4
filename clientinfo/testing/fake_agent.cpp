#include "clientinfo/testing/fake_agent.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace kav::clientinfo::testing {
namespace {

using Bytes = std::vector<uint8_t>;

struct Reader {
  const uint8_t* p;
  const uint8_t* end;
  bool ok = true;

  // Reads one TLV; returns its tag and sets body to its contents.
  int Next(Reader& body) {
    if (end - p < 2) return ok = false, -1;
    int tag = *p++;
    size_t length = *p++;
    if (length & 0x80) {
      int n = length & 0x7f;
      if (n > 3 || end - p < n) return ok = false, -1;
      length = 0;
      while (n--) length = length << 8 | *p++;
    }
    if (static_cast<size_t>(end - p) < length) return ok = false, -1;
    body = Reader{p, p + length};
    p += length;
    return tag;
  }
  long Integer() {
    Reader body{nullptr, nullptr};
    if (Next(body) != 0x02) return ok = false, 0;
    long value = body.p < body.end && (*body.p & 0x80) ? -1 : 0;
    for (const uint8_t* q = body.p; q < body.end; ++q) value = value << 8 | *q;
    return value;
  }
};

Oid DecodeOid(const uint8_t* p, const uint8_t* end) {
  Oid oid;
  uint32_t value = 0;
  bool first = true;
  for (; p < end; ++p) {
    value = value << 7 | (*p & 0x7f);
    if (*p & 0x80) continue;
    if (first) {
      oid.push_back(value < 80 ? value / 40 : 2);
      oid.push_back(value < 80 ? value % 40 : value - 80);
      first = false;
    } else {
      oid.push_back(value);
    }
    value = 0;
  }
  return oid;
}

void PutLength(Bytes& out, size_t length) {
  if (length < 0x80) {
    out.push_back(static_cast<uint8_t>(length));
  } else if (length < 0x100) {
    out.push_back(0x81);
    out.push_back(static_cast<uint8_t>(length));
  } else {
    out.push_back(0x82);
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.push_back(static_cast<uint8_t>(length));
  }
}

Bytes Tlv(int tag, const Bytes& body) {
  Bytes out{static_cast<uint8_t>(tag)};
  PutLength(out, body.size());
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes IntBody(long value) {
  Bytes out;
  for (int shift = 56; shift > 0; shift -= 8) {
    uint8_t byte = static_cast<uint8_t>(value >> shift);
    uint8_t next = static_cast<uint8_t>(value >> (shift - 8));
    if (out.empty() && ((byte == 0 && !(next & 0x80)) || (byte == 0xff && (next & 0x80)))) continue;
    out.push_back(byte);
  }
  out.push_back(static_cast<uint8_t>(value));
  return out;
}

Bytes OidBody(const Oid& oid) {
  Bytes out;
  if (oid.size() < 2) return {0};
  auto put = [&](uint32_t v) {
    uint8_t tmp[5];
    int n = 0;
    do {
      tmp[n++] = v & 0x7f;
      v >>= 7;
    } while (v);
    while (n--) out.push_back(static_cast<uint8_t>(tmp[n] | (n ? 0x80 : 0)));
  };
  put(oid[0] * 40 + oid[1]);
  for (size_t i = 2; i < oid.size(); ++i) put(oid[i]);
  return out;
}

bool Parse(const uint8_t* data, size_t size, long& version, FakeRequest& request, long& requestId) {
  Reader top{data, data + size};
  Reader message{nullptr, nullptr};
  if (top.Next(message) != 0x30) return false;
  version = message.Integer();
  Reader community{nullptr, nullptr};
  if (message.Next(community) != 0x04) return false;
  request.community.assign(community.p, community.end);
  Reader pdu{nullptr, nullptr};
  request.command = message.Next(pdu);
  requestId = pdu.Integer();
  pdu.Integer();
  pdu.Integer();
  Reader list{nullptr, nullptr};
  if (pdu.Next(list) != 0x30) return false;
  while (list.p < list.end && list.ok) {
    Reader binding{nullptr, nullptr}, name{nullptr, nullptr}, value{nullptr, nullptr};
    if (list.Next(binding) != 0x30 || binding.Next(name) != 0x06) return false;
    FakeBinding b;
    b.name = DecodeOid(name.p, name.end);
    b.value.type = static_cast<uint8_t>(binding.Next(value));
    b.value.bytes.assign(value.p, value.end);
    request.bindings.push_back(std::move(b));
  }
  return message.ok && pdu.ok && list.ok;
}

Bytes Build(long version, const std::string& community, long requestId, const FakeResponse& response) {
  Bytes list;
  for (const FakeBinding& b : response.bindings) {
    Bytes binding = Tlv(0x06, OidBody(b.name));
    Bytes value = Tlv(b.value.type, b.value.bytes);
    binding.insert(binding.end(), value.begin(), value.end());
    Bytes wrapped = Tlv(0x30, binding);
    list.insert(list.end(), wrapped.begin(), wrapped.end());
  }
  Bytes pdu = Tlv(0x02, IntBody(requestId));
  for (const Bytes& part : {Tlv(0x02, IntBody(response.errorStatus)), Tlv(0x02, IntBody(response.errorIndex)),
                            Tlv(0x30, list)})
    pdu.insert(pdu.end(), part.begin(), part.end());
  Bytes message = Tlv(0x02, IntBody(version));
  Bytes c = Tlv(0x04, Bytes(community.begin(), community.end()));
  message.insert(message.end(), c.begin(), c.end());
  Bytes p = Tlv(0xA2, pdu);
  message.insert(message.end(), p.begin(), p.end());
  return Tlv(0x30, message);
}

}  // namespace

FakeValue FakeValue::Int(long value) { return {0x02, IntBody(value)}; }
FakeValue FakeValue::Str(const std::string& text) { return {0x04, Bytes(text.begin(), text.end())}; }
FakeValue FakeValue::Octets(const std::vector<uint8_t>& bytes) { return {0x04, bytes}; }

Oid OidOf(const std::string& dotted) {
  Oid oid;
  size_t start = dotted[0] == '.' ? 1 : 0;
  while (start < dotted.size()) {
    size_t dot = dotted.find('.', start);
    oid.push_back(static_cast<uint32_t>(std::stoul(dotted.substr(start, dot - start))));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return oid;
}

CFakeAgent::CFakeAgent(Handler handler) : m_handler(std::move(handler)) {
  m_socket = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (m_socket < 0 || bind(m_socket, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
    throw std::runtime_error("fake agent: cannot bind");
  socklen_t length = sizeof a;
  getsockname(m_socket, reinterpret_cast<sockaddr*>(&a), &length);
  m_port = ntohs(a.sin_port);
  if (pipe(m_wake) != 0) throw std::runtime_error("fake agent: pipe");
  m_thread = std::thread([this] { Run(); });
}

CFakeAgent::~CFakeAgent() {
  char byte = 0;
  (void)!write(m_wake[1], &byte, 1);
  m_thread.join();
  close(m_socket);
  close(m_wake[0]);
  close(m_wake[1]);
}

std::vector<FakeRequest> CFakeAgent::Log() {
  std::lock_guard lock(m_mutex);
  return m_log;
}

void CFakeAgent::Run() {
  uint8_t buffer[65536];
  for (;;) {
    pollfd fds[2] = {{m_socket, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    ssize_t n = recvfrom(m_socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n <= 0) continue;
    long version = 0, requestId = 0;
    FakeRequest request;
    if (!Parse(buffer, static_cast<size_t>(n), version, request, requestId)) continue;
    ++m_requests;
    {
      std::lock_guard lock(m_mutex);
      m_log.push_back(request);
    }
    FakeResponse response = m_handler(request);
    if (response.silent) continue;
    Bytes packet = Build(version, request.community, requestId, response);
    sendto(m_socket, packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&from), fromLength);
  }
}

void CFakeMib::Set(const Oid& name, FakeValue value) {
  auto it = std::lower_bound(m_objects.begin(), m_objects.end(), name,
                             [](const FakeBinding& b, const Oid& n) { return b.name < n; });
  if (it != m_objects.end() && it->name == name) {
    it->value = std::move(value);
  } else {
    m_objects.insert(it, FakeBinding{name, std::move(value)});
  }
}

FakeResponse CFakeMib::Answer(const FakeRequest& request) const {
  FakeResponse response;
  int index = 0;
  for (const FakeBinding& asked : request.bindings) {
    ++index;
    if (request.command == 0xA1) {
      auto it = std::upper_bound(m_objects.begin(), m_objects.end(), asked.name,
                                 [](const Oid& n, const FakeBinding& b) { return n < b.name; });
      if (it == m_objects.end()) return FakeResponse{false, 2, index, request.bindings};
      response.bindings.push_back(*it);
    } else if (request.command == 0xA3) {
      response.bindings.push_back(asked);
    } else {
      auto it = std::find_if(m_objects.begin(), m_objects.end(), [&](const FakeBinding& b) { return b.name == asked.name; });
      if (it == m_objects.end()) return FakeResponse{false, 2, index, request.bindings};
      response.bindings.push_back(*it);
    }
  }
  return response;
}

}  // namespace kav::clientinfo::testing
