#include "clientinfo/qx_snmp_session.h"

#include "clientinfo/qx_exception.h"
#include "clientinfo/qx_snmp_framework.h"
#include "clientinfo/snmp_channel.h"
#include "clientinfo/snmp_result_map.h"
#include "clientinfo/value_text.h"

namespace kav::clientinfo {
namespace {

struct PduDeleter {
  void operator()(netsnmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};
using PduPtr = std::unique_ptr<netsnmp_pdu, PduDeleter>;

void AddVariable(netsnmp_pdu* pdu, const QxOid& name, const QxVariable* setFrom) {
  oid buffer[MAX_OID_LEN];
  if (name.size() > MAX_OID_LEN) throw CQXException(-417);
  for (size_t i = 0; i < name.size(); ++i) buffer[i] = name[i];
  if (!setFrom) {
    snmp_add_null_var(pdu, buffer, name.size());
    return;
  }
  QxEncodedValue value = EncodeValue(*setFrom->desc, setFrom->value);
  if (!snmp_pdu_add_variable(pdu, buffer, name.size(), value.type, value.bytes.data(), value.bytes.size()))
    throw CQXException(-411);
}

}  // namespace

CQxSnmpSession::CQxSnmpSession()
    : m_settings(CQxSnmpFramework::Defaults()), m_ready(CQxSnmpFramework::Initialised()) {}

netsnmp_pdu* CQxSnmpSession::Prepare(Kind kind, bool firstStep, QxRequestShape& shape) {
  if (!m_list || m_list->Count() == 0) throw CQXException(qx::kBadKeyCount);
  const int32_t type = m_list->ItemType();
  if (type < SVT_SV || type > MVT_UMV) throw CQXException(qx::kBadItemType);

  switch (kind) {
    case Kind::Set:
      shape.command = SNMP_MSG_SET;
      break;
    case Kind::Get:
      shape.command = type == SVT_SV || (type == MVT_SV && !m_list->NextInstance()) ? SNMP_MSG_GET : SNMP_MSG_GETNEXT;
      break;
    case Kind::Walk:
      if (type == SVT_SV) throw CQXException(qx::kNextOnSingle);
      shape.command = SNMP_MSG_GETNEXT;
      shape.walk = type == MVT_FMV || type == MVT_UMV;
      if (firstStep) m_list->Rewind();
      break;
  }

  PduPtr pdu(snmp_pdu_create(shape.command));
  for (size_t i = 0; i < m_list->Count(); ++i) {
    const QxVariable& var = (*m_list)[i];
    if (shape.walk && var.done) continue;
    AddVariable(pdu.get(), var.current, kind == Kind::Set ? &var : nullptr);
    shape.sent.push_back(i);
    shape.asked.push_back(var.current);
  }
  if (shape.sent.empty()) throw CQXException(qx::kBadKeyCount);
  return pdu.release();
}

void CQxSnmpSession::GetNow() {
  if (!m_ready) return;
  QxRequestShape shape;
  PduPtr pdu(Prepare(Kind::Get, false, shape));
  CSnmpChannel& channel = CQxSnmpFramework::SyncChannel(m_settings);
  netsnmp_pdu* raw = nullptr;
  int libError = 0;
  int status = channel.SendSync(pdu.release(), m_settings, false, &raw, &libError);
  if (status == STAT_TIMEOUT) throw CQXException(qx::kTimeout);
  if (status != STAT_SUCCESS) throw CQXException(MapSnmpResult(SnmpOutcome::LibraryError, libError));
  PduPtr response(raw);
  bool endOfWalk = false;
  int code = ApplyAnswer(*m_list, shape, *response, endOfWalk);
  if (code != qx::kOk) throw CQXException(code);
}

void CQxSnmpSession::SetAsync(QxCompletion completion, void* context) {
  SendAsync(Kind::Set, false, completion, context);
}

void CQxSnmpSession::WalkAsync(QxCompletion completion, bool firstStep, void* context) {
  SendAsync(Kind::Walk, firstStep, completion, context);
}

void CQxSnmpSession::SendAsync(Kind kind, bool firstStep, QxCompletion completion, void* context) {
  if (!m_ready) return;
  QxRequestShape shape;
  PduPtr pdu(Prepare(kind, firstStep, shape));
  CSnmpChannel& channel = CQxSnmpFramework::AsyncChannel(m_settings);
  CQxSnmpFramework::EnsureEventProcessor();
  auto* request = new CQxPendingRequest(m_list, std::move(shape), completion, context, m_settings.address,
                                        kind == Kind::Set ? "Set" : "Walk");
  CQxSnmpFramework::Track(request);
  request->SetChannel(&channel);
  int libError = 0;
  if (!channel.SendAsync(pdu.get(), m_settings, kind == Kind::Set, &CQxPendingRequest::OnEvent, request, &libError)) {
    CQxSnmpFramework::Untrack(request);
    delete request;
    throw CQXException(MapSnmpResult(SnmpOutcome::LibraryError, libError));
  }
  pdu.release();
  ++m_requestsSent;
}

}  // namespace kav::clientinfo
