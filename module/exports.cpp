// The module's lifecycle exports: capabilities, device parameters and the
// configuration window.
#include <cstring>

#include "module/app.h"
#include "module/host_records.h"
#include "module/local_address.h"
#include "template/template_engine.h"
#include "module/window.h"
#include "shell/transfer_settings.h"

using namespace kav::module;

extern "C" {

int32_t PlugGetModuleCaps(ModuleCaps* caps) {
  if (!caps) return 0;
  std::strcpy(caps->model, kModelName);
  std::strcpy(caps->description, "Orvane Module v3.15r05 (2011/05/18)");
  std::strcpy(caps->band, "2.4GHz");
  std::strcpy(caps->sysObjectId, "1.3.6.1.4.1.32473.10.37.38");
  caps->caps[0] = 3;
  caps->caps[1] = 15;
  caps->caps[2] = 13;
  return 0;
}

int32_t PlugSetSnmpParameter(uint32_t address, const char* readCommunity, const char* writeCommunity,
                             int32_t port, int32_t timeout) {
  DeviceParameters p;
  p.address = dottedAddress(address);
  p.readCommunity = readCommunity ? readCommunity : "";
  p.writeCommunity = writeCommunity ? writeCommunity : "";
  p.port = port;
  p.timeout = timeout;
  CKAV7420App::get().setParameters(p);
  KAV7420PlugSetSnmpParameter(address, readCommunity, writeCommunity, port, timeout);
  return 0;
}

int32_t PlugInit(void) {
  CKAV7420App& app = CKAV7420App::get();
  const DeviceParameters& p = app.parameters();
  apSnmpSetSession(app.windowSession, p.port, p.readCommunity.c_str(), p.writeCommunity.c_str(), p.timeout,
                   p.address.c_str(), 1);
  kav::shell::ReadFtpMethod();
  createWindow();
  return 0;
}

void PlugShow(void) { showWindow(); }

int32_t PlugExit(void) {
  destroyWindow();
  return 1;
}

void PlugSetAsIndividual(void) {}
void PlugSetAsMultiple(void) __attribute__((alias("PlugSetAsIndividual")));

int32_t PlugPreTranslateMsg(PlugMessage* message) {
  constexpr uint32_t kKeyDown = 0x0100;
  constexpr uintptr_t kTab = 9;
  if (!message || message->message != kKeyDown || message->wParam != kTab) return 0;
  try {
    return routeTabKey() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

int32_t QxGetNetInterfaceInfo(QxNetInterface* interfaces) { return FillInterfaceRecords(interfaces); }

int32_t PlugParseFile(const char* configFile, const char* templateFile) {
  if (!configFile || !templateFile) return 0;
  kav::tmpl::CTemplateEngine engine;
  return engine.ExtractTemplate(configFile, templateFile);
}

}  // extern "C"
