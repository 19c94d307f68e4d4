#include "shell/ip_address_ctrl.h"

#include <QRegularExpressionValidator>

CIpAddressCtrl::CIpAddressCtrl(QWidget* parent) : QLineEdit(parent) {
  static const QRegularExpression kDotted(
      QStringLiteral("^((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])?\\.){0,3}"
                     "(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])?$"));
  setValidator(new QRegularExpressionValidator(kDotted, this));
  setMaxLength(15);
}

bool CIpAddressCtrl::IsBlank() const { return text().trimmed().isEmpty(); }
