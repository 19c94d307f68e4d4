#include "clientinfo/qx_snmp_framework.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <cstdlib>
#include <map>
#include <memory>
#include <unordered_set>

#include "clientinfo/boot_counter_file.h"
#include "clientinfo/qx_event_processor.h"
#include "clientinfo/qx_exception.h"
#include "clientinfo/qx_pending_request.h"
#include "clientinfo/snmp_channel.h"

namespace kav::clientinfo {
namespace {

struct Global {
  bool initialised = false;
  bool releasing = false;
  QxSessionSettings defaults;
  int engineBoots = 0;
  std::map<std::string, std::unique_ptr<CSnmpChannel>> asyncChannels;
  std::map<std::string, std::unique_ptr<CSnmpChannel>> syncChannels;
  std::unordered_set<CQxPendingRequest*> requests;
  QPointer<CQxEventProcessor> processor;
};

Global& G() {
  static Global* global = new Global;  // outlives every static destructor that may still release
  return *global;
}

void StartNetSnmp(int boots) {
  static bool started = false;
  if (!started) {
    // No configuration files, no persistent state, no MIB files: the
    // framework names every object by its numeric identifier.
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    // net-snmp reads the MIB modules named by $MIBS (or its default list)
    // whatever the flags say; an empty list loads none and prints nothing.
    const char* mibs = getenv("MIBS");
    std::string saved = mibs ? mibs : "";
    setenv("MIBS", "", 1);
    init_snmp(CQxSnmpFramework::kEngineId);
    if (mibs) {
      setenv("MIBS", saved.c_str(), 1);
    } else {
      unsetenv("MIBS");
    }
    started = true;
  }
  setup_engineID(nullptr, CQxSnmpFramework::kEngineId);
  // The handler of net-snmp's "engineBoots" setting counts one boot on
  // top of the value it is given.
  std::string previous = std::to_string(boots - 1);
  engineBoots_conf("engineBoots", previous.data());
}

// Opening a channel for an SNMPv3 user replaces net-snmp's keys of that
// user, so the user's other channels (of an older password) go, unless a
// request is still on its way through one.
void ForgetChannelsOf(const std::string& user) {
  for (auto* pool : {&G().asyncChannels, &G().syncChannels})
    for (auto it = pool->begin(); it != pool->end();) {
      CSnmpChannel& channel = *it->second;
      if (channel.UserName() != user || channel.Outstanding() != 0 || channel.Busy()) {
        ++it;
        continue;
      }
      if (G().processor) G().processor->Unwatch(channel.Socket());
      it = pool->erase(it);
    }
}

CSnmpChannel& ChannelIn(std::map<std::string, std::unique_ptr<CSnmpChannel>>& pool, const QxSessionSettings& target,
                        bool watch) {
  if (!G().initialised) throw CQXException(qx::kCreateSession);
  std::string key = target.ChannelKey();
  auto it = pool.find(key);
  if (it == pool.end()) {
    if (target.version == 3) ForgetChannelsOf(target.securityName);
    it = pool.emplace(key, CSnmpChannel::Open(target)).first;
    if (watch && G().processor) G().processor->Watch(it->second->Socket());
  }
  return *it->second;
}

}  // namespace

void CQxSnmpFramework::Initialise(const std::string& tempFolder, const std::string& /*second*/) {
  if (G().initialised) Release();
  Global& g = G();
  // The global session: the channel pools, empty until a target is used.
  g.asyncChannels.clear();
  g.syncChannels.clear();

  CBootCounterFile counter(tempFolder + "/" + CBootCounterFile::kFileName);
  int boots = counter.Load(kEngineId);
  if (boots < CBootCounterFile::kNoEntry) throw CQXException(qx::kLoadBoots);
  if (boots < 0) boots = 0;
  ++boots;
  if (!counter.Save(kEngineId, boots)) throw CQXException(qx::kSaveBoots);
  g.engineBoots = boots;
  StartNetSnmp(boots);

  g.defaults = QxSessionSettings{};
  g.initialised = true;
  if (QCoreApplication::instance()) {
    try {
      EnsureEventProcessor();
    } catch (...) {
      g.initialised = false;
      throw;
    }
  }
}

void CQxSnmpFramework::Release() {
  Global& g = G();
  if (!g.initialised) return;
  g.releasing = true;
  delete g.processor.data();
  g.processor.clear();
  // Closing a channel frees net-snmp's requests; ours are dropped after.
  g.asyncChannels.clear();
  g.syncChannels.clear();
  for (CQxPendingRequest* request : g.requests) delete request;
  g.requests.clear();
  g.releasing = false;
  g.initialised = false;
}

bool CQxSnmpFramework::Initialised() { return G().initialised; }
const QxSessionSettings& CQxSnmpFramework::Defaults() { return G().defaults; }
int CQxSnmpFramework::EngineBoots() { return G().engineBoots; }

CSnmpChannel& CQxSnmpFramework::AsyncChannel(const QxSessionSettings& target) {
  return ChannelIn(G().asyncChannels, target, true);
}

CSnmpChannel& CQxSnmpFramework::SyncChannel(const QxSessionSettings& target) {
  return ChannelIn(G().syncChannels, target, false);
}

void CQxSnmpFramework::EnsureEventProcessor() {
  Global& g = G();
  if (g.processor) return;
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) throw CQXException(qx::kTimerError);
  // A child of the application, so that it goes with it even when the
  // library is unloaded only at process exit.
  auto* processor = new CQxEventProcessor(app->thread() == QThread::currentThread() ? app : nullptr);
  if (!processor->Running()) {
    delete processor;
    throw CQXException(qx::kTimerError);
  }
  g.processor = processor;
  for (auto& [key, channel] : g.asyncChannels) processor->Watch(channel->Socket());
}

bool CQxSnmpFramework::EventProcessorRunning() { return G().processor && G().processor->Running(); }

void CQxSnmpFramework::ProcessPendingEvents() {
  Global& g = G();
  if (!g.initialised) return;
  // A completion may open a channel for a new target: iterate over a copy.
  std::vector<CSnmpChannel*> channels;
  for (auto& [key, channel] : g.asyncChannels) channels.push_back(channel.get());
  for (CSnmpChannel* channel : channels) {
    channel->Read();
    channel->Timeouts();
  }
}

void CQxSnmpFramework::ReadSocket(int socket) {
  Global& g = G();
  if (!g.initialised) return;
  for (auto& [key, channel] : g.asyncChannels)
    if (channel->Socket() == socket) {
      channel->Read();
      return;
    }
}

void CQxSnmpFramework::Track(CQxPendingRequest* request) { G().requests.insert(request); }
void CQxSnmpFramework::Untrack(CQxPendingRequest* request) { G().requests.erase(request); }
size_t CQxSnmpFramework::Outstanding() { return G().requests.size(); }
bool CQxSnmpFramework::Releasing() { return G().releasing; }

}  // namespace kav::clientinfo
