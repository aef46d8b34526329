// The scrolling background: 270 falling stars and, now and then, a galaxy drifting down.
#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

void Form1::Atualizar_Fundo() {
  backbuffer.BltColorFill(Rect_Tela, 0);
  // Re-seeded from the clock every frame, so every random draw of the frame comes from this seed.
  Randomize();
  const RECT estrela{0, 0, 1, 1};
  for (Estrela& e : Estrelas) {
    if (e.Ativo) {
      e.Y = e.Y + e.Velocidade;
      if (e.Y > 480) e.Ativo = false;
      // A star that has just passed the bottom is drawn off the surface, which shows nothing.
      backbuffer.BltFast(Arredondar(e.X), Arredondar(e.Y), Surf_Estrela, estrela, DDBLTFAST_WAIT);
    } else {
      e.X = Int(Rnd() * 640.0f);
      e.Y = 0;
      e.Velocidade = Rnd() * 2.0f;
      e.Ativo = true;
      backbuffer.BltFast(Arredondar(e.X), 0, Surf_Estrela, estrela, DDBLTFAST_WAIT);
    }
  }
}

void Form1::Atualizar_Galaxias() {
  // About once in 5,000 frames (two minutes of play) a galaxy starts, in the first free slot.
  const float r = Int(Rnd() * 5000.0f);
  if (r == 755) {
    for (Galaxia& g : Galaxias) {
      if (!g.Ativo) {
        g.Ativo = true;
        g.X = Int(Rnd() * 620.0f);
        g.Y = 0;
        g.Velocidade = 1;
        g.Quadro = Int(Rnd() * 2.0f);
        break;
      }
    }
  }
  for (Galaxia& g : Galaxias) {
    if (!g.Ativo) continue;
    RECT celula;
    celula.Left = Arredondar(g.Quadro * 34.0f);
    celula.Top = 0;
    celula.Right = celula.Left + 34;
    celula.Bottom = 26;
    // Unlike the stars, a galaxy is drawn before it moves.
    backbuffer.BltFast(Arredondar(g.X), Arredondar(g.Y), Surf_Galaxias, celula,
                       DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    g.Y = static_cast<float>(g.Y + g.Velocidade);
    if (g.Y > 480) g.Ativo = false;
  }
}

}  // namespace vartenos
