#include "clientinfo/value_text.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "clientinfo/qx_exception.h"
#include "clientinfo/qx_var_list.h"

namespace kav::clientinfo {
namespace {

bool IsSigned(u_char type) { return type == ASN_INTEGER; }
bool IsUnsigned(u_char type) {
  return type == ASN_COUNTER || type == ASN_GAUGE || type == ASN_TIMETICKS || type == ASN_UINTEGER;
}
bool IsBytes(u_char type) {
  return type == ASN_OCTET_STR || type == ASN_OPAQUE || type == ASN_BIT_STR || type == ASN_IPADDRESS ||
         type == ASN_NSAP;
}

// A number the answer carries, if it carries one.
bool NumberOf(const netsnmp_variable_list& var, long long& out) {
  if (var.type == ASN_COUNTER64) {
    if (!var.val.counter64 || var.val_len < sizeof(counter64)) return false;
    out = static_cast<long long>(((static_cast<uint64_t>(var.val.counter64->high) & 0xffffffffu) << 32) |
                                 (var.val.counter64->low & 0xffffffffu));
    return true;
  }
  if (!var.val.integer || var.val_len < sizeof(long)) return false;
  if (IsSigned(var.type)) {
    out = *var.val.integer;
    return true;
  }
  if (IsUnsigned(var.type)) {
    out = static_cast<long long>(static_cast<unsigned long>(*var.val.integer) & 0xffffffffu);
    return true;
  }
  return false;
}

const u_char* BytesOf(const netsnmp_variable_list& var, size_t& length) {
  length = 0;
  if (!IsBytes(var.type) || !var.val.string) return nullptr;
  length = var.val_len;
  return var.val.string;
}

std::string Hex(const u_char* bytes, size_t length) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(length * 2);
  for (size_t i = 0; i < length; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

std::string DottedBytes(const u_char* bytes, size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    if (i) text += '.';
    text += std::to_string(bytes[i]);
  }
  return text;
}

std::string Printf(const char* format, auto... args) {
  char buffer[128];
  int n = std::snprintf(buffer, sizeof buffer, format, args...);
  return n > 0 ? std::string(buffer, std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1)) : std::string();
}

int BcdDigit(u_char b) { return (b >> 4) * 10 + (b & 15); }

// The raw text of the answer before the "(NULL)" rule and the value table.
std::string RawText(int32_t syntax, const netsnmp_variable_list& var) {
  long long number = 0;
  size_t length = 0;
  const u_char* bytes = BytesOf(var, length);
  switch (syntax) {
    case kSynBoolean:
      return NumberOf(var, number) ? (number == 1 ? "true" : "false") : "";
    case kSynInteger:
    case kSynCounter:
    case kSynGuage:
    case kSynUInteger:
    case kSynCounter64:
      return NumberOf(var, number) ? std::to_string(number) : "";
    case kSynBitStr:
    case kSynOctetStr:
    case kSynOpaque:
    case kSynMacAddress:
      return bytes ? Hex(bytes, length) : "";
    case kSynNull:
      return "";
    case kSynObjectId:
      if (var.type != ASN_OBJECT_ID || !var.val.objid) return "";
      {
        std::string text;
        size_t count = var.val_len / sizeof(oid);
        for (size_t i = 0; i < count; ++i) {
          if (i) text += '.';
          text += std::to_string(static_cast<unsigned long>(var.val.objid[i]));
        }
        return text;
      }
    case kSynIpAddress:
      return bytes && length == 4 ? DottedBytes(bytes, length) : "";
    case kSynNsapAddr:
      return bytes ? DottedBytes(bytes, length) : "";
    case kSynTimeTicks:
      if (NumberOf(var, number) && number >= 0) {
        char buffer[64] = "";
        uptime_string_n(static_cast<u_long>(number), buffer, sizeof buffer);
        return buffer;
      }
      return "";
    case kSynDouble:
#ifdef NETSNMP_WITH_OPAQUE_SPECIAL_TYPES
      if (var.type == ASN_OPAQUE_DOUBLE && var.val.doubleVal && var.val_len >= sizeof(double))
        return Printf("%f", *var.val.doubleVal);
      if (var.type == ASN_OPAQUE_FLOAT && var.val.floatVal && var.val_len >= sizeof(float))
        return Printf("%f", static_cast<double>(*var.val.floatVal));
#endif
      return NumberOf(var, number) ? Printf("%f", static_cast<double>(number)) : "";
    case kSynDateTime:
      // year (high byte first), month, day, hour, minutes, seconds, tenths
      if (!bytes || length < 8) return "";
      return Printf("%d-%d-%d,%d:%d:%d.%d", (bytes[0] << 8) | bytes[1], bytes[2], bytes[3], bytes[4], bytes[5],
                    bytes[6], bytes[7]);
    case kSynBcDateTime: {
      // seconds since 1970 (UTC), or seven BCD bytes: century, year, month, day, hour, minutes, seconds
      std::tm tm{};
      if (NumberOf(var, number)) {
        std::time_t t = static_cast<std::time_t>(number);
        if (!gmtime_r(&t, &tm)) return "";
      } else if (bytes && length >= 7) {
        tm.tm_year = BcdDigit(bytes[0]) * 100 + BcdDigit(bytes[1]) - 1900;
        tm.tm_mon = BcdDigit(bytes[2]) - 1;
        tm.tm_mday = BcdDigit(bytes[3]);
        tm.tm_hour = BcdDigit(bytes[4]) % 24;
        tm.tm_min = BcdDigit(bytes[5]) % 60;
        tm.tm_sec = BcdDigit(bytes[6]) % 61;
        if (tm.tm_mon < 0 || tm.tm_mon > 11) tm.tm_mon = 0;
      } else {
        return "";
      }
      char buffer[64];
      size_t n = std::strftime(buffer, sizeof buffer, "%Y/%m/%d %H:%M:%S %p", &tm);
      return std::string(buffer, n);
    }
    case kSynDisplayStr:
      if (bytes) return std::string(reinterpret_cast<const char*>(bytes), length);
      return NumberOf(var, number) ? std::to_string(number) : "";
    default:
      throw CQXException(qx::kBadSyntax);
  }
}

bool KeepsEmpty(int32_t syntax) {
  return syntax == kSynBitStr || syntax == kSynOctetStr || syntax == kSynOpaque || syntax == kSynMacAddress ||
         syntax == kSynDisplayStr;
}

bool ParseNumber(const std::string& text, bool allowNegative, long long& out) {
  if (text.empty()) throw CQXException(-512);
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  out = std::strtoll(begin, &end, 10);
  return errno == 0 && end && *end == '\0' && end != begin && (allowNegative || out >= 0);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

template <typename T>
void Append(std::vector<u_char>& bytes, const T& value) {
  const auto* p = reinterpret_cast<const u_char*>(&value);
  bytes.insert(bytes.end(), p, p + sizeof(T));
}

}  // namespace

std::string AnswerText(const QxVarDesc& desc, const netsnmp_variable_list& var) {
  std::string text = RawText(desc.syntax, var);
  if (text.empty()) return KeepsEmpty(desc.syntax) ? text : kNullText;
  long long number = 0;
  if (desc.values && NumberOf(var, number)) {
    if (const char* pair = ValueTextOf(desc.values, static_cast<long>(number))) return pair;
  }
  return text;
}

QxEncodedValue EncodeValue(const QxVarDesc& desc, const std::string& text) {
  QxEncodedValue out;
  long long number = 0;
  auto integer = [&](u_char type, bool allowNegative) {
    const char* pair = nullptr;
    for (const QxValuePair* p = desc.values; p && p->text; ++p)
      if (text == p->text) {
        number = p->value;
        pair = p->text;
        break;
      }
    if (!pair && !ParseNumber(text, allowNegative, number)) throw CQXException(-513);
    if (allowNegative ? (number < INT32_MIN || number > INT32_MAX) : number > UINT32_MAX)
      throw CQXException(-513);
    out.type = type;
    Append(out.bytes, static_cast<long>(number));
  };
  switch (desc.syntax) {
    case kSynBoolean:
      if (text != "true" && text != "false") throw CQXException(-513);
      out.type = ASN_INTEGER;
      Append(out.bytes, static_cast<long>(text == "true" ? 1 : 2));  // TruthValue
      break;
    case kSynInteger: integer(ASN_INTEGER, true); break;
    case kSynCounter: integer(ASN_COUNTER, false); break;
    case kSynGuage:
    case kSynUInteger: integer(ASN_GAUGE, false); break;
    case kSynTimeTicks: integer(ASN_TIMETICKS, false); break;
    case kSynCounter64: {
      if (!ParseNumber(text, false, number)) throw CQXException(-513);
      counter64 c{static_cast<u_long>(static_cast<uint64_t>(number) >> 32),
                  static_cast<u_long>(static_cast<uint64_t>(number) & 0xffffffffu)};
      out.type = ASN_COUNTER64;
      Append(out.bytes, c);
      break;
    }
    case kSynBitStr:
    case kSynOctetStr:
    case kSynOpaque:
    case kSynMacAddress: {
      if (text.size() % 2) throw CQXException(-513);
      for (size_t i = 0; i < text.size(); i += 2) {
        int hi = HexValue(text[i]), lo = HexValue(text[i + 1]);
        if (hi < 0 || lo < 0) throw CQXException(-513);
        out.bytes.push_back(static_cast<u_char>(hi * 16 + lo));
      }
      out.type = desc.syntax == kSynOpaque ? ASN_OPAQUE : ASN_OCTET_STR;
      break;
    }
    case kSynDisplayStr:
      out.type = ASN_OCTET_STR;
      out.bytes.assign(text.begin(), text.end());
      break;
    case kSynIpAddress: {
      in_addr a{};
      if (inet_pton(AF_INET, text.c_str(), &a) != 1) throw CQXException(-513);
      out.type = ASN_IPADDRESS;
      Append(out.bytes, a.s_addr);
      break;
    }
    case kSynObjectId: {
      QxOid parsed = ParseOid(text.c_str());
      if (parsed.size() < 2) throw CQXException(-513);
      out.type = ASN_OBJECT_ID;
      for (uint32_t part : parsed) Append(out.bytes, static_cast<oid>(part));
      break;
    }
    case kSynNull:
      out.type = ASN_NULL;
      break;
    default:
      throw CQXException(qx::kBadSyntax);
  }
  return out;
}

}  // namespace kav::clientinfo
