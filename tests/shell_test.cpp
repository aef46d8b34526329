// Start-up switches, the new-game reset, the key handlers and the timer handlers of the game window.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/fatal_error.h"
#include "platform/headless/headless_platform.h"
#include "shell/form1.h"

namespace vartenos {
namespace {

class Janela : public ::testing::Test {
 protected:
  HeadlessPlatform plataforma;
  Form1 form{plataforma, VARTENOS_BUILD_DATA, nullptr};
};

struct Chaves {
  const char* linha;
  bool abertura;
  bool pular_efeito;
  bool extras;
  bool caixa;
};

TEST(Switches, TheTableOfCommandLines) {
  const Chaves casos[] = {
      {"", true, true, false, false},
      {"/sa", false, true, false, false},
      {"/SA", false, true, false, false},
      {"/sample", false, true, false, false},
      {"/sp", false, false, false, false},
      {"/special", false, false, false, false},
      {"/sa /sp", false, true, false, false},
      {"/sa/sp", false, true, false, false},
      {"/sp /extras", false, false, true, false},
      {"/EXTRAS", true, true, true, false},
      {"/sa lixo", false, true, false, false},
      {"/foo", true, true, false, true},
      {"sa sp", true, true, false, true},
  };
  for (const Chaves& c : casos) {
    HeadlessPlatform plataforma;
    Form1 form(plataforma, VARTENOS_BUILD_DATA, nullptr);
    testing::internal::CaptureStderr();
    form.Form_Load(c.linha);
    const std::string err = testing::internal::GetCapturedStderr();
    SCOPED_TRACE(c.linha);
    EXPECT_EQ(form.Mostrar_Abertura, c.abertura);
    EXPECT_EQ(form.Pular_Efeito, c.pular_efeito);
    EXPECT_EQ(form.Modo_Extras, c.extras);
    if (c.caixa) {
      EXPECT_EQ(err, std::string("message box \"Orbex\": ") + c.linha + ": Parâmetro inválido.\n");
    } else {
      EXPECT_EQ(err.find("message box"), std::string::npos) << err;
    }
    // Start-up continues in every case.
    EXPECT_TRUE(form.Som_Ligado);
    EXPECT_TRUE(form.Musica_Ligada);
    EXPECT_FALSE(form.Mostrar_FPS);
    EXPECT_EQ(form.Rect_Tela.Right, 640);
    EXPECT_EQ(form.Rect_Tela.Bottom, 480);
    EXPECT_EQ(form.Surf_Titulo2.Width(), 491);
    EXPECT_EQ(form.Surf_Titulo2.Height(), 99);
  }
}

TEST(Switches, StarFieldIsTheSameOnEveryStartAndInRange) {
  HeadlessPlatform p1;
  Form1 a(p1, VARTENOS_BUILD_DATA, nullptr);
  a.Form_Load("/sa /sp");
  HeadlessPlatform p2;
  Form1 b(p2, VARTENOS_BUILD_DATA, nullptr);
  b.Form_Load("");
  for (size_t i = 0; i < a.Estrelas.size(); ++i) {
    const Estrela& e = a.Estrelas[i];
    EXPECT_EQ(e.X, b.Estrelas[i].X);
    EXPECT_EQ(e.Y, b.Estrelas[i].Y);
    EXPECT_EQ(e.Velocidade, b.Estrelas[i].Velocidade);
    EXPECT_TRUE(e.Ativo);
    EXPECT_EQ(e.X, std::floor(e.X));
    EXPECT_GE(e.X, 0);
    EXPECT_LE(e.X, 639);
    EXPECT_LE(e.Y, 479);
    EXPECT_LT(e.Velocidade, 2);
  }
}

TEST_F(Janela, NewGameSetsEveryFieldWhateverThePreviousGameLeft) {
  form.Form_Load("/sa /sp");
  // A game that went badly.
  form.Vidas = 0;
  form.Pontos = 123456;
  form.Nave_X = 1;
  form.Fase_Atual = 4;
  form.Musica_Fase = 4;
  form.Pausa = true;
  form.Fim = true;
  form.Nivel_Laser = 7;
  form.Tem_Laser5 = true;
  form.Tiros[79].Ativo = true;
  form.Inimigos[149].Ativo = true;
  form.Tiros_Inimigos[50].Ativo = true;
  form.Explosoes[15].Ativo = true;
  form.Extras[2].Ativo = true;
  form.Galaxias[1].Ativo = true;
  form.Tecla_Esquerda = true;
  form.Tecla_Tiro = true;
  form.Tempo_Invencivel = 3;
  form.Contagem_Invencivel = 2;
  form.Estrelas[5].Y = 77;
  form.Ultimos_Pontos = 50;
  form.Reseta_Jogo();

  EXPECT_EQ(form.Opcao_Menu, 1);
  EXPECT_EQ(form.Formacao_Atual, -1);
  EXPECT_FALSE(form.Formacao_Encerrada);
  EXPECT_FALSE(form.Em_Fim_De_Jogo);
  EXPECT_FALSE(form.Pausa2);
  EXPECT_EQ(form.Musica_Fase, 1);
  EXPECT_FALSE(form.Fase_Completa);
  EXPECT_EQ(form.Fase_Atual, 1);
  EXPECT_FALSE(form.Nave_Invencivel);
  EXPECT_FALSE(form.Pausa);
  EXPECT_EQ(form.Raio_X_Formacao5, 200);
  EXPECT_FALSE(form.Crescendo_Formacao5);
  EXPECT_EQ(form.Raio_Y_Formacao5, 200);
  EXPECT_EQ(form.Cadencia_Laser + form.Cadencia_Laser2 + form.Cadencia_Laser4 + form.Cadencia_Laser5 +
                form.Cadencia_Laser6,
            0);
  EXPECT_EQ(form.Escudos[0].Angulo, 0);
  EXPECT_EQ(form.Escudos[1].Angulo, 90);
  EXPECT_EQ(form.Escudos[2].Angulo, 180);
  EXPECT_FALSE(form.Tecla_Tiro);
  EXPECT_EQ(form.Velocidade_Tiro_Inimigo, 2.5);
  EXPECT_EQ(form.Limiar_Tiro_Inimigo, 1498.0f);
  EXPECT_EQ(form.Nivel_Laser, 1.0f);
  EXPECT_FALSE(form.Tem_Laser2 || form.Tem_Escudo || form.Tem_Laser4 || form.Tem_Laser5 || form.Tem_Laser6);
  EXPECT_EQ(form.Velocidade_Formacao1, 1.0);
  EXPECT_EQ(form.Velocidade_Formacao2, 1.0);
  EXPECT_EQ(form.Velocidade_Formacao3, 0.05);
  EXPECT_EQ(form.Velocidade_Formacao4, 2.0);
  EXPECT_EQ(form.Velocidade_Formacao5, 0.11);
  EXPECT_EQ(form.Velocidade_Formacao6, 0.4);
  EXPECT_EQ(form.Velocidade_Formacao7, 1.0);
  EXPECT_EQ(form.Quadros_No_Segundo, 0);
  EXPECT_EQ(form.Relogio_Fase, 0);
  EXPECT_FALSE(form.Tecla_Esquerda || form.Tecla_Direita || form.Tecla_Cima || form.Tecla_Baixo);
  EXPECT_EQ(form.Nave_X, 300);
  EXPECT_EQ(form.Nave_Y, 400);
  EXPECT_EQ(form.Nave_Quadro, 0);
  EXPECT_EQ(form.Nave_Ultimo_Quadro, 2);
  EXPECT_EQ(form.Nave_Velocidade, 3);
  EXPECT_EQ(form.Vidas, 6);
  EXPECT_EQ(form.Pontos, 0);
  EXPECT_FALSE(form.Fim);
  for (const auto& t : form.Tiros) EXPECT_FALSE(t.Ativo);
  for (const auto& t : form.Inimigos) EXPECT_FALSE(t.Ativo);
  for (const auto& t : form.Tiros_Inimigos) EXPECT_FALSE(t.Ativo);
  for (const auto& t : form.Explosoes) EXPECT_FALSE(t.Ativo);
  for (const auto& t : form.Extras) EXPECT_FALSE(t.Ativo);
  for (const auto& t : form.Galaxias) EXPECT_FALSE(t.Ativo);
  // What a new game leaves alone.
  EXPECT_EQ(form.Tempo_Invencivel, 3);
  EXPECT_EQ(form.Contagem_Invencivel, 2);
  EXPECT_EQ(form.Estrelas[5].Y, 77);
  EXPECT_EQ(form.Ultimos_Pontos, 50);
}

TEST(NewGame, ExtrasModeArmsTheShipFully) {
  HeadlessPlatform p;
  Form1 form(p, VARTENOS_BUILD_DATA, nullptr);
  form.Form_Load("/sa /sp /extras");
  form.Reseta_Jogo();
  EXPECT_EQ(form.Nivel_Laser, 3.0f);
  EXPECT_TRUE(form.Tem_Laser2 && form.Tem_Escudo && form.Tem_Laser4 && form.Tem_Laser5 && form.Tem_Laser6);
}

TEST_F(Janela, ArrowsAndTheMenuDigitsWrapTheSelection) {
  form.Form_Load("/sa /sp");
  form.Em_Menu = 1;
  form.Opcao_Menu = 1;
  form.Form_KeyDown(38, 0);
  EXPECT_EQ(form.Opcao_Menu, 5);
  EXPECT_TRUE(form.Tecla_Cima);
  form.Form_KeyUp(38, 0);
  EXPECT_FALSE(form.Tecla_Cima);
  for (int esperado : {1, 2, 3, 4, 5, 1}) {
    form.Form_KeyDown(40, 0);  // held down: auto-repeat
    EXPECT_EQ(form.Opcao_Menu, esperado);
  }
  form.Opcao_Menu = 5;
  form.Form_KeyPress(50);  // "2"
  EXPECT_EQ(form.Opcao_Menu, 1);
  form.Form_KeyPress(56);  // "8"
  EXPECT_EQ(form.Opcao_Menu, 5);

  // In the game the digits do nothing, the arrows still move the (unread) selection.
  form.Em_Menu = 2;
  form.Form_KeyPress(56);
  form.Form_KeyPress(50);
  EXPECT_EQ(form.Opcao_Menu, 5);
  form.Form_KeyDown(40, 0);
  EXPECT_EQ(form.Opcao_Menu, 1);
}

TEST_F(Janela, SpaceFiresInTheGameAndChoosesOnTheMenu) {
  form.Form_Load("/sa /sp");
  form.Em_Menu = 2;
  form.Opcao_Menu = 1;
  form.Form_KeyDown(32, 0);
  form.Form_KeyPress(32);
  EXPECT_TRUE(form.Tecla_Tiro);
  EXPECT_FALSE(form.Iniciar_Jogo);
  form.Form_KeyUp(32, 0);
  EXPECT_FALSE(form.Tecla_Tiro);

  form.Em_Menu = 1;
  form.Form_KeyPress(32);
  EXPECT_TRUE(form.Iniciar_Jogo);
  form.Opcao_Menu = 2;
  form.Form_KeyPress(32);
  EXPECT_FALSE(form.Som_Ligado);
  form.Form_KeyPress(32);
  EXPECT_TRUE(form.Som_Ligado);
  form.Opcao_Menu = 3;
  form.Form_KeyPress(32);
  EXPECT_FALSE(form.Musica_Ligada);
  form.Form_KeyPress(32);
  EXPECT_TRUE(form.Musica_Ligada);
  form.Opcao_Menu = 5;
  EXPECT_FALSE(form.Leaving());
  form.Form_KeyPress(32);
  EXPECT_TRUE(form.Leaving());
}

TEST_F(Janela, LetterKeysToggleOnEveryScreenInBothCases) {
  form.Form_Load("/sa /sp");
  for (uint8_t tela : {1, 2}) {
    form.Em_Menu = tela;
    form.Pausa = false;
    form.Form_KeyPress('P');
    EXPECT_TRUE(form.Pausa);
    form.Form_KeyPress('p');
    EXPECT_FALSE(form.Pausa);
    form.Form_KeyPress('s');
    EXPECT_FALSE(form.Som_Ligado);
    form.Form_KeyPress('S');
    EXPECT_TRUE(form.Som_Ligado);
    form.Form_KeyPress('m');
    EXPECT_FALSE(form.Musica_Ligada);
    form.Form_KeyPress('M');
    EXPECT_TRUE(form.Musica_Ligada);
    form.Form_KeyPress('f');
    EXPECT_TRUE(form.Mostrar_FPS);
    form.Form_KeyPress('F');
    EXPECT_FALSE(form.Mostrar_FPS);
    form.Fim = false;
    form.Form_KeyPress(27);
    EXPECT_TRUE(form.Fim);
  }
  // Keys without an action change nothing.
  form.Form_KeyDown(65, 0);
  form.Form_KeyPress('x');
  form.Form_KeyUp(13, 0);
  EXPECT_FALSE(form.Pausa);
}

TEST_F(Janela, TimerHandlersCountSecondsAndEndInvincibility) {
  form.Form_Load("/sa /sp");
  form.Quadros_No_Segundo = 37;
  form.Relogio_Fase = 4;
  form.Timer1_Timer();
  EXPECT_EQ(form.Relogio_Fase, 5);
  EXPECT_EQ(form.FPS, 37);
  EXPECT_EQ(form.Quadros_No_Segundo, 0);

  // A hit: five seconds of protection, counted down by Timer2 and shown by Timer3.
  form.Contagem_Invencivel = 5;
  form.Tempo_Invencivel = 5;
  form.Nave_Invencivel = true;
  form.Nave_Ultimo_Quadro = 7;
  form.Timer2.Interval(1000);
  form.Timer2.Enabled(true);
  form.Timer3.Enabled(true);
  for (int i = 4; i >= 1; --i) {
    form.Timer2_Timer();
    form.Timer3_Timer();
    EXPECT_EQ(form.Tempo_Invencivel, i);
    EXPECT_TRUE(form.Nave_Invencivel);
    EXPECT_TRUE(form.Timer2.Enabled());
    EXPECT_TRUE(form.Timer3.Enabled());
  }
  form.Timer2_Timer();
  form.Timer3_Timer();
  EXPECT_EQ(form.Tempo_Invencivel, 0);
  EXPECT_FALSE(form.Nave_Invencivel);
  EXPECT_EQ(form.Nave_Ultimo_Quadro, 2);
  EXPECT_FALSE(form.Timer2.Enabled());
  EXPECT_FALSE(form.Timer3.Enabled());
  // Started from 0, the counter stops at 0 instead of wrapping round.
  form.Timer3.Enabled(true);
  form.Timer3_Timer();
  EXPECT_EQ(form.Tempo_Invencivel, 0);
  EXPECT_FALSE(form.Timer3.Enabled());
}

TEST_F(Janela, StartUpTimersAreThoseOfTheWindow) {
  form.Form_Load("/sa /sp");
  EXPECT_TRUE(form.Timer1.Enabled());
  EXPECT_EQ(form.Timer1.Interval(), 1000);
  EXPECT_FALSE(form.Timer2.Enabled());
  EXPECT_EQ(form.Timer2.Interval(), 5000);
  EXPECT_FALSE(form.Timer3.Enabled());
  EXPECT_EQ(form.Timer3.Interval(), 1000);
  EXPECT_EQ(form.NextTimerDue(), 1000);
}

}  // namespace
}  // namespace vartenos

namespace vartenos {
namespace {

TEST_F(Janela, LeavingTheGameLoopHandsOverInItsOrder) {
  form.Form_Load("/sa /sp");
  form.Reseta_Jogo();
  // Quitting: the score joins the kept scores.
  form.Pontos = 70;
  form.Ultimos_Pontos = 50;
  form.Penultimos_Pontos = 10;
  form.Fim = true;
  EXPECT_EQ(form.Main(), Tela::Menu);
  EXPECT_EQ(form.Em_Menu, 2);
  EXPECT_EQ(form.Ultimos_Pontos, 70);
  EXPECT_EQ(form.Penultimos_Pontos, 50);
  // Pause comes first, even with the phase cleared; the scores stay.
  form.Pausa = true;
  form.Fase_Completa = true;
  EXPECT_EQ(form.Main(), Tela::Pausa_AP);
  form.Pausa = false;
  EXPECT_EQ(form.Main(), Tela::Muda_Fase);
  EXPECT_EQ(form.Ultimos_Pontos, 70);
  EXPECT_EQ(form.Penultimos_Pontos, 50);
}

TEST_F(Janela, MenuShowsTheKeptScoresAndStopsTheInvincibilityTimers) {
  struct Textos : TextLog {
    std::vector<TextoDesenhado> todos;
    void Drawn(const TextoDesenhado& t) override { todos.push_back(t); }
  } textos;
  form.Registrar_Texto(&textos);
  plataforma.Agendar({30, EventoRoteiro::Press, 32});  // Space on "Novo jogo"
  form.Form_Load("/sa /sp");
  form.Penultimos_Pontos = 1200;
  form.Ultimos_Pontos = -5;
  form.Timer2.Enabled(true);
  form.Timer3.Enabled(true);
  form.Opcao_Menu = 3;
  EXPECT_EQ(form.Menu(), Tela::Main);
  EXPECT_FALSE(form.Timer2.Enabled());
  EXPECT_FALSE(form.Timer3.Enabled());
  EXPECT_EQ(form.Timer2.Interval(), 5);
  // Two frames (0 and 25), then the new game was set up.
  EXPECT_EQ(form.Vidas, 6);
  int pontos = 0;
  for (const TextoDesenhado& t : textos.todos) {
    if (t.x == 70 && t.y == 5) {
      EXPECT_EQ(t.texto, "1200");
      ++pontos;
    }
    if (t.x == 548 && t.y == 5) {
      EXPECT_EQ(t.texto, "-5");
      ++pontos;
    }
    // The selection is reset to the first item.
    if (t.texto == "Novo jogo") {
      EXPECT_EQ(t.cor, 0xFF);
    }
  }
  EXPECT_EQ(pontos, 4);
}

}  // namespace
}  // namespace vartenos

namespace vartenos {
namespace {

TEST(StartUp, MissingOrBrokenBitmapNamesTheFile) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "vartenos-shell-test-data";
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const auto& e : fs::directory_iterator(VARTENOS_BUILD_DATA))
    fs::copy(e.path(), dir / e.path().filename());
  fs::remove(dir / "Galáxias.BMP");
  {
    HeadlessPlatform p;
    Form1 form(p, dir.string(), nullptr);
    try {
      form.Form_Load("/sa /sp");
      ADD_FAILURE() << "start-up went on without Galáxias.BMP";
    } catch (const FatalError& e) {
      EXPECT_NE(std::string(e.what()).find("Galáxias.BMP: cannot open"), std::string::npos) << e.what();
    }
  }
  std::ofstream(dir / "Galáxias.BMP") << "BM not really";
  {
    HeadlessPlatform p;
    Form1 form(p, dir.string(), nullptr);
    try {
      form.Form_Load("/sa /sp");
      ADD_FAILURE() << "start-up went on with a broken Galáxias.BMP";
    } catch (const FatalError& e) {
      EXPECT_NE(std::string(e.what()).find("Galáxias.BMP: not a BMP file"), std::string::npos) << e.what();
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vartenos
