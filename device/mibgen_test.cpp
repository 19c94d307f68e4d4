// The MIB file against the device model and against net-snmp's MIB parser.
#include "device/mibgen.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "device/model.h"

namespace {

using namespace kav::device;

const std::string kMibDir = std::string(KAV_SOURCE_DIR) + "/mib";

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct Output {
  std::string out, err;
};

// Runs snmptranslate with our MIB directory in front of the default path.
Output translate(const std::string& args) {
  char errPath[] = "/tmp/kav-mibgen-XXXXXX";
  int fd = mkstemp(errPath);
  if (fd >= 0) close(fd);
  std::string cmd = "snmptranslate -M +" + kMibDir + " " + args + " 2>" + errPath;
  Output o;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) o.out.append(buf, n);
    pclose(p);
  }
  o.err = readFile(errPath);
  std::remove(errPath);
  return o;
}

// Complaints about our files.  "-m +" also loads net-snmp's default modules;
// on a machine without the IETF MIB files some of those cannot be found or
// import what our minimal base modules do not define.  Such lines name the
// default module's file (or "(none)"), not ours, and are left out.
std::string complaints(const std::string& err) {
  static const std::regex kElsewhere(R"(( in |\()(\(none\)|/[^ )]*)\)?$)");
  std::istringstream in(err);
  std::string line, out;
  while (std::getline(in, line)) {
    if (line.empty() || line.rfind("MIB search path:", 0) == 0) continue;
    std::smatch m;
    if (std::regex_search(line, m, kElsewhere) && m[2].str().rfind(kMibDir, 0) != 0) continue;
    out += line + "\n";
  }
  return out;
}

TEST(Mib, CommittedFileIsTheGeneratorsOutput) {
  // If this fails after a change of the device model, run
  //   cmake --build <build dir> --target kav7420-mib
  // and commit mib/KAV7420-MIB.txt.
  EXPECT_EQ(readFile(kMibDir + "/KAV7420-MIB.txt"), generateMib());
}

TEST(Mib, ParsesCleanly) {
  Output o = translate("-m +KAV7420-MIB -On KAV7420-MIB::kav7420");
  EXPECT_EQ(complaints(o.err), "");
  EXPECT_EQ(o.out, ".1.3.6.1.4.1.32473.10.37.38\n");
  // Only our modules, with the parser's warnings on.  It notes the macro
  // definitions of the base modules, which it knows by itself.
  o = translate("-m KAV7420-MIB -Pw -On KAV7420-MIB::kav7420");
  static const std::regex kMacroNote(R"(^[A-Z-]+ MACRO \(lines \d+\.\.\d+ parsed and ignored\)\.$)");
  std::istringstream in(o.err);
  std::string warnings;
  for (std::string line; std::getline(in, line);)
    if (!std::regex_match(line, kMacroNote)) warnings += line + "\n";
  EXPECT_EQ(warnings, "");
}

TEST(Mib, EveryNameTranslatesToItsOid) {
  std::string names, expected;
  auto add = [&](const std::string& name, std::vector<uint32_t> oid) {
    names += " KAV7420-MIB::" + name;
    expected += "." + oidText(oid) + "\n";
  };
  for (const ObjectDef& o : objects()) add(o.name, oidOf(o));
  for (const NodeDef& n : nodes()) {
    auto oid = parseOid(kEnterpriseOid);
    for (uint32_t v : parseOid(n.oid)) oid.push_back(v);
    add(n.name, oid);
  }
  for (const TableDef& t : tables()) {
    auto oid = parseOid(kEnterpriseOid);
    for (uint32_t v : parseOid(t.oid)) oid.push_back(v);
    add(t.name, oid);
    oid.push_back(1);
    add(t.entry, oid);
  }
  Output o = translate("-m +KAV7420-MIB -On" + names);
  EXPECT_EQ(complaints(o.err), "");
  std::string lines;  // one answer per name, separated by blank lines
  std::istringstream in(o.out);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines += line + "\n";
  EXPECT_EQ(lines, expected);
}

TEST(Mib, TypesAndAccessFollowTheModel) {
  // -Td prints the parsed definition: the parser's view of each object.
  for (const char* name : {"dot11Ssid", "dot11ClientMacAddress", "trafficTxPackets", "sysCommand", "lanGateway"}) {
    const ObjectDef* def = findByName(name);
    ASSERT_NE(def, nullptr) << name;
    Output o = translate(std::string("-m +KAV7420-MIB -Td KAV7420-MIB::") + name);
    const bool rw = def->access == Access::ReadWrite;
    EXPECT_NE(o.out.find(rw ? "MAX-ACCESS\tread-write" : "MAX-ACCESS\tread-only"), std::string::npos) << o.out;
  }
  Output o = translate("-m +KAV7420-MIB -Td KAV7420-MIB::dot11ClientMacAddress");
  EXPECT_NE(o.out.find("MacAddress"), std::string::npos) << o.out;
  o = translate("-m +KAV7420-MIB -Td KAV7420-MIB::sysCommand");
  EXPECT_NE(o.out.find("Integer32 (0..4)"), std::string::npos) << o.out;
  o = translate("-m +KAV7420-MIB -Td KAV7420-MIB::dot11RadioEntry");
  EXPECT_NE(o.out.find("INDEX\t\t{ dot11RadioIndex }"), std::string::npos) << o.out;
}

}  // namespace
