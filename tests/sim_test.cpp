// The headless runner's own switches that the golden games do not use (the games themselves are
// tests/golden_test.cpp).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sim_support.h"

namespace vartenos::testes {
namespace {

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

// The trace: one JSON object a line, the present's number first and the music calls last.
TEST(Sim, TheTraceIsOneObjectAPresent) {
  const Execucao e = RodarSim("--args \"/sa /sp\" --until 300");
  ASSERT_EQ(e.status, 0) << e.erros;
  ASSERT_GT(e.trace.size(), 5u);
  for (size_t k = 0; k < e.trace.size(); ++k) {
    const std::string& l = e.trace[k];
    EXPECT_EQ(l.rfind("{\"n\":" + std::to_string(k) + ",\"t\":", 0), 0u) << l.substr(0, 40);
    EXPECT_NE(l.find(",\"musica\":["), std::string::npos) << k;
    EXPECT_EQ(l.back(), '}') << k;
  }
}

// The screens a run went through, in order.
std::vector<std::string> Telas(const Execucao& e) {
  std::vector<std::string> t;
  for (const std::string& l : e.trace) {
    const size_t i = l.find("\"tela\":");
    const std::string tela = l.substr(i + 7, l.find(',', i) - i - 7);
    if (t.empty() || t.back() != tela) t.push_back(tela);
  }
  return t;
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

}  // namespace
}  // namespace vartenos::testes
