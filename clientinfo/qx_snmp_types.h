// The SNMP framework's description of SNMP objects: syntax and access
// codes, variable-list item types, value tables and variable descriptors.
// Descriptors live in static tables ended by an all-zero entry.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kav::clientinfo {

// Syntax codes of a descriptor; the value text of an answer follows them.
enum QxSyntax : int32_t {
  kSynBoolean = 1,
  kSynInteger = 2,
  kSynBitStr = 3,
  kSynOctetStr = 4,
  kSynNull = 5,
  kSynObjectId = 6,
  kSynIpAddress = 0x40,
  kSynCounter = 0x41,
  kSynGuage = 0x42,
  kSynTimeTicks = 0x43,
  kSynOpaque = 0x44,
  kSynNsapAddr = 0x45,
  kSynCounter64 = 0x46,
  kSynUInteger = 0x47,
  kSynDouble = 0x48,
  kSynMacAddress = 0x49,
  kSynDateTime = 0x4A,
  kSynBcDateTime = 0x4B,
  kSynDisplayStr = 0x4C,
  kSynBool8 = 0xC1,
  kSynInt8 = 0xC2,
  kSynUInt8 = 0xC3,
  kSynBool16 = 0xC4,
  kSynInt16 = 0xC5,
  kSynUInt16 = 0xC6,
};

enum QxAccess : int32_t {
  kAccNotAccess = 1,
  kAccReadOnly = 2,
  kAccWriteOnly = 4,
  kAccReadWrite = 6,
  kAccDerived = 8,
  kAccHidden = 0x10,
  kAccInvalid = 0x20,
};

// How a variable list is requested.
enum QxItemType : int32_t {
  SVT_SV = 0,   // one variable, one value: plain get
  MVT_SV = 1,   // several variables, one value each: get (or get-next of the next instance)
  MVT_FMV = 2,  // several variables, a fixed number of instances: get-next walk
  MVT_UMV = 3,  // several variables, an open number of instances: get-next walk (tables)
};

// Names of the codes ("integer", "readwrite", "MVT_UMV"); nullptr for an unknown code.
const char* SyntaxName(int32_t syntax);
const char* AccessName(int32_t access);
const char* ItemTypeName(int32_t itemType);

// One entry of a value table; a table ends with a null text.
struct QxValuePair {
  int32_t value;
  const char* text;
};

// The text of value in table, or nullptr when the table has no pair for it.
const char* ValueTextOf(const QxValuePair* table, long value);

struct QxVarDesc {
  const char* oid;     // dotted object identifier (with the instance for a single value)
  const char* name;
  int32_t syntax;      // QxSyntax
  int32_t access;      // QxAccess
  const QxValuePair* values;  // or nullptr
  intptr_t reserved[5];
};
// 40 bytes in the device's 32-bit build.
static_assert(sizeof(void*) != 4 || sizeof(QxVarDesc) == 40);
static_assert(offsetof(QxVarDesc, values) == 2 * sizeof(void*) + 2 * sizeof(int32_t));

}  // namespace kav::clientinfo
