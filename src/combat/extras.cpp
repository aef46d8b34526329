// Extras: power-ups released by the enemies that carry them, falling a pixel a frame until the ship
// picks them up or they leave the screen.
#include <algorithm>
#include <limits>

#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

void Form1::Preenche_Vetor_Extra(double XE, double YE, float& Index) {
  // Three at most on screen; a fourth is lost.
  for (Extra& x : Extras) {
    if (x.Ativo) continue;
    x.Ativo = true;
    x.X = static_cast<float>(XE);
    x.Y = static_cast<float>(YE);
    x.Tipo = Index;
    return;
  }
}

void Form1::Atualizar_Extras() {
  for (Extra& x : Extras) {
    if (!x.Ativo) continue;
    // Drawn opaque, before it falls; below row 464 it is not seen but can still be caught.
    const int32_t celula = Arredondar(16.0f * x.Tipo);
    backbuffer.BltFast(Arredondar(x.X), Arredondar(x.Y), Surf_Extras, RECT{celula, 0, celula + 16, 16},
                       DDBLTFAST_WAIT);
    x.Y = x.Y + 1;
    if (x.Y > 480) x.Ativo = false;
  }
}

void Form1::Testa_Colisao_Nave_Extra() {
  for (Extra& x : Extras) {
    if (!x.Ativo) continue;
    const int32_t l = Arredondar(x.X);
    const int32_t t = Arredondar(x.Y);
    const int32_t nl = Arredondar(Nave_X);
    const int32_t nt = Arredondar(Nave_Y);
    if (!Intersectrect(RECT{l, t, l + 16, t + 16}, RECT{nl, nt, nl + 30, nt + 35})) continue;
    x.Ativo = false;
    // A kind outside 0 to 8 does nothing but disappear.
    const float tipo = x.Tipo;
    if (!(tipo >= 0 && tipo <= 8 && tipo == static_cast<int32_t>(tipo))) continue;
    // Sound first (a pick-up sound still playing is not restarted), then points, then the effect;
    // every kind but the laser level scores 500.
    (tipo == 8 ? SomVidasExtras : SomExtras).Play(0);
    if (tipo != 6) Pontos = Pontos + 500;
    switch (static_cast<int32_t>(tipo)) {
      case 0:
        Tem_Laser4 = true;
        break;
      case 1:
        Tem_Laser2 = true;
        break;
      case 2:
        Tem_Escudo = true;
        break;
      case 3:
        Tem_Laser5 = true;
        break;
      case 4:
        Tem_Laser6 = true;
        break;
      case 5:
        Nave_Invencivel = true;
        // Forty more seconds on both counts, each held at its type's maximum.
        Contagem_Invencivel = static_cast<int16_t>(
            std::min<int32_t>(Contagem_Invencivel + 40, std::numeric_limits<int16_t>::max()));
        Timer2.Enabled(false);
        Timer2.Interval(1000);
        Timer2.Enabled(true);
        Nave_Ultimo_Quadro = 7;
        Timer3.Enabled(true);
        Tempo_Invencivel = static_cast<uint8_t>(std::min<int32_t>(Tempo_Invencivel + 40, 255));
        break;
      case 6:
        if (Nivel_Laser < 3) Nivel_Laser = Nivel_Laser + 1;
        break;
      case 7:
        if (Nave_Velocidade < 8) Nave_Velocidade = Nave_Velocidade + 1;
        break;
      default:
        Vidas = Vidas + 1;
        break;
    }
  }
}

}  // namespace vartenos
