#include "clientinfo/client_objects.h"

namespace kav::clientinfo {
namespace {

const QxValuePair kRefreshValues[] = {{0, "nothing"}, {1, "get"}, {0, nullptr}};
const QxValuePair kBandValues[] = {{0, "2.4GHz"}, {1, "5GHz"}, {0, nullptr}};
const QxValuePair kAuthenticationValues[] = {
    {1, "OPEN"},
    {2, "Shared Key"},
    {3, "opensystem-sharedkey"},
    {4, "WPA-Personal"},
    {5, "WPA-Enterprise"},
    {6, "WPA2-Personal"},
    {7, "WPA2-Enterprise"},
    {8, "WPA-Auto-Personal"},
    {9, "WPA-Auto-Enterprise"},
    {10, "802.1X/WEP"},
    {11, "WEP"},
    {0, nullptr},
};
const QxValuePair kPowerSaveValues[] = {{0, "Off"}, {1, "On"}, {0, nullptr}};

}  // namespace

const QxVarDesc kClientRefreshVars[] = {
    {"1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.1.1.1.1", "dot11ClientInformationRefresh", kSynInteger, kAccReadWrite,
     kRefreshValues, {}},
    {},
};

const QxVarDesc kClientTableVars[] = {
    {"1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.2", "dot11ClientMacAddress", kSynMacAddress, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.3", "dot11ClientBand", kSynInteger, kAccReadOnly, kBandValues, {}},
    {"1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.4", "dot11ClientAuthentication", kSynInteger, kAccReadOnly,
     kAuthenticationValues, {}},
    {"1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.5", "dot11ClientRssi", kSynInteger, kAccReadOnly, nullptr, {}},
    {"1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.6", "dot11ClientPsm", kSynInteger, kAccReadOnly, kPowerSaveValues, {}},
    {"1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.7", "dot11SSIDIndex", kSynDisplayStr, kAccReadOnly, nullptr, {}},
    {},
};

const QxVarDesc kDeviceBandVars[] = {
    {"1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.34.1", "dot11Band", kSynInteger, kAccReadWrite, kBandValues, {}},
    {},
};

}  // namespace kav::clientinfo
