// The About box (template 100): caption "About KAV-7420", the module's
// icon, "KAV-7420 Management Module", "Release Version:" with "3.15r05",
// a line of legal notice and "OK".  The frame shows it modally.
#pragma once

#include <QDialog>

inline constexpr const char* kReleaseVersion = "3.15r05";

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};
