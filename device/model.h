// The KAV-7420 device model: every SNMP object the device serves, in one
// table that the device access library (to build requests) and the
// simulator (to answer them) both read, so the two cannot disagree.
//
// Every object lives below the enterprise subtree kEnterpriseOid.  Scalars
// carry the instance ".0"; table columns carry the row number as their one
// index (radio 1 is the 2.4 GHz radio, radio 2 the 5 GHz radio).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kav::device {

inline constexpr const char* kEnterpriseOid = "1.3.6.1.4.1.32473.10.37.38";

// The feature handle of the device access library an object belongs to.
enum class Feature : uint8_t {
  DeviceInfo,  // apSysDeviceInforOpen
  Wireless,    // apWirelessOpen
  Statistics,  // apStatisticOpen
  SysCommand,  // apSysCommandObjOpen
  Monitor,     // apSysMonitorOpen, kind 2 (detected access points)
  Clients,     // the client table walked by the client information library
};

// SNMP syntax as it travels on the wire.
enum class Syntax : uint8_t { Integer, DisplayString, OctetString, IpAddress, Counter32, Gauge32, TimeTicks };

enum class Access : uint8_t { ReadOnly, ReadWrite };

// Where the simulator keeps the value.
//   Xml      a path in the device's configuration XML (settings a backup carries)
//   Runtime  a per-device value of the simulator's scenario (hardware facts,
//            counters) or a row of one of its runtime tables
//   Derived  computed by the device from other values (texts it reports)
enum class Store : uint8_t { Xml, Runtime, Derived };

// Style-mask groups of each feature (apStyleModify).  A get request covers
// the objects whose group bit is in the handle's mask.
namespace group {
// Page masks use the low bits; the digests the host queries fetch through
// their own request functions use bit 24 upward so that they never collide.
// device information
inline constexpr uint32_t kIdentity = 1;  // full layout: identity and state
inline constexpr uint32_t kLan = 2;       // LAN settings
inline constexpr uint32_t kRadios = 4;    // full layout: per-band texts
// wireless
inline constexpr uint32_t kBasicDigest = 1u << 24;  // apPlugGetBasicConfig
// statistics
inline constexpr uint32_t kTrafficDigest = 1u << 24;  // apPlugGetTriffic
// system command
inline constexpr uint32_t kCommand = 1;
inline constexpr uint32_t kFirmware = 1u << 24;  // apSysGetFWversion, apPlugGetFWVervion
inline constexpr uint32_t kTransfer = 1u << 25;  // progress of a file transfer
// monitor, kind 2
inline constexpr uint32_t kNeighbours = 1;
// clients
inline constexpr uint32_t kClientTable = 1;
}  // namespace group

// Checks a SET makes on a string before the device takes it.
enum class Check : uint8_t { None, Ipv4, Ipv4OrEmpty };

// One use of an object: the feature handle that fetches it and the
// style-mask group that selects it there.  Some values serve two features
// (the SSID is both device information and part of the wireless digest).
struct Use {
  Feature feature;
  uint32_t group;
};
inline constexpr int kMaxUses = 3;

struct ObjectDef {
  const char* name;                // MIB descriptor
  Use uses[kMaxUses];              // unused slots have group 0
  const char* oid;                 // below kEnterpriseOid, without the instance
  const char* table = nullptr;     // MIB name of the table for a column, nullptr for a scalar
  Syntax syntax = Syntax::Integer;
  Access access = Access::ReadOnly;
  Store store = Store::Runtime;
  // Xml: a path such as "wlan/inf[id=$]/ssid" where "$" stands for the row.
  // Runtime: a scenario key ("fw_version") or "table.column" for a row of a
  // runtime table ("clients.mac").  Derived: the name of the derivation.
  const char* where = "";
  int32_t minValue = 1;            // integer range a SET accepts (min > max: any)
  int32_t maxValue = 0;
  uint16_t maxLength = 0;          // longest string a SET accepts (0: 255)
  Check check = Check::None;
  const char* description = "";
  // SMIv2 syntax for the MIB file when the wire syntax alone says too little
  // (a textual convention such as "MacAddress"); nullptr: derived from syntax.
  const char* mibSyntax = nullptr;
};

// Named nodes of the MIB tree that hold no value (for the MIB file).
struct NodeDef {
  const char* name;
  const char* oid;  // below kEnterpriseOid
};

// A conceptual table: its MIB names and the row numbers it may have.
struct TableDef {
  const char* name;    // e.g. "dot11RadioTable"
  const char* entry;   // e.g. "dot11RadioEntry"
  const char* index;   // name of the not-accessible index column
  const char* oid;     // table OID below kEnterpriseOid; entry is oid + ".1"
  uint32_t fixedRows;  // rows 1..n that may exist (radios), or 0 for a table of any length
  const char* description;
};

std::span<const ObjectDef> objects();
std::span<const TableDef> tables();
std::span<const NodeDef> nodes();

const ObjectDef* findByName(std::string_view name);
const TableDef* findTable(std::string_view name);

// Full numeric OID of an object without its instance.
std::vector<uint32_t> oidOf(const ObjectDef& def);
// Full numeric OID with the instance: ".0" for a scalar, ".row" for a column.
std::vector<uint32_t> instanceOid(const ObjectDef& def, uint32_t row = 0);
std::vector<uint32_t> parseOid(std::string_view dotted);
std::string oidText(std::span<const uint32_t> oid);

bool usedBy(const ObjectDef& def, Feature feature, uint32_t mask);
// Objects of one feature whose group is in mask, in table order.
std::vector<const ObjectDef*> objectsOf(Feature feature, uint32_t mask);

inline bool isString(Syntax s) {
  return s == Syntax::DisplayString || s == Syntax::OctetString;
}

}  // namespace kav::device
