// The ship, its five weapons, the shield orbs and the invincibility countdown, frame by frame.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "shell/form1.h"

namespace vartenos {
namespace {

struct Textos : TextLog {
  std::vector<TextoDesenhado> vistos;
  void Drawn(const TextoDesenhado& t) override { vistos.push_back(t); }
};

class Jogador : public ::testing::Test {
 protected:
  void SetUp() override {
    form.Registrar_Texto(&textos);
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

  // One frame of the weapons as the game loop runs them.
  void Disparar() {
    float y = static_cast<float>(form.Nave_Y);
    form.Preenche_Vetor_Tiro(form.Nave_X + 13, y);
    form.Atualizar_Tiro();
  }
  // Frames (1-based) of `n` frames of held fire in which a shot of kind `tipo` was spawned.
  std::vector<int> Volleys(float tipo, int n) {
    std::vector<int> quadros;
    form.Tecla_Tiro = true;
    for (int f = 1; f <= n; ++f) {
      std::vector<bool> antes;
      for (const Tiro& t : form.Tiros) antes.push_back(t.Ativo);
      float y = static_cast<float>(form.Nave_Y);
      form.Preenche_Vetor_Tiro(form.Nave_X + 13, y);
      for (size_t i = 0; i < form.Tiros.size(); ++i) {
        if (form.Tiros[i].Ativo && !antes[i] && form.Tiros[i].Tipo == tipo) {
          quadros.push_back(f);
          break;
        }
      }
      form.Atualizar_Tiro();
    }
    return quadros;
  }
  void Armar() { form.Tem_Laser2 = form.Tem_Laser4 = form.Tem_Laser5 = form.Tem_Laser6 = true; }

  HeadlessPlatform plataforma;
  Form1 form{plataforma, VARTENOS_BUILD_DATA, nullptr};
  Textos textos;
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

TEST_F(Jogador, TheShipCyclesThreeCellsAndBlinksThreeInEightWhileProtected) {
  auto visivel = [&] {
    Limpar();
    form.Atualizar_Nave();
    return Desenhou(300, 400, 330, 435);
  };
  // Normal flight: cells 0, 1, 2, 0, each drawn.
  for (float celula : {0.0f, 1.0f, 2.0f, 0.0f}) {
    EXPECT_EQ(form.Nave_Quadro, celula);
    EXPECT_TRUE(visivel());
  }
  // Protected: drawn in three frames, missing in the next five, steadily.
  form.Nave_Quadro = 0;
  form.Nave_Ultimo_Quadro = 7;
  std::vector<bool> ritmo;
  for (int f = 0; f < 16; ++f) ritmo.push_back(visivel());
  const std::vector<bool> oito = {true, true, true, false, false, false, false, false};
  EXPECT_EQ(ritmo, [&] {
    auto r = oito;
    r.insert(r.end(), oito.begin(), oito.end());
    return r;
  }());
  // The protection ends at cell 5: cell 5 is still used once (nothing drawn), then cell 0.
  form.Nave_Quadro = 5;
  form.Nave_Ultimo_Quadro = 2;
  EXPECT_FALSE(visivel());
  EXPECT_EQ(form.Nave_Quadro, 0);
  EXPECT_TRUE(visivel());
}

TEST_F(Jogador, EachWeaponFiresAtItsCadenceFromItsFirstVolley) {
  Armar();
  // Up to 120 frames of fire with all five weapons; the pool never fills (shots leave the screen).
  struct Cadencia {
    float tipo;
    int primeiro;
    int periodo;
  } cadencias[] = {{1, 5, 5}, {2, 7, 7}, {3, 8, 8}, {4, 11, 11}, {5, 15, 15}};
  for (const Cadencia& c : cadencias) {
    form.Reseta_Jogo();
    Armar();
    const std::vector<int> quadros = Volleys(c.tipo, 60);
    ASSERT_FALSE(quadros.empty()) << c.tipo;
    EXPECT_EQ(quadros[0], c.primeiro) << c.tipo;
    for (size_t i = 1; i < quadros.size(); ++i) EXPECT_EQ(quadros[i] - quadros[i - 1], c.periodo) << c.tipo;
  }
  // Releasing Space keeps the count: released at 3, pressed again, the laser fires on the 2nd frame.
  form.Reseta_Jogo();
  Volleys(1, 3);
  form.Tecla_Tiro = false;
  Disparar();
  Disparar();
  EXPECT_EQ(form.Cadencia_Laser, 3);
  EXPECT_EQ(Volleys(1, 2), std::vector<int>{2});
}

TEST_F(Jogador, SpawnPointsCellsAndSoundsOfEachVolley) {
  Armar();
  form.Nivel_Laser = 3;
  form.Nave_X = 200.5;
  form.Nave_Y = 300;
  form.Tecla_Tiro = true;
  form.Cadencia_Laser = 4;
  form.Cadencia_Laser2 = 6;
  form.Cadencia_Laser4 = 7;
  form.Cadencia_Laser5 = 10;
  form.Cadencia_Laser6 = 14;
  form.Tecla_Direita = true;
  float y = 300;
  form.Preenche_Vetor_Tiro(form.Nave_X + 13, y);
  struct Esperado {
    float tipo, x, y, direcao;
  } esperados[] = {
      {1, 213.5f, 300, 0}, {1, 200.5f, 300, 0}, {1, 226.5f, 300, 0}, {2, 213.5f, 310, 0},
      {2, 213.5f, 310, 1}, {3, 213.5f, 300, 0}, {4, 201.5f, 300, 1}, {5, 210.5f, 300, 0},
  };
  for (size_t i = 0; i < std::size(esperados); ++i) {
    const Tiro& t = form.Tiros[i];
    SCOPED_TRACE(i);
    EXPECT_TRUE(t.Ativo);
    EXPECT_EQ(t.Tipo, esperados[i].tipo);
    EXPECT_EQ(t.X, esperados[i].x);
    EXPECT_EQ(t.Y, esperados[i].y);
    if (t.Tipo != 1 && t.Tipo != 3) {
      EXPECT_EQ(t.Direcao, esperados[i].direcao);
    }
  }
  EXPECT_FALSE(form.Tiros[8].Ativo);

  // Level 2 has no beam in the middle.
  form.Reseta_Jogo();
  form.Nivel_Laser = 2;
  form.Cadencia_Laser = 4;
  form.Tecla_Tiro = true;
  form.Preenche_Vetor_Tiro(100, y);
  EXPECT_EQ(form.Tiros[0].X, 113);
  EXPECT_EQ(form.Tiros[1].X, 87);
  EXPECT_FALSE(form.Tiros[2].Ativo);
}

TEST_F(Jogador, ShotsAreDrawnWhereTheyStandThenMovedThenRetiredAtTheirEdge) {
  struct Caso {
    float tipo, direcao, x, y;
    bool fica;  // still flying after the frame
    float x1, y1;
  } casos[] = {
      {1, 0, 100, 12, true, 100, 0},     {1, 0, 100, 5, false, 100, -7},  {3, 0, 100, 14, true, 100, 0},
      {3, 0, 100, 13, false, 100, -1},   {5, 0, 100, 18, true, 100, 0},   {5, 12, 100, 17, false, 100, -1},
      {2, 0, 11, 100, true, 0, 100},     {2, 0, 10, 100, false, -1, 100}, {2, 1, 629, 100, true, 640, 100},
      {2, 1, 630, 100, false, 641, 100}, {4, 2, 100, 11, true, 100, 0},   {4, 0, 9, 100, true, 0, 89},
      {4, 0, 8, 100, false, -1, 89},     {4, 1, 631, 100, true, 640, 89}, {4, 1, 632, 100, false, 641, 89},
      {4, 2, 100, 10, false, 100, -1},
  };
  const struct { int32_t w, h; } tamanho[6] = {{0, 0}, {4, 10}, {22, 18}, {6, 12}, {30, 10}, {12, 15}};
  for (const Caso& c : casos) {
    SCOPED_TRACE(testing::Message() << "Tipo " << c.tipo << " at " << c.x << "," << c.y);
    form.Tiros[0] = Tiro{c.x, c.y, true, c.direcao, c.tipo};
    Limpar();
    form.Atualizar_Tiro();
    EXPECT_EQ(form.Tiros[0].Ativo, c.fica);
    EXPECT_EQ(form.Tiros[0].X, c.x1);
    EXPECT_EQ(form.Tiros[0].Y, c.y1);
    // Drawn at the position it had before the move, when the whole cell fits.
    const auto& s = tamanho[static_cast<int>(c.tipo)];
    const bool cabe = c.x + s.w <= 640;
    EXPECT_EQ(Desenhou(c.x, c.y, std::min<int32_t>(640, c.x + s.w), c.y + s.h), cabe);
  }
  // The pulse: cell 0 for counts 0 to 6, cell 1 for 7 to 12, then round again.
  form.Tiros[0] = Tiro{100, 470, true, 0, 5};
  std::vector<float> contagem;
  for (int f = 0; f < 14; ++f) {
    contagem.push_back(form.Tiros[0].Direcao);
    form.Tiros[0].Y = 470;
    form.Atualizar_Tiro();
  }
  EXPECT_EQ(contagem, (std::vector<float>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0}));
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

TEST_F(Jogador, ShieldOrbsCircleTheShipAndWrapAt270) {
  // Without the shield nothing moves.
  form.Atualizar_Escudo();
  EXPECT_EQ(form.Escudos[1].Angulo, 90);
  form.Tem_Escudo = true;
  Limpar();
  form.Atualizar_Escudo();
  const int32_t esperado[3][2] = {{379, 407}, {278, 470}, {267, 351}};
  const double angulos[3] = {0.2, 90.2, 180.2};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(std::nearbyint(form.Escudos[k].X), esperado[k][0]) << k;
    EXPECT_EQ(std::nearbyint(form.Escudos[k].Y), esperado[k][1]) << k;
    EXPECT_EQ(form.Escudos[k].Angulo, angulos[k]) << k;
    EXPECT_TRUE(
        Desenhou(esperado[k][0], esperado[k][1], esperado[k][0] + 16, std::min(480, esperado[k][1] + 16)) ||
        esperado[k][1] + 16 > 480)
        << k;
  }
  // Each orb returns to exactly 0 after its last step past 270: frame 1352 from 0, 902 from 90,
  // 452 from 180.
  int reinicio[3] = {0, 0, 0};
  for (int f = 2; f <= 1352; ++f) {
    form.Atualizar_Escudo();
    for (int k = 0; k < 3; ++k) {
      if (reinicio[k] == 0 && form.Escudos[k].Angulo == 0) reinicio[k] = f;
    }
  }
  EXPECT_EQ(reinicio[0], 1352);
  EXPECT_EQ(reinicio[1], 902);
  EXPECT_EQ(reinicio[2], 452);
}

TEST_F(Jogador, InvCountdownIsShownOnlyWhileItsTimerRuns) {
  form.Atualizar_Tempo_Invencivel();
  EXPECT_TRUE(textos.vistos.empty());
  form.Tempo_Invencivel = 43;
  form.Timer3.Enabled(true);
  form.Atualizar_Tempo_Invencivel();
  ASSERT_EQ(textos.vistos.size(), 1u);
  const TextoDesenhado& t = textos.vistos[0];
  EXPECT_EQ(t.texto, "Inv: 43");
  EXPECT_EQ(t.x, 600);
  EXPECT_EQ(t.y, 10);
  EXPECT_EQ(t.cor, 255);
  EXPECT_EQ(t.tamanho, 8);
  EXPECT_TRUE(t.negrito);
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
