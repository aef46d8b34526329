// The ship at the edges, a full pool of shots, and the protection resumed after a pause.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "shell/form1.h"

namespace vartenos {
namespace {

class Jogador : public ::testing::Test {
 protected:
  void SetUp() override {
    form.Form_Load("/sa /sp");
    form.Reseta_Jogo();
  }

  // True when anything was drawn in the rectangle of the back buffer (cleared to black first).
  bool Desenhou(int32_t l, int32_t t, int32_t r, int32_t b) const {
    for (int32_t y = t; y < b; ++y) {
      for (int32_t x = l; x < r; ++x) {
        if (form.backbuffer.Pixel(x, y) != 0) return true;
      }
    }
    return false;
  }
  void Limpar() { form.backbuffer.BltColorFill(form.Rect_Tela, 0); }

  void Armar() { form.Tem_Laser2 = form.Tem_Laser4 = form.Tem_Laser5 = form.Tem_Laser6 = true; }

  HeadlessPlatform plataforma;
  Form1 form{plataforma, VARTENOS_BUILD_DATA, nullptr};
};

TEST_F(Jogador, ArrowsMoveTheShipEachOnItsOwnAndTheEdgesHoldIt) {
  struct Caso {
    bool esquerda, direita, cima, baixo;
    double x0, y0;
    float velocidade;
    double x, y;
  } casos[] = {
      {false, true, false, false, 300, 400, 3, 303, 400},
      {true, true, false, false, 300, 400, 3, 300, 400},  // opposite keys cancel
      {false, false, true, true, 300, 400, 3, 300, 400},
      {true, false, true, false, 300, 400, 3, 297, 397},   // a diagonal is full speed on both axes
      {false, true, false, false, 605, 400, 8, 610, 400},  // not 613
      {true, false, true, false, 2, 1, 3, 0, 0},
      {false, false, false, true, 0, 444, 3, 0, 445},
  };
  for (const Caso& c : casos) {
    form.Tecla_Esquerda = c.esquerda;
    form.Tecla_Direita = c.direita;
    form.Tecla_Cima = c.cima;
    form.Tecla_Baixo = c.baixo;
    form.Nave_X = c.x0;
    form.Nave_Y = c.y0;
    form.Nave_Velocidade = c.velocidade;
    form.Atualizar_Nave();
    EXPECT_EQ(form.Nave_X, c.x) << c.x0 << "," << c.y0;
    EXPECT_EQ(form.Nave_Y, c.y) << c.x0 << "," << c.y0;
  }
  // At both corners the whole ship is drawn.
  for (const double canto : {0.0, 1.0}) {
    Limpar();
    form.Nave_X = 610 * canto;
    form.Nave_Y = 445 * canto;
    form.Nave_Quadro = 0;
    form.Atualizar_Nave();
    EXPECT_TRUE(Desenhou(610 * canto, 445 * canto, 610 * canto + 30, 445 * canto + 35));
  }
}

TEST_F(Jogador, AFullPoolNeverStopsAWeaponForGood) {
  Armar();
  form.Tecla_Tiro = true;
  for (Tiro& t : form.Tiros) t = Tiro{100, 470, true, 0, 3};
  // Nothing can fire: the counters of the laser, side, narrow and pulsing shots still start over at
  // their volley; the steerable one keeps counting and waits for a free slot.
  for (int f = 1; f <= 15; ++f) {
    float y = 400;
    form.Preenche_Vetor_Tiro(313, y);
  }
  EXPECT_EQ(form.Cadencia_Laser, 0);
  EXPECT_EQ(form.Cadencia_Laser2, 1);
  EXPECT_EQ(form.Cadencia_Laser4, 7);
  EXPECT_EQ(form.Cadencia_Laser5, 15);
  EXPECT_EQ(form.Cadencia_Laser6, 0);
  // One slot frees: the steerable shot takes it in that very frame, its direction fixed then.
  form.Tiros[40].Ativo = false;
  form.Tecla_Esquerda = form.Tecla_Direita = true;
  float y = 400;
  form.Preenche_Vetor_Tiro(313, y);
  EXPECT_EQ(form.Tiros[40].Tipo, 3);  // the narrow shot came first in the frame's order
  form.Tiros[41].Ativo = false;
  form.Preenche_Vetor_Tiro(313, y);
  EXPECT_EQ(form.Tiros[41].Tipo, 4);
  EXPECT_EQ(form.Tiros[41].Direcao, 0);  // Left wins over Right
  EXPECT_EQ(form.Cadencia_Laser5, 0);
  // Steering afterwards does not bend it.
  form.Tecla_Esquerda = false;
  form.Atualizar_Tiro();
  EXPECT_EQ(form.Tiros[41].X, 301 - 9);
}

TEST_F(Jogador, ResumingFromPauseGivesTimer2TheSecondsShownOrEndsTheProtectionAtZero) {
  // Paused with the protection running; a P typed 100 ms later resumes.
  for (const uint8_t mostrados : {3, 0}) {
    form.Nave_Invencivel = true;
    form.Nave_Ultimo_Quadro = 7;
    form.Contagem_Invencivel = 3;
    form.Tempo_Invencivel = mostrados;
    form.Timer2.Interval(1000);
    form.Timer2.Enabled(true);
    form.Timer3.Enabled(mostrados > 0);
    form.Pausa = true;
    plataforma.Agendar(EventoRoteiro{plataforma.TickCount() + 100, EventoRoteiro::Press, 80});
    EXPECT_EQ(form.Pausa_AP(), Tela::Main);
    EXPECT_TRUE(form.Timer1.Enabled());
    EXPECT_FALSE(form.Pausa2);
    EXPECT_EQ(form.Nave_Invencivel, mostrados > 0);
    EXPECT_EQ(form.Timer2.Enabled(), mostrados > 0);
    EXPECT_EQ(form.Timer3.Enabled(), mostrados > 0);
    EXPECT_EQ(form.Nave_Ultimo_Quadro, mostrados > 0 ? 7 : 2);
    EXPECT_EQ(form.Timer2.Interval(), mostrados > 0 ? 3000 : 1000);
  }
}

}  // namespace
}  // namespace vartenos
