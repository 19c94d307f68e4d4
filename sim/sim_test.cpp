// kav7420-sim seen from outside: net-snmp's command-line tools and its C API
// talk to a running simulator, as the management software will.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "device/model.h"
#include "sim/testing/sim_process.h"
#include "sim/testing/snmp_request.h"
#include "sim/xmlconfig.h"

namespace {

using kav::sim::testing::runCommand;
using kav::sim::testing::SimProcess;
using Clock = std::chrono::steady_clock;
namespace model = kav::device;

const std::string kEnt = "1.3.6.1.4.1.32473.10.37.38";
const std::string kModelName = kEnt + ".1.1.0";
const std::string kSysName = kEnt + ".1.9.0";
const std::string kLocation = kEnt + ".1.10.0";
const std::string kUpTime = kEnt + ".1.8.0";
const std::string kLanIp = kEnt + ".2.1.2.2.0";
const std::string kLanMode = kEnt + ".2.1.2.1.0";
const std::string kSsid1 = kEnt + ".2.1.3.3.1.1.1.2.1";
const std::string kCommand = kEnt + ".2.1.5.1.0";
const std::string kRefresh = kEnt + ".2.1.3.3.4.1.1.1.1";
const std::string kCpu = kEnt + ".1.5.0";
const std::string kMibDir = std::string(KAV_SOURCE_DIR) + "/mib";

// ---- net-snmp tools ----

// Runs a net-snmp tool against a device; -On -Oq output ("OID value" lines),
// a short time-out and one retry.
std::string tool(const char* name, const std::string& version, const std::string& community,
                 const std::string& peer, std::vector<std::string> args) {
  std::vector<std::string> argv = {name, version, "-c", community, "-t", "1", "-r", "1", "-On", "-Oq", peer};
  argv.insert(argv.end(), args.begin(), args.end());
  auto r = runCommand(argv);
  return r.out + r.err;
}

// ---- net-snmp C API, for exact error-status and error-index ----

using Vb = kav::sim::testing::Varbind;
using Reply = kav::sim::testing::SnmpReply;

Vb integer(const std::string& oid, long v) { return kav::sim::testing::integerVar(oid, v); }
Vb text(const std::string& oid, const std::string& v) { return kav::sim::testing::textVar(oid, v); }
Vb null(const std::string& oid) { return kav::sim::testing::nullVar(oid); }

Reply request(const std::string& peer, long version, const std::string& community, int command,
              const std::vector<Vb>& vbs, long nonRepeaters = 0, long maxRepetitions = 0, int timeoutMs = 1000,
              int retries = 1) {
  return kav::sim::testing::snmpRequest(peer, version, community, command, vbs, nonRepeaters, maxRepetitions,
                                        timeoutMs, retries);
}

// ---- raw datagrams, for what net-snmp's client refuses to send ----

std::string tlv(unsigned char tag, const std::string& content) {
  std::string out(1, static_cast<char>(tag));
  if (content.size() < 128) {
    out += static_cast<char>(content.size());
  } else {
    out += static_cast<char>(0x82);
    out += static_cast<char>(content.size() >> 8);
    out += static_cast<char>(content.size() & 0xFF);
  }
  return out + content;
}
std::string berInt(int v) { return tlv(0x02, std::string(1, static_cast<char>(v))); }
std::string berOid(const std::string& dotted) {
  auto parts = model::parseOid(dotted);
  std::string body(1, static_cast<char>(parts[0] * 40 + parts[1]));
  for (size_t i = 2; i < parts.size(); ++i) {
    uint32_t v = parts[i];
    std::string enc(1, static_cast<char>(v & 0x7F));
    while (v >>= 7) enc.insert(enc.begin(), static_cast<char>(0x80 | (v & 0x7F)));
    body += enc;
  }
  return tlv(0x06, body);
}
// A message of the given version and PDU tag asking for one OID.
std::string message(int version, unsigned char pduTag, const std::string& community, const std::string& oid) {
  std::string varbind = tlv(0x30, berOid(oid) + std::string("\x05\x00", 2));
  std::string pdu = tlv(pduTag, berInt(42) + berInt(0) + berInt(5) + tlv(0x30, varbind));
  return tlv(0x30, berInt(version) + tlv(0x04, community) + pdu);
}

// Sends one datagram; returns the answer, or "" when none comes in time.
std::string exchange(const std::string& address, uint16_t port, const std::string& datagram, int timeoutMs) {
  int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  ::inet_pton(AF_INET, address.c_str(), &to.sin_addr);
  ::sendto(s, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  pollfd p{s, POLLIN, 0};
  std::string answer;
  if (::poll(&p, 1, timeoutMs) == 1) {
    char buf[65536];
    ssize_t n = ::recv(s, buf, sizeof buf, 0);
    if (n > 0) answer.assign(buf, static_cast<size_t>(n));
  }
  ::close(s);
  return answer;
}

// The instances a device serves, in the order a walk must meet them.
std::vector<std::string> servedOids(int bands, int clients, int neighbours) {
  std::vector<std::vector<uint32_t>> all;
  for (const model::ObjectDef& o : model::objects()) {
    if (!o.table) {
      all.push_back(model::instanceOid(o));
      continue;
    }
    std::string_view t = o.table;
    int rows = t == "dot11RadioTable" ? bands : t == "dot11ClientRefreshTable" ? 1
               : t == "dot11ClientTable"                                   ? clients
                                                                            : neighbours;
    for (int r = 1; r <= rows; ++r) all.push_back(model::instanceOid(o, static_cast<uint32_t>(r)));
  }
  std::sort(all.begin(), all.end());
  std::vector<std::string> out;
  for (auto& o : all) out.push_back("." + model::oidText(o));
  return out;
}

// The values of a walk, without the tools' own remarks about its end
// ("End of MIB", or the endOfMibView binding that snmpwalk prints).
std::string walked(const std::string& toolOutput) {
  std::string out;
  std::istringstream in(toolOutput);
  for (std::string line; std::getline(in, line);)
    if (line != "End of MIB" && line.find("No more variables left") == std::string::npos) out += line + "\n";
  return out;
}

std::vector<std::string> firstColumn(const std::string& toolOutput) {
  std::vector<std::string> out;
  std::istringstream in(walked(toolOutput));
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] == '.') out.push_back(line.substr(0, line.find(' ')));
  return out;
}

const char kFleet[] = R"([*]
restart_seconds = 1
[${0}]
client = 00:11:22:33:44:55 0 6 -40 0 1
client = 00:11:22:33:44:66 0 4 -71 1 2
neighbour = 1|6|00:AA:BB:CC:DD:01|2.4GHz|Cafe|12:00|Rogue|Active
[${1}]
band_count = 2
root = KAV-7420b
read_community = look
write_community = touch
xml.wlan/inf[id=2]/ssid = Upstairs
)";

// ---- communities ----

TEST(SimCommunities, OnlyTheDevicesCommunitiesAreAnswered) {
  SimProcess sim(2, kFleet);
  struct Case {
    size_t device;
    long version;
    const char* community;
    bool answered;
  };
  const Case cases[] = {
      {0, SNMP_VERSION_2c, "public", true},  {0, SNMP_VERSION_1, "private", true},
      {0, SNMP_VERSION_2c, "wrong", false},  {0, SNMP_VERSION_1, "Public", false},
      {1, SNMP_VERSION_2c, "look", true},    {1, SNMP_VERSION_1, "touch", true},
      {1, SNMP_VERSION_2c, "public", false}, {0, SNMP_VERSION_2c, "", false},
  };
  for (const Case& c : cases) {
    Reply r = request(sim.peer(c.device), c.version, c.community, SNMP_MSG_GET, {null(kModelName)}, 0, 0, 300, 0);
    EXPECT_EQ(r.answered, c.answered) << c.device << " " << c.community;
    if (r.answered) {
      EXPECT_EQ(r.vbs.at(0).bytes, "KAV-7420");
    }
  }
  auto stats = sim.stats();
  EXPECT_EQ(stats[sim.address(0)].received, 5u);
  EXPECT_EQ(stats[sim.address(0)].answered, 2u);
  EXPECT_EQ(stats[sim.address(1)].received, 3u);
  EXPECT_EQ(stats[sim.address(1)].answered, 2u);
}

// ---- SET errors, SNMPv2c and SNMPv1 (RFC 2576 mapping) ----

TEST(SimSet, ErrorStatusAndIndex) {
  SimProcess sim(1);
  const std::string before = sim.configXml();
  struct Case {
    const char* what;
    const char* community;
    Vb bad;
    long v2, v1;
  };
  const Case cases[] = {
      {"read community", "public", text(kLocation, "x"), SNMP_ERR_NOACCESS, SNMP_ERR_NOSUCHNAME},
      {"read-only object", "private", text(kModelName, "x"), SNMP_ERR_NOTWRITABLE, SNMP_ERR_NOSUCHNAME},
      {"unknown object", "private", integer(kEnt + ".9.9.0", 1), SNMP_ERR_NOTWRITABLE, SNMP_ERR_NOSUCHNAME},
      {"missing row", "private", text(kEnt + ".2.1.3.3.1.1.1.2.2", "x"), SNMP_ERR_NOCREATION, SNMP_ERR_NOSUCHNAME},
      {"wrong type", "private", integer(kSysName, 1), SNMP_ERR_WRONGTYPE, SNMP_ERR_BADVALUE},
      {"out of range", "private", integer(kLanMode, 3), SNMP_ERR_WRONGVALUE, SNMP_ERR_BADVALUE},
      {"too long", "private", text(kSysName, std::string(65, 'n')), SNMP_ERR_WRONGLENGTH, SNMP_ERR_BADVALUE},
      {"not an address", "private", text(kLanIp, "10.0.0"), SNMP_ERR_WRONGVALUE, SNMP_ERR_BADVALUE},
  };
  for (const Case& c : cases) {
    for (long version : {SNMP_VERSION_2c, SNMP_VERSION_1}) {
      // A good binding first: the error index must point past it, and it
      // must not be applied either.
      Reply r = request(sim.peer(), version, c.community, SNMP_MSG_SET, {text(kSysName, "changed"), c.bad});
      ASSERT_TRUE(r.answered) << c.what;
      const bool community = std::string(c.what) == "read community";
      EXPECT_EQ(r.errstat, version == SNMP_VERSION_1 ? c.v1 : c.v2) << c.what << " v" << version + 1;
      EXPECT_EQ(r.errindex, community ? 1 : 2) << c.what;
      ASSERT_EQ(r.vbs.size(), 2u);
      EXPECT_EQ(r.vbs[0].bytes, "changed");  // the request's bindings come back
    }
  }
  EXPECT_EQ(request(sim.peer(), SNMP_VERSION_2c, "public", SNMP_MSG_GET, {null(kSysName)}).vbs.at(0).bytes,
            "KAV-7420");
  EXPECT_EQ(sim.configXml(), before);
}

TEST(SimSet, AllOrNothingAndSaved) {
  SimProcess sim(1);
  Reply r = request(sim.peer(), SNMP_VERSION_2c, "private", SNMP_MSG_SET,
                    {text(kSysName, "Hall"), text(kLocation, "Ground floor"), text(kSsid1, "guests"),
                     integer(kLanMode, 2)});
  ASSERT_TRUE(r.answered);
  EXPECT_EQ(r.errstat, SNMP_ERR_NOERROR);
  EXPECT_EQ(r.vbs.size(), 4u);
  kav::sim::ConfigDoc doc;
  std::string error;
  ASSERT_TRUE(doc.parse(sim.configXml(), &error)) << error;
  EXPECT_EQ(doc.get("sys/name"), "Hall");
  EXPECT_EQ(doc.get("sys/location"), "Ground floor");
  EXPECT_EQ(doc.get("wlan/inf[id=1]/ssid"), "guests");
  EXPECT_EQ(doc.get("wan/rg/inf[id=1]/mode"), "2");
  // Nothing else lies in the device's folder: saves leave no temporary files.
  std::vector<std::string> files;
  for (auto& e : std::filesystem::directory_iterator(sim.stateDir() + "/" + sim.address()))
    files.push_back(e.path().filename());
  EXPECT_EQ(files, std::vector<std::string>{"config.xml"});
}

TEST(SimSet, SettingsSurviveARestart) {
  SimProcess sim(2, kFleet);
  EXPECT_EQ(tool("snmpset", "-v2c", "touch", sim.peer(1), {kSysName, "s", "Attic", kLanIp, "s", "10.1.2.3"}),
            "." + kSysName + " \"Attic\"\n." + kLanIp + " \"10.1.2.3\"\n");
  // The scenario's initial values only matter for a new configuration.
  sim.writeScenario(std::string(kFleet) + "xml.sys/name = Ignored\n");
  sim.restart();
  EXPECT_EQ(tool("snmpget", "-v2c", "look", sim.peer(1), {kSysName, kLanIp, kEnt + ".2.1.3.3.1.1.1.2.2"}),
            "." + kSysName + " \"Attic\"\n." + kLanIp + " \"10.1.2.3\"\n." + kEnt +
                ".2.1.3.3.1.1.1.2.2 \"Upstairs\"\n");
  EXPECT_EQ(tool("snmpget", "-v1", "public", sim.peer(0), {kSysName}), "." + kSysName + " \"KAV-7420\"\n");
  EXPECT_EQ(sim.stop(), 0);
}

TEST(SimSet, AKilledSimulatorLeavesAWholeConfiguration) {
  SimProcess sim(1);
  std::atomic<bool> stop{false};
  std::atomic<int> accepted{0};
  std::thread writer([&] {
    for (int i = 0; !stop; ++i) {
      Reply r = request(sim.peer(), SNMP_VERSION_2c, "private", SNMP_MSG_SET,
                        {text(kLocation, std::string(60, static_cast<char>('a' + i % 26)))}, 0, 0, 200, 0);
      if (r.answered && r.errstat == 0) ++accepted;
    }
  });
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (accepted < 20 && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_GE(accepted, 20);
  sim.signal(SIGKILL);
  stop = true;
  writer.join();
  sim.stop();
  kav::sim::ConfigDoc doc;
  std::string error;
  ASSERT_TRUE(doc.parse(sim.configXml(), &error)) << error;
  EXPECT_TRUE(std::regex_match(doc.get("sys/location").value_or(""), std::regex("([a-z])\\1{59}")));
  sim.start();
  std::vector<std::string> files;
  for (auto& e : std::filesystem::directory_iterator(sim.stateDir() + "/" + sim.address()))
    files.push_back(e.path().filename());
  EXPECT_EQ(files, std::vector<std::string>{"config.xml"});
}

// ---- GET and GETNEXT exceptions ----

TEST(SimGet, ExceptionsAndNoSuchName) {
  SimProcess sim(1);
  const std::string noObject = kEnt + ".1.99.0";
  const std::string noInstance = kEnt + ".1.1.1";
  const std::string noRow = kEnt + ".2.1.3.3.1.1.1.2.2";
  Reply r = request(sim.peer(), SNMP_VERSION_2c, "public", SNMP_MSG_GET,
                    {null(kModelName), null(noObject), null(noInstance), null(noRow)});
  ASSERT_TRUE(r.answered);
  EXPECT_EQ(r.errstat, SNMP_ERR_NOERROR);
  ASSERT_EQ(r.vbs.size(), 4u);
  EXPECT_EQ(r.vbs[0].bytes, "KAV-7420");
  EXPECT_EQ(r.vbs[1].type, SNMP_NOSUCHOBJECT);
  EXPECT_EQ(r.vbs[2].type, SNMP_NOSUCHINSTANCE);
  EXPECT_EQ(r.vbs[3].type, SNMP_NOSUCHINSTANCE);

  r = request(sim.peer(), SNMP_VERSION_1, "public", SNMP_MSG_GET, {null(kModelName), null(noInstance)});
  ASSERT_TRUE(r.answered);
  EXPECT_EQ(r.errstat, SNMP_ERR_NOSUCHNAME);
  EXPECT_EQ(r.errindex, 2);
  ASSERT_EQ(r.vbs.size(), 2u);
  EXPECT_EQ(r.vbs[0].type, ASN_NULL);  // an SNMPv1 error repeats the request

  // Past the last object: endOfMibView, or noSuchName in SNMPv1.
  const std::string last = servedOids(1, 0, 0).back().substr(1);
  r = request(sim.peer(), SNMP_VERSION_2c, "public", SNMP_MSG_GETNEXT, {null("1.3"), null(last)});
  ASSERT_EQ(r.vbs.size(), 2u);
  EXPECT_EQ(r.vbs[0].oid, kModelName);
  EXPECT_EQ(r.vbs[1].type, SNMP_ENDOFMIBVIEW);
  r = request(sim.peer(), SNMP_VERSION_1, "public", SNMP_MSG_GETNEXT, {null("1.3"), null(last)});
  EXPECT_EQ(r.errstat, SNMP_ERR_NOSUCHNAME);
  EXPECT_EQ(r.errindex, 2);
}

// ---- walks ----

TEST(SimWalk, EveryInstanceInOrderByEveryTool) {
  SimProcess sim(2, kFleet);
  struct Case {
    size_t device;
    const char* community;
    int bands, clients, neighbours;
  };
  for (const Case& c : {Case{0, "public", 1, 2, 1}, Case{1, "look", 2, 0, 0}}) {
    const auto expected = servedOids(c.bands, c.clients, c.neighbours);
    const std::string walk = walked(tool("snmpwalk", "-v2c", c.community, sim.peer(c.device), {"1.3.6.1.4.1.32473"}));
    EXPECT_EQ(firstColumn(walk), expected) << walk;
    // The clock and the up time may tick between two walks.
    auto stable = [&](const std::string& w) {
      std::string out;
      std::istringstream in(w);
      for (std::string line; std::getline(in, line);)
        if (line.rfind("." + kEnt + ".1.7.0", 0) != 0 && line.rfind("." + kEnt + ".1.8.0", 0) != 0) out += line + "\n";
      return out;
    };
    EXPECT_EQ(stable(walked(tool("snmpwalk", "-v1", c.community, sim.peer(c.device), {"1.3.6.1.4.1.32473"}))),
              stable(walk));
    for (const char* reps : {"-Cr1", "-Cr7", "-Cr100"})
      EXPECT_EQ(stable(walked(tool("snmpbulkwalk", "-v2c", c.community, sim.peer(c.device),
                                   {reps, "1.3.6.1.4.1.32473"}))),
                stable(walk))
          << reps;
  }
}

TEST(SimWalk, ByNameWithTheMib) {
  SimProcess sim(2, kFleet);
  const std::vector<std::string> mib = {"-m", "+KAV7420-MIB", "-M", "+" + kMibDir};
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin() + 1, mib.begin(), mib.end());
    auto r = runCommand(args);
    return r.out;
  };
  std::string out = run({"snmpwalk", "-v2c", "-c", "public", sim.peer(0), "KAV7420-MIB::kav7420"});
  EXPECT_NE(out.find("KAV7420-MIB::devModelName.0 = STRING: KAV-7420"), std::string::npos) << out;
  EXPECT_NE(out.find("KAV7420-MIB::dot11ClientMacAddress.2 = STRING: 0:11:22:33:44:66"), std::string::npos) << out;
  EXPECT_NE(out.find("KAV7420-MIB::dot11NeighbourSsid.1 = STRING: Cafe"), std::string::npos) << out;
  out = run({"snmpbulkwalk", "-v2c", "-c", "look", sim.peer(1), "KAV7420-MIB::dot11RadioTable"});
  EXPECT_NE(out.find("KAV7420-MIB::dot11Ssid.2 = STRING: Upstairs"), std::string::npos) << out;
  EXPECT_NE(out.find("KAV7420-MIB::dot11Band.2 = INTEGER: 1"), std::string::npos) << out;
  out = run({"snmpset", "-v2c", "-c", "touch", sim.peer(1), "KAV7420-MIB::devLocation.0", "s", "Roof"});
  EXPECT_EQ(out, "KAV7420-MIB::devLocation.0 = STRING: Roof\n");
}

// ---- GETBULK and message size ----

TEST(SimBulk, RepetitionsAndNonRepeaters) {
  SimProcess sim(2, kFleet);
  const auto served = servedOids(1, 2, 1);
  Reply r = request(sim.peer(), SNMP_VERSION_2c, "public", SNMP_MSG_GETBULK,
                    {null(kEnt + ".1.1"), null(kEnt + ".1.2"), null(served.back().substr(1))}, 1, 3);
  ASSERT_TRUE(r.answered);
  ASSERT_EQ(r.vbs.size(), 1u + 3 * 2);
  EXPECT_EQ(r.vbs[0].oid, kEnt + ".1.1.0");   // non-repeater
  EXPECT_EQ(r.vbs[1].oid, kEnt + ".1.2.0");   // repetition 1
  EXPECT_EQ(r.vbs[2].type, SNMP_ENDOFMIBVIEW);
  EXPECT_EQ(r.vbs[3].oid, kEnt + ".1.3.0");   // repetition 2
  EXPECT_EQ(r.vbs[5].oid, kEnt + ".1.4.0");   // repetition 3
  EXPECT_EQ(r.vbs[6].type, SNMP_ENDOFMIBVIEW);

  // Repetitions stop once every repeater has left the tree.
  r = request(sim.peer(), SNMP_VERSION_2c, "public", SNMP_MSG_GETBULK, {null(served[served.size() - 2].substr(1))},
              0, 50);
  ASSERT_EQ(r.vbs.size(), 2u);
  EXPECT_EQ(r.vbs[1].type, SNMP_ENDOFMIBVIEW);

  // An SNMPv1 message cannot carry GETBULK: dropped, like any PDU the
  // device does not answer; the device goes on.
  EXPECT_EQ(exchange(sim.address(), sim.port(), message(0, 0xA5, "public", kEnt), 300), "");
  EXPECT_NE(exchange(sim.address(), sim.port(), message(1, 0xA5, "public", kEnt), 1000), "");
}

TEST(SimBulk, SmallMessagesAreCutOrTooBig) {
  SimProcess sim(2, "[${1}]\nmax_message_size = 300\n");
  std::vector<Vb> all;
  for (int i = 1; i <= 14; ++i) all.push_back(null(kEnt + ".1." + std::to_string(i) + ".0"));
  // The device with the default size answers everything...
  Reply big = request(sim.peer(0), SNMP_VERSION_2c, "public", SNMP_MSG_GET, all);
  EXPECT_EQ(big.errstat, SNMP_ERR_NOERROR);
  EXPECT_EQ(big.vbs.size(), 14u);
  // ...the small one says tooBig: no bindings in SNMPv2c; in SNMPv1 the
  // request's own, unless even those would not fit.
  const std::vector<Vb> shortNames(14, null("1.3"));
  struct Case {
    long version;
    int command;
    const std::vector<Vb>& vbs;
    size_t answered;
  };
  for (const Case& c : {Case{SNMP_VERSION_2c, SNMP_MSG_GET, all, 0}, Case{SNMP_VERSION_2c, SNMP_MSG_GETNEXT, all, 0},
                        Case{SNMP_VERSION_1, SNMP_MSG_GET, all, 0},  // the request alone is over 300 bytes
                        Case{SNMP_VERSION_1, SNMP_MSG_GETNEXT, shortNames, 14}}) {
    Reply r = request(sim.peer(1), c.version, "public", c.command, c.vbs);
    ASSERT_TRUE(r.answered);
    EXPECT_EQ(r.errstat, SNMP_ERR_TOOBIG);
    EXPECT_EQ(r.errindex, 0);
    ASSERT_EQ(r.vbs.size(), c.answered);
    if (c.answered) {
      EXPECT_EQ(r.vbs[0].oid, "1.3");
    }
  }
  // A SET whose answer would not fit is refused before anything is applied.
  std::vector<Vb> sets = {text(kSysName, std::string(60, 'a')), text(kLocation, std::string(60, 'b')),
                          text(kSsid1, std::string(32, 'c')), text(kLanIp, "10.9.9.9"),
                          text(kEnt + ".2.1.2.3.0", "255.255.0.0")};
  Reply r = request(sim.peer(1), SNMP_VERSION_2c, "private", SNMP_MSG_SET, sets);
  EXPECT_EQ(r.errstat, SNMP_ERR_TOOBIG);
  EXPECT_EQ(request(sim.peer(1), SNMP_VERSION_2c, "public", SNMP_MSG_GET, {null(kSysName)}).vbs.at(0).bytes,
            "KAV-7420");

  // GETBULK: as many whole repetitions as fit.
  r = request(sim.peer(1), SNMP_VERSION_2c, "public", SNMP_MSG_GETBULK,
              {null(kEnt + ".1.1.0"), null(kEnt + ".1"), null(kEnt + ".2")}, 1, 40);
  ASSERT_TRUE(r.answered);
  EXPECT_EQ(r.errstat, SNMP_ERR_NOERROR);
  EXPECT_GT(r.vbs.size(), 3u);
  EXPECT_LT(r.vbs.size(), 1u + 2 * 40);
  EXPECT_EQ((r.vbs.size() - 1) % 2, 0u);
  Reply unlimited = request(sim.peer(0), SNMP_VERSION_2c, "public", SNMP_MSG_GETBULK,
                            {null(kEnt + ".1.1.0"), null(kEnt + ".1"), null(kEnt + ".2")}, 1, 40);
  for (size_t i = 0; i < r.vbs.size(); ++i) EXPECT_EQ(r.vbs[i].oid, unlimited.vbs[i].oid);
  // Not even one repetition fits: tooBig.
  r = request(sim.peer(1), SNMP_VERSION_2c, "public", SNMP_MSG_GETBULK, all, 0, 1);
  EXPECT_EQ(r.errstat, SNMP_ERR_TOOBIG);
  EXPECT_TRUE(r.vbs.empty());
}

// ---- robustness, knobs, statistics ----

TEST(SimRobustness, MalformedDatagramsAreDroppedAndCounted) {
  SimProcess sim(1);
  const std::string datagrams[] = {
      "garbage",
      std::string("\x30\x82\xff\xff\x02\x01\x01", 7),                            // length beyond the datagram
      message(1, 0xA0, "public", kEnt).substr(0, 20),                            // cut short
      message(3, 0xA0, "public", kEnt),                                          // SNMPv3 version field
      message(1, 0xA7, "public", kEnt),                                          // a trap is not answered
      std::string(1, '\0'),
  };
  for (const std::string& d : datagrams) EXPECT_EQ(exchange(sim.address(), sim.port(), d, 200), "");
  EXPECT_EQ(tool("snmpget", "-v2c", "public", sim.peer(), {kModelName}), "." + kModelName + " \"KAV-7420\"\n");
  auto stats = sim.stats();
  EXPECT_EQ(stats[sim.address()].received, 7u);
  EXPECT_EQ(stats[sim.address()].answered, 1u);
  EXPECT_TRUE(sim.running());
}

TEST(SimKnobs, DelayDropSilenceAndReload) {
  SimProcess sim(2, "[${0}]\ndelay_ms = 400\n[${1}]\nsilent = 1\n");
  auto started = Clock::now();
  Reply r = request(sim.peer(0), SNMP_VERSION_2c, "public", SNMP_MSG_GET, {null(kModelName)}, 0, 0, 2000, 0);
  EXPECT_TRUE(r.answered);
  EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(400));
  // A client that waits less than the delay hears nothing.
  EXPECT_FALSE(request(sim.peer(0), SNMP_VERSION_2c, "public", SNMP_MSG_GET, {null(kModelName)}, 0, 0, 150, 0)
                   .answered);
  EXPECT_FALSE(request(sim.peer(1), SNMP_VERSION_2c, "public", SNMP_MSG_GET, {null(kModelName)}, 0, 0, 300, 0)
                   .answered);

  // New knobs and runtime values by SIGHUP; the configuration stays.
  EXPECT_EQ(request(sim.peer(0), SNMP_VERSION_2c, "private", SNMP_MSG_SET, {text(kSysName, "Kept")}, 0, 0, 2000, 0)
                .errstat,
            SNMP_ERR_NOERROR);
  sim.setScenario("[*]\ncpu = 77\nxml.sys/name = Ignored\n[${0}]\ndrop_percent = 100\n");
  EXPECT_FALSE(request(sim.peer(0), SNMP_VERSION_2c, "public", SNMP_MSG_GET, {null(kModelName)}, 0, 0, 300, 1)
                   .answered);
  r = request(sim.peer(1), SNMP_VERSION_2c, "public", SNMP_MSG_GET, {null(kCpu)}, 0, 0, 300, 0);
  ASSERT_TRUE(r.answered);
  EXPECT_EQ(r.vbs.at(0).integer, 77);
  sim.setScenario("[*]\ncpu = 78\n");
  r = request(sim.peer(0), SNMP_VERSION_2c, "public", SNMP_MSG_GET, {null(kCpu), null(kSysName)}, 0, 0, 300, 0);
  ASSERT_TRUE(r.answered);
  EXPECT_EQ(r.vbs.at(0).integer, 78);
  EXPECT_EQ(r.vbs.at(1).bytes, "Kept");

  // A scenario with a mistake is refused and the old one stays.
  sim.writeScenario("cpu = 500\n");
  sim.signal(SIGHUP);
  EXPECT_EQ(sim.waitForLine("reload"), "reload failed: " + sim.scenarioPath() + ": line 1: cpu: must be 0..100");
  r = request(sim.peer(0), SNMP_VERSION_2c, "public", SNMP_MSG_GET, {null(kCpu)}, 0, 0, 300, 0);
  EXPECT_EQ(r.vbs.at(0).integer, 78);
}

TEST(SimKnobs, DropPercentLosesSomeRequests) {
  SimProcess sim(1, "drop_percent = 50\n");
  int answered = 0;
  for (int i = 0; i < 40; ++i)
    answered += request(sim.peer(), SNMP_VERSION_2c, "public", SNMP_MSG_GET, {null(kModelName)}, 0, 0, 100, 0)
                    .answered;
  EXPECT_GT(answered, 5);
  EXPECT_LT(answered, 35);
  auto stats = sim.stats();
  EXPECT_EQ(stats[sim.address()].received, 40u);
  EXPECT_EQ(stats[sim.address()].answered, static_cast<uint64_t>(answered));
}

TEST(SimStats, WrittenOnSignalAndAtExit) {
  SimProcess sim(3);
  for (int i = 0; i < 3; ++i) tool("snmpget", "-v2c", "public", sim.peer(1), {kModelName});
  tool("snmpwalk", "-v2c", "public", sim.peer(2), {kEnt + ".2.1.4"});  // 3 objects: 4 requests
  auto stats = sim.stats();
  ASSERT_EQ(stats.size(), 3u);
  EXPECT_EQ(stats[sim.address(0)].received, 0u);
  EXPECT_EQ(stats[sim.address(1)].received, 3u);
  EXPECT_EQ(stats[sim.address(1)].answered, 3u);
  EXPECT_EQ(stats[sim.address(2)].answered, 4u);
  tool("snmpget", "-v2c", "public", sim.peer(0), {kModelName});
  EXPECT_EQ(sim.stop(), 0);
  std::ifstream in(sim.stateDir() + "/stats.txt");
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), sim.address(0) + " 1 1\n" + sim.address(1) + " 3 3\n" + sim.address(2) + " 4 4\n");
}

TEST(SimProcessLife, ExitsCleanlyOnSigint) {
  SimProcess sim(1);
  sim.signal(SIGINT);
  auto deadline = Clock::now() + std::chrono::seconds(10);
  while (sim.running() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(sim.stop(), 0);
}

// ---- commands ----

TEST(SimCommands, RestartFactoryDefaultsAndDiscard) {
  SimProcess sim(1, "root = KAV-7420b\nband_count = 2\nrestart_seconds = 1\n");
  auto get = [&](const std::string& oid, int timeoutMs = 300) {
    return request(sim.peer(), SNMP_VERSION_2c, "public", SNMP_MSG_GET, {null(oid)}, 0, 0, timeoutMs, 0);
  };
  auto command = [&](long c) {
    return request(sim.peer(), SNMP_VERSION_2c, "private", SNMP_MSG_SET, {integer(kCommand, c)}, 0, 0, 1000, 0);
  };
  auto waitUntilBack = [&] {
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!get(kModelName, 100).answered && Clock::now() < deadline) {
    }
  };
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  EXPECT_NE(get(kUpTime).vbs.at(0).bytes, "0 days, 00:00:00");

  // 2 and 4 are accepted and change nothing.
  for (long c : {2, 4}) {
    EXPECT_EQ(command(c).errstat, SNMP_ERR_NOERROR);
    EXPECT_TRUE(get(kModelName).answered);
  }
  // 0: answered, then silent for restart_seconds, then up again from zero.
  ASSERT_EQ(request(sim.peer(), SNMP_VERSION_2c, "private", SNMP_MSG_SET, {text(kSysName, "Before")}).errstat, 0);
  EXPECT_EQ(command(0).errstat, SNMP_ERR_NOERROR);
  EXPECT_FALSE(get(kModelName, 200).answered);
  waitUntilBack();
  Reply r = get(kUpTime);
  ASSERT_TRUE(r.answered);
  EXPECT_TRUE(r.vbs.at(0).bytes.starts_with("0 days, 00:00:0")) << r.vbs.at(0).bytes;
  EXPECT_EQ(get(kSysName).vbs.at(0).bytes, "Before");

  // 3: discard changes; every accepted SET was saved, so it is still there.
  EXPECT_EQ(command(3).errstat, SNMP_ERR_NOERROR);
  waitUntilBack();
  EXPECT_EQ(get(kSysName).vbs.at(0).bytes, "Before");

  // 1: factory defaults keep the hardware: root name and both radios.
  EXPECT_EQ(command(1).errstat, SNMP_ERR_NOERROR);
  waitUntilBack();
  EXPECT_EQ(get(kSysName).vbs.at(0).bytes, "KAV-7420");
  kav::sim::ConfigDoc doc;
  ASSERT_TRUE(doc.parse(sim.configXml(), nullptr));
  EXPECT_EQ(doc.rootName(), "KAV-7420b");
  EXPECT_EQ(doc.get("wlan/inf[id=2]/wlmode"), "9");
  EXPECT_EQ(doc.get("sys/name"), "KAV-7420");
}

TEST(SimCommands, ClientRefreshAndNeighbourScan) {
  SimProcess sim(1, "client = 00:11:22:33:44:55 0 6 -40 0 1\n");
  const std::string clientTable = kEnt + ".2.1.3.3.4.2";
  const std::string neighbourTable = kEnt + ".2.1.3.3.5.1";
  EXPECT_EQ(firstColumn(tool("snmpwalk", "-v2c", "public", sim.peer(), {clientTable})).size(), 6u);
  sim.writeScenario(
      "client = 00:11:22:33:44:55 0 6 -40 0 1\nclient = 00:11:22:33:44:77 1 7 -60 1 3\n"
      "neighbour = 2|36|00:AA:00:00:00:01|5GHz|Far|now|Neighborhood|Active\n");
  EXPECT_EQ(firstColumn(tool("snmpwalk", "-v2c", "public", sim.peer(), {clientTable})).size(), 6u);
  EXPECT_EQ(tool("snmpset", "-v2c", "private", sim.peer(), {kRefresh, "i", "1"}), "." + kRefresh + " 1\n");
  EXPECT_EQ(tool("snmpget", "-v2c", "public", sim.peer(), {kRefresh}), "." + kRefresh + " 0\n");
  const std::string walk = tool("snmpwalk", "-v2c", "public", sim.peer(), {clientTable});
  EXPECT_EQ(firstColumn(walk).size(), 12u);
  EXPECT_NE(walk.find("." + clientTable + ".1.2.2 \"00 11 22 33 44 77 \""), std::string::npos) << walk;
  EXPECT_NE(walk.find("." + clientTable + ".1.7.2 \"3\""), std::string::npos) << walk;

  EXPECT_EQ(tool("snmpwalk", "-v2c", "public", sim.peer(), {neighbourTable}), "." + neighbourTable +
                                                                                  " No Such Object available on "
                                                                                  "this agent at this OID\n");
  const std::string scan = kEnt + ".2.1.3.3.5.2.0";
  EXPECT_EQ(tool("snmpset", "-v2c", "private", sim.peer(), {scan, "i", "2"}), "." + scan + " 2\n");
  EXPECT_EQ(tool("snmpget", "-v2c", "public", sim.peer(), {scan}), "." + scan + " 2\n");
  EXPECT_NE(tool("snmpwalk", "-v2c", "public", sim.peer(), {neighbourTable}).find("\"Far\""), std::string::npos);
}

}  // namespace
