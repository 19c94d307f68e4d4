#include "shell/avi_reader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <cstring>
#include <functional>
#include <random>

#include "shell/avi_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<std::uint32_t>;
constexpr std::uint32_t kPalette[] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

std::uint32_t Argb(std::uint32_t rgb) { return 0xFF000000u | rgb; }

Pixels ToColours(const Bytes& indices) {
  Pixels out;
  for (std::uint8_t i : indices) out.push_back(Argb(kPalette[i]));
  return out;
}

// A picture with runs and lone pixels, so RLE uses both of its modes.
Bytes Pattern(int width, int height, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes px(std::size_t(width) * height);
  for (std::size_t i = 0; i < px.size(); ++i)
    px[i] = (i % 7 < 3) ? 4 : std::uint8_t(rng() % 5);
  return px;
}

std::size_t Find(const Bytes& bytes, const char* fourcc) {
  for (std::size_t i = 0; i + 4 <= bytes.size(); ++i)
    if (std::memcmp(bytes.data() + i, fourcc, 4) == 0) return i;
  ADD_FAILURE() << "no " << fourcc;
  return 0;
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = (v >> (8 * i)) & 0xFF;
}

TEST(AviReader, DecodesTheGeneratedAnimation) {
  CAviReader reader;
  ASSERT_TRUE(reader.LoadFile(KAV_BIN_DIR "/KAV-7420/res/DOWNLOAD.AVI"));
  EXPECT_EQ(reader.format(), CAviReader::Format::Rle8);
  EXPECT_EQ(reader.Width(), 64);
  EXPECT_EQ(reader.Height(), 48);
  EXPECT_EQ(reader.FrameCount(), 12);
  EXPECT_EQ(reader.FrameIntervalUs(), 100000u);

  std::vector<Pixels> frames(reader.FrameCount());
  for (int i = 0; i < reader.FrameCount(); ++i) ASSERT_TRUE(reader.DecodeFrame(i, frames[i])) << i;
  const auto at = [](const Pixels& f, int x, int y) { return f[y * 64 + x]; };
  EXPECT_EQ(at(frames[0], 0, 0), Argb(0xF0F0F0));   // background
  EXPECT_EQ(at(frames[0], 10, 30), Argb(0x808080));  // tray rim
  EXPECT_EQ(at(frames[0], 4, 44), Argb(0x2E9E3E));   // progress has begun
  EXPECT_EQ(at(frames[0], 58, 44), Argb(0xC0C0C0));  // ... but not ended
  EXPECT_EQ(at(frames[11], 58, 44), Argb(0x2E9E3E));
  EXPECT_NE(frames[0], frames[6]);  // the arrow moves

  // Going back decodes again from the start and gives the same picture.
  Pixels again;
  ASSERT_TRUE(reader.DecodeFrame(5, again));
  EXPECT_EQ(again, frames[5]);
}

TEST(AviReader, RoundTripsEveryFormat) {
  const int w = 5, h = 3;  // odd width: rows are padded in the file
  for (auto format : {CAviWriter::Format::Indexed8, CAviWriter::Format::Rgb24, CAviWriter::Format::Rle8}) {
    SCOPED_TRACE(int(format));
    CAviWriter writer(w, h, format, 40000);
    writer.SetPalette(kPalette);
    std::vector<Pixels> expected;
    for (unsigned f = 0; f < 3; ++f) {
      Bytes px = Pattern(w, h, f);
      expected.push_back(ToColours(px));
      if (format == CAviWriter::Format::Rgb24) {
        Pixels rgb;
        for (std::uint32_t c : expected.back()) rgb.push_back(c & 0xFFFFFF);
        writer.AddRgbFrame(rgb);
      } else {
        writer.AddIndexedFrame(px);
      }
    }
    CAviReader reader;
    ASSERT_TRUE(reader.Load(writer.Finish()));
    EXPECT_EQ(reader.FrameIntervalUs(), 40000u);
    Pixels got;
    for (int f = 0; f < 3; ++f) {
      ASSERT_TRUE(reader.DecodeFrame(f, got));
      EXPECT_EQ(got, expected[f]) << "frame " << f;
    }
  }
}

// RLE8 escapes written by hand: a 4 by 3 picture (lines count from the
// bottom), then a second frame that changes one pixel by moving there.
TEST(AviReader, Rle8EscapesAndDeltaFrames) {
  CAviWriter writer(4, 3, CAviWriter::Format::Rle8, 100000);
  writer.SetPalette(kPalette);
  const Bytes first = {
      6, 1,              // bottom line: a run of 6 cut at the edge -> 1 1 1 1
      0, 0,              // end of line
      0, 3, 2, 3, 2, 0,  // literal run of 3, padded to even -> 2 3 2 .
      0, 0,
      0, 2, 1, 0,        // move right 1 -> top line . 4 4 .
      2, 4,
      0, 1};             // end of picture
  const Bytes second = {0, 2, 3, 2, 1, 2, 0, 1};  // move to (3, 2) from bottom: top right = 2
  writer.AddChunk("00dc", first);
  writer.AddChunk("00dc", second);
  CAviReader reader;
  ASSERT_TRUE(reader.Load(writer.Finish()));
  Pixels got;
  ASSERT_TRUE(reader.DecodeFrame(0, got));
  EXPECT_EQ(got, ToColours({0, 4, 4, 0,  //
                            2, 3, 2, 0,  //
                            1, 1, 1, 1}));
  ASSERT_TRUE(reader.DecodeFrame(1, got));
  EXPECT_EQ(got, ToColours({0, 4, 4, 2,  //
                            2, 3, 2, 0,  //
                            1, 1, 1, 1}));
}

TEST(AviReader, PaletteChangeRecoloursFollowingFrames) {
  CAviWriter writer(2, 1, CAviWriter::Format::Indexed8, 100000);
  writer.SetPalette(kPalette);
  writer.AddIndexedFrame(Bytes{1, 2});
  writer.AddChunk("00pc", Bytes{1, 1, 0, 0, 0x12, 0x34, 0x56, 0});  // entry 1 -> 123456
  writer.AddIndexedFrame(Bytes{1, 2});
  CAviReader reader;
  ASSERT_TRUE(reader.Load(writer.Finish()));
  Pixels got;
  ASSERT_TRUE(reader.DecodeFrame(1, got));
  EXPECT_EQ(got, (Pixels{Argb(0x123456), Argb(0x00FF00)}));
  ASSERT_TRUE(reader.DecodeFrame(0, got));  // back to the start: the file's palette
  EXPECT_EQ(got, (Pixels{Argb(0xFF0000), Argb(0x00FF00)}));
}

// Damaged files: each must be refused or decode without reading or writing
// out of bounds (the sanitizer build checks the latter).
TEST(AviReader, SurvivesMalformedFiles) {
  CAviWriter base(4, 3, CAviWriter::Format::Rle8, 100000);
  base.SetPalette(kPalette);
  base.AddIndexedFrame(Pattern(4, 3, 1));
  base.AddIndexedFrame(Pattern(4, 3, 2));
  const Bytes good = base.Finish();
  const std::size_t strf = Find(good, "strf") + 8;  // start of the picture header
  const std::size_t frame = Find(good, "00dc");

  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    bool loads;
    bool decodes;
  };
  const Case cases[] = {
      {"intact", [](Bytes&) {}, true, true},
      {"too short", [](Bytes& b) { b.resize(11); }, false, false},
      {"not RIFF", [](Bytes& b) { b[3] = 'X'; }, false, false},
      {"not AVI", [](Bytes& b) { b[8] = 'W'; }, false, false},
      {"RIFF size beyond the end", [](Bytes& b) { Put32(b, 4, 0xFFFFFFF0); }, true, true},
      {"cut in the first frame", [=](Bytes& b) { b.resize(frame + 12); }, true, false},
      {"cut before any frame", [=](Bytes& b) { b.resize(frame); }, false, false},
      {"header size huge", [=](Bytes& b) { Put32(b, strf, 0xFFFFFFFF); }, false, false},
      {"header size small", [=](Bytes& b) { Put32(b, strf, 12); }, false, false},
      {"width zero", [=](Bytes& b) { Put32(b, strf + 4, 0); }, false, false},
      {"width huge", [=](Bytes& b) { Put32(b, strf + 4, 1u << 30); }, false, false},
      {"height most negative", [=](Bytes& b) { Put32(b, strf + 8, 0x80000000u); }, false, false},
      {"RLE drawn top-down", [=](Bytes& b) { Put32(b, strf + 8, std::uint32_t(-3)); }, false, false},
      {"16 bits per pixel", [=](Bytes& b) { b[strf + 14] = 16; }, false, false},
      {"unknown compression", [=](Bytes& b) { Put32(b, strf + 16, 0x47504A4D); }, false, false},
      {"colour count huge", [=](Bytes& b) { Put32(b, strf + 32, 0xFFFFFFFF); }, true, true},
      {"frame size huge", [=](Bytes& b) { Put32(b, frame + 4, 0xFFFFFFF0); }, true, true},
      {"literal run past the end", [=](Bytes& b) { Put32(b, frame + 4, 4); b[frame + 8] = 0; b[frame + 9] = 200; }, true, false},
      {"run past the picture", [=](Bytes& b) { b[frame + 8] = 255; }, true, true},
      {"move past the picture", [=](Bytes& b) { b[frame + 8] = 0; b[frame + 9] = 2; b[frame + 10] = 255; b[frame + 11] = 255; }, true, true},
      {"list size huge", [=](Bytes& b) { Put32(b, Find(b, "movi") - 4, 0xFFFFFFFF); }, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = good;
    c.damage(bytes);
    CAviReader reader;
    ASSERT_EQ(reader.Load(bytes), c.loads);
    if (!c.loads) continue;
    Pixels got;
    EXPECT_EQ(reader.DecodeFrame(0, got), c.decodes);
    EXPECT_EQ(got.size(), std::size_t(reader.Width()) * reader.Height());
    reader.DecodeFrame(reader.FrameCount() - 1, got);
  }
  CAviReader missing;
  EXPECT_FALSE(missing.LoadFile("/nonexistent/DOWNLOAD.AVI"));
  Pixels none;
  EXPECT_FALSE(missing.DecodeFrame(0, none));
}

// A decoder we did not write as referee: ffmpeg's pictures of the generated
// animation and of the seed files must equal ours pixel for pixel.  Skipped
// where ffmpeg is not installed.
TEST(AviReader, AgreesWithFfmpeg) {
  const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
  if (ffmpeg.isEmpty()) GTEST_SKIP() << "ffmpeg not installed";
  QStringList files = {KAV_BIN_DIR "/KAV-7420/res/DOWNLOAD.AVI"};
  const QDir seeds(KAV_SOURCE_DIR "/fuzz/corpus/avi_reader");
  for (const QString& name : seeds.entryList({"*.avi"}, QDir::Files)) files << seeds.filePath(name);
  for (const QString& file : files) {
    SCOPED_TRACE(file.toStdString());
    QProcess p;
    p.start(ffmpeg, {"-v", "error", "-i", file, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QByteArray theirs = p.readAllStandardOutput();
    CAviReader reader;
    ASSERT_TRUE(reader.LoadFile(file.toStdString()));
    const std::size_t frameBytes = std::size_t(reader.Width()) * reader.Height() * 3;
    ASSERT_EQ(std::size_t(theirs.size()), frameBytes * reader.FrameCount());
    Pixels ours;
    for (int f = 0; f < reader.FrameCount(); ++f) {
      ASSERT_TRUE(reader.DecodeFrame(f, ours));
      const auto* rgb = reinterpret_cast<const std::uint8_t*>(theirs.constData()) + f * frameBytes;
      for (std::size_t i = 0; i < ours.size(); ++i, rgb += 3)
        ASSERT_EQ(ours[i], Argb((rgb[0] << 16) | (rgb[1] << 8) | rgb[2])) << "frame " << f << " pixel " << i;
    }
  }
}

}  // namespace
