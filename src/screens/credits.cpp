// The credits: a still picture until Esc, then a fresh menu.
#include "screens/texts.h"
#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

Tela Form1::Creditos() {
  tela_atual_ = "Creditos";
  backbuffer.BltColorFill(Rect_Tela, 0);
  Desenhar_Estrelas_Paradas();
  Fonte.Name = "Arial";
  Fonte.Bold = true;
  backbuffer.SetFont(Fonte);
  backbuffer.SetForeColor(0xFFFFFF);
  backbuffer.BltFast(72, 45, Surf_Titulo2, RECT{0, 0, 491, 99}, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  Fonte.Size = 30;
  backbuffer.SetFont(Fonte);
  backbuffer.DrawText(173, 155, "Lumarel", false);
  Fonte.Size = 12;
  backbuffer.SetFont(Fonte);
  struct Linha {
    const char* texto;
    int32_t x, y;
  };
  const Linha linhas[] = {
      {"Versão 1.00.", 275, 200},
      {kLinhaAvisoPonto, 197, 225},
      {"Projeto: Quindar.", 235, 250},
      {"Programação: Quindar.", 211, 280},
      {"Os gráficos, a trilha sonora e os efeitos sonoros são de", 106, 310},
      {"autoria de terceiros.", 253, 340},
      {"[Esc] para voltar", 263, 405},
  };
  for (const Linha& l : linhas) backbuffer.DrawText(l.x, l.y, l.texto, false);
  primary.Flip(nullptr, DDFLIP_WAIT);

  // The menu still owns the keyboard, unseen: its keys act while the credits show. Fim was cleared
  // when the credits were chosen, so an Esc typed since then closes them at once.
  while (!Fim) {
    dx->WaitAnyEvent(*this);
    if (pedido_ != Tela::Nenhuma) return pedido_;
  }
  return Tela::Menu;
}

}  // namespace vartenos
