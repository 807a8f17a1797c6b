// Pictures for the skin tests, made in code: picture strips of four looks and
// a rounded panel with a key colour outside it.
#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "platform/graphics.h"
#include "platform/picture.h"
#include "support/sim_machine.h"

namespace skintest {

constexpr win::COLORREF kKey = win::RGB(255, 0, 255);  // outside every outline

// A strip of four frames of frameWidth x height; frame i is filled with
// colours[i], and the corner pixel of every frame has the key colour, so each
// frame's outline misses its four corners.
inline win::Bitmap CornerStrip(int32_t frameWidth, int32_t height,
                               const std::array<win::COLORREF, 4>& colours) {
  win::Bitmap strip(frameWidth * 4, height, kKey);
  for (int32_t f = 0; f < 4; ++f) {
    const int32_t left = f * frameWidth;
    strip.FillRect(win::Rect{left, 0, left + frameWidth, height}, colours[f]);
    for (int32_t x : {left, left + frameWidth - 1})
      for (int32_t y : {0, height - 1}) strip.SetPixel(x, y, kKey);
  }
  return strip;
}

// Writes a picture as a BMP file on the machine.
inline void WriteBmp(const zxtest::TempMachine& machine, const String& path,
                     const win::Bitmap& picture) {
  machine.WriteFile(path, win::EncodeBmp(picture));
}

// Writes a picture as a PNG file on the machine.
inline void WritePng(const zxtest::TempMachine& machine, const String& path,
                     const win::Bitmap& picture) {
  const std::string scratch = machine.Dir() + "/scratch.png";
  ASSERT_TRUE(win::SavePng(picture, scratch));
  std::ifstream in(scratch, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(scratch);
  machine.WriteFile(path, bytes);
}

}  // namespace skintest
