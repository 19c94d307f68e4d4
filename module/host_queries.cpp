// Queries the host makes without the configuration window: the subnet mask,
// the digest of the basic configuration, the traffic digest and the client
// list.
#include <arpa/inet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "module/app.h"
#include "module/host_records.h"

using namespace kav::module;


namespace {

// The value group of the device-information handle that holds the wired
// IP settings, the subnet mask among them.
constexpr uint32_t kLanSettingsMask = 2;

char* copyText(const char* s) { return strdup(s ? s : ""); }

char* decimal(int32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", n);
  return strdup(buf);
}

// The module's context of one query: the host's context and, for the basic
// configuration, the host tag of that very request.
struct QueryContext {
  void* hostContext;
  std::string tag;
};

int onBasicConfig(intptr_t first, int status, const char*, void* context, const char* address) {
  auto* q = static_cast<QueryContext*>(context);
  PlugQueryCallback callback = gSlots.basicConfig;
  auto* st = static_cast<QueryStatus*>(calloc(1, sizeof(QueryStatus)));
  st->address = copyText(address);
  if (status != 0) {
    st->tag = copyText(q->tag.c_str());
    if (callback) callback(st, 0, nullptr, q->hostContext);
    free(st->tag);
  } else {
    const auto* r = reinterpret_cast<const AP_BASIC_CONFIG*>(first);
    auto* bc = static_cast<BasicConfig*>(calloc(1, sizeof(BasicConfig)));
    fillBasicConfig(*r, bc);
    auto** array = static_cast<void**>(calloc(1, sizeof(void*)));
    array[0] = bc;
    st->tag = const_cast<char*>(r->name);  // the library's text, alive during the call
    if (callback) callback(st, 1, array, q->hostContext);
    free(bc);
    free(array);
  }
  free(st->address);
  free(st);
  delete q;
  return 0;
}

int onTraffic(intptr_t first, int status, const char*, void* context, const char*) {
  auto* q = static_cast<QueryContext*>(context);
  PlugQueryCallback callback = gSlots.traffic;
  if (status == 0 && callback) {
    const auto* r = reinterpret_cast<const AP_TRAFFIC_DIGEST*>(first);
    auto* t = static_cast<TrafficDigest*>(calloc(1, sizeof(TrafficDigest)));
    t->bandText = copyText(r->band == 0 ? "2.4GHz" : "5GHz");
    t->empty = copyText("");
    t->address = copyText(r->ipAddress);
    t->wlanMac = copyText(r->wlanMac);
    t->clients = decimal(r->clients);
    t->txPackets = decimal(r->txPackets);
    t->rxPackets = decimal(r->rxPackets);
    auto* st = static_cast<QueryStatus*>(calloc(1, sizeof(QueryStatus)));
    st->address = copyText(r->ipAddress);
    auto** array = static_cast<void**>(calloc(1, sizeof(void*)));
    array[0] = t;
    callback(st, 1, array, q->hostContext);
    for (char* s : {t->bandText, t->empty, t->address, t->wlanMac, t->clients, t->txPackets, t->rxPackets})
      free(s);
    free(t);
    free(array);
    free(st->address);
    free(st);
  }
  delete q;
  return 0;
}

}  // namespace

extern "C" {

uint32_t PlugGetSystemInfo(const char* address, void*, void*, uint32_t* out) {
  CKAV7420App& app = CKAV7420App::get();
  // The mask is read from the device-information handle, so that handle is
  // the one refreshed from this device (its LAN group holds the mask).
  app.retarget(app.wirelessSession, address);
  app.retarget(app.deviceInfoSession, address);
  apStyleModify(app.deviceInfoHandle, kLanSettingsMask, 0);
  apSnmpSendGetRequest(app.deviceInfoHandle, nullptr, nullptr, AP_MODE_SYNC, 0);
  AP_DEVICE_INFO record{};
  record.selector = 0;
  apSysDeviceGetInfor(app.deviceInfoHandle, &record);
  record.subnetMask[sizeof record.subnetMask - 1] = 0;
  uint32_t mask = inet_addr(record.subnetMask);  // all ones when the text does not convert
  if (out) *out = mask;
  return mask;
}

int32_t PlugGetBasicConfigInfor(const char* address, PlugQueryCallback callback, const char* tag, void* context) {
  CKAV7420App& app = CKAV7420App::get();
  auto* q = new QueryContext{context, tag ? tag : ""};
  app.retarget(app.deviceInfoSession, address);
  gSlots.basicConfig = callback;
  int rc = apPlugGetBasicConfig(app.deviceInfoHandle, onBasicConfig, q, AP_MODE_ASYNC);
  if (rc != 0) delete q;
  return rc;
}

int32_t PlugGetTrafficInfor(const char* address, PlugQueryCallback callback, void*, void* context) {
  CKAV7420App& app = CKAV7420App::get();
  auto* q = new QueryContext{context, {}};
  app.retarget(app.statisticsSession, address);
  gSlots.traffic = callback;
  int rc = apPlugGetTriffic(app.statisticsHandle, onTraffic, q, AP_MODE_ASYNC);
  if (rc != 0) delete q;
  return rc;
}

void PlugGetClinetInfor(const char* address, KAV7420ClientInfoCallback callback, void* unused, void* context) {
  KAV7420PlugGetClinetInfor(address, callback, unused, context);
}

}  // extern "C"
