// The screens around the game, end to end on the headless runner: intro, phase changes through all
// five phases, game over, pause at a phase change, and a damaged phase file.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>

#include "phases/phase_file.h"
#include "sim_support.h"

namespace vartenos::testes {
namespace {

std::vector<std::string> Telas(const Execucao& e) {
  std::vector<std::string> t;
  for (const std::string& l : e.trace) {
    const std::string tela = Campo(l, "tela");
    if (t.empty() || t.back() != tela) t.push_back(tela);
  }
  return t;
}
size_t Quantas(const Execucao& e, const std::string& tela) {
  size_t n = 0;
  for (const std::string& l : e.trace) n += Campo(l, "tela") == "\"" + tela + "\"" ? 1 : 0;
  return n;
}

TEST(Telas, TheIntroFadesThreeLinesThenZoomsAndEscSkipsTheLines) {
  const Execucao e = RodarSim("--until 40000");
  ASSERT_EQ(e.status, 0) << e.erros;
  EXPECT_EQ(Telas(e), (std::vector<std::string>{"\"Abertura\"", "\"Efeito_Abertura\"", "\"Menu\""}));
  ASSERT_EQ(Quantas(e, "Abertura"), 3u * 511);
  // Grey levels 0 up to 255 and back to 0 on each line, 25 ms a frame.
  EXPECT_NE(Campo(e.trace[0], "textos")
                .find(R"("texto":"Quindar apresenta:","tamanho":18,"negrito":true,"cor":0})"),
            std::string::npos);
  EXPECT_NE(Campo(e.trace[255], "textos").find(R"("cor":16777215)"), std::string::npos);
  EXPECT_NE(Campo(e.trace[510], "textos").find(R"("cor":0})"), std::string::npos);
  EXPECT_NE(Campo(e.trace[511], "textos").find(R"({"x":90,"y":200,"texto":"VARTENOS","tamanho":25)"),
            std::string::npos);
  EXPECT_NE(Campo(e.trace[1022], "textos").find("Todos os direitos reservados.\""), std::string::npos);
  EXPECT_EQ(Num(e.trace[510], "t"), 510 * 25);
  EXPECT_EQ(Quantas(e, "Efeito_Abertura"), 106u);

  const Execucao sp = RodarSim("--args /sp --until 3000");
  EXPECT_EQ(Telas(sp), (std::vector<std::string>{"\"Efeito_Abertura\"", "\"Menu\""}));
  const Execucao esc = RodarSim("--until 5000", "1000 press 27\n");
  EXPECT_EQ(Telas(esc), (std::vector<std::string>{"\"Abertura\"", "\"Efeito_Abertura\"", "\"Menu\""}));
  EXPECT_EQ(Quantas(esc, "Abertura"), 40u);  // frames 0 to 975 ms; Esc at 1000 ends the line
}

TEST(Telas, CreditsCloseOnAnEscTypedInTheSameFrameAsTheSpaceThatOpensThem) {
  // Up twice selects "Créditos"; the Space opens them inside the menu's frame wait.
  const std::string creditos = "100 down 38\n120 up 38\n200 down 38\n220 up 38\n500 down 32\n500 press 32\n";
  struct Caso {
    const char* esc;
    std::vector<std::string> telas;
  };
  const Caso casos[] = {
      {"510 press 27\n", {"\"Menu\"", "\"Creditos\"", "\"Menu\""}},   // same 25 ms frame
      {"1500 press 27\n", {"\"Menu\"", "\"Creditos\"", "\"Menu\""}},  // a second later
      {"", {"\"Menu\"", "\"Creditos\""}},
  };
  for (const Caso& c : casos) {
    const Execucao e = RodarSim("--args \"/sa /sp\" --until 3000", creditos + c.esc);
    ASSERT_EQ(e.status, 0) << e.erros;
    EXPECT_EQ(Telas(e), c.telas) << c.esc;
  }
}

std::vector<uint8_t> Fase(const std::vector<Entrada_Formacao>& entradas) {
  Fase_Formacoes f{};
  for (size_t i = 0; i < entradas.size(); ++i) f[i] = entradas[i];
  return CodificarFase(f);
}

TEST(Telas, AGameThroughAllFivePhasesGetsHarderAndEndsWithTheClosingScreen) {
  // Empty phases: every entry starts at once with no enemies, so each phase is complete at once.
  std::map<std::string, std::vector<uint8_t>> fases;
  for (int n = 1; n <= 5; ++n) fases["Fase" + std::to_string(n) + ".FAS"] = Fase({});
  std::string roteiro = "100 press 32\n";
  for (int t = 1000; t <= 6000; t += 1000) roteiro += std::to_string(t) + " press 27\n";
  const Execucao e = RodarSim("--data " + PastaDadosCom(fases) + " --args \"/sa /sp\" --until 7000", roteiro);
  ASSERT_EQ(e.status, 0) << e.erros;
  std::vector<std::string> textos;
  std::map<int, std::string> primeiro_quadro;
  for (const std::string& l : e.trace) {
    if (Campo(l, "tela") == "\"Muda_Fase\"") textos.push_back(Campo(l, "textos"));
    const int fase = static_cast<int>(Num(l, "Fase_Atual"));
    if (Campo(l, "tela") == "\"Main\"" && !primeiro_quadro.count(fase)) primeiro_quadro[fase] = l;
  }
  for (int n = 1; n <= 5; ++n) {
    const std::string linha = "\"texto\":\"Fase " + std::to_string(n) + " completa\",\"tamanho\":32";
    EXPECT_TRUE(std::any_of(textos.begin(), textos.end(), [&](const std::string& t) {
      return t.find(linha) != std::string::npos;
    })) << n;
    ASSERT_TRUE(primeiro_quadro.count(n)) << n;
    const std::string& l = primeiro_quadro[n];
    EXPECT_EQ(Num(l, "Musica_Fase"), n);
    EXPECT_DOUBLE_EQ(Num(l, "Velocidade_Tiro_Inimigo"), 2.5 + 0.5 * (n - 1));
    EXPECT_EQ(Num(l, "Limiar_Tiro_Inimigo"), 1500 - 2 * n);
    EXPECT_DOUBLE_EQ(Num(l, "Velocidade_Formacao4"), 2.0 + 0.75 * (n - 1));
    EXPECT_NEAR(Num(l, "Velocidade_Formacao3"), 0.05 + 0.005 * (n - 1), 1e-12);
  }
  const std::string fim = std::accumulate(textos.begin(), textos.end(), std::string());
  for (const char* t :
       {R"({"x":140,"y":160,"texto":"Parabéns piloto!!!")",
        R"({"x":30,"y":210,"texto":"Você terminou as 5 fases de")", R"({"x":275,"y":260,"texto":"Orbex.")"}) {
    EXPECT_NE(fim.find(t), std::string::npos) << t;
  }
  EXPECT_EQ(Campo(e.trace.back(), "tela"), "\"Menu\"");
  EXPECT_EQ(Num(e.trace.back(), "Fase_Atual"), 6);
}

TEST(Telas, PressingPOnThePhaseCompleteScreenPausesTheNextPhaseBeforeItsFirstFrame) {
  std::map<std::string, std::vector<uint8_t>> fases{{"Fase1.FAS", Fase({})},
                                                    {"Fase2.FAS", Fase({{1, 1, 1000, 0}})}};
  const Execucao e = RodarSim("--data " + PastaDadosCom(fases) + " --args \"/sa /sp\" --until 3000",
                              "100 press 32\n1000 press 80\n1500 press 27\n2000 press 80\n");
  ASSERT_EQ(e.status, 0) << e.erros;
  const std::vector<std::string> t = Telas(e);
  const std::vector<std::string> esperado = {"\"Menu\"", "\"Main\"", "\"Muda_Fase\"", "\"Pausa_AP\"",
                                             "\"Main\""};
  EXPECT_EQ(t, esperado);
}

TEST(Telas, ALostGameShowsFimDeJogoOverMovingEnemiesAndShiftsTheScores) {
  // Forty hunters homing on the ship, none firing: they ram it again and again.
  std::vector<Entrada_Formacao> entradas;
  for (int i = 0; i < 40; ++i) entradas.push_back(Entrada_Formacao{1, 7, i * 2, 3, false, 1, 0, 0});
  std::map<std::string, std::vector<uint8_t>> fases{{"Fase1.FAS", Fase(entradas)}};
  const Execucao e = RodarSim("--data " + PastaDadosCom(fases) + " --args \"/sa /sp\" --until 200000",
                              "100 press 32\n150000 press 27\n");
  ASSERT_EQ(e.status, 0) << e.erros;
  size_t primeiro = 0;
  for (size_t i = 0; i < e.trace.size() && primeiro == 0; ++i) {
    if (Campo(e.trace[i], "tela") == "\"Fim_De_Jogo\"") primeiro = i;
  }
  ASSERT_GT(primeiro, 0u);
  const std::string& a = e.trace[primeiro];
  const std::string& b = e.trace[primeiro + 40];
  EXPECT_NE(Campo(a, "textos").find(R"({"x":195,"y":200,"texto":"Fim de jogo.","tamanho":32)"),
            std::string::npos);
  EXPECT_EQ(Num(a, "Vidas"), 0);
  EXPECT_EQ(Campo(a, "Em_Fim_De_Jogo"), "true");
  EXPECT_NE(Campo(a, "Inimigos"), Campo(b, "Inimigos"));  // still moving
  EXPECT_EQ(Campo(e.trace.back(), "tela"), "\"Menu\"");
  EXPECT_EQ(Num(e.trace.back(), "Ultimos_Pontos"), Num(a, "Pontos"));
}

TEST(Telas, AShortPhaseFileIsNamedAndTheMenuStays) {
  std::map<std::string, std::vector<uint8_t>> fases{{"Fase1.FAS", std::vector<uint8_t>(4000)}};
  const Execucao e =
      RodarSim("--data " + PastaDadosCom(fases) + " --args \"/sa /sp\" --until 1000", "100 press 32\n");
  ASSERT_EQ(e.status, 0) << e.erros;
  EXPECT_NE(e.erros.find("Fase1.FAS: 4000 bytes, at least 8762 needed"), std::string::npos) << e.erros;
  EXPECT_EQ(Telas(e), std::vector<std::string>{"\"Menu\""});
}

TEST(Telas, OurPhaseOneArrivesByTheClockAndItsEnemiesMoveAndAim) {
  // The player starts a game and does nothing until the game is over, then leaves it with Esc.
  const Execucao e = RodarSim("--args \"/sa /sp\" --until 120000", "100 press 32\n110000 press 27\n");
  ASSERT_EQ(e.status, 0) << e.erros;
  int comecadas = 0;
  int com_tiros = 0;
  std::string antes;
  int moveram = 0;
  std::string formacoes_antes;
  for (const std::string& l : e.trace) {
    if (Campo(l, "tela") != "\"Main\"") continue;
    const std::string formacoes = Campo(l, "Formacoes");
    // A formation that has just started did so when the phase clock reached its start (or after
    // the clock was brought forward by an empty field).
    if (!formacoes_antes.empty() && formacoes != formacoes_antes) {
      ++comecadas;
      EXPECT_EQ(Num(l, "Formacao_Encerrada"), 0);
    }
    formacoes_antes = formacoes;
    com_tiros += Campo(l, "Tiros_Inimigos") != "[]" ? 1 : 0;
    const std::string inimigos = Campo(l, "Inimigos");
    moveram += inimigos != "[]" && inimigos != antes ? 1 : 0;
    antes = inimigos;
  }
  EXPECT_GE(comecadas, 5);
  EXPECT_GT(com_tiros, 50);
  EXPECT_GT(moveram, 1000);
  EXPECT_EQ(Telas(e).back(), "\"Menu\"");  // the game was lost, then the menu
}

TEST(Telas, AScriptedPlayerKillsScoresPicksUpExtrasAndLosesLives) {
  // Fire held the whole time (the key repeating), the ship sweeping right and left every two seconds.
  std::vector<std::pair<int, std::string>> eventos{{100, "press 32"}};
  for (int t = 300; t < 120000; t += 33) eventos.push_back({t, "down 32"});
  for (int t = 1000, k = 0; t < 120000; t += 2000, ++k) {
    const std::string tecla = k % 2 == 0 ? "39" : "37";
    eventos.push_back({t, "down " + tecla});
    eventos.push_back({t + 1500, "up " + tecla});
  }
  std::stable_sort(eventos.begin(), eventos.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string roteiro;
  for (const auto& [t, ev] : eventos) roteiro += std::to_string(t) + " " + ev + "\n";
  const Execucao e = RodarSim("--args \"/sa /sp\" --until 120000", roteiro);
  ASSERT_EQ(e.status, 0) << e.erros;
  int explosoes = 0, extras = 0, piscando = 0, inv = 0;
  double vidas = 6, pontos = 0;
  for (const std::string& l : e.trace) {
    if (Campo(l, "tela") != "\"Main\"") continue;
    explosoes += Campo(l, "Explosoes") != "[]" ? 1 : 0;
    const std::string sons = Campo(l, "sons");
    extras += sons.find("SomExtras.Play") != std::string::npos ? 1 : 0;
    piscando += Num(l, "Nave_Ultimo_Quadro") == 7 ? 1 : 0;
    inv += Campo(l, "textos").find(R"("texto":"Inv: )") != std::string::npos ? 1 : 0;
    vidas = std::min(vidas, Num(l, "Vidas"));
    pontos = Num(l, "Pontos");
  }
  EXPECT_GT(pontos, 1000);
  EXPECT_GT(explosoes, 20);
  EXPECT_GE(extras, 1);
  EXPECT_LT(vidas, 6);
  EXPECT_GE(piscando, 200);  // five seconds of blinking per life lost
  EXPECT_GE(inv, 195);
}

}  // namespace
}  // namespace vartenos::testes
