#include "module/app.h"

#include <QCoreApplication>

namespace kav::module {

ModuleGlobals gParams;
CallbackSlots gSlots;

namespace {
CKAV7420App* gApp = nullptr;

// The number and identifier every session is opened with.
constexpr int kSessionNumber = 38;
constexpr const char* kSessionIdent = "rny0043";

// Load and unload of the shared object.  The host makes its QApplication
// before it loads the module, so the library starts here; a program that
// links the module directly starts it on the first call instead.
__attribute__((constructor)) void onLoad() {
  if (QCoreApplication::instance()) CKAV7420App::get();
}
__attribute__((destructor)) void onUnload() { CKAV7420App::shutdown(); }
}  // namespace

CKAV7420App& CKAV7420App::get() {
  if (!gApp) gApp = new CKAV7420App;
  return *gApp;
}

void CKAV7420App::shutdown() {
  delete gApp;
  gApp = nullptr;
}

CKAV7420App::CKAV7420App() {
  apInitSnmpLibrary();
  // Opened in this order; the results are kept as they come.
  windowSession = apSnmpOpenSession(kSessionNumber, kSessionIdent);
  commandSession = apSnmpOpenSession(kSessionNumber, kSessionIdent);
  commandHandle = apSysCommandObjOpen(commandSession, 0);
  deviceInfoSession = apSnmpOpenSession(kSessionNumber, kSessionIdent);
  deviceInfoHandle = apSysDeviceInforOpen(deviceInfoSession, 0);
  statisticsSession = apSnmpOpenSession(kSessionNumber, kSessionIdent);
  statisticsHandle = apStatisticOpen(statisticsSession, 0);
  wirelessSession = apSnmpOpenSession(kSessionNumber, kSessionIdent);
  monitorHandle = apSysMonitorOpen(wirelessSession, 2, 0);
  wirelessHandle = apWirelessOpen(wirelessSession, 0);
}

CKAV7420App::~CKAV7420App() {
  // The library frees the sessions and handles itself.
  apUninitSnmpLibrary();
}

void CKAV7420App::setParameters(const DeviceParameters& p) {
  params_ = p;
  gParams.readCommunity = p.readCommunity;
  gParams.writeCommunity = p.writeCommunity;
  gParams.port = p.port;
  gParams.timeout = p.timeout;
}

void CKAV7420App::retarget(AP_HANDLE session, const char* address, int timeoutOverride) const {
  apSnmpSetSession(session, params_.port, params_.readCommunity.c_str(), params_.writeCommunity.c_str(),
                   timeoutOverride ? timeoutOverride : params_.timeout, address ? address : "", 1);
}

}  // namespace kav::module
