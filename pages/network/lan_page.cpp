#include "pages/network/lan_page.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "pages/record_fields.h"
#include "shell/data_exchange.h"
#include "shell/ip_address_ctrl.h"
#include "shell/validators.h"

namespace {

constexpr int kMsgInvalidIp = 61719;
constexpr int kMsgInvalidGateway = 61721;
constexpr int kMsgInvalidMask = 61722;

// A zeroed record with the LAN layout selected.
std::unique_ptr<AP_LAN_INFO> LanRecord() {
  auto record = std::make_unique<AP_LAN_INFO>();  // value-initialised: all zero
  record->selector = 2;
  return record;
}

}  // namespace

CLanPage::CLanPage(AP_HANDLE session, QWidget* parent) : CDevicePage(QStringLiteral("Basic \\ Lan"), parent) {
  auto label = [this](const char* text, int y) {
    auto* l = new QLabel(QString::fromLatin1(text), this);
    l->setGeometry(30, y, 140, 22);
  };
  label("Get IP From", 30);
  label("IP Address", 66);
  label("Subnet Mask ", 102);
  label("Default Gateway", 138);

  getIpFrom_ = new QComboBox(this);
  getIpFrom_->setObjectName(QStringLiteral("getIpFrom"));
  getIpFrom_->addItems({QStringLiteral("Static IP( Manual)"), QStringLiteral("Dynamic IP( DHCP)")});
  getIpFrom_->setGeometry(180, 30, 180, 24);
  ipAddress_ = new CIpAddressCtrl(this);
  ipAddress_->setObjectName(QStringLiteral("ipAddress"));
  ipAddress_->setGeometry(180, 66, 180, 24);
  subnetMask_ = new CIpAddressCtrl(this);
  subnetMask_->setObjectName(QStringLiteral("subnetMask"));
  subnetMask_->setGeometry(180, 102, 180, 24);
  gateway_ = new CIpAddressCtrl(this);
  gateway_->setObjectName(QStringLiteral("gateway"));
  gateway_->setGeometry(180, 138, 180, 24);
  save_ = new QPushButton(QStringLiteral("Save"), this);
  save_->setObjectName(QStringLiteral("save"));
  save_->setGeometry(180, 186, 90, 28);

  connect(getIpFrom_, &QComboBox::currentIndexChanged, this, [this] { OnGetIpFromChanged(); });
  connect(save_, &QPushButton::clicked, this, &CLanPage::OnSave);

  SetHandle(apSysDeviceInforOpen(session, 0));
}

bool CLanPage::ReadOnShow() {
  apStyleModify(Handle(), kLanGroup, 0);
  return true;
}

void CLanPage::OnGetDone() {
  auto record = LanRecord();
  apSysDeviceGetInfor(Handle(), record.get());
  Fill(*record);
}

void CLanPage::Fill(const AP_LAN_INFO& record) {
  ip_ = kav::pages::FieldText(record.ipAddress);
  mask_ = kav::pages::FieldText(record.subnetMask);
  gatewayText_ = kav::pages::FieldText(record.gateway);
  if (gatewayText_ == QLatin1String("N/A")) gatewayText_.clear();
  gateway_->setText(gatewayText_);
  mode_ = record.addressMode;
  CDataExchange dx(this, false);
  dx.ComboIndex(getIpFrom_, mode_);
  ExchangeAddressText(dx, ipAddress_, ip_);
  ExchangeAddressText(dx, subnetMask_, mask_);
  ExchangeAddressText(dx, gateway_, gatewayText_);
  ApplyEnablingRule();
}

void CLanPage::OnGetIpFromChanged() { ApplyEnablingRule(); }

void CLanPage::ApplyEnablingRule() {
  const bool manual = getIpFrom_->currentIndex() == 0;
  ipAddress_->setEnabled(manual);
  subnetMask_->setEnabled(manual);
  gateway_->setEnabled(manual);
}

void CLanPage::OnSave() {
  CDataExchange dx(this, true);
  dx.ComboIndex(getIpFrom_, mode_);
  const bool manual = mode_ == 0;
  ExchangeAddressText(dx, ipAddress_, ip_);
  if (manual) ValidateIp(dx, ip_, kMsgInvalidIp);
  ExchangeAddressText(dx, subnetMask_, mask_);
  if (manual) ValidateMask(dx, mask_, kMsgInvalidMask);
  ExchangeAddressText(dx, gateway_, gatewayText_);
  if (manual && !gateway_->IsBlank()) ValidateGateway(dx, gatewayText_, kMsgInvalidGateway);
  if (!dx.Finish()) return;
  if (!CheckIpMaskGateway(ip_, mask_, gatewayText_, this)) return;

  auto record = LanRecord();
  record->addressMode = mode_;
  kav::pages::SetField(record->ipAddress, ip_);
  kav::pages::SetField(record->subnetMask, mask_);
  kav::pages::SetField(record->gateway, gatewayText_);
  apSysDeviceSetInfor(Handle(), record.get());
  MarkChanged(kLanGroup);
  WriteToDevice(true);
}
