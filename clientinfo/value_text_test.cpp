// Value texts of answers by syntax, and the values a set sends.
#include "clientinfo/value_text.h"

#include <gtest/gtest.h>

#include "clientinfo/qx_exception.h"

namespace kav::clientinfo {
namespace {

const QxValuePair kOnOff[] = {{0, "Off"}, {1, "On"}, {0, nullptr}};

struct Var {
  netsnmp_variable_list v{};
  Var(u_char type, const void* value, size_t length) {
    oid name[] = {1, 3, 6, 1};
    snmp_set_var_objid(&v, name, 4);
    snmp_set_var_typed_value(&v, type, value, length);
  }
  ~Var() { snmp_free_var_internals(&v); }
};

TEST(ValueText, AnswersReadByTheDescriptorsSyntax) {
  long minus7 = -7, one = 1, zero = 0, ticks = 8640123, big = 4000000000L;
  const u_char mac[] = {0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE};
  const u_char ip[] = {192, 168, 1, 20};
  const u_char date[] = {0x07, 0xE9, 12, 11, 13, 5, 9, 3, '+', 1, 0};
  const oid objid[] = {1, 3, 6, 1, 4, 1, 8072};
  counter64 c64{1, 2};
  struct Case {
    const char* what;
    int32_t syntax;
    const QxValuePair* values;
    u_char type;
    const void* value;
    size_t length;
    const char* text;
  } cases[] = {
      {"integer", kSynInteger, nullptr, ASN_INTEGER, &minus7, sizeof minus7, "-7"},
      {"integer with a pair", kSynInteger, kOnOff, ASN_INTEGER, &one, sizeof one, "On"},
      {"integer without a pair", kSynInteger, kOnOff, ASN_INTEGER, &minus7, sizeof minus7, "-7"},
      {"counter", kSynCounter, nullptr, ASN_COUNTER, &big, sizeof big, "4000000000"},
      {"counter64", kSynCounter64, nullptr, ASN_COUNTER64, &c64, sizeof c64, "4294967298"},
      {"boolean true", kSynBoolean, nullptr, ASN_INTEGER, &one, sizeof one, "true"},
      {"boolean false", kSynBoolean, nullptr, ASN_INTEGER, &zero, sizeof zero, "false"},
      {"mac address", kSynMacAddress, nullptr, ASN_OCTET_STR, mac, sizeof mac, "00AABBCCDDEE"},
      {"octet string", kSynOctetStr, nullptr, ASN_OCTET_STR, "AB", 2, "4142"},
      {"empty octet string stays empty", kSynOctetStr, nullptr, ASN_OCTET_STR, "", 0, ""},
      {"display string", kSynDisplayStr, nullptr, ASN_OCTET_STR, "Office", 6, "Office"},
      {"empty display string stays empty", kSynDisplayStr, nullptr, ASN_OCTET_STR, "", 0, ""},
      {"ip address", kSynIpAddress, nullptr, ASN_IPADDRESS, ip, sizeof ip, "192.168.1.20"},
      {"object identifier", kSynObjectId, nullptr, ASN_OBJECT_ID, objid, sizeof objid, "1.3.6.1.4.1.8072"},
      {"time ticks", kSynTimeTicks, nullptr, ASN_TIMETICKS, &ticks, sizeof ticks, "1 day, 0:00:01.23"},
      {"date and time", kSynDateTime, nullptr, ASN_OCTET_STR, date, sizeof date, "2025-12-11,13:5:9.3"},
      {"double from an integer", kSynDouble, nullptr, ASN_INTEGER, &one, sizeof one, "1.000000"},
      {"null", kSynNull, nullptr, ASN_INTEGER, &one, sizeof one, "(NULL)"},
      // an answer of the wrong type has no text form
      {"integer answered with a string", kSynInteger, nullptr, ASN_OCTET_STR, "x", 1, "(NULL)"},
      {"ip address of 3 bytes", kSynIpAddress, nullptr, ASN_IPADDRESS, ip, 3, "(NULL)"},
      {"short date", kSynDateTime, nullptr, ASN_OCTET_STR, date, 5, "(NULL)"},
      {"mac answered with an integer", kSynMacAddress, nullptr, ASN_INTEGER, &one, sizeof one, ""},
      {"no such instance", kSynInteger, nullptr, SNMP_NOSUCHINSTANCE, nullptr, 0, "(NULL)"},
  };
  for (const Case& c : cases) {
    Var var(c.type, c.value, c.length);
    QxVarDesc desc{"1.3.6.1", "x", c.syntax, kAccReadOnly, c.values, {}};
    EXPECT_EQ(AnswerText(desc, var.v), c.text) << c.what;
  }
}

TEST(ValueText, SyntaxWithoutATextFormRaises511) {
  long one = 1;
  Var var(ASN_INTEGER, &one, sizeof one);
  for (int32_t syntax : std::initializer_list<int32_t>{0, kSynBool8, kSynInt8, kSynUInt8, kSynBool16, kSynInt16, kSynUInt16, 0x4D}) {
    QxVarDesc desc{"1.3.6.1", "x", syntax, kAccReadOnly, nullptr, {}};
    try {
      AnswerText(desc, var.v);
      ADD_FAILURE() << syntax;
    } catch (const CQXException& e) {
      EXPECT_EQ(e.Code(), -511) << syntax;
    }
  }
}

TEST(ValueText, SetValuesFromTexts) {
  struct Case {
    int32_t syntax;
    const QxValuePair* values;
    const char* text;
    int code;  // 0: encodes
    u_char type;
    std::vector<u_char> bytes;  // for strings
  } cases[] = {
      {kSynInteger, nullptr, "1", 0, ASN_INTEGER, {}},
      {kSynInteger, kOnOff, "On", 0, ASN_INTEGER, {}},
      {kSynInteger, nullptr, "", -512, 0, {}},
      {kSynInteger, nullptr, "12x", -513, 0, {}},
      {kSynInteger, nullptr, "99999999999", -513, 0, {}},
      {kSynCounter, nullptr, "-1", -513, 0, {}},
      {kSynMacAddress, nullptr, "00aaBBccDDee", 0, ASN_OCTET_STR, {0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE}},
      {kSynMacAddress, nullptr, "00A", -513, 0, {}},
      {kSynMacAddress, nullptr, "0G", -513, 0, {}},
      {kSynDisplayStr, nullptr, "ab", 0, ASN_OCTET_STR, {'a', 'b'}},
      {kSynIpAddress, nullptr, "10.0.0.1", 0, ASN_IPADDRESS, {10, 0, 0, 1}},
      {kSynIpAddress, nullptr, "10.0.0", -513, 0, {}},
      {kSynObjectId, nullptr, "1.3.6", 0, ASN_OBJECT_ID, {}},
      {kSynBoolean, nullptr, "maybe", -513, 0, {}},
      {kSynInt16, nullptr, "1", -511, 0, {}},
  };
  for (const Case& c : cases) {
    QxVarDesc desc{"1.3.6.1", "x", c.syntax, kAccReadWrite, c.values, {}};
    try {
      QxEncodedValue value = EncodeValue(desc, c.text);
      EXPECT_EQ(c.code, 0) << c.text;
      EXPECT_EQ(value.type, c.type) << c.text;
      if (!c.bytes.empty()) {
        EXPECT_EQ(value.bytes, c.bytes) << c.text;
      }
      if (c.type == ASN_INTEGER) {
        EXPECT_EQ(*reinterpret_cast<const long*>(value.bytes.data()), 1) << c.text;
      }
    } catch (const CQXException& e) {
      EXPECT_EQ(e.Code(), c.code) << c.text;
    }
  }
}

}  // namespace
}  // namespace kav::clientinfo
