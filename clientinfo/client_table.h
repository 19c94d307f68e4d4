// The wireless-client table of a device, read for the host: ask the
// device to refresh its table, walk it row by row, collect the rows per
// device address and hand the finished list to the host's callback.
//
// One instance serves the process (the library's exports use it); its
// completions find it through Instance().  Everything runs on the thread
// of the Qt event loop.
#pragma once

#include <cstdint>
#include <array>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "clientinfo/include/kav7420_clientinfo.h"
#include "clientinfo/qx_snmp_session.h"

namespace kav::clientinfo {

class CClientTable {
 public:
  static constexpr const char* kModelName = "KAV-7420";

  // Needs the framework initialised.
  CClientTable();
  ~CClientTable();
  CClientTable(const CClientTable&) = delete;
  CClientTable& operator=(const CClientTable&) = delete;
  static CClientTable* Instance();

  // address in network byte order; time-out in milliseconds.
  void SetSnmpParameter(uint32_t address, const char* readCommunity, const char* writeCommunity, int32_t port,
                        int32_t timeout);
  // Answers once through callback, later; the callback slot is shared, so
  // a second request before the first answered gets both answers.
  void GetClientInfo(const char* address, KAV7420ClientInfoCallback callback, void* context);

  // For tests: the stored parameters, the shared session and the rows a
  // device has gathered in a walk that has not been delivered.
  const std::string& StoredAddress() const { return m_address; }
  CQxSnmpSession& Session() { return m_session; }
  size_t PendingRows(const std::string& address) const;

 private:
  struct Pending {
    std::string address;
    std::vector<ClientRow*> rows;
    std::unordered_set<std::string> keys;  // SSID index, band and MAC of every row
  };

  using RowTexts = std::array<std::string, 6>;  // the six columns of one step

  static void OnRefresh(const QxSnmpResult& result, const std::shared_ptr<CQxVarList>& list, void* context);
  static void OnRow(const QxSnmpResult& result, const std::shared_ptr<CQxVarList>& list, void* context);

  void Aim(CQxSnmpSession& session, const std::string& address) const;
  void StartWalk(const std::string& address, void* context);
  void Continue(const QxSnmpResult& result, const std::shared_ptr<CQxVarList>& list, void* context);
  std::string ReadBand(const std::string& address);
  void AddRow(const std::string& address, const std::string& band, const RowTexts& texts);
  void Deliver(const QxSnmpResult& result, void* context);
  void Fail(const std::string& address, const std::string& message, void* context) const;
  static void FreeRow(ClientRow* row);

  std::string m_address = "0.0.0.0";
  std::string m_readCommunity;
  std::string m_writeCommunity;
  uint16_t m_port = 0;
  int32_t m_timeout = 0;
  KAV7420ClientInfoCallback m_callback = nullptr;
  CQxSnmpSession m_session;
  CQxSnmpSession m_bandSession;
  std::vector<std::unique_ptr<Pending>> m_pending;
};

}  // namespace kav::clientinfo
