// Every kind of net-snmp result lands on the framework's code and text.
#include "clientinfo/snmp_result_map.h"

#include <gtest/gtest.h>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <set>
#include <utility>

#include "clientinfo/qx_exception.h"

namespace kav::clientinfo {
namespace {

using enum SnmpOutcome;

TEST(SnmpResultMap, MapsNetSnmpResultsToFrameworkCodesAndTexts) {
  struct Case {
    SnmpOutcome kind;
    long value;
    int code;
    const char* text;
  } cases[] = {
      {ErrorStatus, 0, 0, "(DeVIRU++) Ok!"},
      {ErrorStatus, 1, -101, "(SNMP) Response PDU Too Big!"},
      {ErrorStatus, 2, -102, "(SNMP) Variable does not exist!"},
      {ErrorStatus, 4, -104, "(SNMP) Cannot modify object, Read Only!"},
      {ErrorStatus, 5, -105, "(SNMP) Cannot perform operation, General Error!"},
      {ErrorStatus, 16, -116, "(SNMP) Cannot perform operation, Authorization Error!"},
      {ErrorStatus, 18, -118, "(SNMP) Cannot create variable, Inconsistent Name!"},
      {ErrorStatus, 19, -528, "(DeVIRU++) Unknown error code!"},
      {ErrorStatus, -1, -528, "(DeVIRU++) Unknown error code!"},
      {CallbackOp, NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE, 0, "(DeVIRU++) Ok!"},
      {CallbackOp, NETSNMP_CALLBACK_OP_TIMED_OUT, -405, "(SNMPClass) SNMP request timed out!"},
      {CallbackOp, NETSNMP_CALLBACK_OP_SEND_FAILED, -422, "(SNMPClass) Transport operation failed!"},
      {CallbackOp, NETSNMP_CALLBACK_OP_DISCONNECT, -408, "(SNMPClass) Closing session with outstanding requests!"},
      {Exception, SNMP_NOSUCHOBJECT, -102, "(SNMP) Variable does not exist!"},
      {Exception, SNMP_NOSUCHINSTANCE, -102, "(SNMP) Variable does not exist!"},
      {LibraryError, SNMPERR_SUCCESS, 0, "(DeVIRU++) Ok!"},
      {LibraryError, SNMPERR_GENERR, -401, "(SNMPClass) Operation failed!"},
      {LibraryError, SNMPERR_MALLOC, -402, "(SNMPClass) Resource unavailable!"},
      {LibraryError, SNMPERR_TIMEOUT, -405, "(SNMPClass) SNMP request timed out!"},
      {LibraryError, SNMPERR_BAD_ADDRESS, -418, "(SNMPClass) Invalid Address!"},
      {LibraryError, SNMPERR_BAD_SENDTO, -422, "(SNMPClass) Transport operation failed!"},
      {LibraryError, SNMPERR_BAD_SUBID, -417, "(SNMPClass) Invalid Object Identifier!"},
      {LibraryError, SNMPERR_TOO_LONG, -411, "(SNMPClass) Invalid Pdu!"},
      {LibraryError, SNMPERR_TRANSPORT_NO_CONFIG, -420, "(SNMP Class) Transport is not supported!"},
      {LibraryError, SNMPERR_UNKNOWN_SEC_MODEL, -201, "(SNMPv3) Unsupported Security Model!"},
      {LibraryError, SNMPERR_UNKNOWN_REPORT, -217, "(SNMPv3) Report sent!"},
      {LibraryError, SNMPERR_UNKNOWN_USER_NAME, -304, "(SNMPv3USM) Unknown SecurityName!"},
      {LibraryError, SNMPERR_AUTHENTICATION_FAILURE, -308, "(SNMPv3USM) Authentication failure!"},
      {LibraryError, SNMPERR_USM_NOTINTIMEWINDOW, -311, "(SNMPv3USM) Message not in TimeWindow!"},
      {LibraryError, SNMPERR_TLS_NO_CERTIFICATE, -528, "(DeVIRU++) Unknown error code!"},
      {LibraryError, -1000, -528, "(DeVIRU++) Unknown error code!"},
  };
  for (const Case& c : cases) {
    int code = MapSnmpResult(c.kind, c.value);
    EXPECT_EQ(code, c.code) << static_cast<int>(c.kind) << " " << c.value;
    EXPECT_STREQ(CQXException::Text(code), c.text) << static_cast<int>(c.kind) << " " << c.value;
  }
}

TEST(SnmpResultMap, TableIsUnambiguousAndNamesOnlyCataloguedCodes) {
  std::set<std::pair<int, long>> seen;
  for (const SnmpResultMapping& row : SnmpResultTable()) {
    EXPECT_TRUE(seen.insert({static_cast<int>(row.kind), row.value}).second)
        << "twice: " << static_cast<int>(row.kind) << " " << row.value;
    EXPECT_TRUE(CQXException::Known(row.code)) << row.code;
  }
  // Every error status of a response has its own code.
  for (long status = 1; status <= 18; ++status) EXPECT_EQ(MapSnmpResult(ErrorStatus, status), -(100 + status));
}

TEST(QxCatalogue, TextsByCodeIncludingTheEndsOfEachList) {
  struct Case {
    int code;
    const char* text;
  } cases[] = {
      {0, "(DeVIRU++) Ok!"},
      {-101, "(SNMP) Response PDU Too Big!"},
      {-118, "(SNMP) Cannot create variable, Inconsistent Name!"},
      {-201, "(SNMPv3) Unsupported Security Model!"},
      {-217, "(SNMPv3) Report sent!"},
      {-301, "(SNMPv3USM) error!"},
      {-314, "(SNMPv3USM) Address error!"},
      {-401, "(SNMPClass) Operation failed!"},
      {-409, "(SNMPClass)Unknown error code!"},
      {-420, "(SNMP Class) Transport is not supported!"},
      {-423, "(SNMPClass) Blocked Mode Shutdown!"},
      {-506, "(DeVIRU++) Cannot create the global DeVIRU++ session!"},
      {-507, "(DeVIRU++) Error when loading SNMP engine boots counter!"},
      {-508, "(DeVIRU++) Error when saving SNMP engine boots counter!"},
      {-509, "(DeVIRU++) Invalid IP Address or DNS name!"},
      {-510, "(DeVIRU++) Can't send get-next command for a SNMP variable list with single value!"},
      {-511, "(DeVIRU++) Bad SNMP syntax!"},
      {-512, "(DeVIRU++) Null value in the expression!"},
      {-513, "(DeVIRU++) Bad SNMP syntax in the expression!"},
      {-514, "(DeVIRU++) Bad key count of SNMP variable list!"},
      {-515, "(DeVIRU++) Bad item type of SNMP variable list!"},
      {-528, "(DeVIRU++) Unknown error code!"},
      {-529, "(DeVIRU++) Init the timer error!"},
      // beyond the lists
      {-119, "(DeVIRU++) Unknown error code!"},
      {-218, "(DeVIRU++) Unknown error code!"},
      {-424, "(DeVIRU++) Unknown error code!"},
      {-530, "(DeVIRU++) Unknown error code!"},
      {5, "(DeVIRU++) Unknown error code!"},
  };
  for (const Case& c : cases) EXPECT_STREQ(CQXException::Text(c.code), c.text) << c.code;
}

TEST(QxCatalogue, FileMessagesNameTheFileAndLine) {
  EXPECT_STREQ(CQXException(-501, "vars.txt", 0).what(),
               "(DeVIRU++) Fail to read SNMP variables from file(vars.txt)!");
  CQXException e(-504, "vars.txt", 12);
  EXPECT_EQ(e.Code(), -504);
  EXPECT_EQ(e.Message(), "(DeVIRU++) Bad syntax at line(12)in SNMP variables file(vars.txt)!");
}

}  // namespace
}  // namespace kav::clientinfo
