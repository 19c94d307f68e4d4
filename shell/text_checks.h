// Text tests on what the user typed: addresses, masks, MAC addresses, hex
// keys, names.  Pure functions; they show nothing.
//
// Octet texts convert like a plain decimal conversion that stops at the
// first non-digit: "", "x" and "-1" count as 0, "12ab" as 12.  A dotted text
// ending in "." (an empty last octet, as an address box with its last field
// left blank gives) is not a valid address or mask.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// Exactly three "."; not starting (or ending) with "."; first octet 1-126
// or 128-223, second and third 0-255, fourth 0-254.
bool IsValidHostIp(const QString& text);
// "0.0.0.0" is not a gateway; otherwise IsValidHostIp.
bool IsValidGatewayIp(const QString& text);
// Exactly three "."; first octet 1-255, others 0-255, none equal to 1; the
// 32 bits are a run of 2 to 31 ones followed by zeros.
bool IsValidSubnetMask(const QString& text);
// The four octets as one number, first octet highest.  Octets are taken
// modulo 256 and missing ones count as 0; validate the text first.
std::uint32_t DottedToNumber(const QString& text);
// Dotted text of ip AND mask, octet by octet.
QString NetworkAddress(const QString& ip, const QString& mask);

// Compact MAC (12 hex digits): the first two digits, read as hex, are odd.
bool IsMulticastMac(const QString& compact);
// Exactly 12 hexadecimal digits and not multicast.
bool IsValidMac(const QString& compact);
// "00:11:22:33:44:55" -> "001122334455" (characters 0-1, 3-4, ... 15-16).
QString MacToCompact(const QString& display);

bool IsHexDigit(QChar c);
// Every character is a space (true for the empty text).
bool IsAllBlank(const QString& text);
// Neither the first nor the last character is a space.
bool HasNoEdgeBlank(const QString& text);
// No character above 0x7F.
bool IsSevenBit(const QString& text);
// ASCII letter, digit, "-", "." or "_".
bool IsHostNameChar(QChar c);
// As IsHostNameChar, and "@".
bool IsEmailChar(QChar c);
// Has "@", not as last character, with a non-empty part of host-name
// characters before the first "@" (the rest may hold anything).
bool IsEmailAddress(const QString& text);

// Hexadecimal text (any case) to its value; the default for an empty text,
// any other character, or a value that does not fit in 63 bits.
std::int64_t HexToNumber(const QString& text, std::int64_t def);
// Decimal, or base 16, 8, 2, 10 with the prefix "0X", "0O", "0B", "0D" (any
// case); the default for an empty text, a digit outside the base, or a
// value that does not fit in 63 bits.
std::int64_t ParseNumber(const QString& text, std::int64_t def);
// Each pair of hexadecimal digits becomes one byte; conversion stops at the
// first pair that is not two hexadecimal digits (and at an odd last digit).
QByteArray HexToBytes(const QString& text);
