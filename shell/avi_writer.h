// Writes small silent AVI files: one video stream, uncompressed 8-bit
// (palette), 24-bit or RLE8 frames, with the index players expect.  The
// build uses it to make the wait animation; tests use it to make files the
// reader must understand.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CAviWriter {
 public:
  enum class Format { Indexed8, Rgb24, Rle8 };

  CAviWriter(int width, int height, Format format, std::uint32_t intervalUs);

  // Colours as 0xRRGGBB, at most 256; 8-bit formats only.
  void SetPalette(std::span<const std::uint32_t> colours);
  // One picture, top row first, width * height values: palette indices for
  // the 8-bit formats, 0xRRGGBB colours for 24-bit.
  void AddIndexedFrame(std::span<const std::uint8_t> indices);
  void AddRgbFrame(std::span<const std::uint32_t> colours);
  // A movie chunk exactly as given (for example "00dc" with hand-made RLE
  // data, or "00pc" for a palette change).
  void AddChunk(const char (&fourcc)[5], std::span<const std::uint8_t> body);

  std::vector<std::uint8_t> Finish() const;
  bool WriteFile(const std::string& path) const;

  // RLE8 of one picture (top row first): runs of equal indices as (count,
  // index), other stretches as literal runs, end of line after each line and
  // end of picture after the last.
  static std::vector<std::uint8_t> EncodeRle8(std::span<const std::uint8_t> indices, int width,
                                              int height);

 private:
  struct Chunk {
    std::string fourcc;
    std::vector<std::uint8_t> body;
  };
  int width_;
  int height_;
  Format format_;
  std::uint32_t intervalUs_;
  std::vector<std::uint32_t> palette_;
  std::vector<Chunk> chunks_;
};
