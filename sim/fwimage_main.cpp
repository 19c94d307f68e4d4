// kav7420-fwimage: makes (and checks) firmware images of the simulated
// KAV-7420's format, for tests, benchmarks and the demo.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "sim/fwimage.h"

namespace {

const char kHelp[] = R"(Usage:
  kav7420-fwimage --version TEXT [--model NAME] [--payload-size N | --payload FILE]
                  [--seed N] [--corrupt WHAT] OUT
  kav7420-fwimage --check [--model NAME] FILE
  kav7420-fwimage --help

Writes a firmware image that a simulated KAV-7420 (kav7420-sim) accepts with
transfer kinds 1 and 11, or checks one as the device would.

Options:
  --version TEXT      version the device runs after the upgrade, 1..15
                      printable characters (e.g. 1.10.002)
  --model NAME        model the image is for (default KAV-7420); a device of
                      another model refuses it ("image is for model NAME")
  --payload-size N    N bytes of pseudo-random payload (default 65536)
  --payload FILE      the payload is the contents of FILE
  --seed N            seed of the pseudo-random payload (default 1)
  --corrupt WHAT      a broken image, for tests:
                        payload  one payload byte changed ("image checksum mismatch")
                        length   the last payload byte cut off ("image length mismatch: ...")
                        header   the header changed without its checksum ("image header damaged")
                        magic    not an image at all ("not a firmware image")
  --check             read FILE, print its header and the device's verdict;
                      exit status 0 when a device of --model would take it

Image format (little-endian), 64-byte header then the payload:
  offset  0  10 bytes  "KAV7420FW" and a NUL
         10   2 bytes  header format, 1
         12  16 bytes  model name, NUL-padded
         28  16 bytes  version text, NUL-padded
         44   4 bytes  payload length
         48   4 bytes  CRC-32 of the payload (zlib's crc32)
         52   8 bytes  zero
         60   4 bytes  CRC-32 of header bytes 0..59
  A whole image is at most 64 MiB.
)";

int usage(const std::string& why) {
  std::fprintf(stderr, "kav7420-fwimage: %s (see --help)\n", why.c_str());
  return 2;
}

bool readAll(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream ss;
  ss << in.rdbuf();
  *out = ss.str();
  return !in.bad();
}

int check(const std::string& path, const std::string& model) {
  const auto c = kav::sim::fw::checkImageFile(path, model);
  if (!c.header.model.empty())
    std::printf("model %s\nversion %s\npayload %u bytes, crc32 %08x\n", c.header.model.c_str(),
                c.header.version.c_str(), c.header.payloadLength, c.header.payloadCrc);
  std::printf("%s\n", c.verdict == kav::sim::fw::Verdict::Usable ? "usable" : c.message.c_str());
  return c.verdict == kav::sim::fw::Verdict::Usable ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string model = "KAV-7420", version, payloadFile, corrupt, out;
  unsigned long long payloadSize = 65536, seed = 1;
  bool sizeGiven = false, checkMode = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    auto number = [&](unsigned long long* n) {
      const char* v = value();
      char* end = nullptr;
      if (!v || !*v || *v == '-') return false;
      errno = 0;
      *n = std::strtoull(v, &end, 10);
      return errno == 0 && *end == '\0';
    };
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (a == "--model") {
      const char* v = value();
      if (!v) return usage("--model needs a name");
      model = v;
    } else if (a == "--version") {
      const char* v = value();
      if (!v) return usage("--version needs a text");
      version = v;
    } else if (a == "--payload-size") {
      if (!number(&payloadSize)) return usage("--payload-size needs a number");
      sizeGiven = true;
    } else if (a == "--payload") {
      const char* v = value();
      if (!v) return usage("--payload needs a file");
      payloadFile = v;
    } else if (a == "--seed") {
      if (!number(&seed)) return usage("--seed needs a number");
    } else if (a == "--corrupt") {
      const char* v = value();
      if (!v) return usage("--corrupt needs payload, length, header or magic");
      corrupt = v;
      if (corrupt != "payload" && corrupt != "length" && corrupt != "header" && corrupt != "magic")
        return usage("--corrupt needs payload, length, header or magic");
    } else if (a == "--check") {
      checkMode = true;
    } else if (!a.empty() && a[0] == '-') {
      return usage("unknown option " + a);
    } else if (out.empty()) {
      out = a;
    } else {
      return usage("one file only");
    }
  }
  if (out.empty()) return usage(checkMode ? "--check needs a FILE" : "no output file given");
  if (checkMode) return check(out, model);
  if (version.empty()) return usage("--version is required");
  if (sizeGiven && !payloadFile.empty()) return usage("--payload-size and --payload exclude each other");

  std::string payload;
  if (!payloadFile.empty()) {
    if (!readAll(payloadFile, &payload)) return usage("cannot read " + payloadFile);
  } else {
    if (payloadSize > kav::sim::fw::kMaxImageSize - kav::sim::fw::kHeaderSize)
      return usage("--payload-size is larger than an image may be");
    std::mt19937_64 gen(seed);
    payload.resize(static_cast<size_t>(payloadSize));
    for (size_t i = 0; i < payload.size(); i += 8) {
      const uint64_t r = gen();
      for (size_t k = 0; k < 8 && i + k < payload.size(); ++k) payload[i + k] = static_cast<char>(r >> (8 * k));
    }
  }
  if ((corrupt == "payload" || corrupt == "length") && payload.empty())
    return usage("--corrupt " + corrupt + " needs a payload");
  std::string why;
  auto image = kav::sim::fw::makeImage(model, version, payload, &why);
  if (!image) return usage(why);
  if (corrupt == "payload") (*image)[kav::sim::fw::kHeaderSize + payload.size() / 2] ^= 0x5A;
  if (corrupt == "length") image->pop_back();
  if (corrupt == "header") (*image)[28] ^= 0x01;  // first byte of the version text
  if (corrupt == "magic") image->replace(0, 3, "XXX");

  std::ofstream file(out, std::ios::binary | std::ios::trunc);
  file.write(image->data(), static_cast<std::streamsize>(image->size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "kav7420-fwimage: cannot write %s\n", out.c_str());
    return 1;
  }
  return 0;
}
