// What every piece of the computer pilot shares: the keys it presses, the sizes of the sprites it sees,
// the boxes it keeps apart, and what it knows of its own ship when it decides. Nothing here reads the
// game's state: a player learns all of it by playing.
#pragma once

#include <array>
#include <cstdint>

#include "display/sprites.h"
#include "platform/keys.h"

namespace vartenos::sim {

// ----- The keys and the sprites, as a player learns them -----
inline constexpr int16_t kEsc = VK_ESCAPE;
inline constexpr int16_t kEspaco = VK_SPACE;
inline constexpr int16_t kTeclaP = kTeclaPausa;  // leaves the pause
using vartenos::kSetas;                          // left, up, right, down
// The ship's sprite, and how far it may go: the whole sprite stays on screen.
inline constexpr double kNaveL = kSpriteNave.largura, kNaveA = kSpriteNave.altura;
inline constexpr double kNaveMaxX = kLarguraTela - kNaveL, kNaveMaxY = kAlturaTela - kNaveA;
inline constexpr double kInimigoL = kSpriteInimigo.largura, kInimigoA = kSpriteInimigo.altura;
inline constexpr double kTiroL = kSpriteTiroInimigo.largura;  // an enemy shot is square
inline constexpr double kExtraL = kSpriteExtra.largura;       // and so is an extra

// ----- The frames the pilot foresees -----
// Frame t is the t-th frame of 25 ms after the picture it answers; 0 is that picture itself.
inline constexpr int kHorizonte = 40;                  // frames it looks ahead at most: one second
inline constexpr int kMaxQuadros = 80;                 // its keys still on their way, then the look-ahead
using Posicoes = std::array<double, kMaxQuadros + 1>;  // a place across or down at each frame

// A box on screen: x1 <= x < x2 across, y1 <= y < y2 down.
struct Caixa {
  double x1, y1, x2, y2;

  // The box of a sprite `l` x `a` with its top-left corner at (x, y).
  static Caixa De(double x, double y, double l, double a) { return {x, y, x + l, y + a}; }
  // Widened by `dx` on each side and `dy` above and below. Widening twice is not widening once by the sum:
  // the edges are rounded after each step.
  Caixa Alargada(double dx, double dy) const { return {x1 - dx, y1 - dy, x2 + dx, y2 + dy}; }
  Caixa Alargada(double d) const { return Alargada(d, d); }
  // The boxes share some area: boxes that only meet at an edge do not.
  bool Cruza(const Caixa& o) const { return x1 < o.x2 && o.x1 < x2 && y1 < o.y2 && o.y1 < y2; }
  // The boxes share some area or an edge.
  bool Toca(const Caixa& o) const { return !(x2 < o.x1 || x1 > o.x2 || y2 < o.y1 || y1 > o.y2); }
};

// The ship's box with its corner at (x, y).
inline Caixa CaixaDaNave(double x, double y) { return Caixa::De(x, y, kNaveL, kNaveA); }

// The cost of a plan that is hit at a frame weighing `peso`: more than any other cost, and the sooner,
// the worse.
inline double Com_Acerto(double custo, double peso) { return custo + 1000 * peso + 1000; }

// What the pilot knows of its ship when it decides, all read from the screen, and the frames it foresees.
struct Situacao {
  double nave_x = 300, nave_y = 400;              // the ship's top-left corner
  double nave_antes_x = 300, nave_antes_y = 400;  // in the picture before, where hunters flew to
  double velocidade = 3;                          // pixels an arrow moves it each frame
  int32_t invencivel = 0;                         // seconds of protection shown ("Inv: N"), 0 when none
  int fase = 1;
  int espera = 1;     // the first frame that keys pressed now can reach
  int horizonte = 1;  // frames it looks ahead from there
  // The last frame it foresees: its keys on their way, then the look-ahead.
  int Fim() const { return espera + horizonte - 1; }
};

}  // namespace vartenos::sim
