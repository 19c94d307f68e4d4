#include "clientinfo/qx_pending_request.h"

#include "clientinfo/qx_exception.h"
#include "clientinfo/qx_snmp_framework.h"
#include "clientinfo/snmp_channel.h"
#include "clientinfo/snmp_result_map.h"

namespace kav::clientinfo {

CQxPendingRequest::CQxPendingRequest(std::shared_ptr<CQxVarList> list, QxRequestShape shape, QxCompletion completion,
                                     void* context, std::string address, std::string kind)
    : m_list(std::move(list)),
      m_shape(std::move(shape)),
      m_completion(completion),
      m_context(context),
      m_address(std::move(address)),
      m_kind(std::move(kind)) {}

int CQxPendingRequest::OnEvent(int operation, netsnmp_session*, int, netsnmp_pdu* pdu, void* magic) {
  auto* request = static_cast<CQxPendingRequest*>(magic);
  // A resend (retry) or a connect is news, not the end of the request.
  if (operation == NETSNMP_CALLBACK_OP_RESEND || operation == NETSNMP_CALLBACK_OP_CONNECT) return 1;
  // While the framework is released it drops the requests itself.
  if (CQxSnmpFramework::Releasing()) return 1;
  CQxSnmpFramework::Untrack(request);
  if (request->m_channel) request->m_channel->RequestDone();
  request->Complete(operation, pdu);
  delete request;
  return 1;
}

void CQxPendingRequest::Complete(int operation, netsnmp_pdu* pdu) {
  QxSnmpResult result;
  result.address = m_address;
  result.extra = m_kind;
  if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && pdu) {
    result.status = ApplyAnswer(*m_list, m_shape, *pdu, result.endOfWalk);
  } else {
    result.status = MapSnmpResult(SnmpOutcome::CallbackOp, operation);
  }
  result.message = CQXException::Text(result.status);
  if (m_completion) m_completion(result, m_list, m_context);
}

}  // namespace kav::clientinfo
