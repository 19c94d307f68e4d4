// CKAV7420App: the module's process-wide state.  Made when the module is
// loaded: the device access library is initialised and five sessions with
// their feature handles are opened, once, and re-targeted by each export
// at the device it names.
#pragma once

#include <cstdint>
#include <string>

#include "KAV7420AP.h"
#include "KAV7420apHelp.h"

namespace kav::module {

struct DeviceParameters {
  std::string address;  // dotted text
  std::string readCommunity;
  std::string writeCommunity;
  int32_t port = 0;
  int32_t timeout = 0;  // milliseconds
};

class CKAV7420App {
 public:
  // The one instance; initialises the library on first use when the module
  // was loaded before the host made its QApplication.
  static CKAV7420App& get();
  static void shutdown();

  // Both copies are written together (the window and the queries read
  // the first, the commands and the multi-device task the second).
  void setParameters(const DeviceParameters& p);
  const DeviceParameters& parameters() const { return params_; }

  // Points session at address with the stored parameters.
  void retarget(AP_HANDLE session, const char* address, int timeoutOverride = 0) const;

  AP_HANDLE windowSession = 0;
  AP_HANDLE commandSession = 0;
  AP_HANDLE commandHandle = 0;
  AP_HANDLE deviceInfoSession = 0;
  AP_HANDLE deviceInfoHandle = 0;
  AP_HANDLE statisticsSession = 0;
  AP_HANDLE statisticsHandle = 0;
  AP_HANDLE wirelessSession = 0;
  AP_HANDLE monitorHandle = 0;  // kind 2: detected access points
  AP_HANDLE wirelessHandle = 0;

 private:
  CKAV7420App();
  ~CKAV7420App();
  DeviceParameters params_;
};

// The second copy of the parameters, read by commands and tasks.
struct ModuleGlobals {
  std::string readCommunity;
  std::string writeCommunity;
  int32_t port = 0;
  int32_t timeout = 0;
};
extern ModuleGlobals gParams;

// Host callback slots: one per asynchronous operation, replaced by every
// start of that operation, so an earlier answer reaches the newer callback.
struct CallbackSlots {
  PlugQueryCallback basicConfig = nullptr;
  PlugQueryCallback traffic = nullptr;
  PlugTableCallback neighbours = nullptr;  // command 0
  PlugTableCallback backup = nullptr;      // command 3
  PlugTextCallback firmwareVersion = nullptr;  // command 5
  PlugTextCallback upgrade = nullptr;          // command 6
  PlugTextCallback writeImage = nullptr;       // command 7
  PlugTextCallback restart = nullptr;          // command 8
};
extern CallbackSlots gSlots;

inline constexpr const char* kModelName = "KAV-7420";

}  // namespace kav::module
