// An entry box for a dotted IPv4 address or mask, standing in for the
// address controls of the pages: the user can type at most four groups of
// one to three digits, each 0 to 255, separated by "."; text set by the
// program is taken as it is.  A blank box has an empty text.
#pragma once

#include <QLineEdit>

class CIpAddressCtrl : public QLineEdit {
  Q_OBJECT
 public:
  explicit CIpAddressCtrl(QWidget* parent = nullptr);
  bool IsBlank() const;
};
