#include "shell/avi_writer.h"

#include <algorithm>
#include <fstream>

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void PutId(std::vector<std::uint8_t>& out, const char* fourcc) { out.insert(out.end(), fourcc, fourcc + 4); }

// Opens a chunk (or a list when listType is given) and returns the offset of
// its size field, to be patched by Close().
std::size_t Open(std::vector<std::uint8_t>& out, const char* id, const char* listType = nullptr) {
  PutId(out, id);
  std::size_t sizeAt = out.size();
  Put32(out, 0);
  if (listType) PutId(out, listType);
  return sizeAt;
}
void Close(std::vector<std::uint8_t>& out, std::size_t sizeAt) {
  std::uint32_t size = static_cast<std::uint32_t>(out.size() - sizeAt - 4);
  for (int i = 0; i < 4; ++i) out[sizeAt + i] = (size >> (8 * i)) & 0xFF;
  if (size & 1) out.push_back(0);
}

}  // namespace

CAviWriter::CAviWriter(int width, int height, Format format, std::uint32_t intervalUs)
    : width_(width), height_(height), format_(format), intervalUs_(intervalUs) {}

void CAviWriter::SetPalette(std::span<const std::uint32_t> colours) {
  palette_.assign(colours.begin(), colours.begin() + std::min<std::size_t>(colours.size(), 256));
}

void CAviWriter::AddIndexedFrame(std::span<const std::uint8_t> indices) {
  if (format_ == Format::Rle8) {
    chunks_.push_back({"00dc", EncodeRle8(indices, width_, height_)});
    return;
  }
  const std::size_t stride = (std::size_t(width_) + 3) & ~std::size_t(3);
  std::vector<std::uint8_t> body(stride * height_, 0);
  for (int y = 0; y < height_; ++y)  // bottom line first
    std::copy_n(indices.begin() + std::size_t(y) * width_, width_,
                body.begin() + std::size_t(height_ - 1 - y) * stride);
  chunks_.push_back({"00db", std::move(body)});
}

void CAviWriter::AddRgbFrame(std::span<const std::uint32_t> colours) {
  const std::size_t stride = (std::size_t(width_) * 3 + 3) & ~std::size_t(3);
  std::vector<std::uint8_t> body(stride * height_, 0);
  for (int y = 0; y < height_; ++y) {
    std::uint8_t* row = body.data() + std::size_t(height_ - 1 - y) * stride;
    for (int x = 0; x < width_; ++x) {
      std::uint32_t c = colours[std::size_t(y) * width_ + x];
      row[3 * x] = c & 0xFF;
      row[3 * x + 1] = (c >> 8) & 0xFF;
      row[3 * x + 2] = (c >> 16) & 0xFF;
    }
  }
  chunks_.push_back({"00db", std::move(body)});
}

void CAviWriter::AddChunk(const char (&fourcc)[5], std::span<const std::uint8_t> body) {
  chunks_.push_back({fourcc, {body.begin(), body.end()}});
}

std::vector<std::uint8_t> CAviWriter::EncodeRle8(std::span<const std::uint8_t> indices, int width,
                                                 int height) {
  std::vector<std::uint8_t> out;
  for (int line = 0; line < height; ++line) {
    const std::uint8_t* row = indices.data() + std::size_t(height - 1 - line) * width;
    int x = 0;
    while (x < width) {
      int run = 1;
      while (x + run < width && run < 255 && row[x + run] == row[x]) ++run;
      if (run >= 3 || width - x < 3) {
        // Worth a run (or too little left for a literal run, which needs 3).
        out.push_back(std::uint8_t(run));
        out.push_back(row[x]);
        x += run;
        continue;
      }
      // Literal stretch up to the next run of three equal indices.
      int end = x;
      while (end < width && end - x < 255 &&
             !(end + 2 < width && row[end] == row[end + 1] && row[end] == row[end + 2]))
        ++end;
      int literal = end - x;
      if (literal < 3) {
        for (int k = 0; k < literal; ++k) {
          out.push_back(1);
          out.push_back(row[x + k]);
        }
      } else {
        out.push_back(0);
        out.push_back(std::uint8_t(literal));
        out.insert(out.end(), row + x, row + end);
        if (literal & 1) out.push_back(0);
      }
      x = end;
    }
    out.push_back(0);
    out.push_back(line + 1 == height ? 1 : 0);  // end of picture after the last line
  }
  return out;
}

std::vector<std::uint8_t> CAviWriter::Finish() const {
  const bool indexed = format_ != Format::Rgb24;
  const std::uint32_t bitCount = indexed ? 8 : 24;
  const std::uint32_t colours = indexed ? std::uint32_t(palette_.size()) : 0;
  std::uint32_t frames = 0, largest = 0;
  for (const Chunk& c : chunks_) {
    if (c.fourcc[2] == 'd') ++frames;
    largest = std::max<std::uint32_t>(largest, std::uint32_t(c.body.size()));
  }

  std::vector<std::uint8_t> out;
  std::size_t riff = Open(out, "RIFF", "AVI ");
  std::size_t hdrl = Open(out, "LIST", "hdrl");

  std::size_t avih = Open(out, "avih");
  Put32(out, intervalUs_);
  Put32(out, 0);       // max bytes per second
  Put32(out, 0);       // padding granularity
  Put32(out, 0x10);    // has an index
  Put32(out, frames);
  Put32(out, 0);       // initial frames
  Put32(out, 1);       // streams
  Put32(out, largest); // suggested buffer size
  Put32(out, width_);
  Put32(out, height_);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  Close(out, avih);

  std::size_t strl = Open(out, "LIST", "strl");
  std::size_t strh = Open(out, "strh");
  PutId(out, "vids");
  PutId(out, format_ == Format::Rle8 ? "mrle" : "DIB ");
  Put32(out, 0);            // flags
  Put32(out, 0);            // priority, language
  Put32(out, 0);            // initial frames
  Put32(out, intervalUs_);  // scale / rate = seconds per frame
  Put32(out, 1000000);
  Put32(out, 0);            // start
  Put32(out, frames);       // length
  Put32(out, largest);
  Put32(out, 0xFFFFFFFF);   // quality
  Put32(out, 0);            // sample size
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, width_);
  Put16(out, height_);
  Close(out, strh);

  std::size_t strf = Open(out, "strf");
  Put32(out, 40);
  Put32(out, width_);
  Put32(out, height_);
  Put16(out, 1);
  Put16(out, bitCount);
  Put32(out, format_ == Format::Rle8 ? 1 : 0);
  Put32(out, 0);  // image size (may be 0 for uncompressed)
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, colours);
  Put32(out, 0);
  for (std::uint32_t c : palette_) {
    if (!indexed) break;
    out.push_back(c & 0xFF);
    out.push_back((c >> 8) & 0xFF);
    out.push_back((c >> 16) & 0xFF);
    out.push_back(0);
  }
  Close(out, strf);
  Close(out, strl);
  Close(out, hdrl);

  std::size_t movi = Open(out, "LIST", "movi");
  const std::size_t moviType = movi + 4;  // index offsets count from the "movi" word
  std::vector<std::uint32_t> offsets;
  for (const Chunk& c : chunks_) {
    offsets.push_back(std::uint32_t(out.size() - moviType));
    std::size_t at = Open(out, c.fourcc.c_str());
    out.insert(out.end(), c.body.begin(), c.body.end());
    Close(out, at);
  }
  Close(out, movi);

  std::size_t idx1 = Open(out, "idx1");
  for (std::size_t i = 0; i < chunks_.size(); ++i) {
    PutId(out, chunks_[i].fourcc.c_str());
    Put32(out, chunks_[i].fourcc[2] == 'd' ? 0x10 : 0);  // every frame is a key frame
    Put32(out, offsets[i]);
    Put32(out, std::uint32_t(chunks_[i].body.size()));
  }
  Close(out, idx1);
  Close(out, riff);
  return out;
}

bool CAviWriter::WriteFile(const std::string& path) const {
  std::vector<std::uint8_t> bytes = Finish();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}
