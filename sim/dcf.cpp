#include "sim/dcf.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>

#include "sim/files.h"

namespace kav::sim {
namespace {

bool asciiName(std::string_view s) {
  if (s.empty()) return false;
  for (unsigned char c : s)
    if (c < 0x21 || c > 0x7E) return false;
  return true;
}

// zlib's windowBits for a gzip wrapper.
constexpr int kGzip = 15 + 16;

}  // namespace

std::optional<std::string> dcfBytes(const ConfigDoc& config, std::string* error) {
  const std::string root = config.rootName();
  if (!asciiName(root)) {
    if (error) *error = "root element name is not ASCII";
    return std::nullopt;
  }
  std::string xml = config.text();
  std::string lf;
  lf.reserve(xml.size());
  for (char c : xml)
    if (c != '\r') lf += c;

  std::string out = root + kDcfSeparator;
  z_stream z{};
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzip, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    if (error) *error = "cannot compress the configuration";
    return std::nullopt;
  }
  const size_t head = out.size();
  out.resize(head + deflateBound(&z, static_cast<uLong>(lf.size())));
  z.next_in = reinterpret_cast<Bytef*>(lf.data());
  z.avail_in = static_cast<uInt>(lf.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data() + head);
  z.avail_out = static_cast<uInt>(out.size() - head);
  const int rc = deflate(&z, Z_FINISH);
  out.resize(head + z.total_out);
  deflateEnd(&z);
  if (rc != Z_STREAM_END) {
    if (error) *error = "cannot compress the configuration";
    return std::nullopt;
  }
  return out;
}

bool writeDcf(const ConfigDoc& config, const std::string& path, std::string* error) {
  auto bytes = dcfBytes(config, error);
  return bytes && writeFileAtomic(path, *bytes, error);
}

std::optional<DcfContent> readDcf(std::string_view bytes, size_t maxXml, std::string* why) {
  auto fail = [&](const char* text) -> std::optional<DcfContent> {
    if (why) *why = text;
    return std::nullopt;
  };
  // The root name is printable ASCII and may itself hold '0' (0x30), so the
  // separator is found from the gzip magic that follows it: 0x1F never
  // occurs in the name.
  const size_t magic = bytes.find("\x1f\x8b");
  if (magic == std::string_view::npos || magic < 2 || bytes[magic - 1] != kDcfSeparator)
    return fail("not a configuration file");
  DcfContent c;
  c.root = bytes.substr(0, magic - 1);
  if (!asciiName(c.root)) return fail("not a configuration file");

  z_stream z{};
  if (inflateInit2(&z, kGzip) != Z_OK) return fail("cannot unpack the configuration file");
  std::string_view body = bytes.substr(magic);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
  z.avail_in = static_cast<uInt>(std::min<size_t>(body.size(), UINT32_MAX));
  char buf[16384];
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buf);
    z.avail_out = sizeof buf;
    rc = inflate(&z, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END) break;
    c.xml.append(buf, sizeof buf - z.avail_out);
    if (c.xml.size() > maxXml) {
      inflateEnd(&z);
      return fail("configuration file too large");
    }
    if (rc == Z_OK && z.avail_in == 0 && z.avail_out != 0) rc = Z_BUF_ERROR;  // cut short
  }
  inflateEnd(&z);
  if (rc != Z_STREAM_END) return fail("configuration file damaged");
  return c;
}

}  // namespace kav::sim
