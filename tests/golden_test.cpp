// The golden games: whole sessions played from scripts of keys (tests/golden/NAME.keys) on phases of their
// own (tests/golden/Fase*.txt), every present compared with the recorded golden form, NAME.golden: the
// game state, the texts, the sound and music calls and a hash of the picture. The first present that
// differs fails the test with the field and both values. `scripts/golden` records them again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sim_support.h"
#include "test_support.h"

namespace vartenos::testes {
namespace {

const std::string kPasta = std::string(VARTENOS_SOURCE_DIR) + "/tests/golden/";

struct Jogo {
  std::string nome;
  std::string ate;   // --until, in milliseconds
  std::string args;  // the game's command line
};
// A game's name, which ctest puts in the test's name.
void PrintTo(const Jogo& j, std::ostream* os) { *os << j.nome; }

// tests/golden/games.txt: one game a line, "NAME UNTIL_MS [COMMAND LINE...]".
std::vector<Jogo> Jogos() {
  std::vector<Jogo> jogos;
  std::ifstream in(kPasta + "games.txt");
  for (std::string linha; std::getline(in, linha);) {
    if (linha.empty() || linha[0] == '#') continue;
    std::istringstream ss(linha);
    Jogo j;
    ss >> j.nome >> j.ate;
    std::getline(ss >> std::ws, j.args);
    jogos.push_back(j);
  }
  return jogos;
}

// Reads a golden file present by present: each line holds the fields that changed.
class Presentes {
 public:
  explicit Presentes(const std::string& path) : in_(path) {}
  bool Proximo() {
    std::string linha;
    if (!std::getline(in_, linha)) return false;
    std::istringstream ss(linha);
    std::string campo;
    std::getline(ss, n, '\t');
    while (std::getline(ss, campo, '\t')) {
      const size_t igual = campo.find('=');
      estado[campo.substr(0, igual)] = campo.substr(igual + 1);
    }
    return true;
  }
  std::string n;
  std::map<std::string, std::string> estado;

 private:
  std::ifstream in_;
};

// Empty when both files hold the same presents, else the first present that differs and how.
std::string Diferenca(const std::string& golden, const std::string& agora) {
  Presentes g(golden), a(agora);
  for (int64_t k = 0;; ++k) {
    const bool tem_g = g.Proximo(), tem_a = a.Proximo();
    if (!tem_g && !tem_a) return "";
    if (!tem_g || !tem_a)
      return "present " + std::to_string(k) +
             (tem_g ? ": the game ended, the golden game goes on"
                    : ": the golden game ended, the game goes on");
    std::string d;
    for (const auto& [campo, valor] : g.estado) {
      const auto it = a.estado.find(campo);
      const std::string agora_valor = it == a.estado.end() ? "(none)" : it->second;
      if (agora_valor != valor) d += "\n  " + campo + ": golden " + valor + ", now " + agora_valor;
    }
    for (const auto& [campo, valor] : a.estado)
      if (!g.estado.count(campo)) d += "\n  " + campo + ": golden (none), now " + valor;
    if (!d.empty()) return "present " + std::to_string(k) + d;
  }
}

// One test per game of games.txt, so that ctest runs them side by side and can pick one
// (ctest -R 'GoldenGames.*/campanha').
class GoldenGames : public ::testing::TestWithParam<Jogo> {};

TEST_P(GoldenGames, PlayFrameByFrameAsRecorded) {
  const Jogo& j = GetParam();
  const std::string tmp = PastaTemporaria();
  const std::string golden = kPasta + j.nome + ".golden", saida = tmp + "/" + j.nome + ".golden";
  const Saida s =
      RodarComando(std::string(VARTENOS_SIM) + " --data " + VARTENOS_GOLDEN_DATA + " --args '" + j.args +
                   "' --script " + kPasta + j.nome + ".keys --until " + j.ate + " --golden " + saida);
  ASSERT_EQ(s.status, 0) << "vartenos-sim failed: " << s.out;
  if (std::getenv("VARTENOS_GOLDEN_RECORD") != nullptr) {
    std::filesystem::copy_file(saida, golden, std::filesystem::copy_options::overwrite_existing);
  } else {
    const std::string d = Diferenca(golden, saida);
    EXPECT_TRUE(d.empty()) << "golden game " << j.nome << ", " << d;
  }
  std::filesystem::remove_all(tmp);
}

INSTANTIATE_TEST_SUITE_P(Jogos, GoldenGames, ::testing::ValuesIn(Jogos()));

}  // namespace
}  // namespace vartenos::testes
