#include "device/mibgen.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>
#include <vector>

#include "device/model.h"

namespace kav::device {
namespace {

// Bump when the module changes (objects added or changed).
constexpr const char* kLastUpdated = "202612110000Z";

// The registration chain above the device's subtree.
struct ChainNode {
  const char* name;
  const char* parent;
  unsigned number;
};
const ChainNode kChain[] = {
    {"kavEnterprise", "enterprises", 32473},
    {"kavProducts", "kavEnterprise", 10},
    {"kavAccessPoints", "kavProducts", 37},
};
constexpr const char* kRootName = "kav7420";  // the MODULE-IDENTITY, 1.3.6.1.4.1.32473.10.37.38

using Oid = std::vector<uint32_t>;

Oid below(const char* dotted) {
  auto base = parseOid(kEnterpriseOid);
  auto tail = parseOid(dotted);
  base.insert(base.end(), tail.begin(), tail.end());
  return base;
}

std::string quoted(std::string_view text, const char* indent) {
  // Wrapped at about 72 columns; a DESCRIPTION cannot hold double quotes.
  std::string out = std::string(indent) + "\"";
  size_t col = out.size();
  std::string word;
  auto flush = [&] {
    if (word.empty()) return;
    if (col + word.size() + 1 > 72 && col > std::string(indent).size() + 1) {
      out += "\n" + std::string(indent) + " ";
      col = std::string(indent).size() + 1;
    } else if (out.back() != '"') {
      out += ' ';
      ++col;
    }
    out += word;
    col += word.size();
    word.clear();
  };
  for (char c : text) {
    if (c == ' ' || c == '\n') {
      flush();
      continue;
    }
    word += c == '"' ? '\'' : c;
  }
  flush();
  return out + "\"";
}

std::string typeName(std::string entry) {
  entry[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(entry[0])));
  return entry;
}

std::string syntaxOf(const ObjectDef& o) {
  if (o.mibSyntax) return o.mibSyntax;
  switch (o.syntax) {
    case Syntax::Integer:
      return o.minValue <= o.maxValue
                 ? "Integer32 (" + std::to_string(o.minValue) + ".." + std::to_string(o.maxValue) + ")"
                 : "Integer32";
    case Syntax::DisplayString:
      return o.maxLength ? "DisplayString (SIZE (0.." + std::to_string(o.maxLength) + "))" : "DisplayString";
    case Syntax::OctetString:
      return o.maxLength ? "OCTET STRING (SIZE (0.." + std::to_string(o.maxLength) + "))" : "OCTET STRING";
    case Syntax::IpAddress: return "IpAddress";
    case Syntax::Counter32: return "Counter32";
    case Syntax::Gauge32: return "Gauge32";
    case Syntax::TimeTicks: return "TimeTicks";
  }
  return "Integer32";
}

// The bare type in a SEQUENCE (no sub-typing there).
std::string sequenceSyntaxOf(const ObjectDef& o) {
  std::string s = syntaxOf(o);
  size_t paren = s.find(" (");
  return paren == std::string::npos ? s : s.substr(0, paren);
}

}  // namespace

std::string generateMib() {
  // Every named node by OID, to name the parent of each definition.
  std::map<Oid, std::string> names;
  names[below("")] = kRootName;
  for (const NodeDef& n : nodes()) names[below(n.oid)] = n.name;
  for (const TableDef& t : tables()) {
    names[below(t.oid)] = t.name;
    Oid entry = below(t.oid);
    entry.push_back(1);
    names[entry] = t.entry;
  }
  for (const ObjectDef& o : objects()) names[below(o.oid)] = o.name;
  // The index column is column 1 unless the table's first value sits there
  // (the refresh table's only column is its column 1); then it takes the
  // first free column.  It is not-accessible, so it is never served anyway.
  std::map<std::string, Oid> indexOid;
  for (const TableDef& t : tables()) {
    Oid index = below(t.oid);
    index.push_back(1);
    index.push_back(1);
    while (names.count(index)) ++index.back();
    names[index] = t.index;
    indexOid[t.name] = index;
  }
  auto parentRef = [&](const Oid& oid) {
    Oid parent(oid.begin(), oid.end() - 1);
    auto it = names.find(parent);
    if (it == names.end())
      throw std::runtime_error("no named parent for " + oidText(oid) + "; add a NodeDef for " + oidText(parent));
    return "{ " + it->second + " " + std::to_string(oid.back()) + " }";
  };

  std::map<Oid, std::string> defs;  // definitions in OID order
  std::set<std::string> smi = {"MODULE-IDENTITY", "OBJECT-TYPE", "enterprises"};
  std::set<std::string> tc;
  auto note = [&](const std::string& syntax) {
    for (const char* t : {"Integer32", "Counter32", "Gauge32", "IpAddress", "TimeTicks"})
      if (syntax.rfind(t, 0) == 0) smi.insert(t);
    for (const char* t : {"DisplayString", "MacAddress"})
      if (syntax.rfind(t, 0) == 0) tc.insert(t);
  };

  for (const NodeDef& n : nodes()) {
    Oid oid = below(n.oid);
    defs[oid] = std::string(n.name) + " OBJECT IDENTIFIER ::= " + parentRef(oid) + "\n";
  }
  for (const TableDef& t : tables()) {
    Oid oid = below(t.oid);
    Oid entry = oid;
    entry.push_back(1);
    const Oid index = indexOid[t.name];
    std::vector<const ObjectDef*> columns;
    for (const ObjectDef& o : objects())
      if (o.table && std::string_view(o.table) == t.name) columns.push_back(&o);
    std::sort(columns.begin(), columns.end(),
              [&](const ObjectDef* a, const ObjectDef* b) { return below(a->oid) < below(b->oid); });
    const std::string type = typeName(t.entry);
    std::string text;
    text += std::string(t.name) + " OBJECT-TYPE\n";
    text += "    SYNTAX      SEQUENCE OF " + type + "\n";
    text += "    MAX-ACCESS  not-accessible\n    STATUS      current\n    DESCRIPTION\n";
    text += quoted(t.description, "        ") + "\n";
    text += "    ::= " + parentRef(oid) + "\n";
    defs[oid] = text;

    text = std::string(t.entry) + " OBJECT-TYPE\n";
    text += "    SYNTAX      " + type + "\n";
    text += "    MAX-ACCESS  not-accessible\n    STATUS      current\n    DESCRIPTION\n";
    text += quoted(std::string("One row of ") + t.name + ".", "        ") + "\n";
    text += "    INDEX       { " + std::string(t.index) + " }\n";
    text += "    ::= " + parentRef(entry) + "\n\n";
    text += type + " ::= SEQUENCE {\n";
    std::map<uint32_t, std::pair<std::string, std::string>> byColumn;  // SEQUENCE in column order
    byColumn[index.back()] = {t.index, "Integer32"};
    for (const ObjectDef* c : columns) byColumn[below(c->oid).back()] = {c->name, sequenceSyntaxOf(*c)};
    std::vector<std::pair<std::string, std::string>> members;
    for (auto& [col, m] : byColumn) members.push_back(m);
    size_t width = 0;
    for (auto& m : members) width = std::max(width, m.first.size());
    for (size_t i = 0; i < members.size(); ++i)
      text += "    " + members[i].first + std::string(width - members[i].first.size() + 1, ' ') +
              members[i].second + (i + 1 < members.size() ? ",\n" : "\n");
    text += "}\n";
    defs[entry] = text;

    text = std::string(t.index) + " OBJECT-TYPE\n";
    text += "    SYNTAX      Integer32 (1..2147483647)\n";
    text += "    MAX-ACCESS  not-accessible\n    STATUS      current\n    DESCRIPTION\n";
    text += quoted(std::string("Row number of ") + t.name + ", from 1.", "        ") + "\n";
    text += "    ::= " + parentRef(index) + "\n";
    defs[index] = text;
    note("Integer32");
  }
  for (const ObjectDef& o : objects()) {
    Oid oid = below(o.oid);
    const std::string syntax = syntaxOf(o);
    note(syntax);
    std::string text = std::string(o.name) + " OBJECT-TYPE\n";
    text += "    SYNTAX      " + syntax + "\n";
    text += std::string("    MAX-ACCESS  ") + (o.access == Access::ReadWrite ? "read-write" : "read-only") + "\n";
    text += "    STATUS      current\n    DESCRIPTION\n";
    text += quoted(o.description, "        ") + "\n";
    text += "    ::= " + parentRef(oid) + "\n";
    defs[oid] = text;
  }

  std::string out;
  out += std::string(kMibModule) + " DEFINITIONS ::= BEGIN\n\n";
  out += "-- Generated from the device model (device/model.cpp) by kav7420-mibgen.\n";
  out += "-- Do not edit: change the model and run kav7420-mibgen mib/KAV7420-MIB.txt.\n\n";
  out += "IMPORTS\n    ";
  {
    // MODULE-IDENTITY and OBJECT-TYPE first, then the types, enterprises last.
    std::vector<std::string> list = {"MODULE-IDENTITY", "OBJECT-TYPE"};
    for (const auto& s : smi)
      if (s != "MODULE-IDENTITY" && s != "OBJECT-TYPE" && s != "enterprises") list.push_back(s);
    list.push_back("enterprises");
    for (size_t i = 0; i < list.size(); ++i) out += list[i] + (i + 1 < list.size() ? ", " : "");
    out += "\n        FROM SNMPv2-SMI";
    if (!tc.empty()) {
      out += "\n    ";
      size_t i = 0;
      for (const auto& t : tc) out += t + (++i < tc.size() ? ", " : "");
      out += "\n        FROM SNMPv2-TC";
    }
    out += ";\n\n";
  }
  out += std::string(kRootName) + " MODULE-IDENTITY\n";
  out += std::string("    LAST-UPDATED \"") + kLastUpdated + "\"\n";
  out += "    ORGANIZATION \"KAV-7420 management software\"\n";
  out += "    CONTACT-INFO \"The maintainers of the KAV-7420 management software.\"\n";
  out += "    DESCRIPTION\n";
  out += quoted(
             "The SNMP objects of the KAV-7420 wireless access point: identity and state, wired IP settings, "
             "radios, wireless clients, detected access points, traffic counters and commands. Scalars have "
             "the instance 0; table rows are numbered from 1.",
             "        ") +
         "\n";
  out += std::string("    REVISION     \"") + kLastUpdated + "\"\n";
  out += "    DESCRIPTION\n" + quoted("Generated from the device model.", "        ") + "\n";
  out += "    ::= { " + std::string(kChain[std::size(kChain) - 1].name) + " " +
         std::to_string(parseOid(kEnterpriseOid).back()) + " }\n\n";
  for (const ChainNode& c : kChain)
    out += std::string(c.name) + " OBJECT IDENTIFIER ::= { " + c.parent + " " + std::to_string(c.number) + " }\n";
  out += "\n";
  for (const auto& [oid, text] : defs) out += text + "\n";
  out += "END\n";
  return out;
}

}  // namespace kav::device
