// The home page ("Home \ Information"), the page the window shows first:
// one read of the full device information fills a column of label and
// value rows.
//
//   - Opens a device-information handle on the window session.
//   - Every showing reads; the frame stays disabled with the wait cursor
//     for 600 ms from the start of the read.
//   - After a read: both operation-mode texts go to the frame when neither
//     is empty; the device's IP address and mask are remembered for the
//     choice of the local address (RememberCurrentDevice); every row is
//     filled (MAC addresses as the device sent them); the rows of the bands
//     the layout type names are shown and closed up; finally the rows
//     "SSID1", "SSID2" and "SSID3" under the MAC address show the addresses
//     of additional SSIDs 1 to 3 of the 2.4 GHz band ("N/A" for
//     "000000000000"), followed by the IP address.
//   - Layout type: 1 for a single-band device; for two bands from the band
//     states, "enabled"/"disabled" pairs giving 0 to 3; 0 otherwise.
//   - Writes nothing.
#pragma once

#include <memory>
#include <vector>

#include "shell/device_page.h"

class QLabel;

class CHomePage : public CDevicePage {
  Q_OBJECT
 public:
  static constexpr int kReadBusyMs = 600;

  CHomePage(AP_HANDLE session, QWidget* parent);
  ~CHomePage() override;

  bool ReadOnShow() override;
  void OnGetDone() override;
  // What OnGetDone does with the record the handle gave.
  void Fill(const AP_DEVICE_INFO& record);

  int LayoutType() const { return layout_; }
  static int LayoutTypeOf(int bandCount, const QString& band24State, const QString& band5State);

 private:
  struct Row {
    int labelId;
    int valueId;
    const char* text;  // the label as the dialog has it
    QLabel* label;
    QLabel* value;
  };

  Row& RowOf(int labelId);
  void SetValue(int labelId, const QString& text);
  void ShowRow(Row& row, bool show);
  void PlaceRow(Row& row, int top);
  void Arrange(int bandCount);
  void SetSsidRows(const AP_DEVICE_INFO& record);

  std::vector<Row> rows_;
  std::unique_ptr<AP_DEVICE_INFO> record_;
  int layout_ = 0;
  int top_ = 15;        // top of the first row
  int rowHeight_ = 16;  // height of a label
};
