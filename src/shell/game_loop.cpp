// The game loop: one frame after another while a game is played.
#include <cstdio>

#include "shell/form1.h"

namespace vartenos {

Tela Form1::Main() {
  Em_Menu = 2;
  while (!Fim && !Pausa) {
    const int32_t inicio = Iniciar_Quadro("Main");

    Inicia_Formacao();
    // Drawing is back to front in this order; collisions are tested after everything is drawn, so an
    // object destroyed in a frame is still seen in that frame and its explosion shows from the next.
    Atualizar_Fundo();
    Atualizar_Galaxias();
    // Volleys leave from the ship's nose, 13 pixels in from its left edge, at its top edge.
    float nave_y = static_cast<float>(Nave_Y);
    Preenche_Vetor_Tiro(Nave_X + 13, nave_y);
    Atualizar_Tiro();
    Atualizar_Escudo();
    Atualizar_Extras();
    Atualizar_Nave();
    Atualizar_Inimigos();
    Atualizar_FPS();
    Atualizar_Tempo_Invencivel();
    Atualizar_Tiro_Inimigo();
    Atualizar_Explosao();
    if (Musica_Ligada) {
      char nome[16];
      std::snprintf(nome, sizeof nome, "Music%u.mid", static_cast<unsigned>(Musica_Fase));
      TocaMidi(nome);
    }
    Testa_Colisao();
    Testa_Colisao_Nave_Extra();
    // Game over ends the frame here: the game-over screen takes over at once.
    Testa_Fim_Fase();
    if (pedido_ != Tela::Nenhuma) return pedido_;
    Testa_Fim_Formacao();
    Atualizar_Dados_Nave();

    // Present: the whole back buffer is copied to the screen (no flip in the game loop).
    primary.BltFast(0, 0, backbuffer, Rect_Tela, DDBLTFAST_WAIT);
    Quadros_No_Segundo = Quadros_No_Segundo + 1;
    Esperar_Quadro(inicio);
    if (pedido_ != Tela::Nenhuma) return pedido_;
  }

  if (Pausa) return Tela::Pausa_AP;
  if (Fase_Completa) return Tela::Muda_Fase;
  // The player quit: the music stops and the score joins the two kept scores.
  if (Musica_Ligada) Para_Midi();
  Penultimos_Pontos = Ultimos_Pontos;
  Ultimos_Pontos = Pontos;
  return Tela::Menu;
}

}  // namespace vartenos
