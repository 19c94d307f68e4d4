// Reads the video stream of a RIFF AVI file: uncompressed 8-bit (palette)
// or 24-bit frames, or RLE8-compressed frames.  Sound streams are skipped.
//
// The file comes from outside the program, so every size, offset, count and
// run is checked against the bytes really present: a malformed file makes
// Load() return false, a malformed frame makes DecodeFrame() return false;
// neither reads or writes out of bounds.  Plain C++ on purpose, so that the
// fuzz target needs no Qt.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CAviReader {
 public:
  // Largest file LoadFile() accepts and largest frame, in pixels each way.
  static constexpr std::size_t kMaxFileBytes = 64u << 20;
  static constexpr int kMaxSide = 4096;

  enum class Format { None, Indexed8, Rgb24, Rle8 };

  // Parses the whole file; keeps a copy of the bytes.  False when the bytes
  // are not an AVI file with a video stream in one of the formats above.
  bool Load(std::span<const std::uint8_t> bytes);
  bool LoadFile(const std::string& path);
  void Clear();

  bool IsLoaded() const { return format_ != Format::None; }
  Format format() const { return format_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  // Time between frames, from the stream header's rate and scale when both
  // are set, else from the main header; kept within 10 ms .. 10 s.
  std::uint32_t FrameIntervalUs() const { return intervalUs_; }

  // Writes frame `index` into `pixels` as 0xFFRRGGBB values, top row first
  // (Width() * Height() values).  RLE8 frames only change part of the
  // picture, so frames build on each other: frames are meant to be asked
  // for in order, and asking for any other frame decodes again from frame 0.
  // False (pixels left as far as decoded) when the frame's data is malformed.
  bool DecodeFrame(int index, std::vector<std::uint32_t>& pixels);

 private:
  struct Chunk {
    std::size_t offset;
    std::size_t size;
    bool palette;  // a palette change ("pc") rather than a frame
  };

  bool ParseRiff(std::size_t begin, std::size_t end, int depth);
  bool ParseHeaderList(std::size_t begin, std::size_t end, int depth);
  bool ParseStreamList(std::size_t begin, std::size_t end, int streamIndex);
  void ParseMovie(std::size_t begin, std::size_t end, int depth);
  bool ApplyChunk(const Chunk& chunk);
  void ApplyPaletteChange(const std::uint8_t* p, std::size_t size);
  bool DecodeRle8(const std::uint8_t* p, std::size_t size);
  bool DecodeRaw(const std::uint8_t* p, std::size_t size);
  void Render(std::vector<std::uint32_t>& pixels) const;

  std::vector<std::uint8_t> data_;
  Format format_ = Format::None;
  int width_ = 0;
  int height_ = 0;
  bool topDown_ = false;
  int videoStream_ = -1;
  std::uint32_t mainIntervalUs_ = 0;
  std::uint32_t intervalUs_ = 100000;
  std::array<std::uint32_t, 256> basePalette_{};
  std::array<std::uint32_t, 256> palette_{};
  std::vector<Chunk> chunks_;       // frames and palette changes in file order
  std::vector<std::size_t> frames_;  // index into chunks_ of each frame

  // Decoding state: 8-bit formats keep palette indices so that a palette
  // change recolours the whole picture, 24-bit keeps colours.
  std::vector<std::uint8_t> indices_;
  std::vector<std::uint32_t> rgb_;
  int decoded_ = -1;      // last frame applied
  std::size_t nextChunk_ = 0;
};
