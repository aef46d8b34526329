// The main menu: the title over the still star field, the last two scores and the five items.
#include <cstdio>

#include "screens/texts.h"
#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

namespace {

constexpr int32_t kAzul = 0xFF0000;
constexpr int32_t kBranco = 0xFFFFFF;
constexpr int32_t kVermelho = 0xFF;
// The items: their column, the first one's row, the rows between one and the next.
constexpr int kColunaItens = 255;
constexpr int kLinhaItem1 = 265;
constexpr int kEntreItens = 25;

}  // namespace

void Form1::Desenhar_Estrelas_Paradas() {
  // The stars stand still on the menu, the credits and the zoom.
  const RECT estrela{0, 0, 1, 1};
  for (const Estrela& e : Estrelas) {
    backbuffer.BltFast(Arredondar(e.X), Arredondar(e.Y), Surf_Estrela, estrela, DDBLTFAST_WAIT);
  }
}

int32_t Form1::Item_Do_Menu(int x, int y) {
  // Each item owns the band of rows from just above its text to the next item's, and a finger may land
  // a little left of its first letter or well past its last (the longest item is about 140 pixels).
  if (x < kColunaItens - 60 || x >= kColunaItens + 230) return 0;
  const int dy = y - (kLinhaItem1 - 4);
  if (dy < 0 || dy >= 5 * kEntreItens) return 0;
  return 1 + dy / kEntreItens;
}

Tela Form1::Menu() {
  // Entering the menu stops any invincibility countdown.
  Timer2.Enabled(false);
  Timer3.Enabled(false);
  Timer2.Interval(5);
  Iniciar_Jogo = false;
  Opcao_Menu = 1;
  Em_Menu = 1;

  const RECT titulo{0, 0, 491, 99};
  char numero[16];
  menu_anterior_.valido = false;
  QuadroDoMenu agora;
  while (!Iniciar_Jogo) {
    const int32_t inicio = Iniciar_Quadro("Menu");
    // Any selection outside 1 to 4 lights the last item.
    const int32_t selecionado = (Opcao_Menu >= 1 && Opcao_Menu <= 4) ? Opcao_Menu : 5;
    agora = QuadroDoMenu{
        true,        Penultimos_Pontos,    Ultimos_Pontos,        Som_Ligado,          Musica_Ligada,
        selecionado, Surf_Titulo.Versao(), Surf_Estrela.Versao(), backbuffer.Versao(), primary.Versao(),
        Estrelas};
    // The same inputs over the picture they drew last time: the pixels are already right, so the
    // frame goes through the motions (texts, present) without touching them.
    const bool repetir = menu_anterior_.valido && agora == menu_anterior_;
    backbuffer.Repetir(repetir);
    primary.Repetir(repetir);

    Fonte.Name = "Arial";
    Fonte.Bold = true;
    Fonte.Size = 12;
    backbuffer.SetFont(Fonte);
    backbuffer.SetForeColor(kAzul);
    backbuffer.BltColorFill(Rect_Tela, 0);

    Desenhar_Estrelas_Paradas();
    if (Penultimos_Pontos != 0) {
      std::snprintf(numero, sizeof numero, "%d", Penultimos_Pontos);
      backbuffer.DrawText(70, 5, numero, false);
    }
    if (Ultimos_Pontos != 0) {
      std::snprintf(numero, sizeof numero, "%d", Ultimos_Pontos);
      backbuffer.DrawText(548, 5, numero, false);
    }
    backbuffer.BltFast(72, 55, Surf_Titulo, titulo, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);

    Fonte.Size = 30;
    backbuffer.SetFont(Fonte);
    backbuffer.SetForeColor(kBranco);
    backbuffer.DrawText(175, 170, "Lumarel", false);

    Fonte.Size = 12;
    backbuffer.SetFont(Fonte);
    backbuffer.SetForeColor(kVermelho);
    backbuffer.DrawText(205, 230, kLinhaAviso, false);

    Fonte.Size = 16;
    backbuffer.SetFont(Fonte);
    const char* itens[5] = {"Novo jogo", Som_Ligado ? "Som ligado" : "Som desligado",
                            Musica_Ligada ? "Música ligada" : "Música desligada", "Créditos", "Sair"};
    for (int32_t item = 1; item <= 5; ++item) {
      backbuffer.SetForeColor(item == selecionado ? kVermelho : kBranco);
      backbuffer.DrawText(kColunaItens, kLinhaItem1 + kEntreItens * (item - 1), itens[item - 1], false);
    }

    primary.BltFast(0, 0, backbuffer, Rect_Tela, DDBLTFAST_WAIT);
    backbuffer.Repetir(false);
    primary.Repetir(false);
    agora.back = backbuffer.Versao();
    agora.prim = primary.Versao();
    menu_anterior_ = agora;
    Esperar_Quadro(inicio);
    if (pedido_ != Tela::Nenhuma) return pedido_;
  }

  Reseta_Jogo();
  // Without its phase file the game cannot start: back to a fresh menu, the scores kept.
  return fase_carregada_ ? Tela::Main : Tela::Menu;
}

}  // namespace vartenos
