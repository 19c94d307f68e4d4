#include "clientinfo/snmp_channel.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/select.h>

#include <cstring>

#include "clientinfo/qx_exception.h"
#include "clientinfo/snmp_result_map.h"

namespace kav::clientinfo {
namespace {

long NetSnmpVersion(int32_t code) {
  if (code == 0) return SNMP_VERSION_1;
  if (code == 3) return SNMP_VERSION_3;
  return SNMP_VERSION_2c;
}

bool ValidAddress(const std::string& address) {
  if (address.empty()) return false;
  in_addr a{};
  if (inet_pton(AF_INET, address.c_str(), &a) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(address.c_str(), nullptr, &hints, &found) != 0) return false;
  freeaddrinfo(found);
  return true;
}

// net-snmp keeps every SNMPv3 user it has met, with its keys, and a new
// session of the same name would go on with the old keys: forget them, so
// that changed passwords count.
void ForgetUser(const std::string& name) {
  for (struct usmUser* user = usm_get_userList(); user;) {
    struct usmUser* next = user->next;
    if (user->name && name == user->name) {
      usm_remove_user(user);
      usm_free_user(user);
    }
    user = next;
  }
}

// The SNMPv3 user of a target; keys come from the passwords.
void SetUpUser(netsnmp_session& s, const QxSessionSettings& t) {
  ForgetUser(t.securityName);
  s.securityName = const_cast<char*>(t.securityName.c_str());
  s.securityNameLen = t.securityName.size();
  s.contextName = const_cast<char*>(t.contextName.c_str());
  s.contextNameLen = t.contextName.size();
  s.securityModel = SNMP_SEC_MODEL_USM;
  s.securityLevel = t.securityLevel == 3   ? SNMP_SEC_LEVEL_AUTHPRIV
                    : t.securityLevel == 2 ? SNMP_SEC_LEVEL_AUTHNOPRIV
                                           : SNMP_SEC_LEVEL_NOAUTH;
  if (s.securityLevel != SNMP_SEC_LEVEL_NOAUTH) {
    const oid* proto = t.authProtocol == 2 ? usmHMACMD5AuthProtocol : usmHMACSHA1AuthProtocol;
    size_t protoLen = t.authProtocol == 2 ? OID_LENGTH(usmHMACMD5AuthProtocol) : OID_LENGTH(usmHMACSHA1AuthProtocol);
    s.securityAuthProto = snmp_duplicate_objid(proto, protoLen);
    s.securityAuthProtoLen = protoLen;
    s.securityAuthKeyLen = USM_AUTH_KU_LEN;
    if (generate_Ku(s.securityAuthProto, static_cast<u_int>(s.securityAuthProtoLen),
                    reinterpret_cast<const u_char*>(t.authPassword.data()), t.authPassword.size(),
                    s.securityAuthKey, &s.securityAuthKeyLen) != SNMPERR_SUCCESS)
      throw CQXException(-307);
  }
  if (s.securityLevel == SNMP_SEC_LEVEL_AUTHPRIV) {
#ifndef NETSNMP_DISABLE_DES
    const oid* proto = t.privProtocol == 2 ? usmDESPrivProtocol : usmAESPrivProtocol;
    size_t protoLen = t.privProtocol == 2 ? OID_LENGTH(usmDESPrivProtocol) : OID_LENGTH(usmAESPrivProtocol);
#else
    const oid* proto = usmAESPrivProtocol;
    size_t protoLen = OID_LENGTH(usmAESPrivProtocol);
#endif
    s.securityPrivProto = snmp_duplicate_objid(proto, protoLen);
    s.securityPrivProtoLen = protoLen;
    s.securityPrivKeyLen = USM_PRIV_KU_LEN;
    if (generate_Ku(s.securityAuthProto, static_cast<u_int>(s.securityAuthProtoLen),
                    reinterpret_cast<const u_char*>(t.privPassword.data()), t.privPassword.size(),
                    s.securityPrivKey, &s.securityPrivKeyLen) != SNMPERR_SUCCESS)
      throw CQXException(-305);
  }
}

}  // namespace

std::string QxSessionSettings::ChannelKey() const {
  std::string key = address + ":" + std::to_string(port) + "/" + std::to_string(NetSnmpVersion(version));
  if (NetSnmpVersion(version) == SNMP_VERSION_3)
    key += "/" + securityName + "/" + contextName + "/" + std::to_string(securityLevel) + "/" +
           std::to_string(authProtocol) + "/" + std::to_string(privProtocol) + "/" + authPassword + "/" +
           privPassword;
  return key;
}

std::unique_ptr<CSnmpChannel> CSnmpChannel::Open(const QxSessionSettings& target) {
  if (target.port == 0 || !ValidAddress(target.address)) throw CQXException(qx::kBadAddress);
  netsnmp_session s;
  snmp_sess_init(&s);
  std::string peer = "udp:" + target.address + ":" + std::to_string(target.port);
  s.peername = peer.data();
  s.version = NetSnmpVersion(target.version);
  if (s.version == SNMP_VERSION_3) {
    SetUpUser(s, target);
  } else {
    // The community of each request is set in its PDU.
    s.community = reinterpret_cast<u_char*>(const_cast<char*>(target.readCommunity.c_str()));
    s.community_len = target.readCommunity.size();
  }
  void* session = snmp_sess_open(&s);
  SNMP_FREE(s.securityAuthProto);  // snmp_sess_open keeps copies
  SNMP_FREE(s.securityPrivProto);
  if (!session) {
    int libError = s.s_snmp_errno;
    if (libError == SNMPERR_BAD_ADDRESS) throw CQXException(qx::kBadAddress);
    throw CQXException(MapSnmpResult(SnmpOutcome::LibraryError, libError));
  }
  std::unique_ptr<CSnmpChannel> channel(new CSnmpChannel(session));
  if (s.version == SNMP_VERSION_3) channel->m_userName = target.securityName;
  return channel;
}

CSnmpChannel::~CSnmpChannel() { snmp_sess_close(m_session); }

int CSnmpChannel::Socket() const {
  netsnmp_transport* transport = snmp_sess_transport(m_session);
  return transport ? transport->sock : -1;
}

void CSnmpChannel::Apply(netsnmp_pdu* pdu, const QxSessionSettings& target, bool write) {
  netsnmp_session* s = snmp_sess_session(m_session);
  s->timeout = static_cast<long>(target.timeout > 0 ? target.timeout : 0) * 10000L;
  s->retries = target.retries > 0 ? target.retries : 0;
  if (s->version != SNMP_VERSION_3) {
    const std::string& community = write ? target.writeCommunity : target.readCommunity;
    pdu->community = static_cast<u_char*>(malloc(community.size() + 1));
    std::memcpy(pdu->community, community.c_str(), community.size() + 1);
    pdu->community_len = community.size();
  }
}

bool CSnmpChannel::SendAsync(netsnmp_pdu* pdu, const QxSessionSettings& target, bool write,
                             netsnmp_callback callback, void* magic, int* libError) {
  Apply(pdu, target, write);
  if (snmp_sess_async_send(m_session, pdu, callback, magic) != 0) {
    ++m_outstanding;
    return true;
  }
  int cerr = 0, serr = 0;
  char* text = nullptr;
  snmp_sess_error(m_session, &cerr, &serr, &text);
  SNMP_FREE(text);
  *libError = serr ? serr : SNMPERR_GENERR;
  return false;
}

int CSnmpChannel::SendSync(netsnmp_pdu* pdu, const QxSessionSettings& target, bool write, netsnmp_pdu** response,
                           int* libError) {
  Apply(pdu, target, write);
  *response = nullptr;
  int status = snmp_sess_synch_response(m_session, pdu, response);
  if (status == STAT_ERROR) {
    int cerr = 0, serr = 0;
    char* text = nullptr;
    snmp_sess_error(m_session, &cerr, &serr, &text);
    SNMP_FREE(text);
    *libError = serr ? serr : SNMPERR_GENERR;
  }
  if (status != STAT_SUCCESS && *response) {
    snmp_free_pdu(*response);
    *response = nullptr;
  }
  return status;
}

void CSnmpChannel::Read() {
  if (m_busy) return;
  int fd = Socket();
  if (fd < 0 || fd >= FD_SETSIZE) return;
  // One datagram, if one is waiting.  A completion usually sends the next
  // request; reading on in a loop would run a whole walk inside one event
  // and keep the event loop from everything else meanwhile.
  fd_set set;
  FD_ZERO(&set);
  FD_SET(fd, &set);
  timeval now{0, 0};
  if (select(fd + 1, &set, nullptr, nullptr, &now) <= 0) return;
  m_busy = true;
  snmp_sess_read(m_session, &set);
  m_busy = false;
}

void CSnmpChannel::Timeouts() {
  if (m_busy) return;
  m_busy = true;
  snmp_sess_timeout(m_session);
  m_busy = false;
}

}  // namespace kav::clientinfo
