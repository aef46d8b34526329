// The game's icon, from its own artwork: the ship (first cell of Nave.BMP, as just built) over a
// night-blue tile with a few stars. Written as the window icon (Icone.bmp in the data directory,
// black for transparent), as the desktop's icons in the hicolor sizes (PNG with transparency), and as
// the web page's icons for installing it (web/: 192 and 512 pixels, and a 512-pixel one for launchers
// that cut icons to their own shape, the tile square and the ship inside the circle they all keep).
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "assets.h"
#include "display/image_files.h"

namespace vartenos::assets {

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

struct Rgba {
  int n = 0;
  std::vector<uint8_t> px;  // n * n * 4
  uint8_t* At(int x, int y) { return &px[(static_cast<size_t>(y) * n + x) * 4]; }
};

// The tile: rounded corners (transparent; square when `recortavel`), night blue, a few stars at fixed
// places.
Rgba Icone(const ImagemRgb& nave, int n, bool recortavel = false) {
  Rgba img;
  img.n = n;
  img.px.assign(static_cast<size_t>(n) * n * 4, 0);
  const int raio = recortavel ? 0 : std::max(2, n / 6);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const int dx = std::max({raio - x, x - (n - 1 - raio), 0});
      const int dy = std::max({raio - y, y - (n - 1 - raio), 0});
      if (dx * dx + dy * dy > raio * raio) continue;
      uint8_t* p = img.At(x, y);
      p[0] = 0x0C;
      p[1] = 0x12;
      p[2] = 0x30;
      p[3] = 255;
    }
  }
  const double estrelas[][2] = {{0.18, 0.22}, {0.80, 0.15}, {0.72, 0.62},
                                {0.14, 0.70}, {0.45, 0.12}, {0.88, 0.85}};
  for (const auto& e : estrelas) {
    uint8_t* p = img.At(static_cast<int>(e[0] * n), static_cast<int>(e[1] * n));
    p[0] = p[1] = p[2] = 0xE0;
  }
  // The ship, in whole-pixel blocks where the icon is big enough, otherwise sampled to fit.
  const int cw = 30, ch = 35;
  // A launcher's shape keeps at least the middle circle of 80 % of the icon: the ship's corners too.
  const double altura = recortavel ? 0.55 : 0.8;
  const double escala = n >= 48 ? std::max(1, static_cast<int>(n * altura / ch)) : n * 0.85 / ch;
  const int w = std::max(1, static_cast<int>(cw * escala)), h = std::max(1, static_cast<int>(ch * escala));
  const int ox = (n - w) / 2, oy = (n - h) / 2;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int sx = std::min(cw - 1, static_cast<int>(x / escala));
      const int sy = std::min(ch - 1, static_cast<int>(y / escala));
      if (sx >= nave.width || sy >= nave.height) continue;
      const uint8_t* c = nave.At(sx, sy);
      if (c[0] < 8 && c[1] < 8 && c[2] < 8) continue;  // the sheet's transparent black
      uint8_t* p = img.At(ox + x, oy + y);
      p[0] = c[0];
      p[1] = c[1];
      p[2] = c[2];
      p[3] = 255;
    }
  }
  return img;
}

void Be32(std::vector<uint8_t>& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<uint8_t>(x >> s));
}

void Bloco(std::vector<uint8_t>& arq, const char* tipo, const std::vector<uint8_t>& dados) {
  Be32(arq, static_cast<uint32_t>(dados.size()));
  std::vector<uint8_t> corpo(tipo, tipo + 4);
  corpo.insert(corpo.end(), dados.begin(), dados.end());
  arq.insert(arq.end(), corpo.begin(), corpo.end());
  Be32(arq, static_cast<uint32_t>(crc32(0, corpo.data(), static_cast<uInt>(corpo.size()))));
}

bool EscreverPngRgba(const std::string& path, Rgba& img, std::string& error) {
  std::vector<uint8_t> cru;
  for (int y = 0; y < img.n; ++y) {
    cru.push_back(0);  // no filter
    cru.insert(cru.end(), img.At(0, y), img.At(0, y) + img.n * 4);
  }
  uLongf tam = compressBound(static_cast<uLong>(cru.size()));
  std::vector<uint8_t> z(tam);
  if (compress2(z.data(), &tam, cru.data(), static_cast<uLong>(cru.size()), 9) != Z_OK) {
    error = path + ": cannot compress the picture";
    return false;
  }
  z.resize(tam);
  std::vector<uint8_t> arq = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  Be32(ihdr, static_cast<uint32_t>(img.n));
  Be32(ihdr, static_cast<uint32_t>(img.n));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA
  Bloco(arq, "IHDR", ihdr);
  Bloco(arq, "IDAT", z);
  Bloco(arq, "IEND", {});
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || std::fwrite(arq.data(), 1, arq.size(), f) != arq.size()) {
    if (f != nullptr) std::fclose(f);
    error = path + ": cannot be written";
    return false;
  }
  if (std::fclose(f) != 0) {
    error = path + ": cannot be written";
    return false;
  }
  return true;
}

}  // namespace

bool GerarIcones(const Pastas& pastas, const std::string& pasta_icones, std::string& error) {
  ImagemRgb nave;
  if (!LerBmp(pastas.out + "/Nave.BMP", nave, error)) return false;
  // The window icon: 64 x 64, black where the tile is transparent.
  Rgba janela = Icone(nave, 64);
  ImagemRgb bmp;
  bmp.Create(64, 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const uint8_t* p = janela.At(x, y);
      uint8_t* q = bmp.At(x, y);
      const bool opaco = p[3] != 0 && (p[0] | p[1] | p[2]) != 0;
      q[0] = opaco ? p[0] : 0;
      q[1] = opaco ? p[1] : 0;
      q[2] = opaco ? p[2] : 0;
    }
  }
  if (!EscreverBmp(pastas.out + "/Icone.bmp", bmp, error)) return false;
  if (pasta_icones.empty()) return true;
  for (int n : kSizes) {
    const std::string pasta =
        pasta_icones + "/hicolor/" + std::to_string(n) + "x" + std::to_string(n) + "/apps";
    std::error_code ec;
    std::filesystem::create_directories(pasta, ec);
    if (ec) {
      error = pasta + ": cannot create the folder: " + ec.message();
      return false;
    }
    Rgba img = Icone(nave, n);
    if (!EscreverPngRgba(pasta + "/vartenos.png", img, error)) return false;
  }
  const std::string web = pasta_icones + "/web";
  std::error_code ec;
  std::filesystem::create_directories(web, ec);
  if (ec) {
    error = web + ": cannot create the folder: " + ec.message();
    return false;
  }
  for (const auto& [n, recortavel, nome] :
       {std::tuple{192, false, "vartenos-192.png"}, std::tuple{512, false, "vartenos-512.png"},
        std::tuple{512, true, "vartenos-recortavel-512.png"}}) {
    Rgba img = Icone(nave, n, recortavel);
    if (!EscreverPngRgba(web + "/" + nome, img, error)) return false;
  }
  return true;
}

}  // namespace vartenos::assets
