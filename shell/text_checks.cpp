#include "shell/text_checks.h"

#include <QStringList>
#include <limits>

namespace {

// Plain decimal conversion that stops at the first non-digit.  Saturates
// instead of overflowing; anything above 255 is out of range for callers.
unsigned OctetValue(const QString& octet) {
  unsigned v = 0;
  for (QChar c : octet) {
    if (c < u'0' || c > u'9') break;
    v = std::min(v * 10 + (c.unicode() - u'0'), 100000u);
  }
  return v;
}

// The four octet values of a dotted text with exactly three dots that
// neither starts nor ends with "."; false otherwise.
bool SplitDotted(const QString& text, unsigned (&octets)[4]) {
  if (text.count(u'.') != 3 || text.startsWith(u'.') || text.endsWith(u'.')) return false;
  const QStringList parts = text.split(u'.');
  for (int i = 0; i < 4; ++i) octets[i] = OctetValue(parts[i]);
  return true;
}

int DigitValue(QChar c) {
  if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
  if (c >= u'a' && c <= u'z') return c.unicode() - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c.unicode() - u'A' + 10;
  return 99;
}

std::int64_t DigitsInBase(QStringView digits, int base, std::int64_t def) {
  if (digits.isEmpty()) return def;
  std::int64_t v = 0;
  for (QChar c : digits) {
    int d = DigitValue(c);
    if (d >= base) return def;
    if (v > (std::numeric_limits<std::int64_t>::max() - d) / base) return def;
    v = v * base + d;
  }
  return v;
}

bool IsAsciiLetterOrDigit(QChar c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

}  // namespace

bool IsValidHostIp(const QString& text) {
  unsigned o[4];
  if (!SplitDotted(text, o)) return false;
  return ((o[0] >= 1 && o[0] <= 126) || (o[0] >= 128 && o[0] <= 223)) && o[1] <= 255 &&
         o[2] <= 255 && o[3] <= 254;
}

bool IsValidGatewayIp(const QString& text) {
  return text != QLatin1String("0.0.0.0") && IsValidHostIp(text);
}

bool IsValidSubnetMask(const QString& text) {
  unsigned o[4];
  if (!SplitDotted(text, o)) return false;
  if (o[0] < 1) return false;
  for (unsigned v : o)
    if (v > 255 || v == 1) return false;
  const std::uint32_t bits = (o[0] << 24) | (o[1] << 16) | (o[2] << 8) | o[3];
  const std::uint32_t inverted = ~bits;
  if ((inverted & (inverted + 1)) != 0) return false;  // ones must all lead
  int ones = 0;
  for (std::uint32_t b = bits; b & 0x80000000u; b <<= 1) ++ones;
  return ones >= 2 && ones <= 31;
}

std::uint32_t DottedToNumber(const QString& text) {
  const QStringList parts = text.split(u'.');
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | ((i < parts.size() ? OctetValue(parts[i]) : 0) & 0xFF);
  return v;
}

QString NetworkAddress(const QString& ip, const QString& mask) {
  const std::uint32_t n = DottedToNumber(ip) & DottedToNumber(mask);
  return QStringLiteral("%1.%2.%3.%4").arg(n >> 24).arg((n >> 16) & 0xFF).arg((n >> 8) & 0xFF).arg(n & 0xFF);
}

bool IsMulticastMac(const QString& compact) {
  if (compact.size() < 2 || !IsHexDigit(compact[0]) || !IsHexDigit(compact[1])) return false;
  return DigitValue(compact[1]) & 1;
}

bool IsValidMac(const QString& compact) {
  if (compact.size() != 12) return false;
  for (QChar c : compact)
    if (!IsHexDigit(c)) return false;
  return !IsMulticastMac(compact);
}

QString MacToCompact(const QString& display) {
  QString out;
  for (int i = 0; i < 6; ++i) out += display.mid(i * 3, 2);
  return out;
}

bool IsHexDigit(QChar c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsAllBlank(const QString& text) {
  for (QChar c : text)
    if (c != u' ') return false;
  return true;
}

bool HasNoEdgeBlank(const QString& text) {
  return text.isEmpty() || (text.front() != u' ' && text.back() != u' ');
}

bool IsSevenBit(const QString& text) {
  for (QChar c : text)
    if (c.unicode() > 0x7F) return false;
  return true;
}

bool IsHostNameChar(QChar c) { return IsAsciiLetterOrDigit(c) || c == u'-' || c == u'.' || c == u'_'; }

bool IsEmailChar(QChar c) { return IsHostNameChar(c) || c == u'@'; }

bool IsEmailAddress(const QString& text) {
  const qsizetype at = text.indexOf(u'@');
  if (at <= 0 || at == text.size() - 1) return false;
  for (qsizetype i = 0; i < at; ++i)
    if (!IsHostNameChar(text[i])) return false;
  return true;
}

std::int64_t HexToNumber(const QString& text, std::int64_t def) {
  for (QChar c : text)
    if (!IsHexDigit(c)) return def;
  return DigitsInBase(text, 16, def);
}

std::int64_t ParseNumber(const QString& text, std::int64_t def) {
  const QString upper = text.toUpper();
  int base = 10;
  QStringView digits = upper;
  if (upper.size() >= 2 && upper[0] == u'0') {
    const QChar p = upper[1];
    if (p == u'X') base = 16;
    else if (p == u'O') base = 8;
    else if (p == u'B') base = 2;
    else if (p == u'D') base = 10;
    if (p == u'X' || p == u'O' || p == u'B' || p == u'D') digits = digits.mid(2);
  }
  return DigitsInBase(digits, base, def);
}

QByteArray HexToBytes(const QString& text) {
  QByteArray out;
  for (qsizetype i = 0; i + 1 < text.size(); i += 2) {
    if (!IsHexDigit(text[i]) || !IsHexDigit(text[i + 1])) break;
    out.append(char(DigitValue(text[i]) * 16 + DigitValue(text[i + 1])));
  }
  return out;
}
