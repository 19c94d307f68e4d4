// How every result of net-snmp becomes a framework code (and so the
// catalogue text of CQXException): one table, so that what a completion
// or an error reports is the framework's own numbering whatever the SNMP
// library underneath says.
#pragma once

#include <span>

namespace kav::clientinfo {

enum class SnmpOutcome {
  ErrorStatus,   // error-status field of a response PDU (0 success)
  LibraryError,  // an SNMPERR_* code of net-snmp (snmp_errno of a failed call)
  CallbackOp,    // the operation code net-snmp hands to an asynchronous callback
  Exception,     // a varbind exception of a v2c/v3 answer to a plain get
};

struct SnmpResultMapping {
  SnmpOutcome kind;
  long value;
  int code;
};

// The framework code of one net-snmp result; results the table does not
// list map to -528 ("Unknown error code").
int MapSnmpResult(SnmpOutcome kind, long value);

std::span<const SnmpResultMapping> SnmpResultTable();

}  // namespace kav::clientinfo
