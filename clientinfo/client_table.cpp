#include "clientinfo/client_table.h"

#include <arpa/inet.h>

#include <cstdlib>
#include <cstring>

#include "clientinfo/client_objects.h"
#include "clientinfo/qx_exception.h"
#include "clientinfo/value_text.h"

namespace kav::clientinfo {
namespace {

CClientTable* g_instance = nullptr;

char* Copy(const std::string& text) { return strdup(text.c_str()); }

// Column positions in kClientTableVars.
enum Column { kMac = 0, kBand = 1, kAuthentication = 2, kRssi = 3, kPowerSave = 4, kSsidIndex = 5 };

}  // namespace

CClientTable::CClientTable() { g_instance = this; }

CClientTable::~CClientTable() {
  for (auto& pending : m_pending)
    for (ClientRow* row : pending->rows) FreeRow(row);
  if (g_instance == this) g_instance = nullptr;
}

CClientTable* CClientTable::Instance() { return g_instance; }

void CClientTable::SetSnmpParameter(uint32_t address, const char* readCommunity, const char* writeCommunity,
                                    int32_t port, int32_t timeout) {
  char text[INET_ADDRSTRLEN] = "0.0.0.0";
  in_addr a{};
  a.s_addr = address;  // already in network order
  inet_ntop(AF_INET, &a, text, sizeof text);
  m_address = text;
  m_readCommunity = readCommunity ? readCommunity : "";
  m_writeCommunity = writeCommunity ? writeCommunity : "";
  m_port = static_cast<uint16_t>(port);
  m_timeout = timeout;
}

size_t CClientTable::PendingRows(const std::string& address) const {
  for (const auto& pending : m_pending)
    if (pending->address == address) return pending->rows.size();
  return 0;
}

void CClientTable::Aim(CQxSnmpSession& session, const std::string& address) const {
  QxSessionSettings& s = session.Settings();
  s.address = address;
  s.port = m_port;
  s.readCommunity = m_readCommunity;
  s.writeCommunity = m_writeCommunity;
  // Each of the two tries waits half the host's time-out.  The host's
  // value is in milliseconds, the session's in hundredths of a second.
  const int32_t halfMs = m_timeout / 2;
  s.timeout = halfMs > 0 ? (halfMs + 9) / 10 : 0;
}

void CClientTable::GetClientInfo(const char* address, KAV7420ClientInfoCallback callback, void* context) {
  const std::string device = address ? address : "";
  m_callback = callback;
  try {
    auto list = CQxVarList::BuildList(kClientRefreshVars, SVT_SV);
    (*list)[0].value = "1";
    Aim(m_session, device);
    m_session.SetList(list);
    m_session.SetAsync(&CClientTable::OnRefresh, context);
  } catch (const CQXException& e) {
    Fail(device, e.Message(), context);
  }
}

void CClientTable::OnRefresh(const QxSnmpResult& result, const std::shared_ptr<CQxVarList>&, void* context) {
  CClientTable* self = Instance();
  if (!self) return;
  if (result.status != 0) {
    self->Fail(result.address, result.message, context);
    return;
  }
  self->StartWalk(result.address, context);
}

void CClientTable::StartWalk(const std::string& address, void* context) {
  try {
    auto list = CQxVarList::BuildList(kClientTableVars, MVT_UMV);
    Aim(m_session, address);
    m_session.SetList(list);
    m_session.WalkAsync(&CClientTable::OnRow, true, context);
  } catch (const CQXException& e) {
    // The walk's own error, not the refresh's success text.
    Fail(address, e.Message(), context);
  }
}

void CClientTable::OnRow(const QxSnmpResult& result, const std::shared_ptr<CQxVarList>& list, void* context) {
  CClientTable* self = Instance();
  // A failed step ends the walk; its rows wait for the next walk.
  if (!self || result.status != 0) return;
  if (list->Count() != kClientColumnCount) return;

  // The texts of this step, before the list travels on with the next one.
  RowTexts texts;
  for (int column = 0; column < kClientColumnCount; ++column) texts[column] = (*list)[column].value;
  const std::string& mac = texts[kMac];
  const bool client = mac != kNotDone && !mac.empty() && mac != "000000000000";

  // The next step is sent first, so that its round trip overlaps the
  // band read below: a row costs the time of one round trip, not two.
  if (!result.endOfWalk) self->Continue(result, list, context);
  if (client) {
    // The band of the device's radio, read only for a row that uses it.
    self->AddRow(result.address, self->ReadBand(result.address), texts);
  } else if (result.endOfWalk && mac == kNotDone) {
    self->Deliver(result, context);
  }
}

std::string CClientTable::ReadBand(const std::string& address) {
  try {
    if (!m_bandSession.List()) m_bandSession.SetList(CQxVarList::BuildList(kDeviceBandVars, SVT_SV));
    Aim(m_bandSession, address);
    m_bandSession.GetNow();
    return (*m_bandSession.List())[0].value;
  } catch (const CQXException&) {
    return "";
  }
}

void CClientTable::AddRow(const std::string& address, const std::string& band, const RowTexts& list) {
  Pending* entry = nullptr;
  for (auto& pending : m_pending)
    if (pending->address == address) entry = pending.get();
  std::unique_ptr<Pending> created;
  if (!entry) {
    created = std::make_unique<Pending>();
    created->address = address;
    entry = created.get();
  }
  const std::string& mac = list[kMac];
  const std::string& ssid = list[kSsidIndex];
  std::string key = ssid + '\n' + band + '\n' + mac;
  if (entry->keys.insert(std::move(key)).second) {
    auto* row = static_cast<ClientRow*>(calloc(1, sizeof(ClientRow)));
    row->band = Copy(band);
    row->mac = Copy(mac);
    row->authentication = Copy(list[kAuthentication]);
    row->rssi = static_cast<int32_t>(std::atoi(list[kRssi].c_str()));
    row->powerSave = Copy(list[kPowerSave]);
    row->ssidIndex = Copy(ssid);
    entry->rows.push_back(row);
  }
  if (created) m_pending.push_back(std::move(created));
}

void CClientTable::Continue(const QxSnmpResult& result, const std::shared_ptr<CQxVarList>& list, void* context) {
  try {
    Aim(m_session, result.address);
    m_session.SetList(list);
    if (m_session.Ready()) m_session.WalkAsync(&CClientTable::OnRow, false, context);
  } catch (const CQXException& e) {
    // The walk cannot go on: say so instead of leaving the host waiting.
    Fail(result.address, e.Message(), context);
  }
}

void CClientTable::Deliver(const QxSnmpResult& result, void* context) {
  std::unique_ptr<Pending> entry;
  for (auto it = m_pending.begin(); it != m_pending.end(); ++it)
    if ((*it)->address == result.address) {
      entry = std::move(*it);
      m_pending.erase(it);
      break;
    }
  ClientResult record{};
  record.status = 0;
  record.message = result.message.c_str();
  record.address = Copy(result.address);
  record.model = kModelName;
  const int32_t count = entry ? static_cast<int32_t>(entry->rows.size()) : 0;
  if (m_callback) m_callback(&record, count, count ? entry->rows.data() : nullptr, context);
  free(record.address);
  if (entry)
    for (ClientRow* row : entry->rows) FreeRow(row);
}

void CClientTable::Fail(const std::string& address, const std::string& message, void* context) const {
  ClientResult record{};
  record.status = 1;
  record.message = message.c_str();
  record.address = Copy(address);
  record.model = kModelName;
  if (m_callback) m_callback(&record, 0, nullptr, context);
  free(record.address);
}

void CClientTable::FreeRow(ClientRow* row) {
  free(row->band);
  free(row->mac);
  free(row->authentication);
  free(row->powerSave);
  free(row->ssidIndex);
  free(row);
}

}  // namespace kav::clientinfo
