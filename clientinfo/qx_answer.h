// What a request asked and how its answer fills the variable list: value
// texts, "(NOTDONE)" for a walked variable that left its subtree, and the
// end-of-walk flag.  This is the part that reads device answers.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <string>
#include <vector>

#include "clientinfo/qx_var_list.h"

namespace kav::clientinfo {

// The result record a completion receives.
struct QxSnmpResult {
  int status = 0;        // framework code, 0 success
  std::string message;   // its catalogue text
  std::string address;   // device address of the request
  std::string extra;     // the request kind: "Get", "Set" or "Walk"
  bool endOfWalk = false;
};

struct QxRequestShape {
  int command = SNMP_MSG_GET;  // SNMP_MSG_GET, SNMP_MSG_GETNEXT or SNMP_MSG_SET
  bool walk = false;           // a walk step of an MVT_FMV or MVT_UMV list
  std::vector<size_t> sent;    // the list's variables in the request, in order
  std::vector<QxOid> asked;    // the identifiers they were asked with
};

// Fills list from a response and returns the framework code of the
// outcome.  In a walk a variable whose answer lies outside its subtree,
// is an end-of-view exception, or does not come after the identifier it
// was asked with reads "(NOTDONE)", keeps its base identifier and is not
// asked again; endOfWalk is set once every variable is so.  A noSuchName
// error ends a walk without being an error.  Never throws: a syntax
// without a text form gives -511.
int ApplyAnswer(CQxVarList& list, const QxRequestShape& shape, const netsnmp_pdu& response, bool& endOfWalk);

}  // namespace kav::clientinfo
