// Preparing a new game. A phase change carries the state over; only a new game comes here.
#include "shell/form1.h"

namespace vartenos {

void Form1::Reseta_Jogo() {
  Opcao_Menu = 1;
  Formacao_Atual = -1;
  Formacao_Encerrada = false;
  Em_Fim_De_Jogo = false;
  Pausa2 = false;

  Musica_Fase = 1;
  Fase_Completa = false;
  Fase_Atual = 1;
  Nave_Invencivel = false;
  Pausa = false;

  // A missing or damaged phase file is reported and the game does not start.
  uint8_t fase = 1;
  fase_carregada_ = Preenche_Vetor_Fases(fase);

  Raio_X_Formacao5 = 200;
  Crescendo_Formacao5 = false;
  Raio_Y_Formacao5 = 200;

  Cadencia_Laser = 0;
  Cadencia_Laser2 = 0;
  Cadencia_Laser4 = 0;
  Cadencia_Laser5 = 0;
  Cadencia_Laser6 = 0;

  for (Extra& e : Extras) e.Ativo = false;
  for (Explosao& e : Explosoes) e.Ativo = false;
  // The orbs' angles are these plain numbers, used as radians: the orbs are not evenly spread.
  Escudos[0].Angulo = 0;
  Escudos[1].Angulo = 90;
  Escudos[2].Angulo = 180;
  for (Tiro& t : Tiros) t.Ativo = false;

  Tecla_Tiro = false;

  Velocidade_Tiro_Inimigo = 2.5;
  Limiar_Tiro_Inimigo = 1498;

  Nivel_Laser = 1;
  Tem_Laser2 = false;
  Tem_Escudo = false;
  Tem_Laser4 = false;
  Tem_Laser5 = false;
  Tem_Laser6 = false;

  Velocidade_Formacao1 = 1.0;
  Velocidade_Formacao2 = 1.0;
  Velocidade_Formacao3 = 0.05;
  Velocidade_Formacao4 = 2.0;
  Velocidade_Formacao5 = 0.11;
  Velocidade_Formacao6 = 0.4;
  Velocidade_Formacao7 = 1.0;

  if (Modo_Extras) {
    Nivel_Laser = 3;
    Tem_Laser2 = true;
    Tem_Escudo = true;
    Tem_Laser4 = true;
    Tem_Laser5 = true;
    Tem_Laser6 = true;
  }

  Quadros_No_Segundo = 0;
  Relogio_Fase = 0;

  Tecla_Esquerda = false;
  Tecla_Direita = false;
  Tecla_Cima = false;
  Tecla_Baixo = false;

  Nave_X = 300;
  Nave_Y = 400;
  Nave_Quadro = 0;
  Nave_Ultimo_Quadro = 2;
  Nave_Velocidade = 3;

  Vidas = 6;
  Pontos = 0;
  Fim = false;

  Randomize();

  for (Galaxia& g : Galaxias) g.Ativo = false;
  for (Inimigo& i : Inimigos) i.Ativo = false;
  for (Tiro_Inimigo& t : Tiros_Inimigos) t.Ativo = false;
}

}  // namespace vartenos
