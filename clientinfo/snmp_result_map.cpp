#include "clientinfo/snmp_result_map.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include "clientinfo/qx_exception.h"

namespace kav::clientinfo {
namespace {

using enum SnmpOutcome;

const SnmpResultMapping kTable[] = {
    // A response: error status n is -(100 + n), 0 is success.
    {ErrorStatus, SNMP_ERR_NOERROR, 0},
    {ErrorStatus, SNMP_ERR_TOOBIG, -101},
    {ErrorStatus, SNMP_ERR_NOSUCHNAME, -102},
    {ErrorStatus, SNMP_ERR_BADVALUE, -103},
    {ErrorStatus, SNMP_ERR_READONLY, -104},
    {ErrorStatus, SNMP_ERR_GENERR, -105},
    {ErrorStatus, SNMP_ERR_NOACCESS, -106},
    {ErrorStatus, SNMP_ERR_WRONGTYPE, -107},
    {ErrorStatus, SNMP_ERR_WRONGLENGTH, -108},
    {ErrorStatus, SNMP_ERR_WRONGENCODING, -109},
    {ErrorStatus, SNMP_ERR_WRONGVALUE, -110},
    {ErrorStatus, SNMP_ERR_NOCREATION, -111},
    {ErrorStatus, SNMP_ERR_INCONSISTENTVALUE, -112},
    {ErrorStatus, SNMP_ERR_RESOURCEUNAVAILABLE, -113},
    {ErrorStatus, SNMP_ERR_COMMITFAILED, -114},
    {ErrorStatus, SNMP_ERR_UNDOFAILED, -115},
    {ErrorStatus, SNMP_ERR_AUTHORIZATIONERROR, -116},
    {ErrorStatus, SNMP_ERR_NOTWRITABLE, -117},
    {ErrorStatus, SNMP_ERR_INCONSISTENTNAME, -118},

    // A v2c answer to a get that names no value reads like v1's noSuchName.
    {Exception, SNMP_NOSUCHOBJECT, -102},
    {Exception, SNMP_NOSUCHINSTANCE, -102},
    {Exception, SNMP_ENDOFMIBVIEW, -102},

    // What an asynchronous request can end with besides an answer.
    {CallbackOp, NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE, 0},
    {CallbackOp, NETSNMP_CALLBACK_OP_TIMED_OUT, -405},
    {CallbackOp, NETSNMP_CALLBACK_OP_SEND_FAILED, -422},
    {CallbackOp, NETSNMP_CALLBACK_OP_DISCONNECT, -408},

    // Failed calls of the library.
    {LibraryError, SNMPERR_SUCCESS, 0},
    {LibraryError, SNMPERR_GENERR, -401},
    {LibraryError, SNMPERR_MALLOC, -402},
    {LibraryError, SNMPERR_NO_SOCKET, -402},
    {LibraryError, SNMPERR_BAD_SESSION, -410},
    {LibraryError, SNMPERR_ABORT, -408},
    {LibraryError, SNMPERR_TIMEOUT, -405},
    {LibraryError, SNMPERR_BAD_ADDRESS, -418},
    {LibraryError, SNMPERR_BAD_LOCPORT, -421},
    {LibraryError, SNMPERR_BAD_SENDTO, -422},
    {LibraryError, SNMPERR_BAD_RECVFROM, -422},
    {LibraryError, SNMPERR_PROTOCOL, -422},
    {LibraryError, SNMPERR_TRANSPORT_NO_CONFIG, -420},
    {LibraryError, SNMPERR_TRANSPORT_CONFIG_ERROR, -420},
    {LibraryError, SNMPERR_TOO_LONG, -411},
    {LibraryError, SNMPERR_BAD_ASN1_BUILD, -411},
    {LibraryError, SNMPERR_BAD_PARSE, -411},
    {LibraryError, SNMPERR_ASN_PARSE_ERR, -411},
    {LibraryError, SNMPERR_UNKNOWN_PDU, -411},
    {LibraryError, SNMPERR_NULL_PDU, -411},
    {LibraryError, SNMPERR_NO_VARS, -411},
    {LibraryError, SNMPERR_VAR_TYPE, -411},
    {LibraryError, SNMPERR_VALUE, -411},
    {LibraryError, SNMPERR_RANGE, -411},
    {LibraryError, SNMPERR_BAD_REPEATERS, -411},
    {LibraryError, SNMPERR_BAD_REPETITIONS, -411},
    {LibraryError, SNMPERR_BAD_VERSION, -416},
    {LibraryError, SNMPERR_V2_IN_V1, -416},
    {LibraryError, SNMPERR_V1_IN_V2, -416},
    {LibraryError, SNMPERR_NOMIB, -417},
    {LibraryError, SNMPERR_MAX_SUBID, -417},
    {LibraryError, SNMPERR_BAD_SUBID, -417},
    {LibraryError, SNMPERR_LONG_OID, -417},
    {LibraryError, SNMPERR_BAD_NAME, -417},
    {LibraryError, SNMPERR_UNKNOWN_OBJID, -417},
    // SNMPv3 message processing.
    {LibraryError, SNMPERR_UNKNOWN_SEC_MODEL, -201},
    {LibraryError, SNMPERR_NOT_IN_TIME_WINDOW, -202},
    {LibraryError, SNMPERR_INVALID_MSG, -204},
    {LibraryError, SNMPERR_BAD_ENG_ID, -205},
    {LibraryError, SNMPERR_BAD_COMMUNITY, -210},
    {LibraryError, SNMPERR_BAD_CONTEXT, -216},
    {LibraryError, SNMPERR_UNKNOWN_REPORT, -217},
    // SNMPv3 user security.
    {LibraryError, SNMPERR_USM_GENERICERROR, -301},
    {LibraryError, SNMPERR_SC_GENERAL_FAILURE, -301},
    {LibraryError, SNMPERR_SC_NOT_CONFIGURED, -301},
    {LibraryError, SNMPERR_KT_NOT_AVAILABLE, -301},
    {LibraryError, SNMPERR_USM_UNSUPPORTEDSECURITYLEVEL, -303},
    {LibraryError, SNMPERR_UNSUPPORTED_SEC_LEVEL, -303},
    {LibraryError, SNMPERR_BAD_SEC_LEVEL, -303},
    {LibraryError, SNMPERR_NOAUTH_DESPRIV, -303},
    {LibraryError, SNMPERR_USM_UNKNOWNSECURITYNAME, -304},
    {LibraryError, SNMPERR_UNKNOWN_USER_NAME, -304},
    {LibraryError, SNMPERR_BAD_SEC_NAME, -304},
    {LibraryError, SNMPERR_USM_ENCRYPTIONERROR, -305},
    {LibraryError, SNMPERR_USM_DECRYPTIONERROR, -306},
    {LibraryError, SNMPERR_DECRYPTION_ERR, -306},
    {LibraryError, SNMPERR_AUTHENTICATION_FAILURE, -308},
    {LibraryError, SNMPERR_USM_AUTHENTICATIONFAILURE, -308},
    {LibraryError, SNMPERR_USM_PARSEERROR, -309},
    {LibraryError, SNMPERR_USM_UNKNOWNENGINEID, -310},
    {LibraryError, SNMPERR_UNKNOWN_ENG_ID, -310},
    {LibraryError, SNMPERR_USM_NOTINTIMEWINDOW, -311},
};

}  // namespace

int MapSnmpResult(SnmpOutcome kind, long value) {
  for (const SnmpResultMapping& row : kTable)
    if (row.kind == kind && row.value == value) return row.code;
  return qx::kUnknown;
}

std::span<const SnmpResultMapping> SnmpResultTable() { return kTable; }

}  // namespace kav::clientinfo
