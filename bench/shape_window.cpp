// The window outline of a full-screen picture, computed in one pass with one
// region rectangle per run of non-key pixels.
//
//   shape_window              1920 x 1080 pictures, best and median of N runs:
//                             "screen": a rounded panel with the key colour
//                             outside and key-coloured holes inside;
//                             "busy": runs of 1 to 16 pixels alternating with
//                             the key colour everywhere (a worst case)
//   shape_window --runs N     runs per timing (default 20)
//
// Target: ShapeWindow of the screen picture under 30 ms. The exit code is 1
// when the target is missed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/graphics.h"
#include "platform/ui.h"
#include "skin/skin_graphiceengine.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr double kTargetMs = 30.0;
constexpr win::COLORREF kKey = win::RGB(255, 0, 255);

win::Bitmap ScreenPicture() {
  win::Bitmap picture(kWidth, kHeight, kKey);
  const int r = 40;
  for (int y = 0; y < kHeight; ++y) {
    win::COLORREF* row = picture.Row(y);
    for (int x = 0; x < kWidth; ++x) {
      const int cx = x < r ? r - x : (x >= kWidth - r ? x - (kWidth - r - 1) : 0);
      const int cy = y < r ? r - y : (y >= kHeight - r ? y - (kHeight - r - 1) : 0);
      if (cx * cx + cy * cy > r * r) continue;
      row[x] = win::RGB(20 + y % 40, 30, 50 + x % 60);
    }
  }
  // Holes: key-coloured dots in a band, as a picture that reuses its key.
  for (int y = 300; y < 340; y += 3)
    for (int x = 200; x < 1700; x += 7) picture.SetPixel(x, y, kKey);
  return picture;
}

win::Bitmap BusyPicture() {
  win::Bitmap picture(kWidth, kHeight, kKey);
  uint32_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int y = 0; y < kHeight; ++y) {
    win::COLORREF* row = picture.Row(y);
    int x = 1;
    bool drawn = true;
    while (x < kWidth) {
      const int run = 1 + static_cast<int>(next() % 16);
      for (int i = 0; i < run && x < kWidth; ++i, ++x) row[x] = drawn ? win::RGB(10, 20, 30) : kKey;
      drawn = !drawn;
    }
  }
  return picture;
}

struct Timing {
  double best = 0;
  double median = 0;
};

Timing Measure(int runs, const std::function<void()>& work) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(ms.begin(), ms.end());
  return Timing{ms.front(), ms[ms.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 20;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
  }

  const TskinGraphiceEngine engine;
  // A plain window of the picture's size to cut.
  win::Control window(nullptr, u"TPanel");
  window.SetBounds(0, 0, kWidth, kHeight);

  bool met = true;
  struct Case {
    const char* name;
    win::Bitmap picture;
    bool targeted;
  };
  Case cases[] = {{"screen", ScreenPicture(), true}, {"busy", BusyPicture(), false}};
  std::printf("%-7s %10s %12s %12s %14s %14s\n", "picture", "rectangles", "outline best",
              "outline med", "ShapeWindow best", "ShapeWindow med");
  for (const Case& c : cases) {
    size_t rectangles = 0;
    const Timing outline = Measure(runs, [&] { rectangles = engine.Outline(c.picture).Rects().size(); });
    const Timing shape = Measure(runs, [&] { engine.ShapeWindow(window, c.picture); });
    std::printf("%-7s %10zu %9.2f ms %9.2f ms %13.2f ms %13.2f ms\n", c.name, rectangles, outline.best,
                outline.median, shape.best, shape.median);
    if (c.targeted && shape.median >= kTargetMs) met = false;
  }
  std::printf("target: ShapeWindow of the 1920 x 1080 screen picture under %.0f ms (median): %s\n",
              kTargetMs, met ? "met" : "MISSED");
  return met ? 0 : 1;
}
