// The intro: three lines fading in and out on black, then the menu picture zooming out of the
// screen centre.
#include "screens/texts.h"
#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

void Form1::Abertura(const std::string& Texto, int32_t& X, int32_t& Y, uint8_t& Tamanho) {
  Fonte.Size = Tamanho;
  Fonte.Name = "Arial";
  Fonte.Bold = true;
  backbuffer.SetFont(Fonte);
  // 511 frames: grey levels 0 to 255 and back down to 0. Esc ends the line, and, as nothing clears
  // it until a new game, every line after it too.
  int32_t c = 0;
  bool subindo = true;
  int32_t n = 0;
  while (n != 511 && !Fim) {
    const int32_t inicio = Iniciar_Quadro("Abertura");
    n = n + 1;
    backbuffer.BltColorFill(Rect_Tela, 0);
    backbuffer.SetForeColor(c + 256 * c + 65536 * c);
    backbuffer.DrawText(X, Y, Texto, false);
    primary.BltFast(0, 0, backbuffer, Rect_Tela, DDBLTFAST_WAIT);
    if (c == 255) subindo = false;
    c = subindo ? c + 1 : c - 1;
    Esperar_Quadro(inicio);
    if (pedido_ != Tela::Nenhuma) return;
  }
  backbuffer.SetForeColor(0xFF0000);
}

void Form1::Efeito_Abertura() {
  tela_atual_ = "Efeito_Abertura";
  // The menu's first picture, with the sound and music items as they read at start-up.
  backbuffer.BltColorFill(Rect_Tela, 0);
  Desenhar_Estrelas_Paradas();
  Fonte.Name = "Arial";
  Fonte.Bold = true;
  backbuffer.BltFast(72, 55, Surf_Titulo, RECT{0, 0, 491, 99}, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  Fonte.Size = 30;
  backbuffer.SetFont(Fonte);
  backbuffer.SetForeColor(0xFFFFFF);
  backbuffer.DrawText(175, 170, "Lumarel", false);
  Fonte.Size = 12;
  backbuffer.SetFont(Fonte);
  backbuffer.SetForeColor(0xFF);
  backbuffer.DrawText(205, 230, kLinhaAviso, false);
  Fonte.Size = 16;
  backbuffer.SetFont(Fonte);
  backbuffer.DrawText(255, 265, "Novo jogo", false);
  backbuffer.SetForeColor(0xFFFFFF);
  backbuffer.DrawText(255, 290, "Som ligado", false);
  backbuffer.DrawText(255, 315, "Música ligada", false);
  backbuffer.DrawText(255, 340, "Créditos", false);
  backbuffer.DrawText(255, 365, "Sair", false);

  // 107 steps, each its own picture, with no frame timing: the zoom runs as fast as it is drawn.
  RECT destino{320, 240, 320, 240};
  while (!(destino.Bottom == 480 && destino.Right == 640)) {
    primary.Blt(destino, backbuffer, Rect_Tela, DDBLT_WAIT);
    if (destino.Bottom < 480) destino.Bottom += 3;
    if (destino.Right < 640) destino.Right += 3;
    if (destino.Top > 0) destino.Top -= 3;
    if (destino.Left > 0) destino.Left -= 3;
    if (destino.Left < 0) destino.Left = 0;
    if (destino.Top < 0) destino.Top = 0;
    if (destino.Right > 640) destino.Right = 640;
    if (destino.Bottom > 480) destino.Bottom = 480;
  }
}

}  // namespace vartenos
