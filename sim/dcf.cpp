#include "sim/dcf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <vector>

namespace kav::sim {

bool writeDcf(const ConfigDoc& config, const std::string& path, std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error) *error = what;
    return false;
  };
  const std::string root = config.rootName();
  for (unsigned char c : root)
    if (c < 0x21 || c > 0x7E) return fail("root element name is not ASCII");
  std::string xml = config.text();
  std::string lf;
  lf.reserve(xml.size());
  for (char c : xml)
    if (c != '\r') lf += c;

  std::string tmpl = path + ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) return fail("cannot create a file beside " + path);
  std::string header = root + kDcfSeparator;
  bool ok = ::fchmod(fd, 0644) == 0 && ::write(fd, header.data(), header.size()) == static_cast<ssize_t>(header.size());
  // The gzip stream follows the header in the same file: zlib writes from the
  // descriptor's current position.
  gzFile gz = ok ? gzdopen(fd, "wb") : nullptr;
  if (!gz) {
    ::close(fd);
    ::unlink(name.data());
    return fail("cannot write " + path);
  }
  ok = gzwrite(gz, lf.data(), static_cast<unsigned>(lf.size())) == static_cast<int>(lf.size());
  ok = gzclose(gz) == Z_OK && ok;  // closes fd as well
  if (ok) {
    int again = ::open(name.data(), O_RDONLY);
    ok = again >= 0 && ::fsync(again) == 0;
    if (again >= 0) ::close(again);
  }
  if (!ok || ::rename(name.data(), path.c_str()) != 0) {
    ::unlink(name.data());
    return fail("cannot write " + path);
  }
  return true;
}

}  // namespace kav::sim
