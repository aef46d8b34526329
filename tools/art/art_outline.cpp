// First outline of the sprite sheets: the right sizes and cell layouts, each cell a plain disc.
#include <cmath>
#include <cstdint>

#include "assets.h"
#include "display/image_files.h"

namespace vartenos::assets {

namespace {

struct Folha {
  const char* arquivo;
  int w, h, cell_w;
  uint8_t r, g, b;
};

constexpr Folha kFolhas[] = {
    {"Nave.BMP", 90, 35, 30, 120, 180, 255},       {"Inimigos.BMP", 608, 24, 38, 255, 80, 60},
    {"Estrela.BMP", 1, 1, 1, 220, 220, 220},       {"Título.BMP", 491, 99, 491, 200, 200, 255},
    {"Título2.BMP", 491, 99, 491, 255, 200, 120},  {"Galáxias.BMP", 68, 26, 34, 60, 50, 90},
    {"Tiro_Inimigo.BMP", 10, 10, 10, 255, 90, 40}, {"Laser.BMP", 4, 10, 4, 255, 60, 60},
    {"Laser2.BMP", 44, 18, 22, 80, 255, 80},       {"Laser3.BMP", 16, 16, 16, 80, 160, 255},
    {"Extras.BMP", 144, 16, 16, 255, 220, 60},     {"Laser4.BMP", 6, 12, 6, 255, 255, 120},
    {"Laser5.BMP", 30, 10, 30, 120, 255, 255},     {"Laser6.BMP", 24, 15, 12, 255, 120, 255},
    {"Explosão.BMP", 180, 34, 36, 255, 180, 60},
};

}  // namespace

bool GerarArte(const Pastas& pastas, std::string& error) {
  for (const Folha& f : kFolhas) {
    ImagemRgb img;
    img.Create(f.w, f.h);
    for (int y = 0; y < f.h; ++y) {
      for (int x = 0; x < f.w; ++x) {
        const double cx = (x % f.cell_w) + 0.5 - f.cell_w / 2.0;
        const double cy = y + 0.5 - f.h / 2.0;
        if (std::hypot(cx / f.cell_w, cy / f.h) <= 0.5) {
          uint8_t* p = img.At(x, y);
          p[0] = f.r;
          p[1] = f.g;
          p[2] = f.b;
        }
      }
    }
    if (!EscreverBmp(pastas.out + "/" + f.arquivo, img, error)) {
      error = pastas.out + "/" + f.arquivo + ": " + error;
      return false;
    }
  }
  return true;
}

bool EscreverFolhaDeContato(const Pastas&, const std::string& png_path, std::string& error) {
  error = png_path + ": the contact sheet is not made yet";
  return false;
}

}  // namespace vartenos::assets
