// Device configuration files from outside: unpacking, and the whole
// template extraction on top of it; then packing what was unpacked.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "template/config_file.h"
#include "template/template_engine.h"

namespace {

const std::string& WorkDir() {
  static const std::string dir = [] {
    std::string pattern = "/tmp/template-config-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) abort();
    return pattern;
  }();
  return dir;
}

bool WriteAll(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

std::string ReadAll(const std::string& path) {
  std::string out;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& dir = WorkDir();
  const std::string dcf = dir + "/in.dcf";
  const std::string xml = dir + "/192.168.0.50_.xml";
  if (!WriteAll(dcf, data, size)) abort();

  if (kav::tmpl::UnpackConfigFile(dcf, xml)) {
    // Unpacked text has CR LF line ends only and no zero byte.
    std::string text = ReadAll(xml);
    if (text.empty()) abort();
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\0') abort();
      if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) abort();
    }
    // Whatever unpacks and has a root packs, and unpacks to the same text.
    if (kav::tmpl::PackConfigFile(xml, dir + "/u.dcf")) {
      if (!kav::tmpl::UnpackConfigFile(dir + "/u.dcf", dir + "/again.xml")) abort();
      std::string again = ReadAll(dir + "/again.xml");
      // Packing drops the CR before each LF; unpacking puts it back.
      if (again != text) abort();
    }
  }
  std::remove(xml.c_str());

  kav::tmpl::CTemplateEngine engine("192.168.0.50", nullptr);
  engine.ExtractTemplate(dcf, dir + "/out.tpl");
  return 0;
}
