// The SNMP framework's process-wide part: the global session (the pool of
// net-snmp channels, one per agent), the defaults new sessions copy, the
// SNMPv3 engine boots, the requests in flight and the event processor.
//
// Everything runs on one thread, the one with the Qt event loop.
// Release must not be called from inside a completion.
#pragma once

#include <cstddef>
#include <string>

#include "clientinfo/qx_session_settings.h"

namespace kav::clientinfo {

class CSnmpChannel;
class CQxPendingRequest;

class CQxSnmpFramework {
 public:
  static constexpr const char* kEngineId = "QxSNMP_PP_Application";

  // Creates the global session (-506), loads the engine boot counter from
  // tempFolder/QxSNMP_PP_BootCounter (-507; no file or no entry counts as
  // 0), stores it plus one (-508), starts SNMPv3 message processing with
  // it, sets the defaults and creates the event processor (-529) when a
  // QCoreApplication exists; otherwise the first asynchronous request
  // creates it.  Initialising twice releases first.
  static void Initialise(const std::string& tempFolder, const std::string& second);
  // Stops the event processor, drops the requests in flight without
  // completing them and closes every channel.
  static void Release();
  static bool Initialised();

  static const QxSessionSettings& Defaults();
  static int EngineBoots();

  // The channels of a target.  Asynchronous and synchronous requests use
  // separate sockets, so that a synchronous request made inside a
  // completion never reads the answers of asynchronous ones.  Raise -509
  // for a target that cannot be reached.
  static CSnmpChannel& AsyncChannel(const QxSessionSettings& target);
  static CSnmpChannel& SyncChannel(const QxSessionSettings& target);

  // Makes sure completions can be delivered: creates the event processor
  // on this thread when a QCoreApplication exists, else raises -529.
  static void EnsureEventProcessor();
  static bool EventProcessorRunning();

  // The event processor's work: a tick, and a readable channel socket.
  static void ProcessPendingEvents();
  static void ReadSocket(int socket);

  // Requests in flight, so that Release can drop them.
  static void Track(CQxPendingRequest* request);
  static void Untrack(CQxPendingRequest* request);
  static size_t Outstanding();
  static bool Releasing();
};

}  // namespace kav::clientinfo
