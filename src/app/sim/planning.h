// How the pilot chooses where to fly: the enemy it lines up on, and of the ways to fly the next second
// the one that costs least: no hit foreseen, few near misses, lined up on its target, extras picked up,
// off the paths enemies keep flying, low on the screen.
#pragma once

#include <cstdint>

#include "sim/pilot_basics.h"
#include "sim/threats.h"
#include "sim/tracking.h"
#include "sim/vision.h"

namespace vartenos::sim {

// A way to fly the look-ahead: arrows (dx, dy: -1, 0, 1) held for `quadros` frames, then others.
struct Plano {
  int8_t dx, dy;
  int8_t quadros;
  int8_t dx2, dy2;
};

// All a plan is weighed against, this frame.
struct Previsao {
  const Situacao& s;
  const Posicoes& base_x;  // where the keys already on their way take the ship, frame by frame
  const Posicoes& base_y;
  const Ameacas& ameacas;
  const Trilhas& trilhas;
  const Cena& cena;  // the extras falling
  const Trafego& trafego;
};

class Planejador {
 public:
  explicit Planejador(int32_t altura_preferida) : altura_preferida_(altura_preferida) {}
  // The target: the enemy whose column the ship reaches soonest, and where to go down first to shoot it
  // from below.
  void Escolher_Alvo(const Situacao& s, const Trilhas& trilhas);
  void Esquecer_Alvo() { alvo_x_ = -1; }
  // The plan that costs least; `dx`, `dy` are the arrows held now.
  Plano Escolher(const Previsao& p, int8_t dx, int8_t dy) const;

 private:
  // The cost of flying `plano`: a hit foreseen, near misses, and how well it lines up, picks up and
  // keeps its place. Stops counting once it passes `limite`.
  double Avaliar(const Previsao& p, const Plano& plano, double limite) const;
  // `custo` with what is added for where the plan leaves the ship, (x, y), and where it is 12 frames in,
  // `x_perto`; `apanha`: an extra is picked up on the way.
  double Custo_Do_Fim(const Previsao& p, double x, double y, double x_perto, bool apanha, double custo) const;

  int32_t alvo_x_ = -1;                  // the column the pilot is lining up on
  double altura_alvo_ = 0;               // how low it must fly to shoot its target from below
  double desvio_x_ = -1, desvio_y_ = 0;  // where to go down beside that target first
  int32_t altura_preferida_;             // where it keeps, with nothing to line up from below
};

}  // namespace vartenos::sim
