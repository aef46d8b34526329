// Where the 640 x 480 picture goes in a window or screen of a given size. Kept free of any SDL call so
// the tests can check it without a display.
//
// By default the picture is scaled in whole pixels (each picture pixel a k x k block) whenever the
// output holds it twice or more, so the scrolling stars and the sprites stay as sharp as on the
// old display mode, with black bars around; below twice it is the largest fit that keeps its shape.
// VARTENOS_SCALE=integer|fit|stretch chooses one way for every size.
#pragma once

#include <algorithm>
#include <cstring>

#include "display/sprites.h"

namespace vartenos {

enum class ModoEscala { Automatico, Inteiro, Ajuste, Esticar };

struct AreaImagem {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const AreaImagem&) const = default;
};

// The mode named by VARTENOS_SCALE; unset or empty is Automatico. False in `valido` for a name that
// is none of the three (the caller says so and keeps Automatico).
inline ModoEscala LerModoEscala(const char* nome, bool& valido) {
  valido = true;
  if (nome == nullptr || *nome == '\0' || std::strcmp(nome, "auto") == 0) return ModoEscala::Automatico;
  if (std::strcmp(nome, "integer") == 0) return ModoEscala::Inteiro;
  if (std::strcmp(nome, "fit") == 0) return ModoEscala::Ajuste;
  if (std::strcmp(nome, "stretch") == 0) return ModoEscala::Esticar;
  valido = false;
  return ModoEscala::Automatico;
}

// The rectangle, in output pixels, that the 640 x 480 picture fills in an output of `w` x `h`.
constexpr AreaImagem AreaDaImagem(int w, int h, ModoEscala modo) {
  constexpr int kL = kLarguraTela, kA = kAlturaTela;
  if (w <= 0 || h <= 0) return {};
  if (modo == ModoEscala::Esticar) return {0, 0, w, h};
  const int inteiro = std::min(w / kL, h / kA);
  const bool em_blocos =
      modo == ModoEscala::Inteiro ? inteiro >= 1 : (modo == ModoEscala::Automatico && inteiro >= 2);
  if (em_blocos) {
    const int lw = kL * inteiro, lh = kA * inteiro;
    return {(w - lw) / 2, (h - lh) / 2, lw, lh};
  }
  // The largest 4:3 rectangle that fits, centred; the narrow side gets the bars.
  if (static_cast<long long>(w) * kA <= static_cast<long long>(h) * kL) {
    const int lh = static_cast<int>(static_cast<long long>(w) * kA / kL);
    return {0, (h - lh) / 2, w, lh};
  }
  const int lw = static_cast<int>(static_cast<long long>(h) * kL / kA);
  return {(w - lw) / 2, 0, lw, h};
}

}  // namespace vartenos
