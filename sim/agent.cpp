#include "sim/agent.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace kav::sim {
namespace {

struct PduFree {
  void operator()(netsnmp_pdu* p) const { snmp_free_pdu(p); }
};
using PduPtr = std::unique_ptr<netsnmp_pdu, PduFree>;

void setValue(netsnmp_variable_list* vb, const Value& v) {
  switch (v.type) {
    case ASN_OCTET_STR:
    case ASN_IPADDRESS:
      snmp_set_var_typed_value(vb, v.type, v.bytes.data(), v.bytes.size());
      break;
    case ASN_INTEGER: {
      long n = v.integer;
      snmp_set_var_typed_value(vb, v.type, &n, sizeof n);
      break;
    }
    default: {
      u_long n = static_cast<u_long>(v.integer) & 0xFFFFFFFFul;
      snmp_set_var_typed_value(vb, v.type, &n, sizeof n);
      break;
    }
  }
}

// A response that repeats the request's variable bindings.
PduPtr echo(netsnmp_pdu* request) {
  PduPtr r(snmp_clone_pdu(request));
  if (!r) return r;
  r->command = SNMP_MSG_RESPONSE;
  r->errstat = SNMP_ERR_NOERROR;
  r->errindex = 0;
  return r;
}

PduPtr errorResponse(netsnmp_pdu* request, long v2Error, long index) {
  PduPtr r = echo(request);
  if (!r) return r;
  r->errstat = request->version == SNMP_VERSION_1 ? v1ErrorStatus(v2Error) : v2Error;
  r->errindex = index;
  return r;
}

// tooBig: SNMPv2c sends no variable bindings; SNMPv1 repeats the request's,
// as RFC 1157 asks ("of identical form"), or none if even that is too large.
PduPtr tooBig(Device& device, netsnmp_session* session, netsnmp_pdu* request) {
  PduPtr r = echo(request);
  if (!r) return r;
  r->errstat = SNMP_ERR_TOOBIG;
  r->errindex = 0;
  if (request->version != SNMP_VERSION_1 ||
      encodedSize(session, r.get()) > device.settings().maxMessageSize) {
    snmp_free_varbind(r->variables);
    r->variables = nullptr;
  }
  return r;
}

bool fits(Device& device, netsnmp_session* session, netsnmp_pdu* pdu) {
  return encodedSize(session, pdu) <= device.settings().maxMessageSize;
}

PduPtr finish(Device& device, netsnmp_session* session, netsnmp_pdu* request, PduPtr response) {
  if (!response) return response;
  if (!fits(device, session, response.get())) return tooBig(device, session, request);
  return response;
}

PduPtr get(Device& device, netsnmp_session* session, netsnmp_pdu* request) {
  PduPtr r = echo(request);
  if (!r) return r;
  long index = 1;
  for (netsnmp_variable_list* vb = r->variables; vb; vb = vb->next_variable, ++index) {
    if (const Device::Instance* in = device.find(vb->name, vb->name_length)) {
      setValue(vb, device.read(*in));
      continue;
    }
    if (request->version == SNMP_VERSION_1) return errorResponse(request, SNMP_ERR_NOSUCHNAME, index);
    u_char exception = device.objectOf(vb->name, vb->name_length) ? SNMP_NOSUCHINSTANCE : SNMP_NOSUCHOBJECT;
    snmp_set_var_typed_value(vb, exception, nullptr, 0);
  }
  return finish(device, session, request, std::move(r));
}

PduPtr getNext(Device& device, netsnmp_session* session, netsnmp_pdu* request) {
  PduPtr r = echo(request);
  if (!r) return r;
  long index = 1;
  for (netsnmp_variable_list* vb = r->variables; vb; vb = vb->next_variable, ++index) {
    if (const Device::Instance* in = device.next(vb->name, vb->name_length)) {
      snmp_set_var_objid(vb, in->name.data(), in->name.size());
      setValue(vb, device.read(*in));
      continue;
    }
    if (request->version == SNMP_VERSION_1) return errorResponse(request, SNMP_ERR_NOSUCHNAME, index);
    snmp_set_var_typed_value(vb, SNMP_ENDOFMIBVIEW, nullptr, 0);
  }
  return finish(device, session, request, std::move(r));
}

// One variable binding of a GETBULK answer before it is encoded.
struct BulkItem {
  std::vector<oid> name;
  const Device::Instance* instance;  // nullptr: endOfMibView
};

PduPtr bulkResponse(Device& device, netsnmp_pdu* request, const std::vector<BulkItem>& items, size_t count) {
  PduPtr r = echo(request);
  if (!r) return r;
  snmp_free_varbind(r->variables);
  r->variables = nullptr;
  for (size_t i = 0; i < count; ++i) {
    const BulkItem& it = items[i];
    netsnmp_variable_list* vb = snmp_add_null_var(r.get(), it.name.data(), it.name.size());
    if (!vb) return nullptr;
    if (it.instance)
      setValue(vb, device.read(*it.instance));
    else
      snmp_set_var_typed_value(vb, SNMP_ENDOFMIBVIEW, nullptr, 0);
  }
  return r;
}

PduPtr getBulk(Device& device, netsnmp_session* session, netsnmp_pdu* request) {
  std::vector<std::vector<oid>> names;
  for (netsnmp_variable_list* vb = request->variables; vb; vb = vb->next_variable)
    names.emplace_back(vb->name, vb->name + vb->name_length);
  const size_t total = names.size();
  const size_t n = static_cast<size_t>(std::clamp<long>(request->non_repeaters, 0, static_cast<long>(total)));
  const size_t repeaters = total - n;
  const long maxReps = std::max<long>(request->max_repetitions, 0);

  std::vector<BulkItem> items;
  auto step = [&](const std::vector<oid>& from) -> BulkItem {
    const Device::Instance* in = device.next(from.data(), from.size());
    return in ? BulkItem{in->name, in} : BulkItem{from, nullptr};
  };
  for (size_t i = 0; i < n; ++i) items.push_back(step(names[i]));
  // Repetitions end early once every repeater has left the tree.
  std::vector<std::vector<oid>> cursor(names.begin() + static_cast<long>(n), names.end());
  long reps = 0;
  for (; repeaters > 0 && reps < maxReps; ++reps) {
    bool anyLeft = false;
    for (auto& c : cursor) {
      BulkItem it = step(c);
      anyLeft = anyLeft || it.instance != nullptr;
      c = it.name;
      items.push_back(std::move(it));
    }
    if (!anyLeft) {
      ++reps;
      break;
    }
    // Every binding takes at least six bytes: more than that many could
    // never fit, so there is no point in collecting them.
    if ((items.size() + repeaters) * 6 > device.settings().maxMessageSize) {
      ++reps;
      break;
    }
  }
  // As many whole repetitions as fit; at least the non-repeaters and one.
  PduPtr r = bulkResponse(device, request, items, items.size());
  if (r && fits(device, session, r.get())) return r;
  long lo = 0, hi = reps;  // lo fits (or is the minimum), hi does not
  const long minimum = repeaters > 0 && reps > 0 ? 1 : 0;
  PduPtr best = bulkResponse(device, request, items, n + static_cast<size_t>(minimum) * repeaters);
  if (!best || !fits(device, session, best.get())) return tooBig(device, session, request);
  lo = minimum;
  while (hi - lo > 1) {
    long mid = lo + (hi - lo) / 2;
    PduPtr candidate = bulkResponse(device, request, items, n + static_cast<size_t>(mid) * repeaters);
    if (candidate && fits(device, session, candidate.get())) {
      lo = mid;
      best = std::move(candidate);
    } else {
      hi = mid;
    }
  }
  return best;
}

PduPtr set(Device& device, netsnmp_session* session, netsnmp_pdu* request, bool writeAccess) {
  long index = 1;
  if (!writeAccess) return errorResponse(request, SNMP_ERR_NOACCESS, request->variables ? 1 : 0);
  // The answer repeats the request; if that cannot be sent nothing is done.
  PduPtr r = echo(request);
  if (!r) return r;
  if (!fits(device, session, r.get())) return tooBig(device, session, request);
  // All or nothing: every binding is checked before any is applied.
  std::vector<Device::Assignment> assignments;
  for (netsnmp_variable_list* vb = request->variables; vb; vb = vb->next_variable, ++index) {
    const Device::Instance* in = device.find(vb->name, vb->name_length);
    if (!in) {
      const device::ObjectDef* def = device.objectOf(vb->name, vb->name_length);
      // A writable object without this instance could never have it: no
      // creation; anything else is not writable at all.
      long err = def && def->access == device::Access::ReadWrite ? SNMP_ERR_NOCREATION : SNMP_ERR_NOTWRITABLE;
      return errorResponse(request, err, index);
    }
    Value value;
    if (int err = device.check(*in, *vb, &value); err != SNMP_ERR_NOERROR)
      return errorResponse(request, err, index);
    assignments.push_back({in, std::move(value)});
  }
  if (int err = device.apply(assignments); err != SNMP_ERR_NOERROR) return errorResponse(request, err, 0);
  return r;
}

}  // namespace

long v1ErrorStatus(long e) {
  switch (e) {
    case SNMP_ERR_NOERROR:
    case SNMP_ERR_TOOBIG:
    case SNMP_ERR_NOSUCHNAME:
    case SNMP_ERR_BADVALUE:
    case SNMP_ERR_READONLY:
    case SNMP_ERR_GENERR:
      return e;
    case SNMP_ERR_WRONGVALUE:
    case SNMP_ERR_WRONGENCODING:
    case SNMP_ERR_WRONGTYPE:
    case SNMP_ERR_WRONGLENGTH:
    case SNMP_ERR_INCONSISTENTVALUE:
      return SNMP_ERR_BADVALUE;
    case SNMP_ERR_NOACCESS:
    case SNMP_ERR_NOTWRITABLE:
    case SNMP_ERR_NOCREATION:
    case SNMP_ERR_INCONSISTENTNAME:
    case SNMP_ERR_AUTHORIZATIONERROR:
      return SNMP_ERR_NOSUCHNAME;
    default:  // resourceUnavailable, commitFailed, undoFailed
      return SNMP_ERR_GENERR;
  }
}

int parseRequest(netsnmp_session* session, netsnmp_pdu* pdu, u_char* packet, size_t length) {
  size_t left = length;
  u_char type = 0;
  long version = -1;
  u_char* p = asn_parse_sequence(packet, &left, &type, ASN_SEQUENCE | ASN_CONSTRUCTOR, "message");
  if (!p) return SNMPERR_ASN_PARSE_ERR;
  p = asn_parse_int(p, &left, &type, &version, sizeof version);
  if (!p || type != ASN_INTEGER) return SNMPERR_ASN_PARSE_ERR;
  if (version != SNMP_VERSION_1 && version != SNMP_VERSION_2c) return SNMPERR_BAD_VERSION;
  return snmp_parse(nullptr, session, pdu, packet, length);
}

size_t encodedSize(netsnmp_session* session, netsnmp_pdu* pdu) {
  size_t len = 1024, offset = 0;
  auto* buf = static_cast<u_char*>(std::malloc(len));
  if (!buf) return SIZE_MAX;
  int rc = snmp_build(&buf, &len, &offset, session, pdu);
  std::free(buf);
  return rc == 0 ? offset : SIZE_MAX;
}

netsnmp_pdu* answerRequest(Device& device, netsnmp_session* session, netsnmp_pdu* request) {
  if (request->version != SNMP_VERSION_1 && request->version != SNMP_VERSION_2c) return nullptr;
  const std::string community(reinterpret_cast<const char*>(request->community), request->community_len);
  const std::string rw = device.writeCommunity();
  const bool write = !rw.empty() && community == rw;
  const std::string ro = device.readCommunity();
  const bool read = write || (!ro.empty() && community == ro);
  if (!read) return nullptr;
  PduPtr r;
  switch (request->command) {
    case SNMP_MSG_GET: r = get(device, session, request); break;
    case SNMP_MSG_GETNEXT: r = getNext(device, session, request); break;
    case SNMP_MSG_GETBULK:
      if (request->version == SNMP_VERSION_1) return nullptr;
      r = getBulk(device, session, request);
      break;
    case SNMP_MSG_SET: r = set(device, session, request, write); break;
    default: return nullptr;
  }
  return r.release();
}

}  // namespace kav::sim
