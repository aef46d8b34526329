// The readable sources of the artwork: a shared palette of named colours and one text file per sprite,
// a pixel grid with a legend that says which character stands for which colour.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vartenos::art {

// A picture with transparency: 0 is a transparent pixel, anything else 0xFFRRGGBB.
struct Pixels {
  int w = 0;
  int h = 0;
  std::vector<uint32_t> px;

  void Create(int width, int height) {
    w = width;
    h = height;
    px.assign(static_cast<size_t>(width) * height, 0u);
  }
  uint32_t Get(int x, int y) const {
    return (x < 0 || y < 0 || x >= w || y >= h) ? 0u : px[static_cast<size_t>(y) * w + x];
  }
  void Set(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < w && y < h) px[static_cast<size_t>(y) * w + x] = c;
  }
};

constexpr uint32_t Rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<uint32_t>(r & 255) << 16) | (static_cast<uint32_t>(g & 255) << 8) |
         static_cast<uint32_t>(b & 255);
}
constexpr int R(uint32_t c) { return static_cast<int>((c >> 16) & 255); }
constexpr int G(uint32_t c) { return static_cast<int>((c >> 8) & 255); }
constexpr int B(uint32_t c) { return static_cast<int>(c & 255); }

// Named colours shared by every sprite (data/art/paleta.txt), so the whole game keeps one palette.
using Paleta = std::map<std::string, uint32_t>;

// Reads "name = #RRGGBB" lines. Errors name the file and line.
bool LerPaleta(const std::string& path, Paleta& out, std::string& error);
// Same, from text already in memory; `nome` is the file name used in messages.
bool LerPaletaTexto(const std::string& nome, const std::string& texto, Paleta& out, std::string& error);

// Reads one sprite source:
//   size: W H            the picture's size
//   mirror: yes          (optional) rows hold the left half, the right half is its mirror image
//   light: top-left      (optional) edges facing the light are brightened, the others darkened
//   legend: . = transparent, a = #RRGGBB, b = palette-name, ...   (may repeat)
//   rows:                then exactly H rows of characters
// Blank lines and lines starting with '#' are ignored before "rows:".
bool LerSprite(const std::string& path, const Paleta& paleta, Pixels& out, std::string& error);
bool LerSpriteTexto(const std::string& nome, const std::string& texto, const Paleta& paleta, Pixels& out,
                    std::string& error);

// Brightens the edges of a sprite that face the top-left light and darkens those facing away.
void IluminarCantoSuperiorEsquerdo(Pixels& p);

bool LerTexto(const std::string& path, std::string& out, std::string& error);

}  // namespace vartenos::art
