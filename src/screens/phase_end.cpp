// The screens that end a stretch of play: phase complete (and the closing screen after the fifth
// phase) and game over.
#include <cstdio>

#include "shell/form1.h"

namespace vartenos {

Tela Form1::Muda_Fase() {
  Fonte.Size = 32;
  Fonte.Bold = true;
  backbuffer.SetFont(Fonte);
  Para_Midi();
  // An Esc typed in the last frame of play does not skip this screen.
  Fim = false;
  char texto[32];
  while (!Fim) {
    const int32_t inicio = Iniciar_Quadro("Muda_Fase");
    if (Musica_Ligada) TocaMidi("FimFase.mid");
    Atualizar_Fundo();
    std::snprintf(texto, sizeof texto, "Fase %u completa", static_cast<unsigned>(Fase_Atual));
    backbuffer.DrawText(155, 200, texto, false);
    primary.Flip(nullptr, DDFLIP_WAIT);
    Esperar_Quadro(inicio);
    if (pedido_ != Tela::Nenhuma) return pedido_;
  }
  Fim = false;
  Fase_Completa = false;
  Fase_Atual = static_cast<uint8_t>(Fase_Atual + 1);

  if (Fase_Atual == 6) {
    // All five phases done: the pilot is congratulated while the phase-end tune plays out.
    while (!Fim) {
      const int32_t inicio = Iniciar_Quadro("Muda_Fase");
      Atualizar_Fundo();
      backbuffer.DrawText(140, 160, "Parabéns piloto!!!", false);
      backbuffer.DrawText(30, 210, "Você terminou as 5 fases de", false);
      backbuffer.DrawText(275, 260, "Orbex.", false);
      primary.Flip(nullptr, DDFLIP_WAIT);
      Esperar_Quadro(inicio);
      if (pedido_ != Tela::Nenhuma) return pedido_;
    }
    Penultimos_Pontos = Ultimos_Pontos;
    Ultimos_Pontos = Pontos;
    return Tela::Menu;
  }

  Para_Midi();
  // Each phase is harder: faster and more frequent enemy fire, faster patterns.
  Velocidade_Tiro_Inimigo = Velocidade_Tiro_Inimigo + 0.5;
  Limiar_Tiro_Inimigo = Limiar_Tiro_Inimigo - 2;
  Velocidade_Formacao1 = Velocidade_Formacao1 + 0.5;
  Velocidade_Formacao2 = Velocidade_Formacao2 + 0.5;
  Velocidade_Formacao3 = Velocidade_Formacao3 + 0.005;
  Velocidade_Formacao4 = Velocidade_Formacao4 + 0.75;
  Velocidade_Formacao5 = Velocidade_Formacao5 + 0.01;
  Velocidade_Formacao6 = Velocidade_Formacao6 + 0.05;
  Velocidade_Formacao7 = Velocidade_Formacao7 + 0.5;
  Musica_Fase = static_cast<uint8_t>(Musica_Fase + 1);
  if (!Preenche_Vetor_Fases(Fase_Atual)) {
    // The next phase cannot be played: the game ends here and its score is kept like any other.
    Penultimos_Pontos = Ultimos_Pontos;
    Ultimos_Pontos = Pontos;
    return Tela::Menu;
  }
  Relogio_Fase = 0;
  Formacao_Atual = -1;
  Formacao_Encerrada = false;
  // Lives, score, weapons, shots in flight and running explosions all carry over.
  return Tela::Main;
}

Tela Form1::Fim_De_Jogo() {
  Em_Fim_De_Jogo = true;
  Para_Midi();
  Vidas = 0;
  Fim = false;
  while (!Fim) {
    const int32_t inicio = Iniciar_Quadro("Fim_De_Jogo");
    if (Musica_Ligada) TocaMidi("Fim.mid");
    // The enemies on screen go on moving behind the text; nothing else of the game runs.
    Atualizar_Fundo();
    Atualizar_Inimigos();
    Atualizar_Dados_Nave();
    Atualizar_Extras();
    Atualizar_FPS();
    Atualizar_Galaxias();
    Fonte.Size = 32;
    Fonte.Bold = true;
    backbuffer.SetFont(Fonte);
    backbuffer.DrawText(195, 200, "Fim de jogo.", false);
    primary.BltFast(0, 0, backbuffer, Rect_Tela, DDBLTFAST_WAIT);
    Esperar_Quadro(inicio);
    if (pedido_ != Tela::Nenhuma) return pedido_;
  }
  Para_Midi();
  Penultimos_Pontos = Ultimos_Pontos;
  Ultimos_Pontos = Pontos;
  return Tela::Menu;
}

}  // namespace vartenos
