// The enemies' frame: each one moved by its pattern, drawn, and given its chance to fire.
#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

void Form1::Atualizar_Inimigos() {
  for (int32_t i = 0; i < static_cast<int32_t>(Inimigos.size()); ++i) {
    Inimigo& e = Inimigos[i];
    if (!e.Ativo) continue;
    int32_t ini = i;
    bool movido = true;
    if (e.Padrao == 1) {
      Formacao1(ini);
    } else if (e.Padrao == 2) {
      Formacao2(ini);
    } else if (e.Padrao == 3) {
      Formacao3(ini);
    } else if (e.Padrao == 4) {
      Formacao4(ini);
    } else if (e.Padrao == 5) {
      Formacao5(ini);
    } else if (e.Padrao == 6) {
      Formacao6(ini);
    } else if (e.Padrao == 7) {
      Formacao7(ini);
    } else {
      movido = false;
    }
    if (movido) {
      // Drawn where the pattern has just put it, even if the pattern retired it this frame; an enemy
      // partly off screen is not drawn at all, so enemies pop into view.
      Rect_Inimigo.Left = Arredondar(e.Tipo * 38.0f);
      Rect_Inimigo.Top = 0;
      Rect_Inimigo.Right = Rect_Inimigo.Left + 38;
      Rect_Inimigo.Bottom = Rect_Inimigo.Top + 24;
      backbuffer.BltFast(Arredondar(e.X), Arredondar(e.Y), Surf_Inimigos, Rect_Inimigo,
                         DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    }
    // A draw for every firing enemy every frame: in phase p, 2p - 1 chances in 1,500.
    if (e.Atira == 1.0f) {
      const float r = Int(Rnd() * 1500.0f);
      if (Limiar_Tiro_Inimigo < r) {
        float y = static_cast<float>(e.Y);
        Preenche_Vetor_Tiro_Inimigo(e.X, y);
      }
    }
  }
}

}  // namespace vartenos
