// The records of the scrolling background: falling stars and drifting galaxies.
#pragma once

#include <cstdint>

namespace vartenos {

struct Estrela {
  float X = 0;  // column, whole numbers 0 to 639
  float Y = 0;  // row, grows by Velocidade each frame
  bool Ativo = false;
  float Velocidade = 0;  // pixels per frame, in [0, 2)
  bool operator==(const Estrela&) const = default;
};

struct Galaxia {
  float X = 0;  // left edge, whole numbers 0 to 619
  float Y = 0;
  bool Ativo = false;
  double Velocidade = 0;  // always 1
  float Quadro = 0;       // cell of the galaxy sheet, 0 or 1
};

}  // namespace vartenos
