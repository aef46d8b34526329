// Rule-drawn artwork. Every picture here is quantised to a few fixed colour ramps, so it stays crisp pixel
// art like the hand-drawn sprites, and is computed from fixed inputs with no randomness at all, so every
// build writes the same bytes.
#include "art/art_procedural.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vartenos::art {

namespace {

constexpr double kPi = 3.14159265358979323846;

uint32_t Mix(uint32_t a, uint32_t b, int pct) {
  auto m = [&](int x, int y) { return x + (y - x) * pct / 100; };
  return Rgb(m(R(a), R(b)), m(G(a), G(b)), m(B(a), B(b)));
}

// Picks the ramp entry for an intensity; below the first step the pixel stays transparent.
uint32_t Rampa(double v, const double* limites, const uint32_t* cores, int n) {
  uint32_t c = 0;
  for (int i = 0; i < n; ++i) {
    if (v >= limites[i]) c = cores[i];
  }
  return c;
}

// ---------------------------------------------------------------------------------------------------
// Explosion

struct Bolha {
  double x, y, r, pico;
};

double CampoBolhas(const Bolha* b, int n, double x, double y, double ondulacao, int lobos) {
  double v = 0;
  for (int i = 0; i < n; ++i) {
    const double dx = x - b[i].x, dy = y - b[i].y;
    const double d = std::sqrt(dx * dx + dy * dy);
    const double ang = std::atan2(dy, dx);
    const double r = b[i].r * (1.0 + ondulacao * std::cos(lobos * ang + i * 1.7) +
                               0.5 * ondulacao * std::cos((lobos + 2) * ang + 0.6 + i));
    if (d < r) v = std::max(v, b[i].pico * (1.0 - (d / r) * (d / r)));
  }
  return v;
}

const double kFogoLim[] = {0.06, 0.16, 0.30, 0.46, 0.64, 0.82};
const uint32_t kFogo[] = {Rgb(0x8A, 0x18, 0x10), Rgb(0xC8, 0x34, 0x10), Rgb(0xF0, 0x6C, 0x14),
                          Rgb(0xFF, 0xA8, 0x28), Rgb(0xFF, 0xE0, 0x70), Rgb(0xFF, 0xFF, 0xF0)};
const double kFumacaLim[] = {0.05, 0.22, 0.45};
const uint32_t kFumaca[] = {Rgb(0x3A, 0x30, 0x32), Rgb(0x5A, 0x4C, 0x48), Rgb(0x84, 0x70, 0x62)};

void CelulaExplosao(Pixels& p, int celula) {
  const int ox = celula * 36;
  const double cx = 17.5, cy = 16.5;
  // Each cell: the fire blobs, how lumpy their rim is, the smoke blobs and how hot the whole is.
  Bolha fogo[6];
  Bolha fumaca[6];
  int nf = 0, nm = 0;
  double calor = 1.0, ondulacao = 0.1;
  switch (celula) {
    case 0:
      fogo[nf++] = {cx, cy, 8.5, 1.25};
      calor = 1.2;
      ondulacao = 0.05;
      break;
    case 1:
      fogo[nf++] = {cx, cy, 12.5, 1.15};
      fogo[nf++] = {cx - 6, cy - 5, 6.5, 0.8};
      fogo[nf++] = {cx + 6, cy + 4, 6.0, 0.75};
      ondulacao = 0.12;
      break;
    case 2:
      fogo[nf++] = {cx, cy, 15.0, 0.95};
      fogo[nf++] = {cx - 8, cy - 6, 7.5, 0.7};
      fogo[nf++] = {cx + 8, cy + 6, 7.0, 0.65};
      fogo[nf++] = {cx + 7, cy - 8, 6.0, 0.6};
      fumaca[nm++] = {cx, cy, 16.5, 0.6};
      calor = 0.85;
      ondulacao = 0.14;
      break;
    case 3:
      fogo[nf++] = {cx - 7, cy - 5, 7.0, 0.62};
      fogo[nf++] = {cx + 7, cy - 4, 6.5, 0.55};
      fogo[nf++] = {cx + 2, cy + 8, 7.0, 0.58};
      fogo[nf++] = {cx - 6, cy + 6, 5.0, 0.45};
      fumaca[nm++] = {cx, cy, 16.5, 0.8};
      fumaca[nm++] = {cx - 9, cy - 8, 8.0, 0.7};
      fumaca[nm++] = {cx + 9, cy + 7, 8.0, 0.7};
      calor = 0.7;
      ondulacao = 0.16;
      break;
    default:
      fogo[nf++] = {cx - 4, cy - 2, 3.0, 0.40};
      fogo[nf++] = {cx + 6, cy + 5, 2.5, 0.35};
      fumaca[nm++] = {cx - 5, cy - 5, 9.0, 0.55};
      fumaca[nm++] = {cx + 7, cy - 3, 8.0, 0.5};
      fumaca[nm++] = {cx + 1, cy + 7, 9.0, 0.5};
      fumaca[nm++] = {cx - 8, cy + 6, 6.0, 0.4};
      calor = 0.6;
      ondulacao = 0.18;
      break;
  }
  for (int y = 0; y < 34; ++y) {
    for (int x = 0; x < 36; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      // Everything fades out before the rim of a circle that fits the cell, so no puff is cut flat by
      // the cell's edge.
      const double raio_centro = std::sqrt((px - cx) * (px - cx) + (py - cy) * (py - cy));
      const double borda = std::clamp((16.4 - raio_centro) / 4.0, 0.0, 1.0);
      uint32_t c = 0;
      if (nm > 0) {
        double s = CampoBolhas(fumaca, nm, px, py, ondulacao, 5) * borda;
        // The last cell thins out: a checker pattern on the outer smoke lets the stars show through.
        if (celula == 4 && s < 0.22 && ((x + y) & 1) != 0) s = 0;
        c = Rampa(s, kFumacaLim, kFumaca, 3);
      }
      double f = CampoBolhas(fogo, nf, px, py, ondulacao, 6) * calor * borda;
      if (celula == 0) {
        // The first instant: a star of light rays around the white core.
        const double dx = px - cx, dy = py - cy;
        const double d = std::sqrt(dx * dx + dy * dy);
        const bool eixo = std::fabs(dx) < 0.6 || std::fabs(dy) < 0.6;
        const bool diagonal = std::fabs(std::fabs(dx) - std::fabs(dy)) < 0.6;
        if (eixo && d < 16) f = std::max(f, 0.95 * (1.0 - d / 16.5));
        if (diagonal && d < 10) f = std::max(f, 0.8 * (1.0 - d / 10.5));
      }
      const uint32_t cf = Rampa(f, kFogoLim, kFogo, 6);
      if (cf != 0) c = cf;
      if (c != 0) p.Set(ox + x, y, c);
    }
  }
  // Sparks flung outwards: fixed points on a ring that grows from cell to cell.
  if (celula >= 1 && celula <= 3) {
    static const double kAngulos[] = {0.3, 1.2, 2.0, 2.9, 3.7, 4.5, 5.4};
    const double raio = 11.0 + 2.5 * celula;
    for (int i = 0; i < 7; ++i) {
      if ((i + celula) % 3 == 0) continue;
      const int sx = static_cast<int>(std::floor(cx + std::cos(kAngulos[i]) * raio));
      const int sy = static_cast<int>(std::floor(cy + std::sin(kAngulos[i]) * raio));
      if (sx < 1 || sy < 1 || sx > 34 || sy > 32) continue;
      p.Set(ox + sx, sy, celula == 3 ? kFogo[2] : kFogo[4]);
      if (celula < 3) p.Set(ox + sx, sy + 1, kFogo[2]);
    }
  }
}

// ---------------------------------------------------------------------------------------------------
// Galaxies

void Galaxia(Pixels& p, int celula) {
  const int ox = celula * 34;
  const double cx = 16.5, cy = 12.5;
  for (int y = 0; y < 26; ++y) {
    for (int x = 0; x < 34; ++x) {
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      uint32_t c = 0;
      if (celula == 0) {
        // Spiral: two logarithmic arms on a disc tilted away from the viewer.
        const double inc = -0.45;
        const double u = dx * std::cos(inc) - dy * std::sin(inc);
        const double v = (dx * std::sin(inc) + dy * std::cos(inc)) / 0.55;
        const double r = std::sqrt(u * u + v * v);
        const double ang = std::atan2(v, u);
        double braco = 0;
        for (int k = 0; k < 2; ++k) {
          const double alvo = std::log(r + 1.0) * 2.6 + k * kPi;
          double d = std::fmod(ang - alvo, 2 * kPi);
          if (d < -kPi) d += 2 * kPi;
          if (d > kPi) d -= 2 * kPi;
          braco = std::max(braco, std::exp(-d * d / 0.35));
        }
        const double queda = std::exp(-r / 7.5);
        const double nucleo = std::exp(-r * r / 5.0);
        const double val = r > 15.5 ? 0 : braco * queda * 1.1 + nucleo * 1.2;
        static const double lim[] = {0.10, 0.26, 0.52, 0.95};
        static const uint32_t cor[] = {Rgb(0x24, 0x1C, 0x44), Rgb(0x3C, 0x32, 0x6E), Rgb(0x6C, 0x62, 0xA8),
                                       Rgb(0xC8, 0xC4, 0xEE)};
        c = Rampa(val, lim, cor, 4);
      } else {
        // Elliptical: a smooth, warm oval that fades to nothing.
        const double ang = 0.5;
        const double u = dx * std::cos(ang) + dy * std::sin(ang);
        const double v = -dx * std::sin(ang) + dy * std::cos(ang);
        const double r2 = (u * u) / (10.5 * 10.5) + (v * v) / (5.8 * 5.8);
        const double val = std::exp(-r2 * 2.2) * 1.15;
        static const double lim[] = {0.09, 0.26, 0.55, 0.95};
        static const uint32_t cor[] = {Rgb(0x2E, 0x22, 0x26), Rgb(0x52, 0x40, 0x3C), Rgb(0x8E, 0x74, 0x5C),
                                       Rgb(0xDC, 0xC8, 0xA0)};
        c = Rampa(val, lim, cor, 4);
      }
      if (c != 0) p.Set(ox + x, y, c);
    }
  }
}

// ---------------------------------------------------------------------------------------------------
// Title lettering. Each letter is a 6 x 9 grid of blocks; '#' is a full block, '.' empty, and the digits
// cut a block along a diagonal keeping the corner they name on a numeric keypad (7 top-left, 9 top-right,
// 1 bottom-left, 3 bottom-right), which gives the letters their chamfered arcade look.

struct Letra {
  char c;
  const char* linhas[9];
};

constexpr Letra kLetras[] = {
    {'V', {"##..##", "##..##", "##..##", "##..##", "##..##", "##..##", "9#13#7", ".9##7.", "..97.."}},
    {'A', {"3####1", "##..##", "##..##", "##..##", "######", "######", "##..##", "##..##", "##..##"}},
    {'R', {"#####1", "##..##", "##..##", "##..##", "#####7", "####1.", "##.9#1", "##..9#", "##..##"}},
    {'T', {"######", "######", "..##..", "..##..", "..##..", "..##..", "..##..", "..##..", "..##.."}},
    {'E', {"3#####", "##....", "##....", "##....", "#####.", "##....", "##....", "##....", "9#####"}},
    {'N', {"##..##", "##..##", "##1.##", "###1##", "##9###", "##.9##", "##..##", "##..##", "##..##"}},
    {'O', {"3####1", "##..##", "##..##", "##..##", "##..##", "##..##", "##..##", "##..##", "9####7"}},
    {'S', {"3#####", "##....", "##....", "##....", "9####1", "....##", "....##", "....##", "#####7"}},
};

constexpr int kBloco = 8;
constexpr int kLetraL = 6 * kBloco;
constexpr int kLetraA = 9 * kBloco;
constexpr int kEspaco = 7;
constexpr double kInclinacao = 0.22;  // italic slant, pixels right per pixel up

bool BlocoCheio(char b, int sx, int sy) {
  // sx, sy: position inside the block, 0 .. kBloco-1.
  const int n = kBloco - 1;
  switch (b) {
    case '#':
      return true;
    case '7':
      return sx + sy <= n;
    case '9':
      return sy <= sx;
    case '1':
      return sx <= sy;
    case '3':
      return sx + sy >= n;
    default:
      return false;
  }
}

const Letra* AcharLetra(char c) {
  for (const Letra& l : kLetras) {
    if (l.c == c) return &l;
  }
  return nullptr;
}

// The lettering as a mask: 1 inside the letters, slanted.
std::vector<uint8_t> MascaraLogo(const char* texto, int w, int h, int x0, int y0) {
  std::vector<uint8_t> m(static_cast<size_t>(w) * h, 0);
  const int n = static_cast<int>(std::strlen(texto));
  for (int i = 0; i < n; ++i) {
    const Letra* l = AcharLetra(texto[i]);
    if (l == nullptr) continue;
    const int lx = x0 + i * (kLetraL + kEspaco);
    for (int y = 0; y < kLetraA; ++y) {
      const int desvio = static_cast<int>(std::floor((kLetraA - 1 - y) * kInclinacao));
      for (int x = 0; x < kLetraL; ++x) {
        const char b = l->linhas[y / kBloco][x / kBloco];
        if (!BlocoCheio(b, x % kBloco, y % kBloco)) continue;
        const int px = lx + x + desvio, py = y0 + y;
        if (px >= 0 && py >= 0 && px < w && py < h) m[static_cast<size_t>(py) * w + px] = 1;
      }
    }
  }
  return m;
}

std::vector<uint8_t> Dilatar(const std::vector<uint8_t>& m, int w, int h, int raio) {
  std::vector<uint8_t> out(m.size(), 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      bool achou = false;
      for (int dy = -raio; dy <= raio && !achou; ++dy) {
        for (int dx = -raio; dx <= raio && !achou; ++dx) {
          if (dx * dx + dy * dy > raio * raio + raio) continue;
          const int xx = x + dx, yy = y + dy;
          if (xx >= 0 && yy >= 0 && xx < w && yy < h && m[static_cast<size_t>(yy) * w + xx]) achou = true;
        }
      }
      out[static_cast<size_t>(y) * w + x] = achou ? 1 : 0;
    }
  }
  return out;
}

void Brilho(Pixels& p, int x, int y, int tam, uint32_t cor, uint32_t centro) {
  for (int d = -tam; d <= tam; ++d) {
    const uint32_t c = (d == 0) ? centro : (std::abs(d) <= tam / 2 ? cor : Mix(cor, Rgb(40, 60, 120), 45));
    p.Set(x + d, y, c);
    p.Set(x, y + d, c);
  }
  p.Set(x - 1, y - 1, Mix(cor, Rgb(40, 60, 120), 45));
  p.Set(x + 1, y - 1, Mix(cor, Rgb(40, 60, 120), 45));
  p.Set(x - 1, y + 1, Mix(cor, Rgb(40, 60, 120), 45));
  p.Set(x + 1, y + 1, Mix(cor, Rgb(40, 60, 120), 45));
}

}  // namespace

Pixels Explosao() {
  Pixels p;
  p.Create(180, 34);
  for (int c = 0; c < 5; ++c) CelulaExplosao(p, c);
  return p;
}

Pixels Galaxias() {
  Pixels p;
  p.Create(68, 26);
  Galaxia(p, 0);
  Galaxia(p, 1);
  return p;
}

Pixels Titulo(bool creditos) {
  constexpr int w = 491, h = 99;
  Pixels p;
  p.Create(w, h);
  const int largura = 8 * kLetraL + 7 * kEspaco + static_cast<int>(kLetraA * kInclinacao);
  const int x0 = (w - largura) / 2 - 2;
  const int y0 = (h - kLetraA) / 2 - 2;
  const std::vector<uint8_t> letras = MascaraLogo("VARTENOS", w, h, x0, y0);
  auto em = [&](const std::vector<uint8_t>& m, int x, int y) {
    return x >= 0 && y >= 0 && x < w && y < h && m[static_cast<size_t>(y) * w + x] != 0;
  };
  const std::vector<uint8_t> contorno = Dilatar(letras, w, h, 2);
  const std::vector<uint8_t> halo = Dilatar(letras, w, h, 4);
  const std::vector<uint8_t> aura = Dilatar(letras, w, h, 3);
  const std::vector<uint8_t> borda = Dilatar(letras, w, h, 1);

  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t c = 0;
      const double t = (y - y0) / static_cast<double>(kLetraA - 1);  // 0 at the letters' top, 1 at their foot
      if (!creditos) {
        // Menu: chrome. A drop shadow down-right, a blue rim, then the letters: sky-bright metal above a
        // dark horizon line and a warm sunset reflection below.
        if (em(contorno, x - 4, y - 4)) c = Rgb(0x28, 0x12, 0x40);
        if (em(halo, x, y)) c = Rgb(0x1E, 0x3C, 0x9C);
        if (em(contorno, x, y)) c = Rgb(0x10, 0x18, 0x48);
        if (em(letras, x, y)) {
          static const double lim[] = {-1, 0.16, 0.34, 0.48, 0.52, 0.60, 0.74, 0.88};
          static const uint32_t cor[] = {Rgb(0xFF, 0xFF, 0xFF), Rgb(0xD8, 0xEC, 0xFF), Rgb(0xA8, 0xCC, 0xF4),
                                         Rgb(0x70, 0x9C, 0xDC), Rgb(0x2A, 0x2C, 0x6C), Rgb(0xFF, 0xE0, 0x80),
                                         Rgb(0xFF, 0xA8, 0x38), Rgb(0xD8, 0x60, 0x20)};
          c = Rampa(t, lim, cor, 8);
          // Bevel: edges facing the top-left light catch a white glint, the others fall into shadow.
          const bool luz = !em(letras, x - 1, y) || !em(letras, x, y - 1) || !em(letras, x - 1, y - 1);
          const bool sombra = !em(letras, x + 1, y) || !em(letras, x, y + 1) || !em(letras, x + 1, y + 1);
          if (luz && !sombra) c = Mix(c, Rgb(255, 255, 255), 65);
          if (sombra && !luz) c = Mix(c, Rgb(0x18, 0x10, 0x40), 45);
        }
      } else {
        // Credits: molten metal. The letters glow from white-hot at the top to deep red at the foot,
        // inside a dark rim and a soft two-step orange aura.
        if (em(halo, x, y)) c = Rgb(0x3A, 0x0C, 0x10);
        if (em(aura, x, y)) c = Rgb(0x78, 0x20, 0x0C);
        if (em(contorno, x, y)) c = Rgb(0xE0, 0x64, 0x18);
        if (em(borda, x, y)) c = Rgb(0x48, 0x0C, 0x0C);
        if (em(letras, x, y)) {
          static const double lim[] = {-1, 0.14, 0.30, 0.50, 0.70, 0.86};
          static const uint32_t cor[] = {Rgb(0xFF, 0xFF, 0xE8), Rgb(0xFF, 0xF0, 0x90), Rgb(0xFF, 0xC8, 0x40),
                                         Rgb(0xFF, 0x90, 0x20), Rgb(0xE8, 0x50, 0x10), Rgb(0xB0, 0x24, 0x10)};
          c = Rampa(t, lim, cor, 6);
          const bool luz = !em(letras, x - 1, y) || !em(letras, x, y - 1);
          const bool sombra = !em(letras, x + 1, y) || !em(letras, x, y + 1);
          if (luz && !sombra) c = Mix(c, Rgb(255, 255, 255), 55);
          if (sombra && !luz) c = Mix(c, Rgb(0x60, 0x08, 0x08), 45);
        }
      }
      if (c != 0) p.Set(x, y, c);
    }
  }
  if (!creditos) {
    // Two glints on the chrome.
    Brilho(p, x0 + 2 + static_cast<int>(kLetraA * kInclinacao) - 2, y0 + 2, 6, Rgb(0xC8, 0xE4, 0xFF),
           Rgb(255, 255, 255));
    Brilho(p, x0 + 6 * (kLetraL + kEspaco) + kLetraL + 6, y0 + 40, 5, Rgb(0xFF, 0xE8, 0xB0),
           Rgb(255, 255, 255));
  }
  return p;
}

Pixels MolduraExtra(uint32_t cor) {
  Pixels p;
  p.Create(16, 16);
  const uint32_t claro = Mix(cor, Rgb(255, 255, 255), 45);
  const uint32_t escuro = Mix(cor, Rgb(0x10, 0x10, 0x20), 45);
  const uint32_t fundo = Mix(Rgb(0x14, 0x18, 0x30), cor, 12);
  const uint32_t fundo_claro = Mix(Rgb(0x14, 0x18, 0x30), cor, 30);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool canto = (x == 0 || x == 15) && (y == 0 || y == 15);
      if (canto) continue;  // left black: the tile reads as a rounded capsule on the black sky
      uint32_t c = fundo;
      if (x == 0 || y == 0) {
        c = claro;
      } else if (x == 15 || y == 15) {
        c = escuro;
      } else if (x == 1 || y == 1) {
        c = fundo_claro;
      }
      p.Set(x, y, c);
    }
  }
  p.Set(0, 14, cor);
  p.Set(14, 0, cor);
  return p;
}

}  // namespace vartenos::art
