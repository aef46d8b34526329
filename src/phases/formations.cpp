// Formation and phase sequencing: formations become enemies when the phase clock reaches them, an
// empty field brings the next one forward, and the end of the phase or of the game is detected.
#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

void Form1::Inicia_Formacao() {
  // Every entry is examined every frame: start times need not be in order, and several formations
  // can start in the same frame, in index order.
  for (int32_t i = 0; i < static_cast<int32_t>(Formacoes.size()); ++i) {
    Entrada_Formacao& f = Formacoes[i];
    if (!(Relogio_Fase >= f.Inicio && !f.Iniciada)) continue;
    f.Iniciada = true;
    Formacao_Atual = i;
    Formacao_Encerrada = false;
    const float padrao = f.Padrao;
    // Any other pattern number starts a formation with no enemies.
    if (!(padrao == 1 || padrao == 2 || padrao == 3 || padrao == 4 || padrao == 5 || padrao == 6 ||
          padrao == 7)) {
      continue;
    }

    // A column (pattern 2) shares one X; its enemies get angles 180, 0, 180, ...
    double x0 = 0;
    double a = 0;
    if (padrao == 2) x0 = Int(Rnd() * 580.0f);

    for (int32_t j = 0; j < f.Quantidade; ++j) {
      if (padrao == 2) a = a == 0 ? 180 : 0;
      Inimigo* vaga = nullptr;
      for (Inimigo& inimigo : Inimigos) {
        if (!inimigo.Ativo) {
          vaga = &inimigo;
          break;
        }
      }
      // The table of 150 is full: the rest of this formation is not spawned.
      if (vaga == nullptr) break;
      Inimigo& e = *vaga;
      e.Ativo = true;
      e.Padrao = padrao;
      e.Tipo = f.Tipo;
      e.Atira = f.Atira;
      e.Energia = 20;
      // The spawn places, each enemy's random draws in the order X, then Y or angle, then kind.
      if (padrao == 1) {
        e.X = Int(Rnd() * 600.0f);
        e.Y = -Int(Rnd() * 200.0f);
      } else if (padrao == 2) {
        e.X = x0;
        e.Y = -(24.0 * j + 0.09 * j);
        e.Angulo = a;
        e.Parametro = f.Parametro;
      } else if (padrao == 3) {
        e.X = 640 + 50.0 * j;
        e.Y = f.Parametro == 4 ? 320 : (f.Parametro == 9 || f.Parametro == 10 ? 190 : 420);
        // 90 and 270 are radians, as every angle of the patterns.
        e.Angulo = f.Invertida == -1 ? 270 : 90;
        e.Parametro = f.Parametro;
        e.Em_Circulo = false;
        e.Invertido = f.Invertida;
      } else if (padrao == 4) {
        e.X = (f.Parametro - 1) * 320.0f + Int(Rnd() * 320.0f);
        e.Y = -(1 + 100.0 * Rnd()) * j;
        e.Parametro = f.Parametro;
      } else if (padrao == 5) {
        e.X = -50.0 * j;
        e.Y = 40;
        e.Angulo = 225;
        e.Parametro = f.Parametro;
        e.Em_Circulo = false;
      } else if (padrao == 6) {
        e.X = Int(Rnd() * 570.0f) + 20;
        e.Y = 0;
        e.Angulo = Int(Rnd() * 360.0f) + 1;
        e.Parametro = f.Parametro;
        e.X_Origem = e.X;
      } else {
        e.X = Int(Rnd() * 610.0f);
        e.Y = -Int(Rnd() * 150.0f);
        e.Parametro = f.Parametro;
      }
      // Kind 30: every enemy of the formation gets its own picture.
      if (e.Tipo == 30) e.Tipo = Int(Rnd() * 16.0f);
      // Only the raw value -1 carries, and only the enemy whose number equals the carrier exactly.
      if (f.Tem_Extra == -1 && f.Portador_Extra == static_cast<float>(j)) {
        e.Tem_Extra = -1;
        e.Tipo_Extra = f.Tipo_Extra;
      } else {
        e.Tem_Extra = 0;
      }
    }
  }
}

void Form1::Testa_Fim_Formacao() {
  uint8_t vivos = 0;
  for (const Inimigo& e : Inimigos) {
    if (e.Ativo) vivos = static_cast<uint8_t>(vivos + 1);
  }
  if (vivos == 0 && !Formacao_Encerrada) {
    // The field is empty: the next formation comes four seconds from now, however far ahead it was
    // scheduled. The clock is set even when that moves it backwards.
    if (Formacao_Atual < 39) Relogio_Fase = Formacoes[Formacao_Atual + 1].Inicio - 4;
    Formacao_Encerrada = true;
  }
}

void Form1::Testa_Fim_Fase() {
  if (Vidas < 0) {
    // Game over: the screen takes over at once and this frame is never finished.
    Pedir_Tela(Tela::Fim_De_Jogo);
    return;
  }
  int32_t por_iniciar = 0;
  for (const Entrada_Formacao& f : Formacoes) {
    if (!f.Iniciada) por_iniciar = por_iniciar + 1;
  }
  if (por_iniciar == 0) {
    bool algum = false;
    for (const Inimigo& e : Inimigos) algum = algum || e.Ativo;
    if (!algum) Fase_Completa = true;
    if (Fase_Completa) Fim = true;
  }
}

}  // namespace vartenos
