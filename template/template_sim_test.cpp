// End to end against the simulator: one device's configuration file, as the
// simulator exports it, is made into a template; the template, in the full
// key form the host hands to the module, is applied to another device's
// configuration; the result is packed and unpacked again and compared with
// where it started.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "sim/testing/sim_process.h"
#include "template/config_file.h"
#include "template/template_engine.h"
#include "template/testing/config_fixtures.h"

namespace kav::tmpl {
namespace {

using fixture::ReadFile;
using fixture::TempDir;
using fixture::WriteFile;
using sim::testing::runCommand;
using sim::testing::SimProcess;
using sim::testing::simulatorBinary;

// Every element by path ("wlan/inf[id=1]/ssid") with the text of its first
// child when that is text.
void Flatten(const TiXmlElement* e, const std::string& path, std::map<std::string, std::string>& out) {
  for (const TiXmlElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) {
    std::string p = path.empty() ? c->Value() : path + "/" + c->Value();
    if (const char* id = c->Attribute("id")) p += std::string("[id=") + id + "]";
    const TiXmlNode* first = c->FirstChild();
    out[p] = first && first->ToText() ? first->Value() : "";
    Flatten(c, p, out);
  }
}

std::map<std::string, std::string> Elements(const std::string& xmlPath) {
  TiXmlDocument doc;
  EXPECT_TRUE(doc.LoadFile(xmlPath.c_str())) << xmlPath;
  std::map<std::string, std::string> out;
  if (doc.RootElement()) Flatten(doc.RootElement(), "", out);
  return out;
}

// The host keeps templates as the extraction writes them (section headers,
// short keys) and hands the module full keys.
std::string FullKeys(const std::string& sectioned) {
  const std::map<std::string, std::string> prefix = {
      {"[System]", "SYS_"},
      {"[5GHz_WirelessSettings]", "AWS_80211a_"},   {"[2.4GHz_WirelessSettings]", "AWS_80211g_"},
      {"[5GHz_SecuritySettings]", "SCR_80211a_"},   {"[2.4GHz_SecuritySettings]", "SCR_80211g_"},
      {"[5GHz_Filter]", "Flt_80211a_"},             {"[2.4GHz_Filter]", "Flt_80211g_"},
      {"[5GHz_MultiSSIDSettings]", "MUL_80211a_"},  {"[2.4GHz_MultiSSIDSettings]", "MUL_80211g_"},
  };
  std::string out, current;
  size_t begin = 0;
  while (begin < sectioned.size()) {
    size_t end = sectioned.find("\r\n", begin);
    std::string line = sectioned.substr(begin, end - begin);
    begin = end == std::string::npos ? sectioned.size() : end + 2;
    if (!line.empty() && line[0] == '[') {
      current = prefix.at(line);
      out += line + "\r\n";
    } else {
      out += current + line + "\r\n";
    }
  }
  return out;
}

void ExportDcf(const SimProcess& sim, size_t device, const std::string& file) {
  auto result = runCommand({simulatorBinary(), "--state", sim.stateDir(), "--export-dcf", sim.address(device), file});
  ASSERT_EQ(result.status, 0) << result.err;
}

TEST(TemplateEndToEnd, SimulatorDeviceToTemplateToAnotherDevice) {
  SimProcess sim(2,
                 "[*]\n"
                 "root = KAV-7420b\n"
                 "xml.wlan/inf[id=1]/wlmode = 4\n"
                 "[${0}]\n"
                 "xml.wlan/inf[id=1]/ssid = Office\n"
                 "xml.wlan/inf[id=1]/dtim = 3\n"
                 "xml.wlan/inf[id=1]/beaconinterval = 200\n"
                 "xml.wan/rg/inf[id=1]/mode = 2\n"
                 "xml.sys/consoleprotocol/protocol = 2\n"
                 "xml.wlan/inf[id=1]/acl/mode = 2\n"
                 "xml.wlan/inf[id=1]/acl/mac[id=1] = 00:11:22:33:44:55\n"
                 "xml.wlan/inf[id=1]/acl/mac[id=2] = 00:11:22:33:44:66\n"
                 "xml.wlan/inf[id=1]/multi/state = 1\n"
                 "xml.wlan/inf[id=1]/multi/index[id=1]/state = 1\n"
                 "xml.wlan/inf[id=1]/multi/index[id=1]/ssid = Guest\n"
                 "xml.wlan/inf[id=1]/multi/index[id=1]/auth = 5\n"
                 "xml.wlan/inf[id=1]/multi/index[id=1]/cipher = 3\n"
                 "xml.wlan/inf[id=1]/multi/index[id=1]/passphrase = guestpass1\n"
                 "[${1}]\n"
                 "xml.wlan/inf[id=1]/acl/mode = 1\n"
                 "xml.wlan/inf[id=1]/acl/mac[id=1] = 00:aa:aa:aa:aa:01\n");
  TempDir dir;

  // Template from the first device.
  ExportDcf(sim, 0, dir.File("source.dcf"));
  fixture::MessageLog log;
  CTemplateEngine engine(sim.address(1), log.Sink());
  ASSERT_EQ(engine.ExtractTemplate(dir.File("source.dcf"), dir.File("office.tpl")), 1);
  std::string sectioned = ReadFile(dir.File("office.tpl"));
  EXPECT_NE(sectioned.find("[2.4GHz_WirelessSettings]\r\nRadio_Wave=On\r\nSSID=Office\r\n"), std::string::npos)
      << sectioned;
  WriteFile(dir.File("office-full.tpl"), FullKeys(sectioned));

  // The second device's configuration, as the multi-device job has it.
  ExportDcf(sim, 1, dir.File("target.dcf"));
  const std::string xml = dir.File(sim.address(1) + "_.xml");
  ASSERT_TRUE(UnpackConfigFile(dir.File("target.dcf"), xml));
  auto before = Elements(xml);
  ASSERT_TRUE(engine.ApplyTemplate(xml, dir.File("office-full.tpl"),
                                   {fixture::k24GHzChannels, fixture::k5GHzChannels, ""}));
  // The 11n radio takes no data rate: the only setting skipped.
  EXPECT_EQ(log.texts, std::vector<std::string>{"Device(" + sim.address(1) +
                                                "), When current wireless mode include 11n in 2.4G, can't set value "
                                                "for data rate, so program will skip this parameter."});
  EXPECT_EQ(fixture::RunShell("xmllint --noout '" + xml + "'"), 0);
  ASSERT_TRUE(PackConfigFile(xml, dir.File("u" + sim.address(1) + "_.dcf")));
  EXPECT_TRUE(fixture::GzipAcceptsBody(dir.File("u" + sim.address(1) + "_.dcf")));
  ASSERT_TRUE(UnpackConfigFile(dir.File("u" + sim.address(1) + "_.dcf"), dir.File("after.xml")));
  auto after = Elements(dir.File("after.xml"));

  std::map<std::string, std::pair<std::string, std::string>> changes;
  for (const auto& [path, text] : after) {
    auto old = before.find(path);
    std::string was = old == before.end() ? "<new>" : old->second;
    if (was != text) changes[path] = {was, text};
  }
  for (const auto& [path, text] : before)
    if (!after.count(path)) changes[path] = {text, "<removed>"};

  const std::string multi = "wlan/inf[id=1]/multi";
  std::map<std::string, std::pair<std::string, std::string>> expected = {
      {"wan/rg/inf[id=1]/mode", {"1", "2"}},
      {"sys/consoleprotocol/protocol", {"1", "2"}},
      {"wlan/inf[id=1]/ssid", {"kav7420", "Office"}},
      {"wlan/inf[id=1]/beaconinterval", {"100", "200"}},
      {"wlan/inf[id=1]/dtim", {"1", "3"}},
      {"wlan/inf[id=1]/acl/mode", {"1", "2"}},
      {"wlan/inf[id=1]/acl/mac[id=1]", {"00:aa:aa:aa:aa:01", "00:11:22:33:44:55"}},
      {"wlan/inf[id=1]/acl/mac[id=2]", {"<new>", "00:11:22:33:44:66"}},
      {multi + "/state", {"0", "1"}},
      {multi + "/index[id=1]/state", {"0", "1"}},
      {multi + "/index[id=1]/ssid", {"kav7420-1", "Guest"}},
      {multi + "/index[id=1]/auth", {"0", "5"}},
      {multi + "/index[id=1]/cipher", {"0", "3"}},
      {multi + "/index[id=1]/passphrase", {"", "guestpass1"}},
  };
  EXPECT_EQ(changes, expected);
}

}  // namespace
}  // namespace kav::tmpl
