// The LAN page ("Basic \ Lan"): how the access point gets its own address on
// the wired side, a fixed address, mask and gateway or DHCP.
//
//   - Opens a device-information handle on the window session.
//   - Every showing selects the LAN group (style mask 2) and reads it.
//   - After a read: address mode into "Get IP From", the three addresses
//     into their boxes ("N/A" from the device shows as a blank gateway),
//     then the enabling rule: the boxes are enabled only for "Static IP(
//     Manual)"; disabled boxes keep their values.
//   - Save: in static mode IP address (61719), mask (61722) and, unless its
//     box is blank, gateway (61721) are checked in that order, the first
//     failure showing its message and ending the Save; then, in both modes,
//     CheckIpMaskGateway on what the boxes hold.  The record (selector 2,
//     the list index as mode, the three texts) goes to the handle and is
//     written asynchronously.  The boxes keep what was entered; nothing is
//     read back.
#pragma once

#include "shell/device_page.h"

class CIpAddressCtrl;
class QComboBox;
class QPushButton;

class CLanPage : public CDevicePage {
  Q_OBJECT
 public:
  static constexpr uint32_t kLanGroup = 2;

  CLanPage(AP_HANDLE session, QWidget* parent);

  bool ReadOnShow() override;
  void OnGetDone() override;
  // The "Save" button.
  void OnSave();
  // What OnGetDone does with the record the handle gave.
  void Fill(const AP_LAN_INFO& record);

 private:
  void OnGetIpFromChanged();
  void ApplyEnablingRule();

  QComboBox* getIpFrom_;
  CIpAddressCtrl* ipAddress_;
  CIpAddressCtrl* subnetMask_;
  CIpAddressCtrl* gateway_;
  QPushButton* save_;
  int mode_ = 0;
  QString ip_, mask_, gatewayText_;
};
