// Explosions: five cells on five frames where an enemy was destroyed. Decoration only.
#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

void Form1::Preenche_Vetor_Explosao(double& XE, int32_t& YE) {
  // Sixteen at most; a seventeenth is not shown.
  for (Explosao& x : Explosoes) {
    if (x.Ativo) continue;
    x.Ativo = true;
    x.X = Arredondar(XE);
    x.Y = YE;
    x.Quadro = 0;
    return;
  }
}

void Form1::Atualizar_Explosao() {
  for (Explosao& x : Explosoes) {
    if (!x.Ativo) continue;
    const RECT celula{x.Quadro * 36, 0, x.Quadro * 36 + 36, 34};
    backbuffer.BltFast(x.X, x.Y, Surf_Explosao, celula, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    x.Quadro = x.Quadro + 1;
    if (x.Quadro == 5) x.Ativo = false;
  }
}

}  // namespace vartenos
