#include "pages/status/home_page.h"

#include <QLabel>
#include <cstring>

#include "module/local_address.h"
#include "pages/record_fields.h"
#include "shell/main_frame.h"

using kav::pages::FieldText;

namespace {
constexpr int kLabelX = 20;
constexpr int kLabelWidth = 190;
constexpr int kValueX = 220;
constexpr int kValueWidth = 420;
constexpr int kRowSpacing = 10;  // between the bottom of a label and the top of the next
const QString kNoMac = QStringLiteral("000000000000");
}  // namespace

CHomePage::CHomePage(AP_HANDLE session, QWidget* parent)
    : CDevicePage(QStringLiteral("Home \\ Information"), parent), record_(std::make_unique<AP_DEVICE_INFO>()) {
  rows_ = {
      {1397, 1389, "Model Name"},
      {1398, 1373, "Firmware Version"},
      {1399, 1374, "System Name"},
      {1400, 1065, "Location"},
      {1401, 1375, "System Time"},
      {1402, 1376, "Up Time"},
      {1386, 1377, "Operation Mode(2.4GHz)"},
      {1385, 1378, "Operation Mode(5GHz)"},
      {1384, 1379, "MAC Address(2.4GHz)"},
      {1390, 1392, "SSID 1~7(2.4GHz)"},
      {1383, 1380, "MAC Address(5GHz)"},
      {1391, 1393, "SSID 1~7(5GHz)"},
      {1382, 1381, "IP Address"},
  };
  for (Row& row : rows_) {
    row.label = new QLabel(QString::fromLatin1(row.text), this);
    row.label->setObjectName(QString::number(row.labelId));
    row.value = new QLabel(this);
    row.value->setObjectName(QString::number(row.valueId));
    row.value->setTextFormat(Qt::PlainText);
    row.value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  rowHeight_ = rows_.front().label->sizeHint().height();
  int top = top_;
  for (Row& row : rows_) {
    PlaceRow(row, top);
    top += rowHeight_ + kRowSpacing;
  }
  SetHandle(apSysDeviceInforOpen(session, 0));
}

CHomePage::~CHomePage() = default;

CHomePage::Row& CHomePage::RowOf(int labelId) {
  for (Row& row : rows_)
    if (row.labelId == labelId) return row;
  return rows_.front();  // not reached: every caller names a row of the table
}

void CHomePage::SetValue(int labelId, const QString& text) { RowOf(labelId).value->setText(text); }

void CHomePage::ShowRow(Row& row, bool show) {
  row.label->setVisible(show);
  row.value->setVisible(show);
}

void CHomePage::PlaceRow(Row& row, int top) {
  row.label->setGeometry(kLabelX, top, kLabelWidth, rowHeight_);
  row.value->setGeometry(kValueX, top, kValueWidth, rowHeight_);
}

bool CHomePage::ReadOnShow() {
  ShowStatus(QString::fromLatin1(kReadingText));
  BeginLongOperation(kReadBusyMs);
  return true;
}

int CHomePage::LayoutTypeOf(int bandCount, const QString& band24State, const QString& band5State) {
  if (bandCount == 1) return 1;
  if (bandCount != 2) return 0;
  const bool on24 = band24State == QLatin1String("enabled");
  const bool on5 = band5State == QLatin1String("enabled");
  const bool off24 = band24State == QLatin1String("disabled");
  const bool off5 = band5State == QLatin1String("disabled");
  if (off24 && off5) return 0;
  if (on24 && off5) return 1;
  if (off24 && on5) return 2;
  if (on24 && on5) return 3;
  return 0;
}

void CHomePage::OnGetDone() {
  AP_DEVICE_INFO& r = *record_;
  r.selector = 0;
  r.bandCount = 1;
  std::memset(r.opMode, 0, sizeof r.opMode);
  apSysDeviceGetInfor(Handle(), &r);
  Fill(r);
}

void CHomePage::Fill(const AP_DEVICE_INFO& r) {
  const QString mode24 = FieldText(r.opMode[0]);
  const QString mode5 = FieldText(r.opMode[1]);
  if (!mode24.isEmpty() && !mode5.isEmpty()) {
    if (CMainFrame* frame = Frame()) frame->SetModeTexts(mode24, mode5);
  }
  kav::module::RememberCurrentDevice(FieldText(r.ipAddress).toStdString(), FieldText(r.subnetMask).toStdString());

  SetValue(1397, FieldText(r.modelName));
  SetValue(1398, FieldText(r.firmwareVersion));
  SetValue(1399, FieldText(r.systemName));
  SetValue(1400, FieldText(r.location));
  SetValue(1401, FieldText(r.systemTime));
  SetValue(1402, FieldText(r.upTime));
  SetValue(1386, mode24);
  SetValue(1385, mode5);
  SetValue(1384, FieldText(r.wlanMac[0]));
  SetValue(1390, FieldText(r.firstSsidMac[0]) + QStringLiteral(" ~ ") + FieldText(r.lastSsidMac[0]));
  SetValue(1383, FieldText(r.wlanMac[1]));
  SetValue(1391, FieldText(r.firstSsidMac[1]) + QStringLiteral(" ~ ") + FieldText(r.lastSsidMac[1]));
  SetValue(1382, FieldText(r.ipAddress));

  layout_ = LayoutTypeOf(r.bandCount, FieldText(r.bandState[0]), FieldText(r.bandState[1]));
  Arrange(r.bandCount);
  SetSsidRows(r);
}

// Every read starts from the rows as the dialog has them, so the result
// does not depend on what an earlier read did.
void CHomePage::Arrange(int bandCount) {
  for (Row& row : rows_) {
    row.label->setText(QString::fromLatin1(row.text));
    ShowRow(row, true);
  }
  if (bandCount == 1) {
    RowOf(1386).label->setText(QStringLiteral("Operation Mode"));
    RowOf(1384).label->setText(QStringLiteral("MAC Address"));
    RowOf(1390).label->setText(QStringLiteral("SSID 1~7"));
    ShowRow(RowOf(1385), false);
    ShowRow(RowOf(1383), false);
  } else if (bandCount == 2) {
    ShowRow(RowOf(1390), layout_ == 1 || layout_ == 3);
    ShowRow(RowOf(1391), layout_ == 2 || layout_ == 3);
  }
  int top = top_;
  for (Row& row : rows_) {
    if (!row.label->isVisibleTo(this)) continue;
    PlaceRow(row, top);
    top += rowHeight_ + kRowSpacing;
  }
}

// Under the MAC address: SSID1 to SSID3 of the 2.4 GHz band, then the IP
// address, whatever the arrangement hid.
void CHomePage::SetSsidRows(const AP_DEVICE_INFO& r) {
  QString mac[3];
  for (int i = 0; i < 3; ++i) {
    mac[i] = FieldText(r.ssidMac[i][0]);
    if (mac[i] == kNoMac) mac[i] = QStringLiteral("N/A");
  }
  Row& ssid1 = RowOf(1390);
  Row& ssid2 = RowOf(1383);
  Row& ssid3 = RowOf(1391);
  ssid1.label->setText(QStringLiteral("SSID1"));
  ssid1.value->setText(mac[0]);
  ssid2.label->setText(QStringLiteral("SSID2"));
  ssid2.value->setText(mac[1]);
  ssid3.label->setText(QStringLiteral("SSID3"));
  ssid3.value->setText(mac[2]);
  // The MAC address row is never hidden; the three rows and the IP
  // address follow it, each one row height and the spacing further down.
  int top = RowOf(1384).label->y();
  for (Row* row : {&ssid1, &ssid2, &ssid3, &RowOf(1382)}) {
    top += rowHeight_ + kRowSpacing;
    ShowRow(*row, true);
    PlaceRow(*row, top);
  }
}
