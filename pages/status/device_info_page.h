// The device information page ("Status \ Device Information"): read only,
// a column of panels filled from one read of the full device information.
//
//   - Opens a device-information handle on the window session; every
//     showing reads the handle's default value groups.
//   - The page keeps one record; before each read only the selector (0) and
//     the band count (1) are set.
//   - Panels, top to bottom after a read: identity (always, where the page
//     puts it), the wireless MAC panels of the bands in the layout type
//     (2.4 GHz first), Ethernet, the wireless panels of the same bands, AP
//     array; the device status panel is filled, placed below and hidden.
//     The scrollable area is 600 wide and reaches 10 below the AP array.
//   - Layout type: single band, 1 when the current band is "band2dot4gHz"
//     else 2; two bands, from the radio states ("on"/"off" pairs, 0 to 3,
//     anything else 0); any other band count 0.
//   - MAC addresses show as six pairs joined by ":" (FormatMac).  In the
//     2.4 GHz MAC panel the SSID1 to SSID3 rows finally show additional SSIDs
//     1 to 3, "N/A" for "00:00:00:00:00:00"; the 5 GHz panel's SSID3 row
//     always shows "00:00:00:00:00:00 ".
#pragma once

#include <QMap>
#include <memory>

#include "shell/device_page.h"

class QLabel;

class CDeviceInfoPage : public CDevicePage {
  Q_OBJECT
 public:
  enum PanelId { kIdentity, kMac24, kMac5, kEthernet, kWireless24, kWireless5, kApArray, kDeviceStatus, kPanels };

  CDeviceInfoPage(AP_HANDLE session, QWidget* parent);
  ~CDeviceInfoPage() override;

  void OnGetDone() override;
  // What OnGetDone does with the record the handle gave.
  void Fill(const AP_DEVICE_INFO& record);

  int LayoutType() const { return layout_; }
  QWidget* Panel(PanelId id) const { return panels_[id].widget; }
  // The value shown in a panel's row, by the row's label ("heading" for the
  // MAC panels' heading).
  QString Value(PanelId id, const QString& label) const;

  static QString FormatMac(const QString& compact);
  static int LayoutTypeOf(int bandCount, const QString& currentBand, const QString& radio24,
                          const QString& radio5);

 private:
  struct PanelWidgets {
    QWidget* widget = nullptr;
    QMap<QString, QLabel*> values;
  };

  void BuildPanels();
  void SetValue(PanelId id, const QString& label, const QString& text);
  void Arrange();

  PanelWidgets panels_[kPanels];
  std::unique_ptr<AP_DEVICE_INFO> record_;
  int layout_ = 0;
};
