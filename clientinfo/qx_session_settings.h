// Where and how a framework session talks: the target of its requests.
// The framework keeps one set as defaults and copies it into every new
// session; every request takes a copy, so re-targeting a session never
// redirects a request in flight.
#pragma once

#include <cstdint>
#include <string>

namespace kav::clientinfo {

struct QxSessionSettings {
  std::string address = "127.0.0.1";
  uint16_t port = 161;
  int32_t version = 0;  // 0 SNMPv1, 3 SNMPv3, any other code a community target of SNMPv2c
  std::string readCommunity = "gadfly";
  std::string writeCommunity = "zephyrs";
  // SNMPv3
  int32_t securityModel = 1;
  int32_t securityLevel = 1;  // 1 noAuthNoPriv, 2 authNoPriv, 3 authPriv
  int32_t authProtocol = 1;   // 1 none, 2 HMAC-MD5, 3 HMAC-SHA
  int32_t privProtocol = 1;   // 1 none, 2 DES, 3 AES-128
  std::string securityName;
  std::string contextName;
  std::string contextEngine;
  std::string authPassword;
  std::string privPassword;
  int32_t timeout = 100;  // hundredths of a second per try
  int32_t retries = 1;    // tries after the first

  // Requests to the same channel key share one socket.
  std::string ChannelKey() const;
};

}  // namespace kav::clientinfo
