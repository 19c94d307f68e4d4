// The records the host queries hand over, built from the library's.
#include "module/host_records.h"

#include <arpa/inet.h>

namespace kav::module {

const char* authenticationText(int code) {
  static const char* const kTexts[] = {"Open System",    "Shared Key",         "Both",
                                       "WPA-Personal",   "WPA-Enterprise",     "WPA2-Personal",
                                       "WPA2-Enterprise", "WPA2-AUTO-Personal", "WPA2-AUTO-Enterprise",
                                       "802.1x",         "Wep"};
  return code >= 1 && code <= 11 ? kTexts[code - 1] : nullptr;
}

const char* opModeText(int code) {
  static const char* const kTexts[] = {"Access Point", "WDS with AP", "WDS", "Wireless client", "AP Repeater"};
  return code >= 1 && code <= 5 ? kTexts[code - 1] : nullptr;
}

void fillBasicConfig(const AP_BASIC_CONFIG& r, BasicConfig* out) {
  out->band = r.band == 0 ? 1 : 2;
  out->bandText = r.band == 0 ? "2.4GHz" : "5GHz";
  out->authentication = r.authentication;
  out->authenticationText = authenticationText(r.authentication);
  out->opMode = r.opMode;
  out->opModeText = opModeText(r.opMode);
  out->ssid = r.ssid;
  out->channel = r.channel;
  out->full = r.full == 1 ? "full" : nullptr;
  out->fullFlag = r.full;
}

}  // namespace kav::module

namespace kav::module {

std::string dottedAddress(uint32_t networkOrder) {
  in_addr a{};
  a.s_addr = networkOrder;
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &a, text, sizeof text);
  return text;
}

}  // namespace kav::module
