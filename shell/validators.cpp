#include "shell/validators.h"

#include <QLineEdit>

#include "shell/data_exchange.h"
#include "shell/message_catalogue.h"
#include "shell/shell_ui.h"
#include "shell/text_checks.h"

namespace {

// Common frame of the validators: nothing to check unless saving and still
// good; a failing check shows catalogue message `msg`.
template <typename Check>
bool Validate(CDataExchange& dx, int msg, Check passes) {
  if (dx.IsLoading() || dx.Failed()) return true;
  if (passes()) return true;
  dx.FailWith(msg);
  return false;
}

bool AllChars(const QString& text, bool (*ok)(QChar)) {
  for (QChar c : text)
    if (!ok(c)) return false;
  return true;
}

}  // namespace

bool ValidateNotBlank(CDataExchange& dx, const QString& value, int msg) {
  return Validate(dx, msg, [&] { return !value.isEmpty() && !IsAllBlank(value); });
}

bool ValidateFail(CDataExchange& dx, int msg) {
  return Validate(dx, msg, [] { return false; });
}

bool ValidateTrue(CDataExchange& dx, bool condition, int msg) {
  return Validate(dx, msg, [&] { return condition; });
}

bool ValidateLengthRange(CDataExchange& dx, const QString& value, int min, int max, int msg) {
  if (dx.IsLoading() || dx.Failed()) return true;
  if (value.size() >= min && value.size() <= max) return true;
  dx.Fail(FillMessageArgs(CatalogueText(msg), QString::number(min), QString::number(max)), msg);
  return false;
}

bool ValidateExactLength(CDataExchange& dx, const QString& value, int n, const QString& what,
                         int msg) {
  if (dx.IsLoading() || dx.Failed()) return true;
  if (value.size() != n) {
    dx.Fail(FillMessageArgs(CatalogueText(msg), QString::number(n), what), 0);
    return false;
  }
  if (auto* edit = qobject_cast<QLineEdit*>(dx.Current())) edit->setMaxLength(n);
  return true;
}

bool ValidateMatch(CDataExchange& dx, const QString& a, const QString& b, int msg) {
  return Validate(dx, msg, [&] { return a == b; });
}

bool ValidateNoEdgeBlank(CDataExchange& dx, const QString& value, int msg) {
  return Validate(dx, msg, [&] { return HasNoEdgeBlank(value); });
}

bool ValidateSevenBit(CDataExchange& dx, const QString& value, int msg) {
  return Validate(dx, msg, [&] { return IsSevenBit(value); });
}

bool ValidateEmailChars(CDataExchange& dx, const QString& value, int msg) {
  return Validate(dx, msg, [&] { return AllChars(value, IsEmailChar); });
}

bool ValidateEmail(CDataExchange& dx, const QString& value, int msg) {
  return Validate(dx, msg,
                  [&] { return !value.isEmpty() && IsEmailAddress(value) && IsSevenBit(value); });
}

bool ValidateIp(CDataExchange& dx, const QString& value, int msg) {
  return Validate(dx, msg, [&] { return !value.isEmpty() && IsValidHostIp(value); });
}

bool ValidateGateway(CDataExchange& dx, const QString& value, int msg) {
  return Validate(dx, msg, [&] { return !value.isEmpty() && IsValidGatewayIp(value); });
}

bool ValidateMask(CDataExchange& dx, const QString& value, int msg) {
  return Validate(dx, msg, [&] { return !value.isEmpty() && IsValidSubnetMask(value); });
}

bool ValidateIntRange(CDataExchange& dx, long long value, long long min, long long max) {
  if (dx.IsLoading() || dx.Failed()) return true;
  if (value >= min && value <= max) return true;
  dx.Fail(FillMessageArgs(QStringLiteral("Please enter an integer between %1 and %2."),
                          QString::number(min), QString::number(max)),
          0);
  return false;
}

void ExchangeAddressText(CDataExchange& dx, QLineEdit* control, QString& text) {
  dx.Text(control, text);
}

bool CheckIpMaskGateway(const QString& ip, const QString& mask, const QString& gateway,
                        QWidget* parent) {
  const std::uint32_t m = DottedToNumber(mask);
  const std::uint32_t n = DottedToNumber(NetworkAddress(ip, mask));
  const std::uint32_t i = DottedToNumber(ip);
  const std::uint32_t g = DottedToNumber(gateway);
  const char* problem = nullptr;
  if ((m | n) != m) problem = "Subnet number and mask do not match.";
  else if (n == m) problem = "Subnet number for the whole one, not legal.";
  else if ((n & m) == 0) problem = "Subnet number is all zero, illegal.";
  else if (n != (i & m)) problem = "This IP Address and mask do not match.";
  else if ((i | m) == m)
    problem =
        "The combination of IP address and subnet mask is invalid.\nAll of the bits in the host "
        "address portion of the IP address are set to be 0.\nPlease enter a valid combination of "
        "IP address and subnet mask.";
  else if ((i | m) == 0xFFFFFFFFu)
    problem =
        "The combination of IP address and subnet mask is invalid.\nAll of the bits in the host "
        "address portion of the IP address are set to be 1.\nPlease enter a valid combination of "
        "IP address and subnet mask.";
  else if (g != 0 && ((g & m) != n || (g | m) == m || (g | m) == 0xFFFFFFFFu))
    problem = "Invalid Gateway address!";
  if (!problem) return true;
  CShellUi::Show(parent, QString::fromLatin1(problem));
  return false;
}
