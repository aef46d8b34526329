// What the pilot foresees could hit its ship in the frames ahead: where each shot and enemy it follows
// will be and how unsure that guess is, the hunters that chase the ship wherever it goes, and the enemies
// that lie harmlessly on it.
#pragma once

#include <array>
#include <cstdint>

#include "sim/pilot_basics.h"
#include "sim/tracking.h"

namespace vartenos::sim {

// Where an enemy will be at each frame up to the last foreseen, and how far off the guess may be across
// and down.
struct Rumo {
  Posicoes x, y, folga, folga_y;
};
// One flying a curve goes on turning as it did; any other goes on along its drift, and a swaying one
// may be anywhere in its swing: sideways, as a sway never moves it up or down.
void Prever_Rumo(const Trilha& e, int fim, Rumo& r);

class Ameacas {
 public:
  static constexpr size_t kMaxPorQuadro = 96;
  static constexpr size_t kMaxCacadores = 24;
  static constexpr size_t kMaxColados = 8;
  // Where an enemy is at the end of the look-ahead, and how far off that may be.
  struct Destino {
    double x = 0, y = 0, folga = 0;
  };

  // Foresees the frames from the ship's protection or its keys' landing, whichever is later, to the last,
  // for the shots and enemies in `trilhas` it follows: all of them, or the `limite` nearest (0: all).
  void Prever(const Situacao& s, const Trilhas& trilhas, int32_t limite);

  // The hunters chase the ship along a plan's positions `px`, `py`. True when one catches it after the
  // ship's protection; near misses add to `custo` either way, hunters shot down take off from it.
  bool Cacadores_Alcancam(const Situacao& s, const Posicoes& px, const Posicoes& py, double& custo) const;
  // What a hunter shot down in a plan is worth: protected, the ship's task is to shoot down the hunters
  // that gather on it before they can hit it.
  double Premio_Abate(const Situacao& s) const { return protegido_ >= s.horizonte ? 150 : 25; }

  // What the plans weigh, frame by frame: the boxes the ship must not touch.
  size_t N_Caixas(int t) const { return n_caixas_[static_cast<size_t>(t)]; }
  const Caixa& Em(int t, size_t i) const { return caixas_[static_cast<size_t>(t)][i]; }
  // Enemies lying on the ship, level with it: harmless while it keeps its height.
  size_t N_Colados() const { return n_colados_; }
  const Caixa& Colado(size_t i) const { return colados_[i]; }
  bool Tem_Cacadores() const { return n_cacadores_ > 0; }
  // Whether it follows enemy `i` of the tracks, and where that one ends the look-ahead.
  bool Segue(size_t i) const { return seguido_[i]; }
  const Destino& Destino_De(size_t i) const { return destino_[i]; }

 private:
  // Follows all the shots and enemies, or the nearest its skill can keep an eye on.
  void Escolher_Seguidos(const Situacao& s, const Trilhas& trilhas, int32_t maximo);
  // Notes the box of a `l` x `a` sprite at (x, y) at frame `t`, widened by how unsure the guess is, if the
  // ship can reach it by then.
  void Guardar(const Situacao& s, int t, double x, double y, double l, double a, double folga,
               double folga_y);
  // Notes an enemy as lying on the ship or as a hunter, or foresees its boxes. `inicio`: the first frame.
  void Prever_Inimigo(const Situacao& s, const Trilha& e, size_t i, int inicio);

  struct Cacador {
    double x, y;  // where it is
    double v;     // its speed
  };

  int protegido_ = 0;  // frames ahead in which nothing can hit the ship
  std::array<std::array<Caixa, kMaxPorQuadro>, kMaxQuadros + 1> caixas_{};
  std::array<size_t, kMaxQuadros + 1> n_caixas_{};
  std::array<Cacador, kMaxCacadores> cacadores_{};
  size_t n_cacadores_ = 0;
  std::array<Caixa, kMaxColados> colados_{};
  size_t n_colados_ = 0;
  std::array<bool, Trilhas::kMaxInimigos> seguido_{};
  std::array<bool, Trilhas::kMaxTiros> tiro_seguido_{};
  std::array<Destino, Trilhas::kMaxInimigos> destino_{};
  Rumo rumo_;
};

}  // namespace vartenos::sim
