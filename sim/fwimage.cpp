#include "sim/fwimage.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace kav::sim::fw {
namespace {

constexpr size_t kMagicOffset = 0, kMagicSize = 10;
constexpr size_t kFormatOffset = 10;
constexpr size_t kModelOffset = 12, kVersionOffset = 28, kFieldSize = 16;
constexpr size_t kLengthOffset = 44, kCrcOffset = 48, kReservedOffset = 52, kReservedSize = 8;
constexpr size_t kHeaderCrcOffset = 60;
constexpr uint16_t kFormat = 1;

uint32_t crc(uint32_t running, const void* data, size_t size) {
  // zlib takes sizes as uInt; a header or a read buffer is far below that.
  return static_cast<uint32_t>(::crc32(running, static_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

uint32_t get32(const unsigned char* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool printableName(std::string_view s) {
  if (s.empty() || s.size() > kMaxNameLength) return false;
  for (unsigned char c : s)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

// A NUL-padded text field: the text, then nothing but NULs.
std::optional<std::string> textField(const unsigned char* p) {
  size_t n = 0;
  while (n < kFieldSize && p[n]) ++n;
  if (n == kFieldSize) return std::nullopt;
  for (size_t i = n; i < kFieldSize; ++i)
    if (p[i]) return std::nullopt;
  std::string s(reinterpret_cast<const char*>(p), n);
  if (!printableName(s)) return std::nullopt;
  return s;
}

Check unusable(std::string message, Header h = {}) {
  return Check{Verdict::Unusable, std::move(message), std::move(h)};
}

// What the header alone decides: model and declared size.
std::optional<Check> checkHeaderAgainst(const Header& h, uint64_t payloadSize, std::string_view model) {
  if (h.model != model) return unusable("image is for model " + h.model, h);
  if (payloadSize + kHeaderSize > kMaxImageSize) return unusable("image too large", h);
  if (payloadSize != h.payloadLength)
    return unusable("image length mismatch: header says " + std::to_string(h.payloadLength) + " bytes, image has " +
                        std::to_string(payloadSize),
                    h);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> makeHeader(std::string_view model, std::string_view version, uint32_t payloadLength,
                                      uint32_t payloadCrc, std::string* why) {
  if (!printableName(model)) {
    if (why) *why = "the model name must be 1.." + std::to_string(kMaxNameLength) + " printable characters";
    return std::nullopt;
  }
  if (!printableName(version)) {
    if (why) *why = "the version must be 1.." + std::to_string(kMaxNameLength) + " printable characters";
    return std::nullopt;
  }
  std::string h(kHeaderSize, '\0');
  std::memcpy(h.data() + kMagicOffset, kMagic, sizeof kMagic);
  h[kFormatOffset] = static_cast<char>(kFormat & 0xFF);
  h[kFormatOffset + 1] = static_cast<char>(kFormat >> 8);
  std::memcpy(h.data() + kModelOffset, model.data(), model.size());
  std::memcpy(h.data() + kVersionOffset, version.data(), version.size());
  put32(h, kLengthOffset, payloadLength);
  put32(h, kCrcOffset, payloadCrc);
  put32(h, kHeaderCrcOffset, crc(0, h.data(), kHeaderCrcOffset));
  return h;
}

std::optional<std::string> makeImage(std::string_view model, std::string_view version, std::string_view payload,
                                     std::string* why) {
  if (payload.size() + kHeaderSize > kMaxImageSize) {
    if (why) *why = "the payload is larger than an image may be";
    return std::nullopt;
  }
  auto h = makeHeader(model, version, static_cast<uint32_t>(payload.size()), crc(0, payload.data(), payload.size()),
                      why);
  if (!h) return std::nullopt;
  return *h + std::string(payload);
}

std::optional<Header> readHeader(std::string_view bytes, std::string* why) {
  auto fail = [&](std::string text) -> std::optional<Header> {
    if (why) *why = std::move(text);
    return std::nullopt;
  };
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data() + kMagicOffset, kMagic, kMagicSize) != 0)
    return fail("not a firmware image");
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  if (get32(p + kHeaderCrcOffset) != crc(0, p, kHeaderCrcOffset)) return fail("image header damaged");
  const unsigned format = p[kFormatOffset] | unsigned{p[kFormatOffset + 1]} << 8;
  if (format != kFormat) return fail("unsupported image format " + std::to_string(format));
  for (size_t i = 0; i < kReservedSize; ++i)
    if (p[kReservedOffset + i]) return fail("bad image header: reserved bytes are not zero");
  Header h;
  auto model = textField(p + kModelOffset);
  if (!model) return fail("bad image header: model name");
  auto version = textField(p + kVersionOffset);
  if (!version) return fail("bad image header: version text");
  h.model = std::move(*model);
  h.version = std::move(*version);
  h.payloadLength = get32(p + kLengthOffset);
  h.payloadCrc = get32(p + kCrcOffset);
  return h;
}

Check checkImage(std::string_view image, std::string_view model) {
  std::string why;
  auto h = readHeader(image, &why);
  if (!h) return unusable(why);
  if (auto bad = checkHeaderAgainst(*h, image.size() - kHeaderSize, model)) return *bad;
  if (crc(0, image.data() + kHeaderSize, image.size() - kHeaderSize) != h->payloadCrc)
    return unusable("image checksum mismatch", *h);
  return Check{Verdict::Usable, "", std::move(*h)};
}

Check checkImageFile(const std::string& path, std::string_view model) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Check{Verdict::Unreadable, "cannot read the image", {}};
  in.seekg(0, std::ios::end);
  const auto end = in.tellg();
  in.seekg(0);
  if (end < 0 || !in) return Check{Verdict::Unreadable, "cannot read the image", {}};
  const uint64_t size = static_cast<uint64_t>(end);
  std::string head(kHeaderSize, '\0');
  in.read(head.data(), static_cast<std::streamsize>(kHeaderSize));
  head.resize(static_cast<size_t>(in.gcount()));
  std::string why;
  auto h = readHeader(head, &why);
  if (!h) return unusable(why);
  // Model and size are known before the payload is read: a wrong image costs
  // no more than its header.
  if (auto bad = checkHeaderAgainst(*h, size - kHeaderSize, model)) return *bad;
  std::vector<char> buf(1 << 16);
  uint32_t running = crc(0, nullptr, 0);
  uint64_t seen = 0;
  while (in) {
    in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    const auto n = static_cast<size_t>(in.gcount());
    running = crc(running, buf.data(), n);
    seen += n;
  }
  if (in.bad() || seen != h->payloadLength) return Check{Verdict::Unreadable, "cannot read the image", *h};
  if (running != h->payloadCrc) return unusable("image checksum mismatch", *h);
  return Check{Verdict::Usable, "", std::move(*h)};
}

}  // namespace kav::sim::fw
