// A framework session: a target, a variable list, a ready flag and a
// count of requests sent.  A new session copies the framework defaults
// and is ready when the framework is initialised.  Requests of a session
// that is not ready do nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "clientinfo/qx_pending_request.h"
#include "clientinfo/qx_session_settings.h"
#include "clientinfo/qx_var_list.h"

namespace kav::clientinfo {

class CQxSnmpSession {
 public:
  CQxSnmpSession();

  QxSessionSettings& Settings() { return m_settings; }
  const QxSessionSettings& Settings() const { return m_settings; }
  void SetList(std::shared_ptr<CQxVarList> list) { m_list = std::move(list); }
  const std::shared_ptr<CQxVarList>& List() const { return m_list; }
  bool Ready() const { return m_ready; }
  void SetReady(bool ready) { m_ready = ready; }
  uint32_t RequestsSent() const { return m_requestsSent; }

  // A synchronous request for the list: get for SVT_SV and for MVT_SV
  // unless it asks for the next instance, get-next otherwise.  Fills the
  // value texts; raises the framework error on failure.
  void GetNow();
  // Sets the list's value texts.
  void SetAsync(QxCompletion completion, void* context);
  // One get-next step of a walk: the first step from the base
  // identifiers, later ones from the current identifiers of the variables
  // still in their subtree.  An SVT_SV list raises -510.
  void WalkAsync(QxCompletion completion, bool firstStep, void* context);

 private:
  enum class Kind { Get, Set, Walk };
  netsnmp_pdu* Prepare(Kind kind, bool firstStep, QxRequestShape& shape);
  void SendAsync(Kind kind, bool firstStep, QxCompletion completion, void* context);

  QxSessionSettings m_settings;
  std::shared_ptr<CQxVarList> m_list;
  bool m_ready = false;
  uint32_t m_requestsSent = 0;
};

}  // namespace kav::clientinfo
