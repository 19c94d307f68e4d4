#include "pages/status/device_info_page.h"

#include <QGroupBox>
#include <QLabel>

#include "pages/record_fields.h"
#include "shell/scroll_manager.h"

using kav::pages::FieldText;

namespace {

constexpr int kPanelWidth = 600;
constexpr int kRowHeight = 20;
constexpr int kLabelX = 20;
constexpr int kValueX = 230;
constexpr const char* kZeroMac = "00:00:00:00:00:00 ";
const QString kHeading = QStringLiteral("heading");

}  // namespace

CDeviceInfoPage::CDeviceInfoPage(AP_HANDLE session, QWidget* parent)
    : CDevicePage(QStringLiteral("Status \\ Device Information"), parent),
      record_(std::make_unique<AP_DEVICE_INFO>()) {
  BuildPanels();
  SetHandle(apSysDeviceInforOpen(session, 0));
}

CDeviceInfoPage::~CDeviceInfoPage() = default;

// Each panel is a borderless child; the group panels draw a titled frame.
void CDeviceInfoPage::BuildPanels() {
  struct Spec {
    PanelId id;
    const char* name;
    const char* group;  // caption of the frame, null for a plain panel
    const char* heading;
    std::vector<const char*> rows;
  };
  const Spec specs[] = {
      {kIdentity, "identity", nullptr, nullptr, {"Firmware Version:", "Ethernet MAC Address:"}},
      {kMac24, "wirelessMac24", nullptr, "Wireless MAC Address(2.4GHz): ",
       {"Primary: ", "SSID1: ", "SSID2: ", "SSID3: "}},
      {kMac5, "wirelessMac5", nullptr, "Wireless MAC Address(5GHz): ", {"Primary: ", "SSID1: ", "SSID2: ", "SSID3: "}},
      {kEthernet, "ethernet", "Ethernet", nullptr, {"IP Address ", "Subnet Mask ", "Gateway"}},
      {kWireless24, "wireless24", "Wireless (2.4GHz) ", nullptr,
       {"Network Name (SSID)", "Channel", "Data Rate ", "Security "}},
      {kWireless5, "wireless5", "Wireless (5GHz) ", nullptr, {"Network Name (SSID)", "Channel", "Data Rate ", "Security "}},
      {kApArray, "apArray", "AP Arrary ", nullptr, {"AP Arrary ", "Role", "Location"}},
      {kDeviceStatus, "deviceStatus", "Device Status", nullptr, {"CPU Utilization ", "Memory Utilization "}},
  };
  for (const Spec& s : specs) {
    PanelWidgets& p = panels_[s.id];
    QWidget* panel;
    int y = 6;
    if (s.group) {
      auto* box = new QGroupBox(QString::fromLatin1(s.group), this);
      panel = box;
      y = 24;
    } else {
      panel = new QWidget(this);
    }
    panel->setObjectName(QString::fromLatin1(s.name));
    p.widget = panel;
    if (s.heading) {
      auto* heading = new QLabel(QString::fromLatin1(s.heading), panel);
      heading->setGeometry(10, y, kPanelWidth - 20, kRowHeight);
      p.values.insert(kHeading, heading);
      y += kRowHeight;
    }
    for (const char* row : s.rows) {
      auto* label = new QLabel(QString::fromLatin1(row), panel);
      label->setGeometry(kLabelX, y, kValueX - kLabelX - 10, kRowHeight);
      auto* value = new QLabel(panel);
      value->setTextFormat(Qt::PlainText);
      value->setTextInteractionFlags(Qt::TextSelectableByMouse);
      value->setGeometry(kValueX, y, kPanelWidth - kValueX - 40, kRowHeight);
      p.values.insert(QString::fromLatin1(row), value);
      if (s.id == kDeviceStatus) {
        auto* percent = new QLabel(QStringLiteral("%"), panel);
        percent->setGeometry(kPanelWidth - 40, y, 20, kRowHeight);
      }
      y += kRowHeight;
    }
    panel->resize(kPanelWidth, y + 8);
    panel->setVisible(s.id == kIdentity);  // the rest appear after the first read
  }
  SetValue(kMac24, "SSID3: ", QString::fromLatin1(kZeroMac));
  SetValue(kMac5, "SSID3: ", QString::fromLatin1(kZeroMac));
  panels_[kIdentity].widget->move(0, 0);
}

void CDeviceInfoPage::SetValue(PanelId id, const QString& label, const QString& text) {
  if (QLabel* value = panels_[id].values.value(label)) value->setText(text);
}

QString CDeviceInfoPage::Value(PanelId id, const QString& label) const {
  QLabel* value = panels_[id].values.value(label);
  return value ? value->text() : QString();
}

QString CDeviceInfoPage::FormatMac(const QString& compact) {
  QStringList pairs;
  for (int i = 0; i < 12; i += 2) pairs << compact.mid(i, 2);
  return pairs.join(u':');
}

int CDeviceInfoPage::LayoutTypeOf(int bandCount, const QString& currentBand, const QString& radio24,
                                  const QString& radio5) {
  if (bandCount == 1) return currentBand == QLatin1String("band2dot4gHz") ? 1 : 2;
  if (bandCount != 2) return 0;
  const QString pair = radio24 + u'/' + radio5;
  if (pair == QLatin1String("on/off")) return 1;
  if (pair == QLatin1String("off/on")) return 2;
  if (pair == QLatin1String("on/on")) return 3;
  return 0;  // "off/off" and anything unexpected
}

void CDeviceInfoPage::OnGetDone() {
  AP_DEVICE_INFO& r = *record_;
  r.selector = 0;
  r.bandCount = 1;
  apSysDeviceGetInfor(Handle(), &r);
  Fill(r);
}

void CDeviceInfoPage::Fill(const AP_DEVICE_INFO& r) {
  SetValue(kIdentity, "Firmware Version:", FieldText(r.firmwareVersion));
  SetValue(kIdentity, "Ethernet MAC Address:", FormatMac(FieldText(r.ethernetMac)));
  panels_[kIdentity].widget->update();

  const QString heading24 = r.bandCount == 1 ? QStringLiteral("Wireless MAC Address: ")
                                             : QStringLiteral("Wireless MAC Address(2.4GHz): ");
  SetValue(kMac24, kHeading, heading24);
  const PanelId macPanels[2] = {kMac24, kMac5};
  const PanelId wirelessPanels[2] = {kWireless24, kWireless5};
  for (int b = 0; b < 2; ++b) {
    SetValue(macPanels[b], "Primary: ", FormatMac(FieldText(r.wlanMac[b])));
    SetValue(macPanels[b], "SSID1: ", FormatMac(FieldText(r.firstSsidMac[b])));
    SetValue(macPanels[b], "SSID2: ", FormatMac(FieldText(r.lastSsidMac[b])));
    panels_[macPanels[b]].widget->update();
    SetValue(wirelessPanels[b], "Network Name (SSID)", FieldText(r.ssid[b]));
    SetValue(wirelessPanels[b], "Channel", FieldText(r.channel[b]));
    SetValue(wirelessPanels[b], "Data Rate ", FieldText(r.dataRate[b]));
    SetValue(wirelessPanels[b], "Security ", FieldText(r.security[b]));
    panels_[wirelessPanels[b]].widget->update();
  }
  SetValue(kEthernet, "IP Address ", FieldText(r.ipAddress));
  SetValue(kEthernet, "Subnet Mask ", FieldText(r.subnetMask));
  SetValue(kEthernet, "Gateway", FieldText(r.gateway));
  panels_[kEthernet].widget->update();
  SetValue(kApArray, "AP Arrary ", FieldText(r.apArrayName));
  SetValue(kApArray, "Role", FieldText(r.apArrayRole));
  SetValue(kApArray, "Location", FieldText(r.apArrayLocation));
  panels_[kApArray].widget->update();
  SetValue(kDeviceStatus, "CPU Utilization ", QString::number(r.cpuUtilization));
  SetValue(kDeviceStatus, "Memory Utilization ", QString::number(r.memUtilization));
  panels_[kDeviceStatus].widget->update();

  layout_ = LayoutTypeOf(r.bandCount, FieldText(r.currentBand), FieldText(r.radioState[0]),
                         FieldText(r.radioState[1]));
  Arrange();

  // The 2.4 GHz panel's SSID rows show additional SSIDs 1 to 3.
  const char* rows[3] = {"SSID1: ", "SSID2: ", "SSID3: "};
  for (int i = 0; i < 3; ++i) {
    QString mac = FormatMac(FieldText(r.ssidMac[i][0]));
    if (mac == QLatin1String("00:00:00:00:00:00")) mac = QStringLiteral("N/A");
    SetValue(kMac24, rows[i], mac);
  }
}

// Stacks the panels of the layout type under the identity panel.  Positions
// are taken from the identity panel as it stands, so a scrolled page stays
// consistent.
void CDeviceInfoPage::Arrange() {
  QWidget* identity = panels_[kIdentity].widget;
  const bool band24 = layout_ & 1;
  const bool band5 = layout_ & 2;
  const std::pair<PanelId, bool> column[] = {
      {kMac24, band24}, {kMac5, band5}, {kEthernet, true}, {kWireless24, band24}, {kWireless5, band5}, {kApArray, true},
  };
  const int left = identity->x();
  int top = identity->geometry().bottom() + 1;
  for (const auto& [id, shown] : column) {
    QWidget* panel = panels_[id].widget;
    if (!shown) {
      panel->hide();
      continue;
    }
    panel->move(left, top);
    panel->show();
    top += panel->height();
  }
  panels_[kDeviceStatus].widget->move(left, top);
  panels_[kDeviceStatus].widget->hide();
  // From the top of the content (where the identity panel started) to 10
  // below the AP array panel.
  ScrollManager()->SetDisplaySize(kPanelWidth, top - identity->y() + 10);
}
