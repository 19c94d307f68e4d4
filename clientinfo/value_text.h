// Conversions between SNMP values and the framework's value texts.
// AnswerText reads what a device sent, so it must hold for any bytes.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <string>
#include <vector>

#include "clientinfo/qx_snmp_types.h"

namespace kav::clientinfo {

inline constexpr const char* kNotDone = "(NOTDONE)";
inline constexpr const char* kNullText = "(NULL)";

// The value text of one answered variable by the descriptor's syntax:
// numbers in decimal, octet strings as upper-case hex, "(NULL)" for an
// empty answer (a display string stays empty, the hex syntaxes too), and
// for an integer with a value table the text of its pair.  A syntax
// without a text form raises -511.
std::string AnswerText(const QxVarDesc& desc, const netsnmp_variable_list& var);

// A value text turned into what a set sends.
struct QxEncodedValue {
  u_char type = ASN_NULL;
  std::vector<u_char> bytes;
};
// Raises -511 for a syntax that cannot be set, -512 for an empty number
// and -513 for a text that does not fit the syntax.
QxEncodedValue EncodeValue(const QxVarDesc& desc, const std::string& text);

}  // namespace kav::clientinfo
