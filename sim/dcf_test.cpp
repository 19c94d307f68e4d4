// kav7420-sim --export-dcf: the device's configuration as a device
// configuration file, checked with gzip and zlib.
#include "sim/dcf.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <sstream>

#include "sim/testing/sim_process.h"

namespace {

using kav::sim::testing::runCommand;
using kav::sim::testing::simulatorBinary;
using kav::sim::testing::SimProcess;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeFile(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
}

std::string gunzip(const std::string& path) {
  gzFile gz = gzopen(path.c_str(), "rb");
  std::string out;
  char buf[4096];
  int n;
  while (gz && (n = gzread(gz, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  if (gz) gzclose(gz);
  return out;
}

TEST(Dcf, ExportedFromTheStateFolder) {
  SimProcess sim(2, "[${1}]\nroot = KAV-7420b\nband_count = 2\nxml.sys/name = Second\n");
  ASSERT_EQ(runCommand({"snmpset", "-v2c", "-c", "private", sim.peer(0), "1.3.6.1.4.1.32473.10.37.38.1.10.0", "s",
                        "Cellar"})
                .status,
            0);
  sim.stop();  // offline: the export reads the state folder only
  struct Case {
    size_t device;
    std::string root;
    std::string contains;
  };
  for (const Case& c : {Case{0, "KAV-7420", "<location>Cellar</location>"},
                        Case{1, "KAV-7420b", "<name>Second</name>"}}) {
    const std::string dcf = sim.stateDir() + "/export.dcf";
    auto r = runCommand({simulatorBinary(), "--state", sim.stateDir(), "--export-dcf", sim.address(c.device), dcf});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string bytes = readFile(dcf);
    ASSERT_GT(bytes.size(), c.root.size() + 1);
    EXPECT_EQ(bytes.substr(0, c.root.size()), c.root);
    EXPECT_EQ(bytes[c.root.size()], '\x30');
    const std::string body = sim.stateDir() + "/body.gz";
    writeFile(body, bytes.substr(c.root.size() + 1));
    auto test = runCommand({"gzip", "-t", body});
    EXPECT_EQ(test.status, 0) << test.err;
    const std::string xml = gunzip(body);
    EXPECT_EQ(xml, sim.configXml(c.device));
    EXPECT_EQ(xml.find('\r'), std::string::npos);
    EXPECT_NE(xml.find(c.contains), std::string::npos) << xml;
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<" + c.root + ">", 0), 0u);
  }
}

TEST(Dcf, ExportFailsWithoutTheDevice) {
  SimProcess sim(1);
  sim.stop();
  auto r = runCommand({simulatorBinary(), "--state", sim.stateDir(), "--export-dcf", "127.9.9.9",
                       sim.stateDir() + "/x.dcf"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("127.9.9.9/config.xml"), std::string::npos) << r.err;
  r = runCommand({simulatorBinary(), "--state", sim.stateDir(), "--export-dcf", "not-an-address", "x.dcf"});
  EXPECT_EQ(r.status, 2);
  r = runCommand({simulatorBinary(), "--state", sim.stateDir(), "--export-dcf", sim.address(),
                  sim.stateDir() + "/no/such/folder/x.dcf"});
  EXPECT_EQ(r.status, 1);
}

TEST(Dcf, WriterRefusesARootThatIsNotAscii) {
  kav::sim::ConfigDoc doc = kav::sim::ConfigDoc::defaults("KAV-7420", 1);
  doc.setRootName("K\xc3\xa4V");
  std::string error;
  EXPECT_FALSE(kav::sim::writeDcf(doc, "/tmp/kav-never-written.dcf", &error));
  EXPECT_EQ(error, "root element name is not ASCII");
}

TEST(Dcf, ReadBackWhatTheDeviceWrites) {
  // Root names may hold the separator byte '0' themselves.
  for (const char* root : {"KAV-7420", "KAV-74200", "X"}) {
    kav::sim::ConfigDoc doc = kav::sim::ConfigDoc::defaults(root, 2);
    auto bytes = kav::sim::dcfBytes(doc, nullptr);
    ASSERT_TRUE(bytes);
    std::string why;
    auto content = kav::sim::readDcf(*bytes, 1 << 20, &why);
    ASSERT_TRUE(content) << why;
    EXPECT_EQ(content->root, root);
    EXPECT_EQ(content->xml, doc.text());
  }
}

TEST(Dcf, ReaderRefusesWhatIsNotAWholeFile) {
  const std::string good = *kav::sim::dcfBytes(kav::sim::ConfigDoc::defaults("KAV-7420", 1), nullptr);
  const size_t gz = good.find("\x1f\x8b");
  struct Case {
    const char* what;
    std::string bytes;
    size_t maxXml;
    std::string why;
  };
  const Case cases[] = {
      {"empty", "", 1 << 20, "not a configuration file"},
      {"plain XML", "<KAV-7420></KAV-7420>", 1 << 20, "not a configuration file"},
      {"no root", good.substr(gz - 1), 1 << 20, "not a configuration file"},
      // (Without it "KAV-7420" would read as the root "KAV-742", which a
      // device then refuses as not its own.)
      {"no separator", "KAV-742X" + good.substr(gz), 1 << 20, "not a configuration file"},
      {"root with a blank", "KAV 7420" + good.substr(gz - 1), 1 << 20, "not a configuration file"},
      {"cut short", good.substr(0, good.size() - 20), 1 << 20, "configuration file damaged"},
      {"body damaged", good.substr(0, gz + 12) + std::string(40, 'x') + good.substr(gz + 52), 1 << 20,
       "configuration file damaged"},
      {"unpacks too large", good, 100, "configuration file too large"},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_FALSE(kav::sim::readDcf(c.bytes, c.maxXml, &why)) << c.what;
    EXPECT_EQ(why, c.why) << c.what;
  }
}

}  // namespace
