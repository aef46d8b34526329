// Reading and writing the picture files of the game and its tools: 24-bit BMP sprite sheets and PNG
// snapshots. Pixels are 8-bit RGB triples, rows top to bottom.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vartenos {

struct ImagemRgb {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;  // width * height * 3

  void Create(int32_t w, int32_t h) {
    width = w;
    height = h;
    rgb.assign(static_cast<size_t>(w) * h * 3, 0);
  }
  uint8_t* At(int32_t x, int32_t y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  const uint8_t* At(int32_t x, int32_t y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Reads an uncompressed BMP of 24 or 32 bits per pixel, or 1, 4 or 8 bits with a palette.
// Returns false with "PATH: problem" in `error`.
bool LerBmp(const std::string& path, ImagemRgb& out, std::string& error);
// The same from the bytes of a file; `error` says the problem alone.
bool LerBmpBytes(const std::vector<uint8_t>& bytes, ImagemRgb& out, std::string& error);
// The bytes of a 24-bit BMP.
std::vector<uint8_t> BytesBmp(const ImagemRgb& img);
// Writes a 24-bit BMP. Returns false with "PATH: reason" in `error`.
bool EscreverBmp(const std::string& path, const ImagemRgb& img, std::string& error);
// Writes an 8-bit RGB PNG. Returns false with "PATH: reason" in `error`.
bool EscreverPng(const std::string& path, const ImagemRgb& img, std::string& error);

}  // namespace vartenos
