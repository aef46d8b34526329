// End to end: the whole program on the headless runner, driven by scripts of key events.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <tuple>

#include "sim_support.h"

namespace vartenos::testes {
namespace {

// Key events: down, press and up of Space starts the selected menu item.
const char* kEspaco = "100 down 32\n100 press 32\n150 up 32\n";

TEST(Sim, SwitchesGoStraightToTheMenuWithFramesEvery25Ms) {
  const Execucao e = RodarSim("--args \"/sa /sp\" --until 1000");
  ASSERT_EQ(e.status, 0) << e.erros;
  ASSERT_EQ(e.trace.size(), 41u);  // 0, 25, ..., 1000
  for (size_t i = 0; i < e.trace.size(); ++i) {
    EXPECT_EQ(Campo(e.trace[i], "tela"), "\"Menu\"");
    EXPECT_EQ(Num(e.trace[i], "t"), 25.0 * static_cast<double>(i));
    EXPECT_EQ(Num(e.trace[i], "n"), static_cast<double>(i));
  }
  // The menu's texts, in drawing order, with their sizes and colours.
  const std::string textos = Campo(e.trace[0], "textos");
  EXPECT_NE(
      textos.find(
          "{\"x\":175,\"y\":170,\"texto\":\"Lumarel\",\"tamanho\":30,\"negrito\":true,\"cor\":16777215}"),
      std::string::npos)
      << textos;
  EXPECT_NE(textos.find(
                "{\"x\":255,\"y\":265,\"texto\":\"Novo jogo\",\"tamanho\":16,\"negrito\":true,\"cor\":255}"),
            std::string::npos);
  EXPECT_NE(textos.find("\"y\":365,\"texto\":\"Sair\",\"tamanho\":16,\"negrito\":true,\"cor\":16777215"),
            std::string::npos);
  // No kept scores on the first visit.
  EXPECT_EQ(textos.find("\"x\":548"), std::string::npos);
}

TEST(Sim, NewGameThenEscShiftsTheScoresAndTheMenuComesBack) {
  const Execucao e = RodarSim("--args \"/sa /sp\" --until 3000", std::string(kEspaco) + "2000 press 27\n");
  ASSERT_EQ(e.status, 0) << e.erros;
  size_t primeiro_jogo = 0;
  size_t volta = 0;
  for (size_t i = 0; i < e.trace.size(); ++i) {
    if (primeiro_jogo == 0 && Campo(e.trace[i], "tela") == "\"Main\"") primeiro_jogo = i;
    if (primeiro_jogo != 0 && volta == 0 && Campo(e.trace[i], "tela") == "\"Menu\"") volta = i;
  }
  ASSERT_GT(primeiro_jogo, 0u);
  ASSERT_GT(volta, primeiro_jogo);
  const std::string& jogo = e.trace[primeiro_jogo];
  EXPECT_EQ(Num(jogo, "t"), 100);  // the frame after Space
  EXPECT_EQ(std::tuple(Num(jogo, "Em_Menu"), Num(jogo, "Vidas"), Campo(jogo, "Fim")),
            std::tuple(2, 6, "false"));
  // The status display: lives bottom right, score top left.
  EXPECT_NE(Campo(jogo, "textos").find("{\"x\":585,\"y\":450,\"texto\":\"Vidas: 6\",\"tamanho\":8"),
            std::string::npos);
  EXPECT_NE(Campo(jogo, "textos").find("{\"x\":5,\"y\":10,\"texto\":\"0\",\"tamanho\":11"),
            std::string::npos);
  // Esc at 2000: that frame is finished, then the menu.
  EXPECT_EQ(Num(e.trace[volta - 1], "t"), 1975);
  EXPECT_EQ(Num(e.trace[volta], "t"), 2000);
  EXPECT_EQ(std::tuple(Num(e.trace[volta], "Em_Menu"), Num(e.trace[volta], "Opcao_Menu")), std::tuple(1, 1));
  EXPECT_EQ(Campo(e.trace[volta], "Timer2"), "{\"Enabled\":false,\"Interval\":5}");
  // Timer1 ticked at 1000 (36 frames since 100) and at 2000 (40 frames, the most a second holds).
  EXPECT_EQ(Num(e.trace[volta - 1], "FPS"), 36);
  // The empty field of the first frame put the clock 4 s before phase 1's first formation (second 3).
  EXPECT_EQ(Num(e.trace[volta], "Relogio_Fase"), 1);
  EXPECT_EQ(Num(e.trace[volta], "FPS"), 40);
}

TEST(Sim, ExtrasArmEveryWeaponAndHeldFireShowsEachKindWithItsSounds) {
  // A new game with "/extras", Space held from 500 ms (repeated as a held key repeats). The spawn
  // points and the sounds of each volley are the player tests' business; here every weapon is wired.
  std::string roteiro = kEspaco;
  for (int t = 500; t <= 1500; t += 33) roteiro += std::to_string(t) + " down 32\n";
  const Execucao e = RodarSim("--args \"/sa /sp /extras\" --until 1600", roteiro);
  ASSERT_EQ(e.status, 0) << e.erros;
  std::string tiros, sons;
  for (const std::string& l : e.trace) {
    tiros += Campo(l, "Tiros");
    sons += Campo(l, "sons");
  }
  for (int tipo = 1; tipo <= 5; ++tipo) {
    EXPECT_NE(tiros.find("\"Tipo\":" + std::to_string(tipo) + "}"), std::string::npos) << tipo;
  }
  for (const char* som :
       {"SomTiro.Play", "SomArma1.Play", "SomArma2.Play", "SomArma3.Play", "SomArma3b.Play"}) {
    EXPECT_NE(sons.find(som), std::string::npos) << som;
  }
}

TEST(Sim, SairEndsTheRunBeforeItsTime) {
  // Down four times to "Sair", then Space.
  const Execucao e = RodarSim("--args \"/sa /sp\" --until 100000",
                              "100 down 40\n200 down 40\n300 down 40\n400 down 40\n500 press 32\n");
  ASSERT_EQ(e.status, 0) << e.erros;
  ASSERT_FALSE(e.trace.empty());
  EXPECT_EQ(Num(e.trace.back(), "t"), 475);
  EXPECT_EQ(Num(e.trace.back(), "Opcao_Menu"), 5);
}

TEST(Sim, SameRunSameTraceAndTheSameStarsEveryTime) {
  const std::string script = std::string(kEspaco) + "1000 down 37\n1500 up 37\n3000 press 27\n";
  const Execucao a = RodarSim("--args \"/sa /sp\" --until 4000 --estrelas", script);
  const Execucao b = RodarSim("--args \"/sa /sp\" --until 4000 --estrelas", script);
  ASSERT_EQ(a.status, 0) << a.erros;
  ASSERT_EQ(a.trace, b.trace);
  const std::string estrelas = Campo(a.trace[0], "Estrelas");
  EXPECT_NE(estrelas.find("{\"i\":269,"), std::string::npos);
  // With other switches the start-up star field is still the same.
  const Execucao c = RodarSim("--args \"/sa /sp /extras\" --until 0 --estrelas");
  ASSERT_FALSE(c.trace.empty());
  EXPECT_EQ(Campo(c.trace[0], "Estrelas"), estrelas);
}

TEST(Sim, BadScriptLineIsReportedWithItsNumber) {
  const Execucao e = RodarSim("--until 100", "10 down 32\n\n30 jump 1\n");
  EXPECT_NE(e.status, 0);
  EXPECT_NE(e.erros.find("script.txt:3:"), std::string::npos) << e.erros;
}

TEST(Sim, PicturesOfChosenPresents) {
  const std::string dir = PastaTemporaria();
  const Execucao e = RodarSim("--args \"/sa /sp\" --until 100 --png 2:" + dir + "/menu.png", "", false);
  ASSERT_EQ(e.status, 0) << e.erros;
  const std::string png = LerArquivo(dir + "/menu.png");
  ASSERT_GT(png.size(), 1000u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x02\x80\0\0\x01\xE0", 8));  // 640 x 480
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vartenos::testes
