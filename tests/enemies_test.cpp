// Formations, the seven movement patterns, the enemy update and the enemies' aimed shots.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "partida.h"

namespace vartenos {
namespace {

class Inimigos : public Partida {
 protected:
  Inimigos() {
    for (Entrada_Formacao& f : form.Formacoes) f = Entrada_Formacao{1, 1, 1000, 0};
  }
  int Ativos() const {
    int n = 0;
    for (const Inimigo& e : form.Inimigos) n += e.Ativo ? 1 : 0;
    return n;
  }
  Inimigo& Um(float padrao, float parametro, double x, double y) {
    Inimigo& e = form.Inimigos[0];
    e = Inimigo{};
    e.Ativo = true;
    e.Padrao = padrao;
    e.Parametro = parametro;
    e.X = x;
    e.Y = y;
    return e;
  }
};

TEST_F(Inimigos, FormationsStartByTheClockInIndexOrderAndTheEmptyFieldBringsTheNextOne) {
  form.Formacoes[0] = Entrada_Formacao{1, 1, 3, 2};
  form.Formacoes[1] = Entrada_Formacao{1, 1, 9, 0};
  form.Formacoes[2] = Entrada_Formacao{1, 1, 9, 0};  // two at once, the second with no enemies
  form.Formacoes[3] = Entrada_Formacao{1, 1, 11, 0};
  // At the start the field is empty: the clock goes to 4 s before entry 0, here backwards to -1.
  form.Inicia_Formacao();
  EXPECT_EQ(Ativos(), 0);
  form.Testa_Fim_Formacao();
  EXPECT_EQ(form.Relogio_Fase, -1);
  EXPECT_TRUE(form.Formacao_Encerrada);
  form.Relogio_Fase = 3;
  form.Inicia_Formacao();
  EXPECT_EQ(Ativos(), 2);
  EXPECT_EQ(form.Formacao_Atual, 0);
  EXPECT_FALSE(form.Formacao_Encerrada);
  for (Inimigo& e : form.Inimigos) e.Ativo = false;
  form.Testa_Fim_Formacao();
  EXPECT_EQ(form.Relogio_Fase, 5);  // entry 1 now comes in 4 seconds
  form.Relogio_Fase = 9;
  form.Inicia_Formacao();
  EXPECT_EQ(form.Formacao_Atual, 2);  // both started; the later index counts
  form.Testa_Fim_Formacao();
  EXPECT_EQ(form.Relogio_Fase, 7);  // entry 3 is 2 s ahead: the clock goes back
  // After the last entry the clock stays.
  form.Formacao_Atual = 39;
  form.Formacao_Encerrada = false;
  form.Testa_Fim_Formacao();
  EXPECT_EQ(form.Relogio_Fase, 7);
  EXPECT_TRUE(form.Formacao_Encerrada);

  // The phase ends only once every entry has started and the field is empty.
  form.Testa_Fim_Fase();
  EXPECT_FALSE(form.Fase_Completa);
  for (Entrada_Formacao& f : form.Formacoes) f.Iniciada = true;
  form.Vidas = 0;  // 0 lives is not game over
  form.Testa_Fim_Fase();
  EXPECT_TRUE(form.Fase_Completa);
  EXPECT_TRUE(form.Fim);
}

TEST_F(Inimigos, SpawnPlacesCarriersKindsAndAFullTable) {
  form.Formacoes[0] = Entrada_Formacao{4, 2, 0, 3, false, 0, 0, 1, -1, 6, 2};  // column, carrier 2
  form.Formacoes[1] = Entrada_Formacao{7, 5, 0, 4, false, 1, 0, 0, -1, 3, 2.5f};
  form.Formacoes[2] = Entrada_Formacao{30, 3, 0, 15, false, 1, -1, 1, 1, 3, 0};  // raw 1 carries nothing
  form.Formacoes[0].Parametro = 1;
  form.Inicia_Formacao();
  const Inimigo* c = &form.Inimigos[0];
  EXPECT_EQ(c[0].X, c[1].X);
  EXPECT_EQ(c[0].X, c[2].X);
  EXPECT_EQ(c[0].Angulo, 180);
  EXPECT_EQ(c[1].Angulo, 0);
  EXPECT_EQ(c[2].Angulo, 180);
  EXPECT_DOUBLE_EQ(c[1].Y, -24.09);
  EXPECT_DOUBLE_EQ(c[2].Y, -48.18);
  EXPECT_EQ(c[0].Tem_Extra, 0);
  EXPECT_EQ(c[2].Tem_Extra, -1);
  EXPECT_EQ(c[2].Tipo_Extra, 6);
  EXPECT_EQ(c[0].Energia, 20);
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(c[3 + j].X, -50.0 * j);
    EXPECT_EQ(c[3 + j].Y, 40);
    EXPECT_EQ(c[3 + j].Angulo, 225);
    EXPECT_EQ(c[3 + j].Tem_Extra, 0);  // a carrier of 2.5 is nobody
  }
  std::set<float> tipos;
  for (int j = 0; j < 15; ++j) {
    const Inimigo& e = c[7 + j];
    EXPECT_EQ(e.X, 640 + 50.0 * j);
    EXPECT_EQ(e.Y, 420);
    EXPECT_EQ(e.Angulo, 270);
    EXPECT_EQ(e.Invertido, -1);
    EXPECT_EQ(e.Tem_Extra, 0);
    EXPECT_TRUE(e.Tipo >= 0 && e.Tipo <= 15 && e.Tipo == std::floor(e.Tipo));
    tipos.insert(e.Tipo);
  }
  EXPECT_GT(tipos.size(), 1u);  // kind 30: each enemy its own picture
  // A full table: the rest of the formation is not spawned.
  for (int i = 0; i < 148; ++i) form.Inimigos[i].Ativo = true;
  form.Formacoes[3] = Entrada_Formacao{1, 1, 0, 5};
  form.Inicia_Formacao();
  EXPECT_EQ(Ativos(), 150);
  EXPECT_TRUE(form.Formacoes[3].Iniciada);
}

TEST_F(Inimigos, AHunterLevelWithTheShipStaysAndADiverLeavesPast480) {
  form.Nave_X = 300;
  form.Nave_Y = 400;
  Um(7, 1, 500, 400);  // level with the ship's top edge: no move
  form.Atualizar_Inimigos();
  EXPECT_EQ(form.Inimigos[0].X, 500);
  EXPECT_EQ(form.Inimigos[0].Y, 400);
  // Diving: a pixel a frame towards the ship's column on row 485, retired past 480.
  Um(7, 2, 300, 480);
  form.Atualizar_Inimigos();
  EXPECT_EQ(form.Inimigos[0].Y, 481);
  EXPECT_FALSE(form.Inimigos[0].Ativo);
}

}  // namespace
}  // namespace vartenos
