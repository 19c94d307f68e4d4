// Validators of a page's exchange (see data_exchange.h) and the address
// combination check.
//
// Every Validate* function does nothing and returns true while the page is
// loading or after the exchange already failed.  While saving it returns
// true when the value passes; otherwise it shows its message through the
// shell service (caption "KAV-7420", exclamation icon, the message number as
// help context unless stated), fails the exchange and returns false.
// Messages come from the catalogue by number; %1 and %2 are filled as noted.
#pragma once

#include <QString>

class CDataExchange;
class QLineEdit;
class QWidget;

// Empty or all blanks.
bool ValidateNotBlank(CDataExchange& dx, const QString& value, int msg);
// Always fails: the page decided the value is wrong.
bool ValidateFail(CDataExchange& dx, int msg);
bool ValidateTrue(CDataExchange& dx, bool condition, int msg);
// Length below min or above max; %1 = min, %2 = max.
bool ValidateLengthRange(CDataExchange& dx, const QString& value, int min, int max, int msg);
// Length other than n: %1 = n, %2 = `what`, shown without help context.
// On success the current control (a line edit) is limited to n characters.
bool ValidateExactLength(CDataExchange& dx, const QString& value, int n, const QString& what, int msg);
// The two texts differ (exact comparison).
bool ValidateMatch(CDataExchange& dx, const QString& a, const QString& b, int msg);
bool ValidateNoEdgeBlank(CDataExchange& dx, const QString& value, int msg);
bool ValidateSevenBit(CDataExchange& dx, const QString& value, int msg);
// Some character is not IsEmailChar.
bool ValidateEmailChars(CDataExchange& dx, const QString& value, int msg);
// Not IsEmailAddress, empty, or not seven-bit.
bool ValidateEmail(CDataExchange& dx, const QString& value, int msg);
// Empty or not IsValidHostIp (pages use 61719).
bool ValidateIp(CDataExchange& dx, const QString& value, int msg);
// Empty or not IsValidGatewayIp (61721).
bool ValidateGateway(CDataExchange& dx, const QString& value, int msg);
// Empty or not IsValidSubnetMask (61722).
bool ValidateMask(CDataExchange& dx, const QString& value, int msg);
// Outside [min, max]: "Please enter an integer between %1 and %2.", no help
// context (the range prompt for numeric boxes).
bool ValidateIntRange(CDataExchange& dx, long long value, long long min, long long max);

// Not a validator: moves an address box's text to (loading) or from
// (saving) `text`, and makes the box the current control.
void ExchangeAddressText(CDataExchange& dx, QLineEdit* control, QString& text);

// True when ip, mask and gateway go together (a gateway of "0.0.0.0" means
// none).  Otherwise shows one plain message box (caption "KAV-7420", no
// icon, no help context) saying what is wrong and returns false.
bool CheckIpMaskGateway(const QString& ip, const QString& mask, const QString& gateway,
                        QWidget* parent = nullptr);
