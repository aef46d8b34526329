// The player's ship: the animation, the four arrow keys, the screen edges and the drawing.
#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

void Form1::Atualizar_Nave() {
  // The cell is taken before the animation advances. The sheet holds cells 0 to 2 only: while the
  // ship is protected its cycle runs to cell 7, and the all-or-nothing blit draws nothing for cells
  // 3 to 7, so the ship shows in three frames out of eight and blinks.
  RECT celula;
  celula.Left = Arredondar(Nave_Quadro * 30.0f);
  celula.Top = 0;
  celula.Right = celula.Left + 30;
  celula.Bottom = 35;

  Nave_Quadro = Nave_Quadro + 1;
  if (Nave_Quadro > Nave_Ultimo_Quadro) Nave_Quadro = 0;

  // Each key on its own: opposite keys cancel, a diagonal moves the full speed on both axes.
  if (Tecla_Direita) Nave_X = Nave_X + Nave_Velocidade;
  if (Tecla_Esquerda) Nave_X = Nave_X - Nave_Velocidade;
  if (Tecla_Cima) Nave_Y = Nave_Y - Nave_Velocidade;
  if (Tecla_Baixo) Nave_Y = Nave_Y + Nave_Velocidade;

  // The whole 30 x 35 ship stays on the 640 x 480 screen.
  if (Nave_X > 610) Nave_X = 610;
  if (Nave_X < 0) Nave_X = 0;
  if (Nave_Y > 445) Nave_Y = 445;
  if (Nave_Y < 0) Nave_Y = 0;

  backbuffer.BltFast(Arredondar(Nave_X), Arredondar(Nave_Y), Surf_Nave, celula,
                     DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

}  // namespace vartenos
