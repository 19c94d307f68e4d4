// Build tool: draws the wait animation (an arrow dropping into a tray above
// a filling progress bar) and writes it as an RLE8 AVI file.
//   kav_download_avi_gen OUTPUT.AVI
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "shell/avi_writer.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kFrames = 12;

enum Colour : std::uint8_t { kBack, kOutline, kFill, kTray, kTrayInner, kBar, kBarBack };

struct Canvas {
  std::vector<std::uint8_t> px = std::vector<std::uint8_t>(kWidth * kHeight, kBack);
  void Set(int x, int y, std::uint8_t c) {
    if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) px[y * kWidth + x] = c;
  }
  void Fill(int x0, int y0, int x1, int y1, std::uint8_t c) {  // inclusive corners
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) Set(x, y, c);
  }
};

// A downward arrow whose tip is at (cx, tip): a shaft 8 wide, 12 high, and a
// head 22 wide, 11 high; outlined, and clipped above `floor`.
void DrawArrow(Canvas& c, int cx, int tip, int floor) {
  auto set = [&](int x, int y, std::uint8_t colour) {
    if (y < floor) c.Set(x, y, colour);
  };
  const int headTop = tip - 10, shaftTop = headTop - 12;
  for (int y = shaftTop; y < headTop; ++y)
    for (int x = cx - 4; x <= cx + 3; ++x)
      set(x, y, (x == cx - 4 || x == cx + 3 || y == shaftTop) ? kOutline : kFill);
  for (int y = headTop; y <= tip; ++y) {
    int half = tip - y;  // narrows by one pixel per line
    for (int x = cx - half - 1; x <= cx + half; ++x)
      set(x, y, (x == cx - half - 1 || x == cx + half || y == headTop) ? kOutline : kFill);
  }
}

void DrawTray(Canvas& c) {
  c.Fill(10, 30, 53, 31, kTray);   // rim
  c.Fill(10, 30, 11, 39, kTray);   // sides
  c.Fill(52, 30, 53, 39, kTray);
  c.Fill(10, 38, 53, 39, kTray);   // bottom
  c.Fill(12, 32, 51, 37, kTrayInner);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.AVI\n", argv[0]);
    return 2;
  }
  const std::uint32_t palette[] = {
      0xF0F0F0,  // background, the usual dialog colour
      0x003399,  // arrow outline
      0x3366CC,  // arrow
      0x808080,  // tray
      0xD8D8D8,  // inside of the tray
      0x2E9E3E,  // progress
      0xC0C0C0,  // empty progress
  };
  CAviWriter writer(kWidth, kHeight, CAviWriter::Format::Rle8, 100000);
  writer.SetPalette(palette);
  for (int frame = 0; frame < kFrames; ++frame) {
    Canvas c;
    DrawTray(c);
    DrawArrow(c, 32, 6 + frame * 3, 34);
    c.Fill(4, 43, 59, 45, kBarBack);
    c.Fill(4, 43, 4 + (frame + 1) * 55 / kFrames, 45, kBar);
    writer.AddIndexedFrame(c.px);
  }
  if (!writer.WriteFile(argv[1])) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
