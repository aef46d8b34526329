// The pilot's memory of what it saw: each shot and enemy followed from picture to picture, how it moves,
// and the paths the enemies keep flying.
#pragma once

#include <array>
#include <cstdint>

#include "sim/pilot_basics.h"
#include "sim/vision.h"

namespace vartenos::sim {

// Something seen in earlier pictures too, with its motion. Places are top-left corners in pixels, speeds
// in pixels a frame.
struct Trilha {
  // Where it is.
  double x = 0, y = 0;    // last seen, or foreseen while it is hidden
  double x0 = 0, y0 = 0;  // first seen: a shot flies a straight line from there

  // How it moves.
  double vx = 0, vy = 0;  // between its last two sightings (a shot: since its first)
  // Its motion with the sway smoothed out, where it drifts: across, the line that best fits its last
  // sightings; down, a running mean.
  double deriva_x = 0, deriva_y = 0;
  double giro = 0;  // radians its heading turns each frame, for one flying a curve

  // How an enemy sways across: its last sightings and how they spread about the line it drifts along.
  struct Balanco {
    static constexpr size_t kVistas = 24;
    std::array<int16_t, kVistas> xs{};  // the last sightings across; when full, the oldest is at `proxima`
    uint8_t n = 0;                      // sightings kept
    uint8_t proxima = 0;                // where the next one goes
    int16_t min = 0, max = 0;           // how far across they reach
    double meio = 0;                    // the middle of the sway now: a box always covers it
    double amplitude = 0;               // how far it swings from the middle
  } balanco;

  // How long, in frames.
  int32_t idade = 0;   // since first seen
  int32_t visto = 0;   // seen
  int32_t sumido = 0;  // since last seen
  int32_t caca = 0;    // flying straight at the ship, up to 30: from 10 on, a hunter
};

// The shots and enemies the pilot follows.
struct Trilhas {
  static constexpr size_t kMaxTiros = 64;
  static constexpr size_t kMaxInimigos = Cena::kMaxInimigos;

  // Matches what is seen in `cena` to what was seen before. `s` says where the ship is now and was in
  // the picture before (hunters fly at it; new shots are aimed at it).
  void Seguir(const Cena& cena, const Situacao& s);
  void Esquecer() { n_tiros = n_inimigos = 0; }

  std::array<Trilha, kMaxTiros> tiros{};
  size_t n_tiros = 0;
  std::array<Trilha, kMaxInimigos> inimigos{};
  size_t n_inimigos = 0;
};

// Where enemies have been of late, in cells of 8 x 8 pixels: the paths they fly again.
class Trafego {
 public:
  // Older sightings fade; the enemies in `cena` are added.
  void Anotar(const Cena& cena);
  // How much enemy traffic the ship's box at (x, y) lies in.
  double Em(double x, double y) const;

 private:
  static constexpr int kCelula = 8;
  static constexpr int kColunas = 640 / kCelula, kLinhas = 480 / kCelula;
  std::array<float, kColunas * kLinhas> celulas_{};
};

}  // namespace vartenos::sim
