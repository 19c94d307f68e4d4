// The SNMP framework's error: a numbered message of its catalogue.
//
// Codes: 0 success; -101..-118 error status of a response; -201..-217
// SNMPv3 message processing; -301..-314 SNMPv3 user security; -401..-423
// the SNMP library; -501..-529 the framework itself.  Nothing outside the
// library ever sees the exception, only its code and text.
#pragma once

#include <exception>
#include <string>

namespace kav::clientinfo {

class CQXException : public std::exception {
 public:
  // The catalogue text of code.
  explicit CQXException(int code);
  // A text with the placeholders [FILENAME] and [LINENO] filled in.
  CQXException(int code, const std::string& fileName, int lineNo);

  int Code() const { return m_code; }
  const std::string& Message() const { return m_message; }
  const char* what() const noexcept override { return m_message.c_str(); }

  // The catalogue text of a code; codes without a text of their own read
  // "(DeVIRU++) Unknown error code!".
  static const char* Text(int code);
  // True when the catalogue has a text of its own for code.
  static bool Known(int code);

 private:
  int m_code;
  std::string m_message;
};

// Framework codes used by name in the code.
namespace qx {
inline constexpr int kOk = 0;
inline constexpr int kNoSuchName = -102;
inline constexpr int kTimeout = -405;
inline constexpr int kReadVarFile = -501;
inline constexpr int kCreateSession = -506;
inline constexpr int kLoadBoots = -507;
inline constexpr int kSaveBoots = -508;
inline constexpr int kBadAddress = -509;
inline constexpr int kNextOnSingle = -510;
inline constexpr int kBadSyntax = -511;
inline constexpr int kBadKeyCount = -514;
inline constexpr int kBadItemType = -515;
inline constexpr int kUnknown = -528;
inline constexpr int kTimerError = -529;
}  // namespace qx

}  // namespace kav::clientinfo
