// Sessions and feature handles, and the table that maps the 32-bit handle
// values callers hold to them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

#include "device/model.h"
#include "platform/aphelp/engine.h"
#include "platform/aphelp/include/KAV7420apHelp.h"
#include "platform/aphelp/local_copy.h"

namespace kav::aphelp {

struct Session {
  Target target;  // address, port, communities, time-out
};

struct PendingCommand {
  int code = 0;
  int timeMs = 0;
};

struct FeatureHandle {
  device::Feature feature;
  AP_HANDLE session = 0;
  int monitorKind = 0;  // apSysMonitorOpen's kind
  // Page masks use the low 24 bits; the digests' groups above stay out of
  // the default so that a plain get does not fetch them twice.
  uint32_t mask = 0x00FFFFFF;
  LocalCopy values;
  std::optional<PendingCommand> command;
  std::set<long> jobs;  // requests in flight, cancelled when the handle closes
};

class Registry {
 public:
  static Registry& get();

  AP_HANDLE addSession();
  AP_HANDLE addFeature(AP_HANDLE session, device::Feature feature, int monitorKind = 0);
  Session* session(AP_HANDLE h);
  FeatureHandle* feature(AP_HANDLE h);
  FeatureHandle* feature(AP_HANDLE h, device::Feature kind);
  // Closes a session or a feature handle; a feature's jobs are cancelled.
  bool close(AP_HANDLE h);
  void clear();

 private:
  AP_HANDLE next_ = 0x1000;
  std::unordered_map<AP_HANDLE, Session> sessions_;
  std::unordered_map<AP_HANDLE, std::unique_ptr<FeatureHandle>> features_;
};

}  // namespace kav::aphelp
