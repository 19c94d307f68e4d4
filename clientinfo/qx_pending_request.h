// An asynchronous request in flight: what it asked, which list its answer
// fills, and the completion to call.  The completion always runs later,
// from the event processor, never inside the call that sent the request.
#pragma once

#include <memory>
#include <string>

#include "clientinfo/qx_answer.h"
#include "clientinfo/qx_var_list.h"

namespace kav::clientinfo {

class CSnmpChannel;

// A completion receives the result record, the variable list and the
// context given with the request.
using QxCompletion = void (*)(const QxSnmpResult& result, const std::shared_ptr<CQxVarList>& list, void* context);

class CQxPendingRequest {
 public:
  CQxPendingRequest(std::shared_ptr<CQxVarList> list, QxRequestShape shape, QxCompletion completion, void* context,
                    std::string address, std::string kind);
  // The channel the request went out on, told when it completes.
  void SetChannel(CSnmpChannel* channel) { m_channel = channel; }

  // net-snmp's callback for the request; magic is the request, which it
  // deletes after the completion has run.
  static int OnEvent(int operation, netsnmp_session* session, int requestId, netsnmp_pdu* pdu, void* magic);

 private:
  void Complete(int operation, netsnmp_pdu* pdu);

  std::shared_ptr<CQxVarList> m_list;
  QxRequestShape m_shape;
  QxCompletion m_completion;
  void* m_context;
  std::string m_address;
  std::string m_kind;
  CSnmpChannel* m_channel = nullptr;
};

}  // namespace kav::clientinfo
