// The contact sheet's label font: every glyph is 3 columns by 5 rows, written as five 3-bit rows.
#include "art/pixel_font.h"

#include <cstdint>

namespace vartenos::art {

namespace {

struct Glifo {
  char c;
  uint8_t linhas[5];  // bit 2 is the left column
};

constexpr Glifo kGlifos[] = {
    {'A', {2, 5, 7, 5, 5}}, {'B', {6, 5, 6, 5, 6}}, {'C', {3, 4, 4, 4, 3}}, {'D', {6, 5, 5, 5, 6}},
    {'E', {7, 4, 6, 4, 7}}, {'F', {7, 4, 6, 4, 4}}, {'G', {3, 4, 5, 5, 3}}, {'H', {5, 5, 7, 5, 5}},
    {'I', {7, 2, 2, 2, 7}}, {'J', {1, 1, 1, 5, 2}}, {'K', {5, 5, 6, 5, 5}}, {'L', {4, 4, 4, 4, 7}},
    {'M', {5, 7, 7, 5, 5}}, {'N', {6, 5, 5, 5, 5}}, {'O', {2, 5, 5, 5, 2}}, {'P', {6, 5, 6, 4, 4}},
    {'Q', {2, 5, 5, 6, 3}}, {'R', {6, 5, 6, 5, 5}}, {'S', {3, 4, 2, 1, 6}}, {'T', {7, 2, 2, 2, 2}},
    {'U', {5, 5, 5, 5, 7}}, {'V', {5, 5, 5, 5, 2}}, {'W', {5, 5, 7, 7, 5}}, {'X', {5, 5, 2, 5, 5}},
    {'Y', {5, 5, 2, 2, 2}}, {'Z', {7, 1, 2, 4, 7}}, {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}},
    {'2', {6, 1, 2, 4, 7}}, {'3', {6, 1, 2, 1, 6}}, {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 6, 1, 6}},
    {'6', {3, 4, 7, 5, 7}}, {'7', {7, 1, 1, 2, 2}}, {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 6}},
    {'.', {0, 0, 0, 0, 2}}, {'_', {0, 0, 0, 0, 7}}, {'-', {0, 0, 7, 0, 0}}, {'x', {0, 5, 2, 5, 0}},
    {':', {0, 2, 0, 2, 0}}, {'(', {1, 2, 2, 2, 1}}, {')', {4, 2, 2, 2, 4}}, {'/', {1, 1, 2, 4, 4}},
    {' ', {0, 0, 0, 0, 0}},
};

enum Acento { kNenhum, kAgudo, kGrave, kCircunflexo, kTil, kCedilha };

// Decodes one character of UTF-8 into a base letter and an accent.
size_t Decodificar(const std::string& s, size_t i, char& base, Acento& acento) {
  acento = kNenhum;
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    base = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : static_cast<char>(c);
    return 1;
  }
  if (c == 0xC3 && i + 1 < s.size()) {
    const auto d = static_cast<unsigned char>(s[i + 1]) & 0x1F;  // same for capitals and small letters
    static const char kBase[32] = {'A', 'A', 'A', 'A', 'A', 'A', 'A', 'C', 'E', 'E', 'E',
                                   'E', 'I', 'I', 'I', 'I', 'D', 'N', 'O', 'O', 'O', 'O',
                                   'O', 'x', 'O', 'U', 'U', 'U', 'U', 'Y', '?', '?'};
    static const Acento kAc[32] = {
        kGrave,  kAgudo, kCircunflexo, kTil,         kNenhum,      kNenhum, kNenhum,      kCedilha,
        kGrave,  kAgudo, kCircunflexo, kNenhum,      kGrave,       kAgudo,  kCircunflexo, kNenhum,
        kNenhum, kTil,   kGrave,       kAgudo,       kCircunflexo, kTil,    kNenhum,      kNenhum,
        kNenhum, kGrave, kAgudo,       kCircunflexo, kNenhum,      kAgudo,  kNenhum,      kNenhum};
    base = kBase[d];
    acento = kAc[d];
    return 2;
  }
  base = '?';
  size_t n = 1;
  while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) ++n;
  return n;
}

const Glifo* Achar(char c) {
  for (const Glifo& g : kGlifos) {
    if (g.c == c) return &g;
  }
  return nullptr;
}

void Quadrado(Pixels& p, int x, int y, int e, uint32_t cor) {
  for (int j = 0; j < e; ++j) {
    for (int i = 0; i < e; ++i) p.Set(x + i, y + j, cor);
  }
}

}  // namespace

int LarguraTexto(const std::string& texto, int escala) {
  int n = 0;
  char base;
  Acento ac;
  for (size_t i = 0; i < texto.size(); i += Decodificar(texto, i, base, ac)) ++n;
  return n == 0 ? 0 : (n * 4 - 1) * escala;
}

int EscreverTexto(Pixels& p, int x, int y, const std::string& texto, uint32_t cor, int escala) {
  int cx = x;
  size_t i = 0;
  while (i < texto.size()) {
    char base;
    Acento ac;
    i += Decodificar(texto, i, base, ac);
    const Glifo* g = Achar(base);
    if (g == nullptr) g = Achar('_');
    for (int row = 0; row < 5; ++row) {
      for (int col = 0; col < 3; ++col) {
        if (g->linhas[row] & (4 >> col)) Quadrado(p, cx + col * escala, y + (row + 2) * escala, escala, cor);
      }
    }
    switch (ac) {
      case kAgudo:
        Quadrado(p, cx + 2 * escala, y, escala, cor);
        Quadrado(p, cx + 1 * escala, y + escala, escala, cor);
        break;
      case kGrave:
        Quadrado(p, cx, y, escala, cor);
        Quadrado(p, cx + 1 * escala, y + escala, escala, cor);
        break;
      case kCircunflexo:
        Quadrado(p, cx + 1 * escala, y, escala, cor);
        Quadrado(p, cx, y + escala, escala, cor);
        Quadrado(p, cx + 2 * escala, y + escala, escala, cor);
        break;
      case kTil:
        Quadrado(p, cx + 1 * escala, y, escala, cor);
        Quadrado(p, cx + 2 * escala, y, escala, cor);
        Quadrado(p, cx, y + escala, escala, cor);
        break;
      case kCedilha:
        Quadrado(p, cx + 1 * escala, y + 7 * escala, escala, cor);
        break;
      case kNenhum:
        break;
    }
    cx += 4 * escala;
  }
  return cx - x;
}

}  // namespace vartenos::art
