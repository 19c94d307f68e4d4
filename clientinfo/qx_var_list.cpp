#include "clientinfo/qx_var_list.h"

#include "clientinfo/qx_exception.h"

namespace kav::clientinfo {

QxOid ParseOid(const char* dotted) {
  QxOid oid;
  if (!dotted) return oid;
  const char* p = dotted;
  if (*p == '.') ++p;
  while (*p) {
    if (*p < '0' || *p > '9') return {};
    uint64_t part = 0;
    while (*p >= '0' && *p <= '9') {
      part = part * 10 + static_cast<uint64_t>(*p - '0');
      if (part > UINT32_MAX) return {};
      ++p;
    }
    oid.push_back(static_cast<uint32_t>(part));
    if (*p == '.') {
      ++p;
      if (!*p) return {};
    } else if (*p) {
      return {};
    }
  }
  return oid;
}

std::string OidToText(const uint32_t* oid, size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    if (i) text += '.';
    text += std::to_string(oid[i]);
  }
  return text;
}

std::string QxVariable::OidText() const { return OidToText(current.data(), current.size()); }

std::shared_ptr<CQxVarList> CQxVarList::BuildList(const QxVarDesc* table, int32_t itemType) {
  auto list = std::make_shared<CQxVarList>();
  list->m_itemType = itemType;
  for (const QxVarDesc* d = table; d && d->oid; ++d) {
    QxVariable var;
    var.desc = d;
    var.base = ParseOid(d->oid);
    if (var.base.size() < 2) throw CQXException(-417);
    var.current = var.base;
    list->m_vars.push_back(std::move(var));
  }
  return list;
}

void CQxVarList::Rewind() {
  for (QxVariable& var : m_vars) {
    var.current = var.base;
    var.done = false;
  }
}

}  // namespace kav::clientinfo
