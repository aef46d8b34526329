// The records of the combat tables: player shots, enemy shots, extras, shield orbs, explosions.
#pragma once

#include <cstdint>

namespace vartenos {

struct Tiro {
  float X = 0;
  float Y = 0;
  bool Ativo = false;
  float Direcao = 0;
  float Tipo = 0;  // weapon, 1 to 5
};

struct Tiro_Inimigo {
  double X = 0;
  double Y = 0;
  double Angulo = 0;
  bool Ativo = false;
  bool Sobe = false;
};

struct Extra {
  float X = 0;
  float Y = 0;
  bool Ativo = false;
  float Tipo = 0;  // kind 0 to 8, also the sprite cell
};

struct Escudo {
  double X = 0;
  double Y = 0;
  double Angulo = 0;  // radians (the reset stores 0, 90 and 180 as they are)
};

struct Explosao {
  int32_t X = 0;
  int32_t Y = 0;
  bool Ativo = false;
  int32_t Quadro = 0;  // cell to draw next, 0 to 4
};

}  // namespace vartenos
