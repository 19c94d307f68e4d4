#include "platform/aphelp/transfer.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <arpa/inet.h>

#include <algorithm>
#include <map>
#include <unordered_map>

#include "platform/aphelp/handles.h"
#include "platform/aphelp/include/KAV7420apHelp.h"

namespace kav::aphelp {
namespace {

using device::ObjectDef;

// Enough objects for the largest group of one feature, and small enough
// that an answer of short texts fits the common 1472-byte datagram limit of
// devices is not a goal: devices that cannot answer say tooBig and the read
// is split.
constexpr size_t kMaxReadsPerRequest = 64;
// Rows asked per GETBULK; devices cut an answer that would not fit.
constexpr long kBulkBudgetVarbinds = 60;

std::vector<oid> toNetSnmp(const std::vector<uint32_t>& v) { return {v.begin(), v.end()}; }

// The object identifier of an object without its instance, worked out once.
const std::vector<oid>& columnOid(const ObjectDef* def) {
  static std::unordered_map<const ObjectDef*, std::vector<oid>> cache;
  auto it = cache.find(def);
  if (it == cache.end()) it = cache.emplace(def, toNetSnmp(device::oidOf(*def))).first;
  return it->second;
}

std::vector<oid> instanceName(const ObjectDef& def, uint32_t row) {
  std::vector<oid> name = columnOid(&def);
  name.push_back(def.table ? row : 0);
  return name;
}

bool startsWith(const oid* name, size_t len, const std::vector<oid>& prefix) {
  return len >= prefix.size() && std::equal(prefix.begin(), prefix.end(), name);
}

void addValue(netsnmp_pdu* pdu, const ObjectDef& def, uint32_t row, const Value& v) {
  auto name = instanceName(def, row);
  using device::Syntax;
  switch (def.syntax) {
    case Syntax::Integer:
    case Syntax::Counter32:
    case Syntax::Gauge32:
    case Syntax::TimeTicks: {
      long n = static_cast<long>(v.isNumber ? v.number : std::strtoll(v.text.c_str(), nullptr, 10));
      u_char type = def.syntax == Syntax::Integer     ? ASN_INTEGER
                    : def.syntax == Syntax::Counter32 ? ASN_COUNTER
                    : def.syntax == Syntax::Gauge32   ? ASN_GAUGE
                                                      : ASN_TIMETICKS;
      snmp_pdu_add_variable(pdu, name.data(), name.size(), type, &n, sizeof n);
      break;
    }
    case Syntax::DisplayString:
    case Syntax::OctetString: {
      std::string t = v.isNumber ? std::to_string(v.number) : v.text;
      snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_OCTET_STR, t.data(), t.size());
      break;
    }
    case Syntax::IpAddress: {
      in_addr a{};
      inet_pton(AF_INET, v.text.c_str(), &a);
      snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_IPADDRESS, &a, 4);
      break;
    }
  }
}

bool sameValue(const Value& a, const Value& b) {
  return a.isNumber == b.isNumber && a.number == b.number && a.text == b.text;
}

}  // namespace

Transfer::Transfer(FeatureHandle& handle, Kind kind, uint32_t mask)
    : Transfer(handle, kind, mask, handle.feature) {}

Transfer::Transfer(FeatureHandle& handle, Kind kind, uint32_t mask, device::Feature feature)
    : handle_(handle), kind_(kind) {
  if (handle.command) {
    const ObjectDef* cmd = device::findByName("sysCommand");
    Value v;
    v.isNumber = true;
    v.number = handle.command->code;
    steps_.push_back(Step{.type = Step::Write, .writes = {{{cmd, 0}, v}}, .timeoutMs = handle.command->timeMs});
    handle.command.reset();
  }
  if (kind == Kind::Set) {
    Step write{.type = Step::Write, .fromLocalCopy = true};
    for (const auto& key : handle.values.dirty(feature, mask))
      write.writes.emplace_back(key, *handle.values.find(key.first, key.second));
    if (!write.writes.empty()) steps_.push_back(std::move(write));
    return;
  }
  std::vector<LocalCopy::Key> reads;
  std::map<const device::TableDef*, Step> walks;
  for (const ObjectDef* def : device::objectsOf(feature, mask)) {
    if (!def->table) {
      reads.emplace_back(def, 0);
      continue;
    }
    const device::TableDef* table = device::findTable(def->table);
    if (table->fixedRows > 0) {
      for (uint32_t row = 1; row <= table->fixedRows; ++row) reads.emplace_back(def, row);
      continue;
    }
    Step& walk = walks[table];
    walk.type = Step::Walk;
    walk.columns.push_back(def);
    walk.cursor.push_back(device::oidOf(*def));
    walk.done.push_back(false);
  }
  for (size_t i = 0; i < reads.size(); i += kMaxReadsPerRequest) {
    Step read{.type = Step::Read};
    read.reads.assign(reads.begin() + i, reads.begin() + std::min(reads.size(), i + kMaxReadsPerRequest));
    steps_.push_back(std::move(read));
  }
  for (auto& [table, walk] : walks) steps_.push_back(std::move(walk));
}

void Transfer::writeFirst(const ObjectDef* def, uint32_t row, int64_t value, int timeoutMs) {
  Value v;
  v.isNumber = true;
  v.number = value;
  steps_.push_front(Step{.type = Step::Write, .writes = {{{def, row}, v}}, .timeoutMs = timeoutMs});
}

void Transfer::runFileTransfer(const FileTransfer& f) {
  auto text = [](std::string t) {
    Value v;
    v.text = std::move(t);
    return v;
  };
  auto number = [](int64_t n) {
    Value v;
    v.isNumber = true;
    v.number = n;
    return v;
  };
  auto key = [](const char* name) { return LocalCopy::Key{device::findByName(name), 0}; };
  Step write{.type = Step::Write,
             .writes = {{key("transferKind"), number(f.kind)},
                        {key("transferServer"), text(f.server)},
                        {key("transferUser"), text(f.user)},
                        {key("transferPassword"), text(f.password)},
                        {key("transferFileName"), text(f.fileName)},
                        {key("transferStart"), number(1)}}};
  if (!f.wait) write.timeoutMs = f.timeoutMs;
  steps_.push_back(std::move(write));
  if (f.wait)
    steps_.push_back(Step{.type = Step::Poll, .timeoutMs = f.timeoutMs,
                          .reads = {key("transferStatus"), key("transferMessage")}});
}

snmp_pdu* Transfer::next(bool* write, int* timeoutMs) {
  if (steps_.empty()) return nullptr;
  Step& step = steps_.front();
  *write = step.type == Step::Write;
  *timeoutMs = step.type == Step::Poll ? 0 : step.timeoutMs;
  netsnmp_pdu* pdu = nullptr;
  switch (step.type) {
    case Step::Write:
      pdu = snmp_pdu_create(SNMP_MSG_SET);
      for (const auto& [key, value] : step.writes) addValue(pdu, *key.first, key.second, value);
      break;
    case Step::Poll:
      if (!step.started) {
        step.since = std::chrono::steady_clock::now();
        step.started = true;
      }
      [[fallthrough]];
    case Step::Read:
      pdu = snmp_pdu_create(SNMP_MSG_GET);
      for (const auto& [def, row] : step.reads) {
        auto name = instanceName(*def, row);
        snmp_add_null_var(pdu, name.data(), name.size());
      }
      break;
    case Step::Walk: {
      if (!step.started) {
        walkedColumns_.insert(walkedColumns_.end(), step.columns.begin(), step.columns.end());
        step.started = true;
      }
      pdu = snmp_pdu_create(SNMP_MSG_GETBULK);
      long active = 0;
      for (size_t c = 0; c < step.columns.size(); ++c) {
        if (step.done[c]) continue;
        auto name = toNetSnmp(step.cursor[c]);
        snmp_add_null_var(pdu, name.data(), name.size());
        ++active;
      }
      pdu->non_repeaters = 0;
      pdu->max_repetitions = std::max(1L, kBulkBudgetVarbinds / std::max(1L, active));
      break;
    }
  }
  return pdu;
}

int Transfer::take(const snmp_pdu* answer) {
  if (steps_.empty() || !answer || answer->command != SNMP_MSG_RESPONSE) return AP_E_BAD_ANSWER;
  Step& step = steps_.front();
  if (answer->errstat == SNMP_ERR_TOOBIG && step.type == Step::Read && step.reads.size() > 1) {
    // Ask again in two halves.
    Step second{.type = Step::Read};
    size_t half = step.reads.size() / 2;
    second.reads.assign(step.reads.begin() + half, step.reads.end());
    step.reads.resize(half);
    steps_.insert(steps_.begin() + 1, std::move(second));
    return AP_OK;
  }
  if (answer->errstat != SNMP_ERR_NOERROR) return AP_E_STATUS_BASE - static_cast<int>(answer->errstat);
  int rc = AP_OK;
  bool finished = true;
  switch (step.type) {
    case Step::Write: rc = takeWrite(step, answer); break;
    case Step::Read: rc = takeRead(step, answer); break;
    case Step::Walk:
      rc = takeWalk(step, answer);
      finished = std::all_of(step.done.begin(), step.done.end(), [](bool d) { return d; });
      break;
    case Step::Poll: rc = takePoll(step, answer, &finished); break;
  }
  if (rc != AP_OK) return rc;
  if (finished) steps_.pop_front();
  return AP_OK;
}

int Transfer::takePoll(Step& step, const snmp_pdu* answer, bool* finished) {
  int64_t status = -1;
  for (const netsnmp_variable_list* var = answer->variables; var; var = var->next_variable) {
    if (var->type == ASN_INTEGER && var->val.integer) status = *var->val.integer;
    if (var->type == ASN_OCTET_STR) message_.assign(reinterpret_cast<const char*>(var->val.string), var->val_len);
  }
  enum { kIdle = 0, kRunning = 1, kDone = 2, kFailed = 3, kWrongImage = 500 };
  *finished = status != kRunning;
  if (status == kRunning) {
    auto waited = std::chrono::steady_clock::now() - step.since;
    if (step.timeoutMs > 0 && waited > std::chrono::milliseconds(step.timeoutMs)) {
      message_.clear();
      return AP_E_TIMEOUT;
    }
    delayMs_ = 200;
    return AP_OK;
  }
  if (status == kDone) {
    message_.clear();
    return AP_OK;
  }
  if (status == kWrongImage) return AP_WRONG_IMAGE;
  if (status == kIdle) message_ = "The device did not start the transfer.";
  return status < 0 ? AP_E_BAD_ANSWER : AP_E_TRANSFER;
}

void Transfer::commit() {
  handle_.values.clearColumns(walkedColumns_);
  for (const auto& [def, row] : absent_) handle_.values.erase(def, row);
  result_.forEach([this](const LocalCopy::Key& key, const Value& v) { handle_.values.store(key.first, key.second, v); });
}

int Transfer::takeWrite(Step& step, const snmp_pdu*) {
  if (!step.fromLocalCopy) return AP_OK;
  // A value the caller changed again while this write was on its way stays
  // marked for the next write.
  for (const auto& [key, sent] : step.writes) {
    const Value* now = handle_.values.find(key.first, key.second);
    if (now && sameValue(*now, sent)) handle_.values.markClean(key);
  }
  return AP_OK;
}

int Transfer::takeRead(Step& step, const snmp_pdu* answer) {
  // Check the whole answer before storing any of it.
  std::vector<std::pair<size_t, Value>> values;
  const netsnmp_variable_list* var = answer->variables;
  for (size_t i = 0; i < step.reads.size(); ++i, var = var->next_variable) {
    if (!var) return AP_E_BAD_ANSWER;
    const auto& [def, row] = step.reads[i];
    auto name = instanceName(*def, row);
    if (var->name_length != name.size() || !std::equal(name.begin(), name.end(), var->name))
      return AP_E_BAD_ANSWER;
    Value v;
    int rc = decodeValue(*def, var, &v);
    if (rc == AP_E_NO_SUCH_OBJECT && def->table) continue;  // a row the device does not have
    if (rc != AP_OK) return rc;
    values.emplace_back(i, std::move(v));
  }
  if (var) return AP_E_BAD_ANSWER;
  std::vector<bool> answered(step.reads.size(), false);
  for (auto& [i, v] : values) {
    answered[i] = true;
    result_.store(step.reads[i].first, step.reads[i].second, std::move(v));
  }
  for (size_t i = 0; i < step.reads.size(); ++i)
    if (!answered[i]) absent_.push_back(step.reads[i]);
  return AP_OK;
}

int Transfer::takeWalk(Step& step, const snmp_pdu* answer) {
  std::vector<size_t> active;
  for (size_t c = 0; c < step.columns.size(); ++c)
    if (!step.done[c]) active.push_back(c);
  if (!answer->variables) return AP_E_BAD_ANSWER;
  size_t i = 0;
  for (const netsnmp_variable_list* var = answer->variables; var; var = var->next_variable, ++i) {
    size_t c = active[i % active.size()];
    if (step.done[c]) continue;
    const ObjectDef* def = step.columns[c];
    const auto& column = columnOid(def);
    if (var->type == SNMP_ENDOFMIBVIEW || var->type == SNMP_NOSUCHOBJECT ||
        var->type == SNMP_NOSUCHINSTANCE || !startsWith(var->name, var->name_length, column) ||
        var->name_length != column.size() + 1) {
      step.done[c] = true;  // the walk has left this column
      continue;
    }
    // An answer that does not move forward would make the walk loop.
    auto& cursor = step.cursor[c];
    if (snmp_oid_compare(var->name, var->name_length, toNetSnmp(cursor).data(), cursor.size()) <= 0)
      return AP_E_BAD_ANSWER;
    Value v;
    int rc = decodeValue(*def, var, &v);
    if (rc != AP_OK) return rc;
    cursor.assign(var->name, var->name + var->name_length);
    result_.store(def, static_cast<uint32_t>(var->name[var->name_length - 1]), std::move(v));
  }
  return AP_OK;
}

}  // namespace kav::aphelp
