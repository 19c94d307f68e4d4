// A variable list of the SNMP framework: an item type and the variables
// of one descriptor table, each with its current value text and its
// current object identifier (base identifier plus instance).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "clientinfo/qx_snmp_types.h"

namespace kav::clientinfo {

using QxOid = std::vector<uint32_t>;

struct QxVariable {
  const QxVarDesc* desc = nullptr;
  std::string value;   // value text of the last answer (or the text a set sends)
  QxOid base;          // the descriptor's identifier
  QxOid current;       // identifier of the last answer; base again once the walk left the subtree
  bool done = false;   // left its subtree in the walk in progress

  std::string OidText() const;
};

class CQxVarList {
 public:
  // A list over the entries of table (up to its all-zero entry).  The item
  // type is checked when a request is built (-515).  An identifier that is
  // not dotted numbers raises -417.
  static std::shared_ptr<CQxVarList> BuildList(const QxVarDesc* table, int32_t itemType);

  int32_t ItemType() const { return m_itemType; }
  size_t Count() const { return m_vars.size(); }
  QxVariable& operator[](size_t i) { return m_vars[i]; }
  const QxVariable& operator[](size_t i) const { return m_vars[i]; }
  std::vector<QxVariable>& Variables() { return m_vars; }

  // An MVT_SV list asks for the next instance (get-next) instead of the
  // current one (get).
  bool NextInstance() const { return m_nextInstance; }
  void SetNextInstance(bool next) { m_nextInstance = next; }

  // Starts a walk again from the base identifiers.
  void Rewind();

 private:
  int32_t m_itemType = SVT_SV;
  bool m_nextInstance = false;
  std::vector<QxVariable> m_vars;
};

// "1.3.6.1" -> {1,3,6,1}; an empty result for anything else.
QxOid ParseOid(const char* dotted);
std::string OidToText(const uint32_t* oid, size_t length);

}  // namespace kav::clientinfo
