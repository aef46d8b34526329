// The fifteen sprite sheets: which source goes into which cell of which sheet, the BMP files the game
// loads, and the contact sheet that shows them all for review.
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "art/art_procedural.h"
#include "art/art_source.h"
#include "art/pixel_font.h"
#include "assets.h"
#include "display/image_files.h"

namespace vartenos::assets {

namespace {

using art::Pixels;

struct Folha {
  std::string arquivo;  // the name the game opens
  bool chave;           // drawn with black as the transparent key
  int cel_w;            // width of one cell (the whole width for single pictures)
  Pixels px;
};

// Loads sprite sources from data/art/ once each.
class Fontes {
 public:
  explicit Fontes(std::string pasta) : pasta_(std::move(pasta)) {}

  bool Iniciar(std::string& error) { return art::LerPaleta(pasta_ + "/paleta.txt", paleta_, error); }

  // The sprite `nome` (data/art/<nome>.txt), which must be `w` x `h`.
  const Pixels* Pegar(const std::string& nome, int w, int h, std::string& error) {
    auto it = cache_.find(nome);
    if (it == cache_.end()) {
      Pixels p;
      const std::string path = pasta_ + "/" + nome + ".txt";
      if (!art::LerSprite(path, paleta_, p, error)) return nullptr;
      if (p.w != w || p.h != h) {
        error = path + ":1: the sprite must be " + std::to_string(w) + " x " + std::to_string(h) + ", not " +
                std::to_string(p.w) + " x " + std::to_string(p.h);
        return nullptr;
      }
      it = cache_.emplace(nome, std::move(p)).first;
    }
    return &it->second;
  }

 private:
  std::string pasta_;
  art::Paleta paleta_;
  std::map<std::string, Pixels> cache_;
};

void Colar(Pixels& dst, const Pixels& src, int x, int y, bool espelhar = false) {
  for (int j = 0; j < src.h; ++j) {
    for (int i = 0; i < src.w; ++i) {
      const uint32_t c = src.Get(espelhar ? src.w - 1 - i : i, j);
      if (c != 0) dst.Set(x + i, y + j, c);
    }
  }
}

// The frame colour of each extra's tile, in the order of the kinds: the four weapons in the colour of
// their shots, then shield, invincibility, main-laser level, speed and extra life.
constexpr uint32_t kCorExtra[9] = {
    art::Rgb(0xE8, 0xD0, 0x30), art::Rgb(0x40, 0xD8, 0x50), art::Rgb(0x38, 0x88, 0xF8),
    art::Rgb(0xA0, 0x80, 0xF0), art::Rgb(0xE8, 0x48, 0xC8), art::Rgb(0xF8, 0xB0, 0x28),
    art::Rgb(0x30, 0xC8, 0xE8), art::Rgb(0x80, 0xE0, 0x40), art::Rgb(0xE8, 0x38, 0x38),
};

bool Montar(const std::string& src, std::vector<Folha>& folhas, std::string& error) {
  Fontes f(src + "/art");
  if (!f.Iniciar(error)) return false;
  auto nova = [&](const char* arquivo, int w, int h, bool chave, int cel_w) -> Pixels& {
    folhas.push_back({arquivo, chave, cel_w, {}});
    folhas.back().px.Create(w, h);
    return folhas.back().px;
  };
  const Pixels* s = nullptr;
#define PEGAR(nome, w, h) \
  if ((s = f.Pegar(nome, w, h, error)) == nullptr) return false
  // A sheet that is one sprite drawn from one source of the same size.
  auto simples = [&](const char* arquivo, const char* fonte, int w, int h, bool chave) {
    const Pixels* p = f.Pegar(fonte, w, h, error);
    if (p == nullptr) return false;
    Colar(nova(arquivo, w, h, chave, w), *p, 0, 0);
    return true;
  };

  // The ship: the engine flame differs per cell and is drawn first, the hull over it.
  Pixels& nave = nova("Nave.BMP", 90, 35, true, 30);
  for (int k = 0; k < 3; ++k) {
    PEGAR("nave_chama" + std::to_string(k), 30, 10);
    Colar(nave, *s, 30 * k, 25);
    PEGAR("nave", 30, 35);
    Colar(nave, *s, 30 * k, 0);
  }
  Pixels& inimigos = nova("Inimigos.BMP", 608, 24, true, 38);
  for (int k = 0; k < 16; ++k) {
    char nome[16];
    std::snprintf(nome, sizeof nome, "inimigo%02d", k);
    PEGAR(nome, 38, 24);
    Colar(inimigos, *s, 38 * k, 0);
  }
  if (!simples("Estrela.BMP", "estrela", 1, 1, false)) return false;
  nova("Título.BMP", 491, 99, true, 491) = art::Titulo(false);
  nova("Título2.BMP", 491, 99, true, 491) = art::Titulo(true);
  nova("Galáxias.BMP", 68, 26, true, 34) = art::Galaxias();
  if (!simples("Tiro_Inimigo.BMP", "tiro_inimigo", 10, 10, true) ||
      !simples("Laser.BMP", "laser", 4, 10, true)) {
    return false;
  }
  // Side shots: cell 0 flies left as drawn, cell 1 is its mirror image flying right.
  Pixels& laser2 = nova("Laser2.BMP", 44, 18, true, 22);
  PEGAR("laser2", 22, 18);
  Colar(laser2, *s, 0, 0);
  Colar(laser2, *s, 22, 0, true);
  if (!simples("Laser3.BMP", "escudo", 16, 16, true)) return false;
  Pixels& extras = nova("Extras.BMP", 144, 16, false, 16);
  for (int k = 0; k < 9; ++k) {
    Colar(extras, art::MolduraExtra(kCorExtra[k]), 16 * k, 0);
    PEGAR("extra" + std::to_string(k), 12, 12);
    Colar(extras, *s, 16 * k + 2, 2);
  }
  if (!simples("Laser4.BMP", "laser4", 6, 12, false) || !simples("Laser5.BMP", "laser5", 30, 10, true)) {
    return false;
  }
  Pixels& laser6 = nova("Laser6.BMP", 24, 15, true, 12);
  PEGAR("laser6a", 12, 15);
  Colar(laser6, *s, 0, 0);
  PEGAR("laser6b", 12, 15);
  Colar(laser6, *s, 12, 0);
  nova("Explosão.BMP", 180, 34, true, 36) = art::Explosao();
#undef PEGAR

  // A keyed sheet must not hold colours that the 16-bit display would turn into the transparent black.
  for (const Folha& fl : folhas) {
    for (uint32_t c : fl.px.px) {
      if (c != 0 && fl.chave && art::R(c) < 8 && art::G(c) < 8 && art::B(c) < 8) {
        error = fl.arquivo + ": a sprite pixel is so dark that it would turn transparent";
        return false;
      }
    }
  }
  return true;
}

ImagemRgb ParaRgb(const Pixels& p) {
  ImagemRgb img;
  img.Create(p.w, p.h);
  for (int y = 0; y < p.h; ++y) {
    for (int x = 0; x < p.w; ++x) {
      const uint32_t c = p.Get(x, y);
      uint8_t* d = img.At(x, y);
      d[0] = static_cast<uint8_t>(art::R(c));
      d[1] = static_cast<uint8_t>(art::G(c));
      d[2] = static_cast<uint8_t>(art::B(c));
    }
  }
  return img;
}

}  // namespace

bool GerarArte(const Pastas& pastas, std::string& error) {
  std::vector<Folha> folhas;
  if (!Montar(pastas.src, folhas, error)) return false;
  for (const Folha& f : folhas) {
    const std::string path = pastas.out + "/" + f.arquivo;
    if (!EscreverBmp(path, ParaRgb(f.px), error)) return false;
  }
  return true;
}

bool EscreverFolhaDeContato(const Pastas& pastas, const std::string& png_path, std::string& error) {
  std::vector<Folha> folhas;
  if (!Montar(pastas.src, folhas, error)) return false;
  constexpr int kZoom = 3, kMargem = 24, kLargura = 1880, kEscalaTexto = 2;
  constexpr uint32_t kFundo = art::Rgb(0x30, 0x30, 0x34);
  constexpr uint32_t kTexto = art::Rgb(0xE8, 0xE8, 0xE8);
  constexpr uint32_t kMarca = art::Rgb(0x90, 0x90, 0x98);
  const int rotulo = art::kAlturaTexto * kEscalaTexto + 6;
  // Shelf layout: sheets left to right, a new row when the next one would not fit.
  struct Lugar {
    int x, y;
  };
  std::vector<Lugar> lugares;
  int x = kMargem, y = kMargem, alt_linha = 0;
  auto legenda = [](const Folha& f) {
    return f.arquivo + " " + std::to_string(f.px.w) + "x" + std::to_string(f.px.h) +
           (f.chave ? "" : " (opaque)");
  };
  for (const Folha& f : folhas) {
    const int w = std::max(f.px.w * kZoom, art::LarguraTexto(legenda(f), kEscalaTexto));
    const int h = rotulo + f.px.h * kZoom + 6;
    if (x + w > kLargura - kMargem && x > kMargem) {
      x = kMargem;
      y += alt_linha + kMargem;
      alt_linha = 0;
    }
    lugares.push_back({x, y});
    x += w + kMargem * 2;
    alt_linha = std::max(alt_linha, h);
  }
  Pixels tela;
  tela.Create(kLargura, y + alt_linha + kMargem);
  for (uint32_t& c : tela.px) c = kFundo;
  for (size_t i = 0; i < folhas.size(); ++i) {
    const Folha& f = folhas[i];
    const int lx = lugares[i].x, ly = lugares[i].y;
    art::EscreverTexto(tela, lx, ly, legenda(f), kTexto, kEscalaTexto);
    const int oy = ly + rotulo;
    for (int yy = 0; yy < f.px.h * kZoom; ++yy) {
      for (int xx = 0; xx < f.px.w * kZoom; ++xx) {
        const uint32_t c = f.px.Get(xx / kZoom, yy / kZoom);
        tela.Set(lx + xx, oy + yy, c == 0 ? art::Rgb(0, 0, 0) : c);
      }
    }
    // Ticks under the picture mark where one cell ends and the next begins.
    for (int cx = 0; cx <= f.px.w; cx += f.cel_w) {
      for (int t = 1; t <= 4; ++t)
        tela.Set(lx + cx * kZoom - (cx == f.px.w ? 1 : 0), oy + f.px.h * kZoom + t, kMarca);
    }
  }
  ImagemRgb img = ParaRgb(tela);
  // ParaRgb maps "transparent" to black; the canvas is fully painted, so nothing is lost.
  return EscreverPng(png_path, img, error);
}

}  // namespace vartenos::assets
