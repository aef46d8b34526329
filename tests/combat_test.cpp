// Collisions, extras and explosions.
#include <gtest/gtest.h>

#include "partida.h"

namespace vartenos {
namespace {

class Combate : public Partida {
 protected:
  Combate() {
    form.Nave_X = 300;
    form.Nave_Y = 400;
  }
  Inimigo& Inimigo_Em(int i, double x, double y) {
    Inimigo& e = form.Inimigos[i];
    e = Inimigo{};
    e.Ativo = true;
    e.X = x;
    e.Y = y;
    e.Energia = 20;
    return e;
  }
  int Explosoes() const {
    int n = 0;
    for (const Explosao& x : form.Explosoes) n += x.Ativo ? 1 : 0;
    return n;
  }
};

TEST(Intersectrect, StrictOnEveryEdgeAndSymmetric) {
  struct Caso {
    RECT a, b;
    bool sim;
  } casos[] = {
      {{0, 0, 10, 10}, {10, 0, 20, 10}, false},  // touching edges
      {{0, 0, 10, 10}, {5, 5, 15, 15}, true},
      {{0, 0, 10, 10}, {0, 5, 4, 15}, false},   // equal left edges never meet
      {{0, 0, 10, 10}, {2, 0, 8, 10}, false},   // same top and bottom
      {{0, 0, 10, 10}, {2, 2, 8, 8}, true},     // wholly inside
      {{0, 0, 10, 10}, {2, -5, 8, 15}, true},   // a narrow bar across
      {{0, 0, 10, 10}, {5, -5, 15, 0}, false},  // touching the top
      {{0, 0, 10, 10}, {-5, 9, 5, 20}, true},
  };
  for (const Caso& c : casos) {
    EXPECT_EQ(Form1::Intersectrect(c.a, c.b), c.sim) << c.b.Left << "," << c.b.Top;
    EXPECT_EQ(Form1::Intersectrect(c.b, c.a), c.sim) << c.b.Left << "," << c.b.Top;
  }
}

TEST_F(Combate, HitBoxesRoundTheirOwnWay) {
  // The enemy's box floors (100.7, 50.2) to (100, 50, 138, 74): a laser at X 137.9 (floor 137)
  // meets it, one at 138 only touches.
  for (const auto& [x, acerta] : {std::pair{137.9f, true}, std::pair{138.0f, false}}) {
    Inimigo_Em(0, 100.7, 50.2);
    form.Tiros[0] = Tiro{x, 60, true, 0, 1};
    form.Testa_Colisao();
    EXPECT_EQ(form.Inimigos[0].Energia, acerta ? 15 : 20) << x;
  }
  // The ship's box rounds halves to even: at 100.5 it starts at 100, at 101.5 at 102. An enemy shot
  // (rounded too) at X 90.5 (90, right edge 100) touches the first and misses; at 91.5 it is 92.
  struct Caso {
    double nave_x;
    double tiro_x;
    bool acerta;
  } casos[] = {{100.5, 90.5, false}, {100.5, 91.5, true}, {101.5, 92.5, false}, {101.5, 93.5, true}};
  for (const Caso& c : casos) {
    form.Nave_Invencivel = false;
    form.Vidas = 6;
    form.Nave_X = c.nave_x;
    form.Tiros_Inimigos[0] = Tiro_Inimigo{c.tiro_x, 410, 0, true, false};
    form.Testa_Colisao();
    EXPECT_EQ(form.Vidas, c.acerta ? 5 : 6) << c.nave_x << " " << c.tiro_x;
  }
}

TEST_F(Combate, TheOddTurnsPlayersKnow) {
  // Two lasers in one frame on an enemy with 5 left: both kill, both score, two explosions, one extra.
  Inimigo& e = Inimigo_Em(0, 100, 100);
  e.Energia = 5;
  e.Tem_Extra = -1;
  e.Tipo_Extra = 3;
  form.Tiros[0] = Tiro{105, 105, true, 0, 1};
  form.Tiros[1] = Tiro{110, 105, true, 0, 1};
  form.Testa_Colisao();
  EXPECT_EQ(form.Pontos, 100);
  EXPECT_EQ(Explosoes(), 2);
  EXPECT_EQ(form.Explosoes[0].X, 100);
  EXPECT_TRUE(form.Extras[0].Ativo);
  EXPECT_FALSE(form.Extras[1].Ativo);
  EXPECT_EQ(form.Extras[0].X, 119);
  EXPECT_EQ(form.Extras[0].Y, 112);

  // An enemy killed by a shot while it rams the ship still costs the life.
  form.Tiros[0] = Tiro{305, 400, true, 0, 5};
  Inimigo_Em(1, 290, 390).Energia = 10;
  form.Testa_Colisao();
  EXPECT_EQ(form.Pontos, 600);
  EXPECT_EQ(form.Vidas, 5);
  // Protected, nothing touches the ship: rammers stay, enemy shots fly through.
  Inimigo& r = Inimigo_Em(2, 290, 390);
  form.Tiros_Inimigos[0] = Tiro_Inimigo{305, 405, 0, true, false};
  form.Testa_Colisao();
  EXPECT_TRUE(r.Ativo);
  EXPECT_TRUE(form.Tiros_Inimigos[0].Ativo);
  EXPECT_EQ(form.Vidas, 5);
}

TEST_F(Combate, ExtrasAtTheirLimits) {
  // The laser stops at 3 beams and then scores nothing; the speed stops at 8 and still scores.
  form.Nivel_Laser = 3;
  form.Nave_Velocidade = 8;
  for (float tipo : {6.0f, 7.0f}) {
    form.Preenche_Vetor_Extra(310, 410, tipo);
    form.Testa_Colisao_Nave_Extra();
  }
  EXPECT_EQ(form.Nivel_Laser, 3);
  EXPECT_EQ(form.Nave_Velocidade, 8);
  EXPECT_EQ(form.Pontos, 500);
  // Invincibility adds 40 to both counts, restarts Timer2's second, and holds at the maximum.
  form.Contagem_Invencivel = 3;
  form.Tempo_Invencivel = 230;
  float cinco = 5;
  form.Preenche_Vetor_Extra(310, 410, cinco);
  form.Testa_Colisao_Nave_Extra();
  EXPECT_EQ(form.Contagem_Invencivel, 43);
  EXPECT_EQ(form.Tempo_Invencivel, 255);
  EXPECT_EQ(form.Timer2.Due(), plataforma.TickCount() + 1000);
  // A fourth extra is lost; an edge contact does not pick up (ship box 300..330).
  for (float x : {330.0f, 100.0f, 200.0f, 250.0f}) {
    float tipo = 1;
    form.Preenche_Vetor_Extra(x, 400, tipo);
  }
  EXPECT_EQ(form.Extras[2].X, 200);
  form.Testa_Colisao_Nave_Extra();
  EXPECT_TRUE(form.Extras[0].Ativo);
  // An extra falls a pixel a frame and leaves once past 480.
  form.Extras[0].Y = 480;
  form.Atualizar_Extras();
  EXPECT_FALSE(form.Extras[0].Ativo);
  EXPECT_EQ(form.Extras[1].Y, 401);
}

TEST_F(Combate, ExplosionsShowFiveCellsAndSixteenAtMost) {
  for (int i = 0; i < 17; ++i) {
    double x = 100.5 + i;
    int32_t y = 50;
    form.Preenche_Vetor_Explosao(x, y);
  }
  EXPECT_EQ(Explosoes(), 16);
  EXPECT_EQ(form.Explosoes[0].X, 100);  // halves to even
  EXPECT_EQ(form.Explosoes[1].X, 102);
  for (int quadro = 1; quadro <= 5; ++quadro) {
    form.backbuffer.BltColorFill(form.Rect_Tela, 0);
    form.Atualizar_Explosao();
    EXPECT_EQ(Explosoes(), quadro < 5 ? 16 : 0);
  }
}

}  // namespace
}  // namespace vartenos
