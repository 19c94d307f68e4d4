// The SNMP agent of one device: turns a parsed request into the response a
// KAV-7420 sends (SNMPv1 and SNMPv2c), or into no response at all.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include "sim/device.h"

namespace kav::sim {

// The answer to `request`, or nullptr when the device stays silent (wrong
// community, a PDU type it does not answer, GETBULK in an SNMPv1 message).
// `session` is used only to measure encoded sizes against the device's
// largest message.  The caller owns the returned PDU.
netsnmp_pdu* answerRequest(Device& device, netsnmp_session* session, netsnmp_pdu* request);

// Parses a datagram into pdu (net-snmp's parse hook of a device session).
// Only SNMPv1 and SNMPv2c messages are parsed; anything else is refused
// before the library's SNMPv3 machinery could answer it with a report.
// Returns 0 or a net-snmp error.
int parseRequest(netsnmp_session* session, netsnmp_pdu* pdu, u_char* packet, size_t length);

// Encoded size of the whole message carrying pdu; SIZE_MAX if it cannot be encoded.
size_t encodedSize(netsnmp_session* session, netsnmp_pdu* pdu);

// SNMPv2 error-status as an SNMPv1 agent reports it (RFC 2576, 4.4).
long v1ErrorStatus(long v2Error);

}  // namespace kav::sim
