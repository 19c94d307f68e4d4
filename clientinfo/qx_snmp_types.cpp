#include "clientinfo/qx_snmp_types.h"

namespace kav::clientinfo {
namespace {

struct CodeName {
  int32_t code;
  const char* name;
};

const CodeName kSyntaxNames[] = {
    {kSynBoolean, "boolean"},     {kSynInteger, "integer"},       {kSynBitStr, "bitstr"},
    {kSynOctetStr, "octetstr"},   {kSynNull, "null"},             {kSynObjectId, "objectid"},
    {kSynIpAddress, "ipaddress"}, {kSynCounter, "counter"},       {kSynGuage, "guage"},
    {kSynTimeTicks, "timeticks"}, {kSynOpaque, "opaque"},         {kSynNsapAddr, "nsapaddr"},
    {kSynCounter64, "counter64"}, {kSynUInteger, "uinteger"},     {kSynDouble, "double"},
    {kSynMacAddress, "macaddress"}, {kSynDateTime, "datetime"},   {kSynBcDateTime, "bcdatetime"},
    {kSynDisplayStr, "displaystr"}, {kSynBool8, "bool8"},         {kSynInt8, "int8"},
    {kSynUInt8, "uint8"},         {kSynBool16, "bool16"},         {kSynInt16, "int16"},
    {kSynUInt16, "uint16"},
};

const CodeName kAccessNames[] = {
    {kAccNotAccess, "notaccess"}, {kAccReadOnly, "readonly"}, {kAccWriteOnly, "writeonly"},
    {kAccReadWrite, "readwrite"}, {kAccDerived, "derived"},   {kAccHidden, "hidden"},
    {kAccInvalid, "invalid"},
};

const CodeName kItemTypeNames[] = {
    {SVT_SV, "SVT_SV"}, {MVT_SV, "MVT_SV"}, {MVT_FMV, "MVT_FMV"}, {MVT_UMV, "MVT_UMV"},
};

template <size_t N>
const char* Find(const CodeName (&table)[N], int32_t code) {
  for (const CodeName& entry : table)
    if (entry.code == code) return entry.name;
  return nullptr;
}

}  // namespace

const char* SyntaxName(int32_t syntax) { return Find(kSyntaxNames, syntax); }
const char* AccessName(int32_t access) { return Find(kAccessNames, access); }
const char* ItemTypeName(int32_t itemType) { return Find(kItemTypeNames, itemType); }

const char* ValueTextOf(const QxValuePair* table, long value) {
  if (!table) return nullptr;
  for (; table->text; ++table)
    if (table->value == value) return table->text;
  return nullptr;
}

}  // namespace kav::clientinfo
