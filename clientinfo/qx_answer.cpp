#include "clientinfo/qx_answer.h"

#include "clientinfo/qx_exception.h"
#include "clientinfo/snmp_result_map.h"
#include "clientinfo/value_text.h"

namespace kav::clientinfo {
namespace {

// a < b, a == b, a > b as -1, 0, 1 (net-snmp's oid is wider than ours).
int Compare(const oid* a, size_t aLength, const QxOid& b) {
  size_t n = std::min(aLength, b.size());
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return aLength == b.size() ? 0 : (aLength < b.size() ? -1 : 1);
}

bool InSubtree(const oid* name, size_t length, const QxOid& base) {
  if (length <= base.size()) return false;
  for (size_t i = 0; i < base.size(); ++i)
    if (name[i] != base[i]) return false;
  return true;
}

bool IsException(u_char type) {
  return type == SNMP_NOSUCHOBJECT || type == SNMP_NOSUCHINSTANCE || type == SNMP_ENDOFMIBVIEW;
}

void LeaveSubtree(QxVariable& var) {
  var.value = kNotDone;
  var.current = var.base;
  var.done = true;
}

bool AllDone(const CQxVarList& list) {
  for (size_t i = 0; i < list.Count(); ++i)
    if (!list[i].done) return false;
  return true;
}

QxOid ToOid(const oid* name, size_t length) {
  QxOid out(length);
  for (size_t i = 0; i < length; ++i) out[i] = static_cast<uint32_t>(name[i]);
  return out;
}

}  // namespace

int ApplyAnswer(CQxVarList& list, const QxRequestShape& shape, const netsnmp_pdu& response, bool& endOfWalk) {
  endOfWalk = false;
  if (response.errstat != SNMP_ERR_NOERROR) {
    if (shape.walk && response.errstat == SNMP_ERR_NOSUCHNAME) {
      // A version 1 agent says "end of the view" this way.
      for (size_t index : shape.sent) LeaveSubtree(list[index]);
      endOfWalk = AllDone(list);
      return qx::kOk;
    }
    return MapSnmpResult(SnmpOutcome::ErrorStatus, response.errstat);
  }
  try {
    const netsnmp_variable_list* vb = response.variables;
    for (size_t n = 0; n < shape.sent.size(); ++n, vb = vb ? vb->next_variable : nullptr) {
      QxVariable& var = list[shape.sent[n]];
      if (shape.walk) {
        if (!vb || IsException(vb->type) || !vb->name || !InSubtree(vb->name, vb->name_length, var.base) ||
            Compare(vb->name, vb->name_length, shape.asked[n]) <= 0) {
          LeaveSubtree(var);
          continue;
        }
        var.value = AnswerText(*var.desc, *vb);
        var.current = ToOid(vb->name, vb->name_length);
        continue;
      }
      if (!vb) return MapSnmpResult(SnmpOutcome::LibraryError, SNMPERR_BAD_PARSE);
      if (IsException(vb->type)) return MapSnmpResult(SnmpOutcome::Exception, vb->type);
      if (shape.command == SNMP_MSG_SET) continue;  // the values are the ones sent
      var.value = AnswerText(*var.desc, *vb);
      if (vb->name && vb->name_length) var.current = ToOid(vb->name, vb->name_length);
    }
  } catch (const CQXException& e) {
    return e.Code();
  }
  if (shape.walk) endOfWalk = AllDone(list);
  return qx::kOk;
}

}  // namespace kav::clientinfo
