#include "clientinfo/qx_exception.h"

#include <iterator>

namespace kav::clientinfo {
namespace {

// Error status 1..18 of a response: code -(100 + status).
const char* const kResponseTexts[] = {
    "(SNMP) Response PDU Too Big!",
    "(SNMP) Variable does not exist!",
    "(SNMP) Cannot modify variable: Bad Value!",
    "(SNMP) Cannot modify object, Read Only!",
    "(SNMP) Cannot perform operation, General Error!",
    "(SNMP) Cannot access variable, No Access!",
    "(SNMP) Cannot create/modify variable, Wrong Type!",
    "(SNMP) Cannot create/set variable, Wrong Length!",
    "(SNMP) Cannot create/set variable, Wrong Encoding!",
    "(SNMP) Cannot create/set variable, Wrong Value!",
    "(SNMP) Cannot create variable, Creation Not Allowed!",
    "(SNMP) Cannot create/set variable, Inconsistent Value!",
    "(SNMP) Cannot create/set variable, Resource Unavailable!",
    "(SNMP) Cannot create/set variable, Commit Failed!",
    "(SNMP) Cannot create/set variable, Undo Failed!",
    "(SNMP) Cannot perform operation, Authorization Error!",
    "(SNMP) Cannot create/set variable, Not Writable!",
    "(SNMP) Cannot create variable, Inconsistent Name!",
};

// SNMPv3 message processing: -201..-217.
const char* const kV3Texts[] = {
    "(SNMPv3) Unsupported Security Model!",
    "(SNMPv3) Message not in Time Window!",
    "(SNMPv3) Received same Message twice!",
    "(SNMPv3) Invalid Message!",
    "(SNMPv3) Invalid EngineID!",
    "(SNMPv3) v3MP not initialized!",
    "(SNMPv3) Parse Error!",
    "(SNMPv3) Received Message with unknown MsgID!",
    "(SNMPv3) Message does not match known message!",
    "(SNMPv3) Community format error!",
    "(SNMPv3) Unknown UserName!",
    "(SNMPv3) Build error!",
    "(SNMPv3) USM: error!",
    "(SNMPv3) Unknown pdu handlers!",
    "(SNMPv3) Unavailable Context!",
    "(SNMPv3) Unknown Context!",
    "(SNMPv3) Report sent!",
};

// SNMPv3 user security: -301..-314.
const char* const kUsmTexts[] = {
    "(SNMPv3USM) error!",
    "(SNMPv3USM) Configfile write error!",
    "(SNMPv3USM) Unsupported SecurityLevel!",
    "(SNMPv3USM) Unknown SecurityName!",
    "(SNMPv3USM) Encryption error!",
    "(SNMPv3USM) Decryption error!",
    "(SNMPv3USM) Authentication error!",
    "(SNMPv3USM) Authentication failure!",
    "(SNMPv3USM) Parse error!",
    "(SNMPv3USM) Unknown EngineID!",
    "(SNMPv3USM) Message not in TimeWindow!",
    "(SNMPv3USM) Unsupported AuthProtocol!",
    "(SNMPv3USM) Unsupported PrivProtocol!",
    "(SNMPv3USM) Address error!",
};

// The SNMP library: -401..-423.
const char* const kLibraryTexts[] = {
    "(SNMPClass) Operation failed!",
    "(SNMPClass) Resource unavailable!",
    "(SNMPClass) Internal error!",
    "(SNMPClass) Unsupported function!",
    "(SNMPClass) SNMP request timed out!",
    "(SNMPClass) Received SNMP Response!",
    "(SNMPClass) Received SNMP Notification (trap or inform)!",
    "(SNMPClass) Closing session with outstanding requests!",
    "(SNMPClass)Unknown error code!",
    "(SNMPClass) Class not valid!",
    "(SNMPClass) Invalid Pdu!",
    "(SNMPClass) Invalid Target!",
    "(SNMPClass) Invalid (null) Callback Function!",
    "(SNMPClass) Invalid Request Id!",
    "(SNMPClass) Invalid Notification Id!",
    "(SNMPClass) SNMP Operation not supported on specified Target!",
    "(SNMPClass) Invalid Object Identifier!",
    "(SNMPClass) Invalid Address!",
    "(SNMPClass) Agent indicates error in SNMP request!",
    "(SNMP Class) Transport is not supported!",
    "(SNMPClass) Transport is in use!",
    "(SNMPClass) Transport operation failed!",
    "(SNMPClass) Blocked Mode Shutdown!",
};

// The framework: position 0 is success, code -(500 + position).  The
// positions 16..27 belong to features this library does not have.
const char* const kFrameworkTexts[] = {
    "(DeVIRU++) Ok!",
    "(DeVIRU++) Fail to read SNMP variables from file([FILENAME])!",
    "(DeVIRU++) Bad format at line([LINENO])in SNMP variables file([FILENAME])!",
    "(DeVIRU++) Bad item type at line([LINENO])in SNMP variables file([FILENAME])!",
    "(DeVIRU++) Bad syntax at line([LINENO])in SNMP variables file([FILENAME])!",
    "(DeVIRU++) Bad access type at line([LINENO])in SNMP variables file([FILENAME])!",
    "(DeVIRU++) Cannot create the global DeVIRU++ session!",
    "(DeVIRU++) Error when loading SNMP engine boots counter!",
    "(DeVIRU++) Error when saving SNMP engine boots counter!",
    "(DeVIRU++) Invalid IP Address or DNS name!",
    "(DeVIRU++) Can't send get-next command for a SNMP variable list with single value!",
    "(DeVIRU++) Bad SNMP syntax!",
    "(DeVIRU++) Null value in the expression!",
    "(DeVIRU++) Bad SNMP syntax in the expression!",
    "(DeVIRU++) Bad key count of SNMP variable list!",
    "(DeVIRU++) Bad item type of SNMP variable list!",
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    "(DeVIRU++) Unknown error code!",
    "(DeVIRU++) Init the timer error!",
};

template <size_t N>
const char* Pick(const char* const (&texts)[N], int position) {
  return position >= 0 && position < static_cast<int>(N) ? texts[position] : nullptr;
}

const char* Lookup(int code) {
  if (code == 0) return kFrameworkTexts[0];
  if (code <= -101 && code >= -199) return Pick(kResponseTexts, -code - 101);
  if (code <= -201 && code >= -299) return Pick(kV3Texts, -code - 201);
  if (code <= -301 && code >= -399) return Pick(kUsmTexts, -code - 301);
  if (code <= -401 && code >= -499) return Pick(kLibraryTexts, -code - 401);
  if (code <= -501 && code >= -599) return Pick(kFrameworkTexts, -code - 500);
  return nullptr;
}

void ReplaceAll(std::string& text, const std::string& key, const std::string& value) {
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
    text.replace(at, key.size(), value);
}

}  // namespace

const char* CQXException::Text(int code) {
  const char* text = Lookup(code);
  return text ? text : kFrameworkTexts[28];
}

bool CQXException::Known(int code) { return Lookup(code) != nullptr; }

CQXException::CQXException(int code) : m_code(code), m_message(Text(code)) {}

CQXException::CQXException(int code, const std::string& fileName, int lineNo) : CQXException(code) {
  ReplaceAll(m_message, "[FILENAME]", fileName);
  ReplaceAll(m_message, "[LINENO]", std::to_string(lineNo));
}

}  // namespace kav::clientinfo
