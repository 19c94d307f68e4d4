#include "shell/avi_reader.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>

namespace {

// Caps that keep a hostile file from making us allocate or loop without end.
constexpr std::size_t kMaxChunks = 100000;
constexpr int kMaxListDepth = 4;
constexpr std::uint32_t kMinIntervalUs = 10000;
constexpr std::uint32_t kMaxIntervalUs = 10000000;
constexpr std::uint32_t kDefaultIntervalUs = 100000;

std::uint32_t Le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
bool Is(const std::uint8_t* p, const char (&fourcc)[5]) { return std::memcmp(p, fourcc, 4) == 0; }
std::uint32_t Opaque(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// Walks the chunks of [begin, end): calls visit(id, body, bodySize) for each.
// A chunk that claims more bytes than remain is cut at `end`, which is how
// a truncated file still shows the frames it has.
template <typename Visit>
void ForEachChunk(const std::vector<std::uint8_t>& data, std::size_t begin, std::size_t end,
                  Visit visit) {
  std::size_t pos = begin;
  while (end >= 8 && pos <= end - 8) {
    const std::uint8_t* head = data.data() + pos;
    std::uint64_t size = Le32(head + 4);
    std::size_t body = pos + 8;
    std::size_t bodySize = static_cast<std::size_t>(std::min<std::uint64_t>(size, end - body));
    if (!visit(head, body, bodySize)) return;
    std::uint64_t next = std::uint64_t(body) + size + (size & 1);
    if (next > end) return;
    pos = static_cast<std::size_t>(next);
  }
}

}  // namespace

void CAviReader::Clear() { *this = CAviReader(); }

bool CAviReader::LoadFile(const std::string& path) {
  Clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size <= 0 || static_cast<std::uint64_t>(size) > kMaxFileBytes) return false;
  in.seekg(0);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return false;
  return Load(bytes);
}

bool CAviReader::Load(std::span<const std::uint8_t> bytes) {
  Clear();
  if (bytes.size() < 12 || bytes.size() > kMaxFileBytes) return false;
  data_.assign(bytes.begin(), bytes.end());
  const std::uint8_t* p = data_.data();
  if (!Is(p, "RIFF") || !Is(p + 8, "AVI ")) return Clear(), false;
  std::size_t end = static_cast<std::size_t>(std::min<std::uint64_t>(8ull + Le32(p + 4), data_.size()));
  if (!ParseRiff(12, end, 0) || format_ == Format::None || frames_.empty()) return Clear(), false;

  indices_.assign(std::size_t(width_) * height_, 0);
  rgb_.assign(std::size_t(width_) * height_, Opaque(0, 0, 0));
  palette_ = basePalette_;
  return true;
}

bool CAviReader::ParseRiff(std::size_t begin, std::size_t end, int depth) {
  bool ok = true;
  ForEachChunk(data_, begin, end, [&](const std::uint8_t* head, std::size_t body, std::size_t size) {
    if (!Is(head, "LIST") || size < 4) return true;
    const std::uint8_t* type = data_.data() + body;
    if (Is(type, "hdrl") && format_ == Format::None) {
      ok = ParseHeaderList(body + 4, body + size, depth + 1);
    } else if (Is(type, "movi") && videoStream_ >= 0) {
      ParseMovie(body + 4, body + size, depth + 1);
    }
    return ok;
  });
  return ok;
}

bool CAviReader::ParseHeaderList(std::size_t begin, std::size_t end, int depth) {
  bool ok = true;
  int stream = 0;
  ForEachChunk(data_, begin, end, [&](const std::uint8_t* head, std::size_t body, std::size_t size) {
    const std::uint8_t* p = data_.data() + body;
    if (Is(head, "avih") && size >= 4) {
      mainIntervalUs_ = Le32(p);
    } else if (Is(head, "LIST") && size >= 4 && Is(p, "strl")) {
      if (videoStream_ < 0) ok = ParseStreamList(body + 4, body + size, stream);
      ++stream;
    }
    return ok;
  });
  if (ok && videoStream_ >= 0) {
    std::uint32_t us = intervalUs_ ? intervalUs_ : mainIntervalUs_;
    if (us == 0) us = kDefaultIntervalUs;
    intervalUs_ = std::clamp(us, kMinIntervalUs, kMaxIntervalUs);
  }
  return ok;
}

// One "strl" list: a stream header, then the stream format.  Only the first
// video stream is used; other streams are skipped without complaint.  A video
// stream whose format is broken or unsupported fails the whole file.
bool CAviReader::ParseStreamList(std::size_t begin, std::size_t end, int streamIndex) {
  bool video = false;
  bool ok = true;
  std::uint32_t streamIntervalUs = 0;
  ForEachChunk(data_, begin, end, [&](const std::uint8_t* head, std::size_t body, std::size_t size) {
    const std::uint8_t* p = data_.data() + body;
    if (Is(head, "strh")) {
      if (size < 28 || !Is(p, "vids")) return false;  // not a video stream: skip it
      video = true;
      std::uint64_t scale = Le32(p + 20), rate = Le32(p + 24);
      if (scale && rate) {
        std::uint64_t us = scale * 1000000ull / rate;
        streamIntervalUs = static_cast<std::uint32_t>(std::min<std::uint64_t>(us, kMaxIntervalUs));
        if (streamIntervalUs == 0) streamIntervalUs = kMinIntervalUs;
      }
      return true;
    }
    if (!Is(head, "strf") || !video) return true;
    ok = false;
    if (size < 40) return false;
    std::uint32_t headerSize = Le32(p);
    if (headerSize < 40 || headerSize > size) return false;
    std::int64_t width = static_cast<std::int32_t>(Le32(p + 4));
    std::int64_t height = static_cast<std::int32_t>(Le32(p + 8));
    std::uint32_t bitCount = Le16(p + 14);
    std::uint32_t compression = Le32(p + 16);
    std::uint32_t colorsUsed = Le32(p + 32);
    if (width < 1 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide)
      return false;
    Format format = Format::None;
    if (compression == 0 && bitCount == 8) format = Format::Indexed8;
    if (compression == 0 && bitCount == 24) format = Format::Rgb24;
    if (compression == 1 && bitCount == 8 && height > 0) format = Format::Rle8;
    if (format == Format::None) return false;

    if (bitCount == 8) {
      std::size_t count = colorsUsed ? colorsUsed : 256;
      count = std::min({count, std::size_t(256), (size - headerSize) / 4});
      const std::uint8_t* entry = p + headerSize;  // blue, green, red, unused
      for (std::size_t i = 0; i < count; ++i, entry += 4)
        basePalette_[i] = Opaque(entry[2], entry[1], entry[0]);
      for (std::size_t i = count; i < 256; ++i) basePalette_[i] = Opaque(0, 0, 0);
    }
    format_ = format;
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height < 0 ? -height : height);
    topDown_ = height < 0;
    videoStream_ = streamIndex;
    intervalUs_ = streamIntervalUs;
    ok = true;
    return false;  // done with this list
  });
  return ok;
}

void CAviReader::ParseMovie(std::size_t begin, std::size_t end, int depth) {
  if (videoStream_ > 99) return;  // chunk ids carry the stream number in two digits
  const char tens = char('0' + videoStream_ / 10), ones = char('0' + videoStream_ % 10);
  ForEachChunk(data_, begin, end, [&](const std::uint8_t* head, std::size_t body, std::size_t size) {
    if (chunks_.size() >= kMaxChunks) return false;
    if (Is(head, "LIST")) {
      if (size >= 4 && Is(data_.data() + body, "rec ") && depth < kMaxListDepth)
        ParseMovie(body + 4, body + size, depth + 1);
      return true;
    }
    if (head[0] != tens || head[1] != ones) return true;
    if (head[2] == 'd' && (head[3] == 'b' || head[3] == 'c')) {
      frames_.push_back(chunks_.size());
      chunks_.push_back({body, size, false});
    } else if (head[2] == 'p' && head[3] == 'c') {
      chunks_.push_back({body, size, true});
    }
    return true;
  });
}

bool CAviReader::DecodeFrame(int index, std::vector<std::uint32_t>& pixels) {
  if (!IsLoaded() || index < 0 || index >= FrameCount()) return false;
  bool ok = true;
  if (index != decoded_) {
    if (index < decoded_ || decoded_ < 0) {
      // Start again from the first chunk with the file's own palette.
      decoded_ = -1;
      nextChunk_ = 0;
      palette_ = basePalette_;
      std::fill(indices_.begin(), indices_.end(), 0);
      std::fill(rgb_.begin(), rgb_.end(), Opaque(0, 0, 0));
    }
    const std::size_t target = frames_[index];
    for (; nextChunk_ <= target; ++nextChunk_) {
      const Chunk& chunk = chunks_[nextChunk_];
      // Uncompressed frames replace the whole picture, so only the wanted
      // one needs decoding; RLE frames build on the ones before them.
      if (chunk.palette || nextChunk_ == target || format_ == Format::Rle8) {
        bool applied = ApplyChunk(chunk);
        if (nextChunk_ == target) ok = applied;
      }
    }
    decoded_ = index;
  }
  Render(pixels);
  return ok;
}

bool CAviReader::ApplyChunk(const Chunk& chunk) {
  const std::uint8_t* p = data_.data() + chunk.offset;
  if (chunk.palette) {
    ApplyPaletteChange(p, chunk.size);
    return true;
  }
  if (chunk.size == 0) return true;  // a dropped frame repeats the previous picture
  return format_ == Format::Rle8 ? DecodeRle8(p, chunk.size) : DecodeRaw(p, chunk.size);
}

// A palette change: first entry, entry count (0 means 256), two bytes of
// flags, then red, green, blue, flags per entry.
void CAviReader::ApplyPaletteChange(const std::uint8_t* p, std::size_t size) {
  if (format_ == Format::Rgb24 || size < 4) return;
  std::size_t first = p[0];
  std::size_t count = p[1] ? p[1] : 256;
  count = std::min({count, 256 - first, (size - 4) / 4});
  const std::uint8_t* entry = p + 4;
  for (std::size_t i = 0; i < count; ++i, entry += 4)
    palette_[first + i] = Opaque(entry[0], entry[1], entry[2]);
}

bool CAviReader::DecodeRaw(const std::uint8_t* p, std::size_t size) {
  const std::size_t w = width_, h = height_;
  const std::size_t bytesPerPixel = format_ == Format::Rgb24 ? 3 : 1;
  const std::size_t stride = (w * bytesPerPixel + 3) & ~std::size_t(3);
  const std::size_t rows = std::min(h, size / stride);
  for (std::size_t r = 0; r < rows; ++r) {
    const std::uint8_t* src = p + r * stride;
    const std::size_t y = topDown_ ? r : h - 1 - r;
    if (bytesPerPixel == 1) {
      std::memcpy(&indices_[y * w], src, w);
    } else {
      for (std::size_t x = 0; x < w; ++x, src += 3) rgb_[y * w + x] = Opaque(src[2], src[1], src[0]);
    }
  }
  return rows == h;
}

// RLE8: pairs of (count, index) paint runs; a zero count starts an escape:
// 0 end of line, 1 end of picture, 2 move by (dx, dy), 3..255 that many
// literal indices padded to an even length.  Lines count from the bottom.
// Pixels outside the picture are dropped; a frame that ends inside a
// literal run or a move is malformed.
bool CAviReader::DecodeRle8(const std::uint8_t* p, std::size_t size) {
  const std::int64_t w = width_, h = height_;
  std::int64_t x = 0, y = 0;
  auto put = [&](std::int64_t px, std::uint8_t value) {
    if (px < w && y < h) indices_[std::size_t((h - 1 - y) * w + px)] = value;
  };
  std::size_t i = 0;
  while (i + 2 <= size) {
    const std::uint8_t count = p[i], value = p[i + 1];
    i += 2;
    if (count) {
      for (std::int64_t k = 0; k < count && x + k < w; ++k) put(x + k, value);
      x = std::min(x + count, w);
      continue;
    }
    switch (value) {
      case 0:
        x = 0;
        y = std::min(y + 1, h);
        break;
      case 1:
        return true;
      case 2:
        if (i + 2 > size) return false;
        x = std::min(x + p[i], w);
        y = std::min(y + p[i + 1], h);
        i += 2;
        break;
      default: {
        const std::size_t literal = value;
        const std::size_t available = std::min(literal, size - i);
        for (std::size_t k = 0; k < available && x + std::int64_t(k) < w; ++k)
          put(x + std::int64_t(k), p[i + k]);
        if (available < literal) return false;
        x = std::min(x + std::int64_t(literal), w);
        i += literal + (literal & 1);
        break;
      }
    }
  }
  return true;
}

void CAviReader::Render(std::vector<std::uint32_t>& pixels) const {
  if (format_ == Format::Rgb24) {
    pixels = rgb_;
    return;
  }
  pixels.resize(indices_.size());
  for (std::size_t i = 0; i < indices_.size(); ++i) pixels[i] = palette_[indices_[i]];
}
