#include "template/testing/config_fixtures.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "template/config_file.h"

namespace kav::tmpl::fixture {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

int RunShell(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool GzipAcceptsBody(const std::string& dcfPath) {
  std::string file = ReadFile(dcfPath);
  size_t magic = file.find("0\x1f\x8b");
  if (magic == std::string::npos || magic > 30) return false;
  std::string body = dcfPath + ".body.gz";
  WriteFile(body, file.substr(magic + 1));
  bool ok = RunShell("gzip -t '" + body + "'") == 0;
  std::remove(body.c_str());
  return ok;
}

std::string DefaultConfigXml() { return ReadFile(std::string(KAV_SOURCE_DIR) + "/sim/default-config.xml"); }

ConfigBuilder::ConfigBuilder() {
  std::string xml = DefaultConfigXml();
  doc_.Parse(xml.c_str());
  if (doc_.Error() || !doc_.RootElement()) throw std::runtime_error("default configuration does not parse");
}

TiXmlElement* ConfigBuilder::Element(std::initializer_list<const char*> path, bool create) {
  TiXmlElement* cur = doc_.RootElement();
  for (const char* part : path) {
    std::string name = part;
    std::string id;
    if (size_t colon = name.find(':'); colon != std::string::npos) {
      id = name.substr(colon + 1);
      name.resize(colon);
    }
    TiXmlElement* found = nullptr;
    for (TiXmlElement* e = cur->FirstChildElement(name); e; e = e->NextSiblingElement(name)) {
      const char* attr = e->Attribute("id");
      if (id.empty() || (attr && id == attr)) {
        found = e;
        break;
      }
    }
    if (!found) {
      if (!create) return nullptr;
      found = new TiXmlElement(name);
      if (!id.empty()) found->SetAttribute("id", id);
      cur->LinkEndChild(found);
    }
    cur = found;
  }
  return cur;
}

ConfigBuilder& ConfigBuilder::Root(const std::string& name) {
  doc_.RootElement()->SetValue(name);
  return *this;
}

ConfigBuilder& ConfigBuilder::Set(std::initializer_list<const char*> path, const std::string& text) {
  TiXmlElement* e = Element(path, true);
  while (TiXmlNode* child = e->FirstChild()) {
    if (!child->ToText()) break;
    e->RemoveChild(child);
  }
  if (!text.empty()) {
    TiXmlText node(text);
    if (e->FirstChild())
      e->InsertBeforeChild(e->FirstChild(), node);
    else
      e->InsertEndChild(node);
  }
  return *this;
}

ConfigBuilder& ConfigBuilder::Remove(std::initializer_list<const char*> path) {
  if (TiXmlElement* e = Element(path)) e->Parent()->RemoveChild(e);
  return *this;
}

ConfigBuilder& ConfigBuilder::SecondRadio() {
  TiXmlElement* wlan = Element({"wlan"});
  TiXmlElement copy(*Element({"wlan", "inf:1"}));
  copy.SetAttribute("id", "2");
  wlan->InsertEndChild(copy);
  return *this;
}

ConfigBuilder& ConfigBuilder::MultiSsid(int count) {
  Set({"wlan", "inf:1", "multi", "state"}, "1");
  for (int n = 1; n <= count; ++n) {
    std::string id = std::to_string(n);
    std::string index = "index:" + id;
    Set({"wlan", "inf:1", "multi", index.c_str(), "state"}, "1");
  }
  return *this;
}

ConfigBuilder& ConfigBuilder::MacFilter(int count, const std::string& mode) {
  Set({"wlan", "inf:1", "acl", "mode"}, mode);
  TiXmlElement* acl = Element({"wlan", "inf:1", "acl"});
  for (int i = 1; i <= count; ++i) {
    TiXmlElement mac("mac");
    mac.SetAttribute("id", i);
    char text[32];
    std::snprintf(text, sizeof text, "00:11:22:00:%02X:%02X", (i >> 8) & 0xFF, i & 0xFF);
    mac.InsertEndChild(TiXmlText(text));
    acl->InsertEndChild(mac);
  }
  return *this;
}

std::string ConfigBuilder::Xml() const {
  TiXmlPrinter printer;
  doc_.Accept(&printer);
  return printer.CStr();
}

void ConfigBuilder::WriteXml(const std::string& path) const {
  std::string lf = Xml();
  std::string crlf;
  for (char c : lf) {
    if (c == '\n') crlf.push_back('\r');
    crlf.push_back(c);
  }
  WriteFile(path, crlf);
}

void ConfigBuilder::WriteDcf(const std::string& path) const {
  std::string xml = path + ".src.xml";
  WriteXml(xml);
  bool ok = PackConfigFile(xml, path);
  std::remove(xml.c_str());
  if (!ok) throw std::runtime_error("cannot pack " + path);
  if (!GzipAcceptsBody(path)) throw std::runtime_error("gzip -t rejects the body of " + path);
}

TempDir::TempDir() {
  std::string base = std::string(KAV_BUILD_DIR) + "/template-test-XXXXXX";
  if (!mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
  path_ = base;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string Applied::Text(const std::string& expression) const {
  std::string name;
  std::optional<std::string> value;
  if (!doc->Get(expression, name, value)) return "<none>";
  return value.value_or("");
}

bool Applied::Has(const std::string& expression) const { return doc->Find(expression) != nullptr; }

Applied ApplyText(const ConfigBuilder& config, const std::string& templateText, ChannelLists channels) {
  TempDir dir;
  config.WriteXml(dir.File("dev.xml"));
  WriteFile(dir.File("dev.tpl"), templateText);
  Applied out;
  CTemplateEngine engine(kDevice, out.log.Sink());
  out.result = engine.ApplyTemplate(dir.File("dev.xml"), dir.File("dev.tpl"), channels);
  if (out.result && RunShell("xmllint --noout '" + dir.File("dev.xml") + "'") != 0)
    throw std::runtime_error("xmllint rejects the saved document");
  out.doc = std::make_unique<CXmlConfigDoc>();
  if (!out.doc->Load(dir.File("dev.xml"))) throw std::runtime_error("saved document does not load");
  return out;
}

int MessageLog::Count(const std::string& part) const {
  int n = 0;
  for (const std::string& text : texts)
    if (text.find(part) != std::string::npos) ++n;
  return n;
}

ConfigBuilder Device24() {
  ConfigBuilder config;
  config.Root("KAV-7420b").Set({"wlan", "inf:1", "wlmode"}, "4");
  return config;
}

}  // namespace kav::tmpl::fixture
