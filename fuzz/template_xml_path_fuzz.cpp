// Path expressions and configuration documents: lookups, reads, writes
// with and without creation, the key list, saving and loading again.  The
// input is expression lines, optionally followed by an empty line and a
// document; without one the simulator's default configuration is used.
// The text TinyXML parses is placed right before an unreadable page, so a
// read past the prepared buffer faults here even though TinyXML itself is
// not instrumented.
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "template/path_expression.h"
#include "template/xml_config_doc.h"

namespace {

const std::string& WorkDir() {
  static const std::string dir = [] {
    std::string pattern = "/tmp/template-xml-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) abort();
    return pattern;
  }();
  return dir;
}

const std::string& DefaultXml() {
  static const std::string xml = [] {
    std::ifstream in(KAV_SOURCE_DIR "/sim/default-config.xml", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.empty()) abort();
    return text;
  }();
  return xml;
}

// Parses the prepared buffer with TinyXML from memory that ends at a page
// nobody may read.
void ParseAtPageEnd(const std::string& prepared) {
  static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  size_t pages = (prepared.size() + page - 1) / page + 1;
  auto* region = static_cast<char*>(mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  if (region == MAP_FAILED) abort();
  mprotect(region + (pages - 1) * page, page, PROT_NONE);
  char* buffer = region + (pages - 1) * page - prepared.size();
  std::memcpy(buffer, prepared.data(), prepared.size());
  TiXmlDocument doc;
  doc.Parse(buffer, nullptr, TIXML_ENCODING_UNKNOWN);
  munmap(region, pages * page);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string expressions = input;
  std::string xml = DefaultXml();
  if (size_t split = input.find("\n\n"); split != std::string::npos) {
    expressions = input.substr(0, split);
    xml = input.substr(split + 2);
  }

  std::string prepared;
  if (kav::tmpl::PrepareParseText(xml, prepared)) ParseAtPageEnd(prepared);

  const std::string& dir = WorkDir();
  kav::tmpl::CXmlConfigDoc doc;
  if (!doc.LoadText(xml, dir + "/doc.xml")) doc.LoadText(DefaultXml(), dir + "/doc.xml");
  doc.OpenKeyList(dir + "/keys");

  size_t begin = 0;
  int n = 0;
  while (begin <= expressions.size() && n++ < 64) {
    size_t end = expressions.find('\n', begin);
    if (end == std::string::npos) end = expressions.size();
    std::string expression = expressions.substr(begin, end - begin);
    begin = end + 1;

    for (const char* tag : {"FFN", "PRE", "ARR", "VAL", "RRL"}) kav::tmpl::FindTag(expression, tag);
    if (auto rrl = kav::tmpl::FindTag(expression, "RRL")) kav::tmpl::TranslateRrl(*rrl, expression);
    std::vector<kav::tmpl::PathSegment> segments;
    kav::tmpl::ParsePath(expression, segments);

    std::string name;
    std::optional<std::string> value;
    if (doc.Get(expression, name, value)) doc.WriteSetting(name, value);
    doc.Set(expression, false);
    doc.Set(expression, true);
    if (doc.FindOrCreate(expression) && !doc.Find(expression)) abort();  // what was made is found
    doc.RemoveAllChildren(expression, "mac");
  }
  doc.CloseKeyList();

  // What we save loads again.
  if (doc.Save()) {
    kav::tmpl::CXmlConfigDoc again;
    if (!doc.RootName().empty() && !again.Load(dir + "/doc.xml")) abort();
  }
  return 0;
}
