// kav7420-sim seen from outside: net-snmp's own tools and its C API talk to
// a running simulator.
#include <gtest/gtest.h>

#include <string>

#include "sim/testing/sim_process.h"

namespace {

using kav::sim::testing::runCommand;
using kav::sim::testing::SimProcess;

const std::string kEnt = "1.3.6.1.4.1.32473.10.37.38";
const std::string kSysName = kEnt + ".1.9.0";

std::string snmp(const char* tool, const std::string& version, const std::string& community, const std::string& peer,
                 std::vector<std::string> args) {
  std::vector<std::string> argv = {tool, version, "-c", community, "-t", "2", "-r", "1", "-On", "-Oq", peer};
  argv.insert(argv.end(), args.begin(), args.end());
  auto r = runCommand(argv);
  return r.out + r.err;
}

TEST(SimFixture, SetPersistsAcrossRestart) {
  SimProcess sim(2);
  EXPECT_EQ(snmp("snmpset", "-v2c", "private", sim.peer(1), {kSysName, "s", "Lobby"}),
            "." + kSysName + " \"Lobby\"\n");
  EXPECT_NE(sim.configXml(1).find("<name>Lobby</name>"), std::string::npos);
  sim.restart();
  EXPECT_EQ(snmp("snmpget", "-v2c", "public", sim.peer(1), {kSysName}), "." + kSysName + " \"Lobby\"\n");
  EXPECT_EQ(snmp("snmpget", "-v2c", "public", sim.peer(0), {kSysName}), "." + kSysName + " \"KAV-7420\"\n");
  EXPECT_EQ(sim.stop(), 0);
}

}  // namespace
