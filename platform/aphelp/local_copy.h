// The local copy of a feature handle: the values last read from the device
// or set by the caller, keyed by object and row (row 0 for a scalar).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "device/model.h"

struct snmp_pdu;
struct variable_list;

namespace kav::aphelp {

struct Value {
  bool isNumber = false;
  int64_t number = 0;
  std::string text;
  bool dirty = false;  // set by the caller, not yet written to the device
};

class LocalCopy {
 public:
  using Key = std::pair<const device::ObjectDef*, uint32_t>;

  const Value* find(const device::ObjectDef* def, uint32_t row = 0) const;
  // Values by object name; an absent value reads as "" or dflt.
  std::string text(std::string_view name, uint32_t row = 0) const;
  int64_t number(std::string_view name, uint32_t row = 0, int64_t dflt = 0) const;
  bool has(std::string_view name, uint32_t row = 0) const;

  // A value read from the device; it replaces any unwritten change.
  void store(const device::ObjectDef* def, uint32_t row, Value v);
  // A change by the caller, to be written by the next set request.
  void setText(std::string_view name, uint32_t row, std::string text);
  void setNumber(std::string_view name, uint32_t row, int64_t number);
  void erase(const device::ObjectDef* def, uint32_t row);
  // Forgets every row of the given columns (before a table is read again).
  void clearColumns(const std::vector<const device::ObjectDef*>& columns);
  // Rows present for a column, in increasing order.
  std::vector<uint32_t> rows(const device::ObjectDef* column) const;
  std::vector<uint32_t> rows(std::string_view columnName) const;

  template <typename F>
  void forEach(F f) const {
    for (const auto& [key, v] : values_) f(key, v);
  }

  // Unwritten changes of objects the mask selects for feature.
  std::vector<Key> dirty(device::Feature feature, uint32_t mask) const;
  void markClean(const Key& key);

 private:
  std::map<Key, Value> values_;
};

// Decodes one answered variable for def: AP_OK with *out filled,
// AP_E_NO_SUCH_OBJECT for an exception value (noSuchObject, noSuchInstance,
// endOfMibView), AP_E_WRONG_TYPE when the type does not fit the object.
int decodeValue(const device::ObjectDef& def, const variable_list* var, Value* out);

}  // namespace kav::aphelp
