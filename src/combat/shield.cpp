// The shield's three orbs and the invincibility countdown shown in the top-right corner.
#include <cmath>
#include <cstdio>

#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

void Form1::Atualizar_Escudo() {
  if (!Tem_Escudo) return;
  for (Escudo& e : Escudos) {
    // A circle of radius 70 about a point 9 pixels right of and 7 below the ship's corner.
    e.X = std::cos(e.Angulo) * 70 + Nave_X + 9;
    e.Y = std::sin(e.Angulo) * 70 + Nave_Y + 7;
    backbuffer.BltFast(Arredondar(e.X), Arredondar(e.Y), Surf_Laser3, RECT{0, 0, 16, 16},
                       DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    // The angle is in radians but wraps at the number 270: the step just past 270 (about 270.2)
    // is taken before the reset, so one cycle is 1,352 frames and the orb jumps back a little.
    if (e.Angulo < 270) {
      e.Angulo = e.Angulo + 0.2;
    } else {
      e.Angulo = 0;
    }
  }
}

void Form1::Atualizar_Tempo_Invencivel() {
  // Shown while the display timer counts, which can outlast the protection by a moment.
  if (!Timer3.Enabled()) return;
  Fonte.Size = 8;
  Fonte.Bold = true;
  backbuffer.SetFont(Fonte);
  backbuffer.SetForeColor(255);
  char texto[16];
  std::snprintf(texto, sizeof texto, "Inv: %u", static_cast<unsigned>(Tempo_Invencivel));
  backbuffer.DrawText(600, 10, texto, false);
}

}  // namespace vartenos
