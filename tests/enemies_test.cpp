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
  Inimigo& Um(float padrao, float parametro, double x, double y, double angulo = 0) {
    Inimigo& e = form.Inimigos[0];
    e = Inimigo{};
    e.Ativo = true;
    e.Padrao = padrao;
    e.Parametro = parametro;
    e.X = x;
    e.Y = y;
    e.Angulo = angulo;
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

TEST_F(Inimigos, PatternsMoveByTheirWorkedNumbers) {
  struct Caso {
    float padrao, parametro;
    double x, y, angulo;
    bool em_circulo;
    int16_t invertido;
    double x1, y1, angulo1;
    bool ativo;
  } casos[] = {
      {1, 1, 10, 479, 0, false, 0, 10, 480, 0, true},
      {1, 1, 10, 479.5, 0, false, 0, 10, 480.5, 0, false},
      {2, 4, 100, 10, 359.5, false, 0, 100 + 5 * std::cos(359.5), 11, 359.5 + 0.9, true},
      {2, 4, 100, 10, 360.4, false, 0, 100 + 5 * std::cos(360.4), 11, 0, true},
      {2, 7, 100, 10, 2, false, 0, 100 + 5 * std::cos(2.0), 11, 2, true},  // unknown variant: no step
      {3, 1, 261, 420, 90, false, 0, 258, 420, 90, true},
      {3, 1, 260, 420, 90, false, 0, 300 + std::cos(90.0) * 200, std::sin(90.0) * 200 + 230, 90.05, true},
      {3, 1, 260, 420, 270, false, -1, 300 + std::sin(270.0) * 200, std::cos(270.0) * 200 + 230, 270.05,
       true},
      {3, 7, 461, 420, 90, false, 0, 458, 420, 90, true},
      {4, 2, -100, 470, 0, false, 0, -102, 472, 0, true},
      {4, 2, -100, 479, 0, false, 0, -102, 481, 0, false},
      {4, 1, 639, 10, 0, false, 0, 641, 12, 0, false},
      {5, 1, 100, 40, 225, false, 0, 103, std::sin(225.0) * 200 + 230, 225, true},
      {6, 2, 50, 379, 7, false, 0, 50, 380, 7, true},
      {6, 2, 50, 380, 7, false, 0, std::sin(7.0) * 20 + 50, 380, 7.4, true},
      {6, 9, 50, 228, 7, false, 0, std::sin(7.0) * 20 + 50, 228, 7.4, true},
      {7, 3, 50, 60, 0, false, 0, 50, 60, 0, true},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(testing::Message() << "pattern " << c.padrao << " variant " << c.parametro << " at " << c.x
                                    << "," << c.y);
    Inimigo& e = Um(c.padrao, c.parametro, c.x, c.y, c.angulo);
    e.Em_Circulo = c.em_circulo;
    e.Invertido = c.invertido;
    e.X_Origem = 50;
    form.Raio_Y_Formacao5 = 200;
    form.Atualizar_Inimigos();
    EXPECT_NEAR(e.X, c.x1, 1e-9);
    EXPECT_NEAR(e.Y, c.y1, 1e-9);
    EXPECT_NEAR(e.Angulo, c.angulo1, 1e-9);
    EXPECT_EQ(e.Ativo, c.ativo);
  }
  // The worked joins of pattern 3: (210.4, 408.8), and (264.8, 426.9) reversed from 270.
  EXPECT_NEAR(300 + std::cos(90.0) * 200, 210.4, 0.05);
  EXPECT_NEAR(std::sin(270.0) * 200 + 300, 264.8, 0.05);
}

TEST_F(Inimigos, HomingDivingAndTheGameOverDrift) {
  form.Nave_X = 300;
  form.Nave_Y = 400;
  form.Velocidade_Formacao7 = 2;
  Inimigo& e = Um(7, 1, 100, 50);
  form.Atualizar_Inimigos();
  EXPECT_NEAR(e.Angulo, -0.5191, 1e-4);
  EXPECT_NEAR(e.X, 100 + 0.496 * 2, 1e-3);
  EXPECT_NEAR(e.Y, 50 + 0.868 * 2, 1e-3);
  Um(7, 1, 500, 450);
  form.Atualizar_Inimigos();
  EXPECT_NEAR(form.Inimigos[0].Angulo, -1.3258, 1e-4);
  EXPECT_NEAR(form.Inimigos[0].X, 500 - 0.970 * 2, 1e-3);
  EXPECT_NEAR(form.Inimigos[0].Y, 450 - 0.243 * 2, 1e-3);
  Um(7, 1, 500, 400);  // level with the ship's top edge: no move
  form.Atualizar_Inimigos();
  EXPECT_EQ(form.Inimigos[0].X, 500);
  // Diving: a pixel a frame towards the ship's column on row 485, retired past 480.
  Um(7, 2, 300, 480);
  form.Atualizar_Inimigos();
  EXPECT_EQ(form.Inimigos[0].Y, 481);
  EXPECT_FALSE(form.Inimigos[0].Ativo);
  // Behind the game-over screen every hunter drifts down.
  form.Em_Fim_De_Jogo = true;
  Um(7, 1, 100, 480);
  form.Atualizar_Inimigos();
  EXPECT_EQ(form.Inimigos[0].X, 100);
  EXPECT_EQ(form.Inimigos[0].Y, 481);
  EXPECT_FALSE(form.Inimigos[0].Ativo);
}

TEST_F(Inimigos, PatternFiveRadiiBreatheTogether) {
  Inimigo& e = Um(5, 1, 373, 44, 225);
  e.Em_Circulo = true;
  // From a new game they shrink from 200 until one reaches 60, then grow until one reaches 300.
  std::vector<double> viradas;
  bool crescendo = form.Crescendo_Formacao5;
  for (int f = 0; f < 4000 && viradas.size() < 2; ++f) {
    form.Atualizar_Inimigos();
    if (form.Crescendo_Formacao5 != crescendo) {
      crescendo = form.Crescendo_Formacao5;
      viradas.push_back(form.Raio_X_Formacao5);
    }
  }
  ASSERT_EQ(viradas.size(), 2u);
  EXPECT_LE(viradas[0], 60);
  EXPECT_GT(viradas[0], 60 - 0.11);
  EXPECT_GE(viradas[1], 300);
  EXPECT_LT(viradas[1], 300 + 0.11);
  EXPECT_EQ(form.Raio_X_Formacao5, form.Raio_Y_Formacao5);
  // Two circling enemies change the shared radii twice a frame.
  Inimigo& f = form.Inimigos[1];
  f = e;
  const double antes = form.Raio_X_Formacao5;
  form.Atualizar_Inimigos();
  EXPECT_NEAR(std::abs(form.Raio_X_Formacao5 - antes), 0.22, 1e-9);
}

TEST_F(Inimigos, EnemiesAreDrawnWhollyOnScreenOrNotAndFireByTheThreshold) {
  auto desenhado = [&](double x, double y, float tipo) {
    form.backbuffer.BltColorFill(form.Rect_Tela, 0);
    Inimigo& e = Um(6, 1, x, y);
    e.Tipo = tipo;
    e.Y = 100;  // stops swaying-free at its line: pattern 6 at the stop line sways from X_Origem
    e.X_Origem = x;
    e.Angulo = 0;
    form.Atualizar_Inimigos();
    bool algum = false;
    for (int32_t yy = 0; yy < 480; ++yy) {
      for (int32_t xx = 560; xx < 640; ++xx) algum = algum || form.backbuffer.Pixel(xx, yy) != 0;
    }
    return algum;
  };
  EXPECT_TRUE(desenhado(602.5, 100, 15));  // placed at 602, right edge at 640
  EXPECT_FALSE(desenhado(603, 100, 15));
  EXPECT_FALSE(desenhado(580, 100, 16));  // a kind past the sheet draws nothing
  EXPECT_EQ(form.Rect_Inimigo.Left, 608);

  // A threshold below every draw fires every frame; Atira 0 never fires; pattern 0 is neither
  // moved nor drawn but still fires.
  form.Limiar_Tiro_Inimigo = -1;
  form.Nave_Y = 400;
  Inimigo& e = Um(0, 1, 100, 50);
  e.Atira = 1;
  form.Atualizar_Inimigos();
  EXPECT_EQ(e.X, 100);
  EXPECT_TRUE(form.Tiros_Inimigos[0].Ativo);
  e.Atira = 0;
  form.Tiros_Inimigos[0].Ativo = false;
  form.Atualizar_Inimigos();
  EXPECT_FALSE(form.Tiros_Inimigos[0].Ativo);
}

TEST_F(Inimigos, AimedShotsFlyStraightAtTheShipCentre) {
  double y2 = 417;
  EXPECT_NEAR(Form1::GetAngle(100, 50, 315, y2), -0.530, 1e-3);
  double y3 = 50;
  EXPECT_EQ(Form1::GetAngle(100, 50, 315, y3), 0);
  form.Nave_X = 300;
  form.Nave_Y = 400;
  form.Velocidade_Tiro_Inimigo = 2.5;
  struct Caso {
    double x;
    float y;
    bool ativo, sobe;
    double dx, dy;  // the first move
  } casos[] = {
      {315, 100, true, false, 0, 2.5},  // straight down from above the centre
      {315, 450, true, true, 0, -2.5},  // straight up from below
      {200, 417, true, true, 0, -2.5},  // level with the centre: up, not sideways
      {200, 400, false, true, 0, 0},    // level with the top edge: nothing fired
      {315, 410, true, true, 0, -2.5},  // between top and centre: up and away
      {100, 50, true, false, 0.506 * 2.5, 0.863 * 2.5},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    Tiro_Inimigo& t = form.Tiros_Inimigos[0];
    t.Ativo = false;
    float y = c.y;
    form.Preenche_Vetor_Tiro_Inimigo(c.x, y);
    EXPECT_EQ(t.Ativo, c.ativo);
    if (!c.ativo) continue;
    EXPECT_EQ(t.Sobe, c.sobe);
    form.Atualizar_Tiro_Inimigo();
    EXPECT_NEAR(t.X - c.x, c.dx, 2e-3);
    EXPECT_NEAR(t.Y - c.y, c.dy, 2e-3);
  }
  // Retired only past the edge, after being drawn.
  Tiro_Inimigo& t = form.Tiros_Inimigos[0];
  t = Tiro_Inimigo{637.5, 100, 0, true, true};
  form.Velocidade_Tiro_Inimigo = 0;
  form.Atualizar_Tiro_Inimigo();
  EXPECT_TRUE(t.Ativo);
  t.X = 640.5;
  form.Atualizar_Tiro_Inimigo();
  EXPECT_FALSE(t.Ativo);
  // A full pool fires nothing more.
  for (Tiro_Inimigo& s : form.Tiros_Inimigos) s = Tiro_Inimigo{10, 10, 0, true, false};
  float y = 100;
  form.Preenche_Vetor_Tiro_Inimigo(50, y);
  for (const Tiro_Inimigo& s : form.Tiros_Inimigos) EXPECT_EQ(s.X, 10);
}

}  // namespace
}  // namespace vartenos
