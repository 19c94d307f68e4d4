// The library's exported functions: argument checks and the glue between
// handles, transfers and records.
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

#include "device/model.h"
#include "platform/aphelp/engine.h"
#include "platform/aphelp/errors.h"
#include "platform/aphelp/handles.h"
#include "platform/aphelp/include/KAV7420apHelp.h"
#include "platform/aphelp/jobs.h"
#include "platform/aphelp/records.h"
#include "platform/aphelp/transfer.h"

using namespace kav::aphelp;
using kav::device::Feature;
namespace group = kav::device::group;

namespace {

bool gInitialised = false;

// What the completion's first argument is: the handle, or a record the
// request filled (built when the transfer ends from what it read, alive
// during the call; after a failure it is built from nothing, so it never
// shows another device's values).
using FirstArgument = std::function<std::shared_ptr<void>(const LocalCopy&)>;

// Starts (mode 2) or runs (mode 4) a transfer of handle h.
int request(AP_HANDLE h, Transfer::Kind kind, uint32_t mask, AP_CALLBACK callback, void* context,
            int mode, const FirstArgument& first = {},
            const std::function<void(Transfer&)>& prepare = {}, std::optional<Feature> objectsOf = {}) {
  if (!gInitialised || !SnmpEngine::instance()) return AP_E_NOT_INIT;
  FeatureHandle* f = Registry::get().feature(h);
  if (!f) return AP_E_HANDLE;
  Session* s = Registry::get().session(f->session);
  if (!s) return AP_E_HANDLE;
  if (mode != AP_MODE_ASYNC && mode != AP_MODE_SYNC) return AP_E_ARGUMENT;
  const Target target = s->target;  // the request keeps this target
  auto transfer = std::make_unique<Transfer>(*f, kind, mask, objectsOf.value_or(f->feature));
  if (prepare) prepare(*transfer);
  const bool write = kind == Transfer::Kind::Set;

  // On success the values read join the handle's local copy; a record the
  // completion hands over is made from this transfer's values alone.
  auto complete = [h, callback, context, first, write, address = target.address](int status, Transfer& t) {
    if (status == AP_OK) t.commit();
    if (!callback) return;
    std::shared_ptr<void> record;
    if (first) record = first(status == AP_OK ? t.result() : LocalCopy{});
    intptr_t arg = record ? reinterpret_cast<intptr_t>(record.get()) : static_cast<intptr_t>(h);
    std::string message = completionText(status, write);
    if (status != AP_OK && !t.message().empty()) message += " " + t.message();
    callback(arg, status, message.c_str(), context, address.c_str());
  };

  if (mode == AP_MODE_SYNC) {
    int rc = runSync(*transfer, target);
    complete(rc, *transfer);
    return rc;
  }
  return startJob(h, std::move(transfer), target, complete);
}

template <typename Record, typename Fill>
FirstArgument recordOf(Fill fill) {
  return [fill](const LocalCopy& values) -> std::shared_ptr<void> {
    auto r = std::make_shared<Record>();
    std::memset(r.get(), 0, sizeof(Record));
    fill(values, r.get());
    return r;
  };
}

AP_HANDLE openFeature(AP_HANDLE session, Feature feature, int kind = 0) {
  return Registry::get().addFeature(session, feature, kind);
}

}  // namespace

extern "C" {

int apInitSnmpLibrary(void) {
  int rc = SnmpEngine::start();
  gInitialised = rc == AP_OK;
  return rc;
}

int apUninitSnmpLibrary(void) {
  Registry::get().clear();
  SnmpEngine::stop();
  gInitialised = false;
  return AP_OK;
}

AP_HANDLE apSnmpOpenSession(int /*number*/, const char* /*ident*/) {
  return Registry::get().addSession();
}

int apSnmpSetSession(AP_HANDLE session, int port, const char* readCommunity, const char* writeCommunity,
                     int timeoutMs, const char* address, int /*flag*/) {
  Session* s = Registry::get().session(session);
  if (!s) return AP_E_HANDLE;
  s->target.port = port;
  s->target.readCommunity = readCommunity ? readCommunity : "";
  s->target.writeCommunity = writeCommunity ? writeCommunity : "";
  s->target.timeoutMs = timeoutMs;
  s->target.address = address ? address : "";
  return AP_OK;
}

int apHandleClose(AP_HANDLE handle) { return Registry::get().close(handle) ? AP_OK : AP_E_HANDLE; }

int apStyleModify(AP_HANDLE handle, uint32_t mask, int /*flag*/) {
  FeatureHandle* f = Registry::get().feature(handle);
  if (!f) return AP_E_HANDLE;
  f->mask = mask;
  return AP_OK;
}

int apSnmpSendGetRequest(AP_HANDLE handle, AP_CALLBACK callback, void* context, int mode, int) {
  FeatureHandle* f = Registry::get().feature(handle);
  return request(handle, Transfer::Kind::Get, f ? f->mask : 0, callback, context, mode);
}

int apSnmpSendSetRequest(AP_HANDLE handle, AP_CALLBACK callback, void* context, int mode, int) {
  FeatureHandle* f = Registry::get().feature(handle);
  return request(handle, Transfer::Kind::Set, f ? f->mask : 0, callback, context, mode);
}

int apSnmpGetErrorMsg(int code, char* buffer) {
  if (!buffer) return AP_E_ARGUMENT;
  copyField(buffer, 256, errorText(code));
  return AP_OK;
}

// ---- device information ----

AP_HANDLE apSysDeviceInforOpen(AP_HANDLE session, int) { return openFeature(session, Feature::DeviceInfo); }

int apSysDeviceGetInfor(AP_HANDLE handle, void* record) {
  FeatureHandle* f = Registry::get().feature(handle, Feature::DeviceInfo);
  if (!f) return AP_E_HANDLE;
  return fillDeviceInfo(f->values, record);
}

int apSysDeviceSetInfor(AP_HANDLE handle, const void* record) {
  FeatureHandle* f = Registry::get().feature(handle, Feature::DeviceInfo);
  if (!f) return AP_E_HANDLE;
  return takeDeviceInfo(f->values, record);
}

// ---- system commands ----

AP_HANDLE apSysCommandObjOpen(AP_HANDLE session, int) { return openFeature(session, Feature::SysCommand); }

int apSysCommandObjClose(AP_HANDLE handle) { return apHandleClose(handle); }

int apSysCommand(AP_HANDLE handle, int code, int timeMs) {
  FeatureHandle* f = Registry::get().feature(handle, Feature::SysCommand);
  if (!f) return AP_E_HANDLE;
  if (code < 0 || code > 4) return AP_E_ARGUMENT;
  f->command = PendingCommand{code, timeMs};
  return AP_OK;
}

int apSysGetFWversion(AP_HANDLE handle, char* buffer, int size) {
  FeatureHandle* f = Registry::get().feature(handle, Feature::SysCommand);
  if (!f) return AP_E_HANDLE;
  if (!buffer || size <= 0) return AP_E_ARGUMENT;
  copyField(buffer, static_cast<size_t>(size), f->values.text("devFirmwareVersion"));
  return AP_OK;
}

int apPlugGetFWVervion(AP_HANDLE handle, AP_CALLBACK callback, void* context, int mode) {
  if (!Registry::get().feature(handle, Feature::SysCommand)) return AP_E_HANDLE;
  auto version = [](const LocalCopy& values) -> std::shared_ptr<void> {
    auto text = std::make_shared<std::string>(values.text("devFirmwareVersion"));
    return std::shared_ptr<void>(text, const_cast<char*>(text->c_str()));
  };
  return request(handle, Transfer::Kind::Get, group::kFirmware, callback, context, mode, version);
}

int apPlugSysUpGradeFTPEx(AP_HANDLE handle, int kind, const char* server, const char* user, const char* password,
                          const char* fileName, int timeoutMs, AP_CALLBACK callback, void* context, int mode) {
  if (!Registry::get().feature(handle, Feature::SysCommand)) return AP_E_HANDLE;
  // The device numbers its transfers its own way.
  int deviceKind = kind == 3 ? 5 : kind == 7 ? 10 : kind == 8 ? 11 : kind == 9 ? 12 : 0;
  if (!deviceKind) return AP_E_ARGUMENT;
  Transfer::FileTransfer f;
  f.kind = deviceKind;
  f.server = server ? server : "";
  f.user = user ? user : "";
  f.password = password ? password : "";
  f.fileName = fileName ? fileName : "";
  f.timeoutMs = timeoutMs;
  f.wait = kind != 9;  // a restart answers and then the device is gone for a while
  // Nothing of the handle's own groups travels with it.
  return request(handle, Transfer::Kind::Set, 0, callback, context, mode, {},
                 [&f](Transfer& t) { t.runFileTransfer(f); });
}

// ---- statistics ----

AP_HANDLE apStatisticOpen(AP_HANDLE session, int) { return openFeature(session, Feature::Statistics); }

int apPlugGetTriffic(AP_HANDLE handle, AP_CALLBACK callback, void* context, int mode) {
  if (!Registry::get().feature(handle, Feature::Statistics)) return AP_E_HANDLE;
  return request(handle, Transfer::Kind::Get, group::kTrafficDigest, callback, context, mode,
                 recordOf<AP_TRAFFIC_DIGEST>(fillTraffic));
}

// ---- wireless ----

AP_HANDLE apWirelessOpen(AP_HANDLE session, int) { return openFeature(session, Feature::Wireless); }

int apPlugGetBasicConfig(AP_HANDLE handle, AP_CALLBACK callback, void* context, int mode) {
  // The digest is taken on a wireless or a device-information handle.
  if (!Registry::get().feature(handle, Feature::Wireless) && !Registry::get().feature(handle, Feature::DeviceInfo))
    return AP_E_HANDLE;
  return request(handle, Transfer::Kind::Get, group::kBasicDigest, callback, context, mode,
                 recordOf<AP_BASIC_CONFIG>(fillBasicConfig), {}, Feature::Wireless);
}

// ---- monitors ----

AP_HANDLE apSysMonitorOpen(AP_HANDLE session, int kind, int) {
  if (kind < 0 || kind > 8) return 0;
  return openFeature(session, Feature::Monitor, kind);
}

int apSysMonitorRefresh(AP_HANDLE handle, int band, AP_CALLBACK callback, void* context, int mode) {
  FeatureHandle* f = Registry::get().feature(handle, Feature::Monitor);
  if (!f) return AP_E_HANDLE;
  if (f->monitorKind != 2) return AP_E_UNSUPPORTED;
  // The device scans when told the band, then the table is read afresh.
  auto scan = [band](Transfer& t) { t.writeFirst(kav::device::findByName("dot11NeighbourScan"), 0, band); };
  return request(handle, Transfer::Kind::Get, group::kNeighbours, callback, context, mode, {}, scan);
}

int apSysMonitorQueryInfor(AP_HANDLE handle, AP_TABLE_PAIR* pair) {
  FeatureHandle* f = Registry::get().feature(handle, Feature::Monitor);
  if (!f) return AP_E_HANDLE;
  if (!pair) return AP_E_ARGUMENT;
  if (f->monitorKind != 2) return AP_E_UNSUPPORTED;
  auto rows = neighbours(f->values);
  if (!pair->buffer) {
    pair->count = static_cast<int32_t>(rows.size());
    return AP_OK;
  }
  // Never more than the caller made room for.
  size_t n = std::min(rows.size(), static_cast<size_t>(std::max(pair->count, 0)));
  std::memcpy(pair->buffer, rows.data(), n * sizeof(AP_NEIGHBOUR_AP));
  pair->count = static_cast<int32_t>(n);
  return AP_OK;
}

}  // extern "C"
