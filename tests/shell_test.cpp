// Start-up switches, the new-game reset, the key handlers and the timer handlers of the game window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <tuple>
#include <vector>

#include "display/font_ttf.h"
#include "platform/headless/headless_platform.h"
#include "shell/form1.h"
#include "sim_support.h"
#include "test_support.h"

namespace vartenos {
namespace {

class Janela : public ::testing::Test {
 protected:
  void SetUp() override { form.Form_Load("/sa /sp"); }
  HeadlessPlatform plataforma;
  Form1 form{plataforma, VARTENOS_BUILD_DATA, nullptr};
};

TEST(Switches, TheTableOfCommandLines) {
  struct Chaves {
    const char* linha;
    bool abertura, pular_efeito, extras, caixa;
  };
  const Chaves casos[] = {{"", true, true, false, false},
                          {"/sa", false, true, false, false},
                          {"/sample", false, true, false, false},
                          {"/sp", false, false, false, false},
                          {"/special", false, false, false, false},
                          {"/sa/sp", false, true, false, false},
                          {"/sp /extras", false, false, true, false},
                          {"/EXTRAS", true, true, true, false},
                          {"/sa lixo", false, true, false, false},
                          {"/foo", true, true, false, true},
                          {"sa sp", true, true, false, true}};
  for (const Chaves& c : casos) {
    SCOPED_TRACE(c.linha);
    HeadlessPlatform plataforma;
    Form1 form(plataforma, VARTENOS_BUILD_DATA, nullptr);
    testing::internal::CaptureStderr();
    form.Form_Load(c.linha);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::tuple(form.Mostrar_Abertura, form.Pular_Efeito, form.Modo_Extras),
              std::tuple(c.abertura, c.pular_efeito, c.extras));
    EXPECT_EQ(err,
              c.caixa ? std::string("message box \"Orbex\": ") + c.linha + ": Parâmetro inválido.\n" : "");
    EXPECT_EQ(form.Surf_Titulo2.Width(), 491);  // start-up went on in every case
  }
}

// That the field is the same on every start, whatever the switches, the headless runner's trace shows.
TEST_F(Janela, StarFieldIsInRange) {
  for (const Estrela& e : form.Estrelas) {
    EXPECT_TRUE(e.Ativo && e.X == std::floor(e.X) && e.X >= 0 && e.X <= 639 && e.Y <= 479 && e.Velocidade < 2)
        << e.X << "," << e.Y;
  }
}

TEST_F(Janela, NewGameSetsEveryFieldWhateverThePreviousGameLeft) {
  // A game that went badly.
  const std::vector<bool Form1::*> apagadas = {
      &Form1::Formacao_Encerrada,  &Form1::Em_Fim_De_Jogo,  &Form1::Pausa2,
      &Form1::Fase_Completa,       &Form1::Nave_Invencivel, &Form1::Pausa,
      &Form1::Crescendo_Formacao5, &Form1::Tecla_Tiro,      &Form1::Tem_Laser2,
      &Form1::Tem_Escudo,          &Form1::Tem_Laser4,      &Form1::Tem_Laser5,
      &Form1::Tem_Laser6,          &Form1::Tecla_Esquerda,  &Form1::Tecla_Direita,
      &Form1::Tecla_Cima,          &Form1::Tecla_Baixo,     &Form1::Fim};
  const std::vector<int32_t Form1::*> zeradas = {
      &Form1::Cadencia_Laser,  &Form1::Cadencia_Laser2,    &Form1::Cadencia_Laser4, &Form1::Cadencia_Laser5,
      &Form1::Cadencia_Laser6, &Form1::Quadros_No_Segundo, &Form1::Relogio_Fase,    &Form1::Pontos};
  for (auto b : apagadas) form.*b = true;
  for (auto n : zeradas) form.*n = 77;
  form.Opcao_Menu = form.Formacao_Atual = form.Fase_Atual = form.Musica_Fase = 4;
  form.Vidas = form.Nivel_Laser = form.Limiar_Tiro_Inimigo = form.Nave_Quadro = form.Nave_Ultimo_Quadro =
      form.Nave_Velocidade = 7;
  form.Raio_X_Formacao5 = form.Raio_Y_Formacao5 = form.Velocidade_Tiro_Inimigo = form.Velocidade_Formacao1 =
      form.Velocidade_Formacao3 = form.Velocidade_Formacao7 = form.Nave_X = form.Nave_Y =
          form.Escudos[1].Angulo = 9;
  form.Tiros[79].Ativo = form.Inimigos[149].Ativo = form.Tiros_Inimigos[50].Ativo = form.Explosoes[15].Ativo =
      form.Extras[2].Ativo = form.Galaxias[1].Ativo = true;
  form.Tempo_Invencivel = 3;
  form.Contagem_Invencivel = 2;
  form.Estrelas[5].Y = 77;
  form.Ultimos_Pontos = 50;
  form.Reseta_Jogo();

  for (auto b : apagadas) EXPECT_FALSE(form.*b);
  for (auto n : zeradas) EXPECT_EQ(form.*n, 0);
  EXPECT_EQ(std::tuple(form.Opcao_Menu, form.Formacao_Atual, form.Fase_Atual, form.Musica_Fase),
            std::tuple(1, -1, 1, 1));
  EXPECT_EQ(std::tuple(form.Vidas, form.Nivel_Laser, form.Limiar_Tiro_Inimigo, form.Nave_Quadro,
                       form.Nave_Ultimo_Quadro, form.Nave_Velocidade),
            std::tuple(6.0f, 1.0f, 1498.0f, 0.0f, 2.0f, 3.0f));
  EXPECT_EQ(std::tuple(form.Nave_X, form.Nave_Y, form.Raio_X_Formacao5, form.Raio_Y_Formacao5,
                       form.Velocidade_Tiro_Inimigo),
            std::tuple(300.0, 400.0, 200.0, 200.0, 2.5));
  EXPECT_EQ(std::tuple(form.Velocidade_Formacao1, form.Velocidade_Formacao2, form.Velocidade_Formacao3,
                       form.Velocidade_Formacao4, form.Velocidade_Formacao5, form.Velocidade_Formacao6,
                       form.Velocidade_Formacao7),
            std::tuple(1.0, 1.0, 0.05, 2.0, 0.11, 0.4, 1.0));
  EXPECT_EQ(std::tuple(form.Escudos[0].Angulo, form.Escudos[1].Angulo, form.Escudos[2].Angulo),
            std::tuple(0.0, 90.0, 180.0));
  const auto ativos = [](const auto&... listas) {
    return (std::count_if(listas.begin(), listas.end(), [](const auto& x) { return x.Ativo; }) + ...);
  };
  EXPECT_EQ(
      ativos(form.Tiros, form.Inimigos, form.Tiros_Inimigos, form.Explosoes, form.Extras, form.Galaxias), 0);
  // What a new game leaves alone.
  EXPECT_EQ(
      std::tuple(form.Tempo_Invencivel, form.Contagem_Invencivel, form.Estrelas[5].Y, form.Ultimos_Pontos),
      std::tuple(3, 2, 77.0, 50));

  // In extras mode the ship starts fully armed.
  form.Modo_Extras = true;
  form.Reseta_Jogo();
  EXPECT_EQ(form.Nivel_Laser, 3.0f);
  EXPECT_TRUE(form.Tem_Laser2 && form.Tem_Escudo && form.Tem_Laser4 && form.Tem_Laser5 && form.Tem_Laser6);
}

TEST_F(Janela, ArrowsAndTheMenuDigitsMoveTheSelectionWhereTheyShould) {
  struct Caso {
    uint8_t tela;
    bool press;
    int16_t tecla;
    int32_t antes, depois;
  };
  // Up and "8" go up, down and "2" go down, wrapping round; in the game the digits do nothing and the
  // arrows still move the (unread) selection.
  const Caso casos[] = {{1, false, 38, 1, 5}, {1, false, 40, 5, 1}, {1, false, 40, 2, 3},
                        {1, true, '2', 5, 1}, {1, true, '8', 1, 5}, {2, true, '8', 5, 5},
                        {2, true, '2', 5, 5}, {2, false, 40, 5, 1}};
  for (const Caso& c : casos) {
    form.Em_Menu = c.tela;
    form.Opcao_Menu = c.antes;
    c.press ? form.Form_KeyPress(c.tecla) : form.Form_KeyDown(c.tecla, 0);
    EXPECT_EQ(form.Opcao_Menu, c.depois) << int{c.tela} << " " << c.tecla << " from " << c.antes;
  }
  EXPECT_TRUE(form.Tecla_Baixo);  // held down, and let go
  form.Form_KeyUp(40, 0);
  EXPECT_FALSE(form.Tecla_Baixo);
}

TEST_F(Janela, SpaceFiresInTheGameAndChoosesOnTheMenu) {
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
  for (const auto& [opcao, campo] : {std::pair{2, &Form1::Som_Ligado}, {3, &Form1::Musica_Ligada}}) {
    form.Opcao_Menu = opcao;
    form.Form_KeyPress(32);
    EXPECT_FALSE(form.*campo) << opcao;
    form.Form_KeyPress(32);
    EXPECT_TRUE(form.*campo) << opcao;
  }
  form.Opcao_Menu = 5;
  EXPECT_FALSE(form.Leaving());
  form.Form_KeyPress(32);
  EXPECT_TRUE(form.Leaving());
}

TEST_F(Janela, LetterKeysToggleOnEveryScreenInBothCases) {
  for (uint8_t tela : {1, 2}) {
    form.Em_Menu = tela;
    for (const auto& [letra, campo] : {std::pair{'p', &Form1::Pausa},
                                       {'s', &Form1::Som_Ligado},
                                       {'m', &Form1::Musica_Ligada},
                                       {'f', &Form1::Mostrar_FPS}}) {
      const bool antes = form.*campo;
      form.Form_KeyPress(letra);
      EXPECT_NE(form.*campo, antes) << letra;
      form.Form_KeyPress(static_cast<int16_t>(std::toupper(letra)));
      EXPECT_EQ(form.*campo, antes) << letra;
    }
    form.Fim = false;
    form.Form_KeyPress(27);
    EXPECT_TRUE(form.Fim);
  }
}

TEST_F(Janela, TimerHandlersCountSecondsAndEndInvincibility) {
  EXPECT_EQ(std::tuple(form.Timer1.Enabled(), form.Timer2.Enabled(), form.Timer3.Enabled()),
            std::tuple(true, false, false));
  EXPECT_EQ(form.NextTimerDue(), 1000);
  form.Quadros_No_Segundo = 37;
  form.Relogio_Fase = 4;
  form.Timer1_Timer();
  EXPECT_EQ(std::tuple(form.Relogio_Fase, form.FPS, form.Quadros_No_Segundo), std::tuple(5, 37, 0));

  // A hit: five seconds of protection, counted down by Timer2 and shown by Timer3.
  form.Contagem_Invencivel = form.Tempo_Invencivel = 5;
  form.Nave_Invencivel = true;
  form.Nave_Ultimo_Quadro = 7;
  form.Timer2.Enabled(true);
  form.Timer3.Enabled(true);
  for (int i = 4; i >= 0; --i) {
    form.Timer2_Timer();
    form.Timer3_Timer();
    EXPECT_EQ(form.Tempo_Invencivel, i);
    EXPECT_EQ(std::tuple(form.Nave_Invencivel, form.Timer2.Enabled(), form.Timer3.Enabled()),
              std::tuple(i > 0, i > 0, i > 0));
  }
  EXPECT_EQ(form.Nave_Ultimo_Quadro, 2);
  // Started from 0, the counter stops at 0 instead of wrapping round.
  form.Timer3.Enabled(true);
  form.Timer3_Timer();
  EXPECT_EQ(form.Tempo_Invencivel, 0);
  EXPECT_FALSE(form.Timer3.Enabled());
}

TEST_F(Janela, LeavingTheGameLoopHandsOverInItsOrder) {
  form.Reseta_Jogo();
  // Quitting: the score joins the kept scores.
  form.Pontos = 70;
  form.Ultimos_Pontos = 50;
  form.Fim = true;
  EXPECT_EQ(form.Main(), Tela::Menu);
  EXPECT_EQ(std::tuple(form.Em_Menu, form.Ultimos_Pontos, form.Penultimos_Pontos), std::tuple(2, 70, 50));
  // Pause comes first, even with the phase cleared; the scores stay.
  form.Pausa = form.Fase_Completa = true;
  EXPECT_EQ(form.Main(), Tela::Pausa_AP);
  form.Pausa = false;
  EXPECT_EQ(form.Main(), Tela::Muda_Fase);
  EXPECT_EQ(std::tuple(form.Ultimos_Pontos, form.Penultimos_Pontos), std::tuple(70, 50));
}

TEST(Menu, ShowsTheKeptScoresAndStopsTheInvincibilityTimers) {
  struct Textos : TextLog {
    std::vector<TextoDesenhado> todos;
    void Drawn(const TextoDesenhado& t) override { todos.push_back(t); }
  } textos;
  HeadlessPlatform plataforma;
  Form1 form(plataforma, VARTENOS_BUILD_DATA, nullptr);
  form.Registrar_Texto(&textos);
  plataforma.Agendar({30, EventoRoteiro::Press, 32});  // Space on "Novo jogo"
  form.Form_Load("/sa /sp");
  form.Penultimos_Pontos = 1200;
  form.Ultimos_Pontos = -5;
  form.Timer2.Enabled(true);
  form.Timer3.Enabled(true);
  form.Opcao_Menu = 3;
  EXPECT_EQ(form.Menu(), Tela::Main);
  EXPECT_FALSE(form.Timer2.Enabled() || form.Timer3.Enabled());
  EXPECT_EQ(form.Timer2.Interval(), 5);
  EXPECT_EQ(form.Vidas, 6);  // two frames (0 and 25), then the new game was set up
  int pontos = 0;
  for (const TextoDesenhado& t : textos.todos) {
    if (t.y == 5 && (t.x == 70 || t.x == 548)) {
      EXPECT_EQ(t.texto, t.x == 70 ? "1200" : "-5");
      ++pontos;
    }
    if (t.texto == "Novo jogo") {
      EXPECT_EQ(t.cor, 0xFF);  // the selection is back on the first item
    }
  }
  EXPECT_EQ(pontos, 4);
}

TEST(Menu, AStillMenuIsDrawnOnceAndOnlyPresentedAgainUntilAKeyChangesIt) {
  // Every present: the primary surface's version, its pixels, and how many texts came with it.
  struct Quadros : Presenter, TextLog {
    std::vector<uint64_t> versoes;
    std::vector<std::vector<uint16_t>> imagens;
    std::vector<int> textos;
    int pendentes = 0;
    void Presented(const Surface& s) override {
      versoes.push_back(s.Versao());
      imagens.emplace_back(s.Pixels(), s.Pixels() + static_cast<size_t>(s.Width()) * s.Height());
      textos.push_back(pendentes);
      pendentes = 0;
    }
    void Drawn(const TextoDesenhado&) override { ++pendentes; }
  } q;
  HeadlessPlatform plataforma;
  Form1 form(plataforma, VARTENOS_BUILD_DATA, CriarRasterizador());
  form.Registrar_Texto(&q);
  form.Form_Load("/sa /sp");
  form.Observar_Apresentacao(&q);
  const int32_t t0 = plataforma.TickCount();
  plataforma.Agendar({t0 + 500, EventoRoteiro::Down, 40});  // down: "Som ligado" lights up
  plataforma.Agendar({t0 + 750, EventoRoteiro::Down, 38});  // up: back to "Novo jogo"
  plataforma.Agendar({t0 + 1000, EventoRoteiro::Press, 32});
  form.Ultimos_Pontos = 300;
  ASSERT_EQ(form.Menu(), Tela::Main);
  ASSERT_GE(q.imagens.size(), 40u);
  int desenhados = 0;
  for (size_t i = 1; i < q.versoes.size(); ++i) desenhados += q.versoes[i] != q.versoes[i - 1];
  EXPECT_EQ(desenhados, 2);  // the two keys; every other frame left the pixels alone
  const std::vector<uint16_t>& primeiro = q.imagens.front();
  EXPECT_EQ(q.imagens[15], primeiro);
  EXPECT_NE(q.imagens[25], primeiro);  // after the first key
  EXPECT_EQ(q.imagens.back(), primeiro);
  // Title, warning, one score and five items on every frame, drawn or not.
  EXPECT_EQ(std::count(q.textos.begin(), q.textos.end(), 8), static_cast<long>(q.textos.size()));
}

TEST(StartUp, MissingOrBrokenBitmapNamesTheFile) {
  const std::string dir = testes::PastaDadosCom({{"Galáxias.BMP", {'B', 'M', ' ', 'n', 'o'}}});
  const auto erro = [&] {
    HeadlessPlatform p;
    Form1 form(p, dir, nullptr);
    return testes::Erro([&] { form.Form_Load("/sa /sp"); });
  };
  EXPECT_NE(erro().find("Galáxias.BMP: not a BMP file"), std::string::npos) << erro();
  std::filesystem::remove(dir + "/Galáxias.BMP");
  EXPECT_NE(erro().find("Galáxias.BMP: cannot open"), std::string::npos) << erro();
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vartenos
