#include "platform/aphelp/local_copy.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdio>

#include "platform/aphelp/include/KAV7420apHelp.h"

namespace kav::aphelp {

using device::ObjectDef;

const Value* LocalCopy::find(const ObjectDef* def, uint32_t row) const {
  auto it = values_.find({def, row});
  return it == values_.end() ? nullptr : &it->second;
}

std::string LocalCopy::text(std::string_view name, uint32_t row) const {
  const Value* v = find(device::findByName(name), row);
  if (!v) return {};
  return v->isNumber ? std::to_string(v->number) : v->text;
}

int64_t LocalCopy::number(std::string_view name, uint32_t row, int64_t dflt) const {
  const Value* v = find(device::findByName(name), row);
  if (!v) return dflt;
  if (v->isNumber) return v->number;
  char* end = nullptr;
  long long n = std::strtoll(v->text.c_str(), &end, 10);
  return end && end != v->text.c_str() ? n : dflt;
}

bool LocalCopy::has(std::string_view name, uint32_t row) const {
  return find(device::findByName(name), row) != nullptr;
}

void LocalCopy::store(const ObjectDef* def, uint32_t row, Value v) {
  v.dirty = false;
  values_[{def, row}] = std::move(v);
}

void LocalCopy::setText(std::string_view name, uint32_t row, std::string text) {
  const ObjectDef* def = device::findByName(name);
  if (!def) return;
  Value& v = values_[{def, row}];
  v.isNumber = false;
  v.text = std::move(text);
  v.dirty = true;
}

void LocalCopy::setNumber(std::string_view name, uint32_t row, int64_t number) {
  const ObjectDef* def = device::findByName(name);
  if (!def) return;
  Value& v = values_[{def, row}];
  v.isNumber = true;
  v.number = number;
  v.dirty = true;
}

void LocalCopy::erase(const ObjectDef* def, uint32_t row) { values_.erase({def, row}); }

void LocalCopy::clearColumns(const std::vector<const ObjectDef*>& columns) {
  for (const ObjectDef* c : columns) {
    auto it = values_.lower_bound({c, 0});
    while (it != values_.end() && it->first.first == c) it = values_.erase(it);
  }
}

std::vector<uint32_t> LocalCopy::rows(const ObjectDef* column) const {
  std::vector<uint32_t> out;
  for (auto it = values_.lower_bound({column, 0}); it != values_.end() && it->first.first == column; ++it)
    out.push_back(it->first.second);
  return out;
}

std::vector<uint32_t> LocalCopy::rows(std::string_view columnName) const {
  return rows(device::findByName(columnName));
}

std::vector<LocalCopy::Key> LocalCopy::dirty(device::Feature feature, uint32_t mask) const {
  std::vector<Key> out;
  for (const auto& [key, v] : values_)
    if (v.dirty && device::usedBy(*key.first, feature, mask)) out.push_back(key);
  return out;
}

void LocalCopy::markClean(const Key& key) {
  auto it = values_.find(key);
  if (it != values_.end()) it->second.dirty = false;
}

int decodeValue(const ObjectDef& def, const variable_list* var, Value* out) {
  using device::Syntax;
  switch (var->type) {
    case SNMP_NOSUCHOBJECT:
    case SNMP_NOSUCHINSTANCE:
    case SNMP_ENDOFMIBVIEW:
      return AP_E_NO_SUCH_OBJECT;
    default:
      break;
  }
  *out = Value{};
  switch (def.syntax) {
    case Syntax::Integer:
    case Syntax::Counter32:
    case Syntax::Gauge32:
    case Syntax::TimeTicks:
      if (var->type != ASN_INTEGER && var->type != ASN_COUNTER && var->type != ASN_GAUGE &&
          var->type != ASN_TIMETICKS)
        return AP_E_WRONG_TYPE;
      out->isNumber = true;
      // INTEGER is signed, the others are unsigned 32-bit on the wire.
      out->number = var->type == ASN_INTEGER ? static_cast<int64_t>(static_cast<int32_t>(*var->val.integer))
                                             : static_cast<int64_t>(static_cast<uint32_t>(*var->val.integer));
      return AP_OK;
    case Syntax::DisplayString:
    case Syntax::OctetString:
      if (var->type != ASN_OCTET_STR) return AP_E_WRONG_TYPE;
      out->text.assign(reinterpret_cast<const char*>(var->val.string), var->val_len);
      return AP_OK;
    case Syntax::IpAddress: {
      if (var->type != ASN_IPADDRESS || var->val_len != 4) return AP_E_WRONG_TYPE;
      const u_char* b = var->val.string;
      char buf[16];
      std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
      out->text = buf;
      return AP_OK;
    }
  }
  return AP_E_WRONG_TYPE;
}

}  // namespace kav::aphelp
