// The library's two exports and what happens when it is loaded and
// unloaded.  Loading initialises the SNMP framework in the temporary
// folder and creates the client table; if that fails the error text is
// shown and every later request answers status 1 with it, since an ELF
// library cannot refuse its own load.


#include <QByteArray>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

#include "clientinfo/client_table.h"
#include "clientinfo/include/kav7420_clientinfo.h"
#include "clientinfo/qx_exception.h"
#include "clientinfo/qx_snmp_framework.h"

// Field order and, on a 32-bit build, the host's exact offsets.
static_assert(offsetof(ClientRow, band) == 1 * sizeof(void*));
static_assert(offsetof(ClientRow, mac) == 2 * sizeof(void*));
static_assert(offsetof(ClientRow, authentication) == 4 * sizeof(void*));
static_assert(offsetof(ClientRow, rssi) == 5 * sizeof(void*));
static_assert(offsetof(ClientRow, powerSave) > offsetof(ClientRow, rssi));
static_assert(offsetof(ClientRow, ssidIndex) == offsetof(ClientRow, powerSave) + sizeof(void*));
static_assert(offsetof(ClientResult, message) == sizeof(void*));
static_assert(offsetof(ClientResult, address) == 2 * sizeof(void*));
static_assert(offsetof(ClientResult, model) == 4 * sizeof(void*));
static_assert(sizeof(void*) != 4 || (sizeof(ClientRow) == 36 && offsetof(ClientRow, powerSave) == 24 &&
                                     offsetof(ClientRow, ssidIndex) == 28 && sizeof(ClientResult) == 20));

namespace kav::clientinfo {
namespace {

constexpr size_t kMaxTempPath = 256;

std::string TemporaryFolder() {
  QByteArray path = QDir::tempPath().toLocal8Bit();
  // A longer path would not fit the host's buffer; use the system's.
  if (path.isEmpty() || static_cast<size_t>(path.size()) > kMaxTempPath) return "/tmp";
  return path.toStdString();
}

// A failed load is told in a message box where the process shows windows,
// on standard error otherwise.
void ShowLoadError(const std::string& text) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
    QMessageBox::critical(nullptr, QStringLiteral("KAV-7420"), QString::fromStdString(text));
    return;
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}

class CLibraryState {
 public:
  CLibraryState() {
    try {
      CQxSnmpFramework::Initialise(TemporaryFolder(), "");
      m_table = std::make_unique<CClientTable>();
    } catch (const CQXException& e) {
      m_loadError = e.Message();
      ShowLoadError(m_loadError);
    }
  }
  ~CLibraryState() {
    m_table.reset();
    CQxSnmpFramework::Release();
  }

  CClientTable* Table() { return m_table.get(); }
  const std::string& LoadError() const { return m_loadError; }

 private:
  std::unique_ptr<CClientTable> m_table;
  std::string m_loadError;
};

CLibraryState g_state;

}  // namespace
}  // namespace kav::clientinfo

using kav::clientinfo::g_state;

extern "C" KAV7420_CLIENTINFO_API void KAV7420PlugSetSnmpParameter(uint32_t address, const char* readCommunity,
                                                                   const char* writeCommunity, int32_t port,
                                                                   int32_t timeout) {
  if (auto* table = g_state.Table()) table->SetSnmpParameter(address, readCommunity, writeCommunity, port, timeout);
}

extern "C" KAV7420_CLIENTINFO_API void KAV7420PlugGetClinetInfor(const char* address,
                                                                 KAV7420ClientInfoCallback callback, void*,
                                                                 void* context) {
  if (auto* table = g_state.Table()) {
    table->GetClientInfo(address, callback, context);
    return;
  }
  if (!callback) return;
  std::string device = address ? address : "";
  ClientResult record{};
  record.status = 1;
  record.message = g_state.LoadError().c_str();
  record.address = device.data();
  record.model = kav::clientinfo::CClientTable::kModelName;
  callback(&record, 0, nullptr, context);
}
