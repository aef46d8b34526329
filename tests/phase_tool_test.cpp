// The phase tool: the table format and its errors, print and compile as inverses, the checker's
// faults and its estimate of enemies alive at once, the command line and our phases (the fuzzer's inputs
// are replayed by FuzzInputs).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "phases/phase_check.h"
#include "phases/phase_file.h"
#include "phases/phase_table.h"
#include "platform/byte_files.h"
#include "shell/random.h"
#include "sim_support.h"
#include "test_support.h"

namespace vartenos::fases {
namespace {

// 40 entries that pass the check: pattern 1 rain, one formation a minute.
Fase_Formacoes Boa() {
  Fase_Formacoes f{};
  for (int i = 0; i < 40; ++i) {
    f[i].Inicio = 3 + 60 * i;
    f[i].Padrao = 1;
    f[i].Parametro = 1;
    f[i].Quantidade = 10;
    f[i].Tipo = static_cast<float>(i % 16);
    f[i].Atira = 1;
  }
  return f;
}

TEST(PhaseTable, PrintThenCompileGivesBackEveryBit) {
  Gerador g;
  for (int rodada = 0; rodada < 200; ++rodada) {
    std::vector<uint8_t> bytes(8800);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(g.Proximo());
    Fase_Formacoes f{};
    std::string error;
    ASSERT_TRUE(DecodificarFase(bytes.data(), bytes.size(), "x", f, error));
    if (rodada == 0) {
      // Values that a careless printer would lose: -0, infinity, a NaN with a payload, the smallest
      // denormal, 0.1, 2^24 + 1, the raw 16-bit extremes.
      f[0] = {-0.0f,  std::numeric_limits<float>::infinity(),
              0,      0,
              false,  std::bit_cast<float>(0x7fc01234u),
              -32768, std::numeric_limits<float>::denorm_min(),
              1,      16777217.0f,
              0.1f};
    }
    const std::string texto = ImprimirTabela(f);
    Fase_Formacoes de_volta{};
    ASSERT_TRUE(CompilarTabela(texto, "t", de_volta, error)) << error;
    ASSERT_EQ(CodificarFase(de_volta), CodificarFase(f));
    ASSERT_EQ(ImprimirTabela(de_volta), texto);
  }
}

TEST(PhaseTable, CommentsBlankLinesAndAnyColumnOrder) {
  const Fase_Formacoes f = Boa();
  std::string texto =
      "# a phase\n\nTipo Atira Inicio Padrao Parametro Quantidade Tem_Extra Portador_Extra "
      "Tipo_Extra Invertida  # header\n";
  for (int i = 0; i < 40; ++i) {
    texto +=
        std::to_string(i % 16) + " 1 " + std::to_string(3 + 60 * i) + " 1 1.0 10 0 0 0 0   # entry\n   \n";
  }
  Fase_Formacoes lida{};
  std::string error;
  ASSERT_TRUE(CompilarTabela(texto, "t", lida, error)) << error;
  EXPECT_EQ(CodificarFase(lida), CodificarFase(f));
}

TEST(PhaseTable, ErrorsNameTheFileTheLineAndTheProblem) {
  const std::string cabecalho =
      "Inicio Padrao Parametro Quantidade Tipo Atira Tem_Extra Portador_Extra Tipo_Extra Invertida\n";
  const std::string linha = "3 1 1 10 0 1 0 0 0 0\n";
  const auto linhas = [&](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += linha;
    return s;
  };
  struct Caso {
    std::string texto;
    std::string erro;
  };
  const Caso casos[] = {
      {"", "T.txt: no header line naming the columns"},
      {"Inicio Padrao Foo\n",
       "T.txt:1: 'Foo' is not a column; the header names the ten columns Inicio Padrao"},
      {"Inicio Inicio\n", "T.txt:1: column Inicio named twice"},
      {"Inicio Padrao Parametro Quantidade Tipo Atira Tem_Extra Portador_Extra Tipo_Extra\n",
       "T.txt:1: the header lacks the column Invertida"},
      {cabecalho + linhas(39), "T.txt: 39 entries, a phase has exactly 40"},
      {cabecalho + linhas(40) + linha, "T.txt:42: more than 40 entries; a phase has exactly 40"},
      {cabecalho + "\n# x\n3 1 1 10 0 1 0 0 0\n", "T.txt:4: 9 values, the header names 10"},
      {cabecalho + "3.5 1 1 10 0 1 0 0 0 0\n", "T.txt:2: Inicio: '3.5' is not a 32-bit whole number"},
      {cabecalho + "3 1 1 10 0 1 40000 0 0 0\n", "T.txt:2: Tem_Extra: '40000' is not a 16-bit whole number"},
      {cabecalho + "3 one 1 10 0 1 0 0 0 0\n", "T.txt:2: Padrao: 'one' is not a 32-bit float"},
      {cabecalho + "3 1 1 10 bits:7fc0 1 0 0 0 0\n", "T.txt:2: Tipo: 'bits:7fc0' is not a 32-bit float"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.texto.substr(0, 120));
    Fase_Formacoes f{};
    std::string error;
    EXPECT_FALSE(CompilarTabela(c.texto, "T.txt", f, error));
    EXPECT_EQ(error.substr(0, c.erro.size()), c.erro) << error;
  }
}

TEST(PhaseCheck, EveryFaultIsReportedWithItsEntryAndField) {
  Fase_Formacoes f = Boa();
  f[1].Padrao = 8;
  f[2].Padrao = 2.5f;
  f[3].Tipo = 16;
  f[4].Tipo = 3.5f;
  f[5].Quantidade = -1;
  f[6].Parametro = 2;  // pattern 1 has no variants
  f[7].Padrao = 3;
  f[7].Parametro = 11;
  f[8].Padrao = 6;
  f[8].Parametro = 0;
  f[8].Quantidade = 1;
  f[9].Atira = 0.5f;
  f[10].Tem_Extra = 1;
  f[11].Invertida = 1;
  f[12].Tem_Extra = -1;
  f[12].Portador_Extra = 10;  // the formation has 10: enemies 0..9
  f[13].Tem_Extra = -1;
  f[13].Portador_Extra = 2.5f;
  f[14].Tipo_Extra = 9;
  f[15].Tipo = std::numeric_limits<float>::quiet_NaN();
  f[16].Padrao = 7;
  f[16].Parametro = 3;
  f[16].Quantidade = 1;
  const Checagem c = ChecarFormacoes(f);
  std::vector<std::string> linhas;
  for (const Falha& x : c.falhas) linhas.push_back(Descrever(x));
  const std::vector<std::string> esperadas = {
      "entry 1, Padrao: 8 is not a pattern (1..7)",
      "entry 2, Padrao: 2.5 is not a pattern (1..7)",
      "entry 3, Tipo: 16 is not an enemy kind (0..15, or 30)",
      "entry 4, Tipo: 3.5 is not an enemy kind (0..15, or 30)",
      "entry 5, Quantidade: -1 is negative",
      "entry 6, Parametro: 2 is not a variant of pattern 1 (1, pattern 1 uses none)",
      "entry 7, Parametro: 11 is not a variant of pattern 3 (1..10)",
      "entry 8, Parametro: 0 is not a variant of pattern 6 (1..3)",
      "entry 9, Atira: 0.5 is neither 1 nor 0",
      "entry 10, Tem_Extra: 1 is neither -1 nor 0",
      "entry 11, Invertida: 1 is neither -1 nor 0",
      "entry 12, Portador_Extra: 10 names no enemy of the formation (a whole number below Quantidade 10)",
      "entry 13, Portador_Extra: 2.5 names no enemy of the formation (a whole number below Quantidade 10)",
      "entry 14, Tipo_Extra: 9 is not a kind of extra (0..8)",
      "entry 15, Tipo: bits:7fc00000 is not an enemy kind (0..15, or 30)",
      "entry 16, Parametro: 3 is not a variant of pattern 7 (1..2)",
  };
  EXPECT_EQ(linhas, esperadas);
  EXPECT_TRUE(ChecarFormacoes(Boa()).falhas.empty());
  const std::vector<uint8_t> curto(4000);
  const Checagem c2 = ChecarArquivo(curto.data(), curto.size(), "F.FAS");
  ASSERT_EQ(c2.falhas.size(), 1u);
  EXPECT_EQ(Descrever(c2.falhas[0]), "4000 bytes, at least 8762 needed");
}

// The estimate for a phase of the formations given at their start times, the rest empty.
int64_t Pico(const std::vector<std::pair<int32_t, Entrada_Formacao>>& formacoes) {
  Fase_Formacoes f = Boa();
  for (size_t i = 0; i < 40; ++i) {
    f[i].Quantidade = 0;
    if (i < formacoes.size()) {
      f[i] = formacoes[i].second;
      f[i].Inicio = formacoes[i].first;
    }
  }
  return ChecarFormacoes(f).pico;
}

TEST(PhaseCheck, EstimateOfEnemiesAliveAtOnce) {
  Entrada_Formacao chuva = Boa()[0];  // pattern 1, 10 enemies, gone within 17 s
  Entrada_Formacao anel = chuva;      // pattern 3, stays
  anel.Padrao = 3;
  // Far apart, one formation at a time.
  EXPECT_EQ(Pico({{3, chuva}, {100, chuva}, {200, chuva}}), 10);
  // Eight seconds apart: the two rains before are still falling when the third comes.
  EXPECT_EQ(Pico({{3, chuva}, {11, chuva}, {19, chuva}}), 30);
  // Twenty seconds apart: gone before the next.
  EXPECT_EQ(Pico({{3, chuva}, {23, chuva}, {43, chuva}}), 10);
  // Enemies that stay add up however far apart their formations are.
  EXPECT_EQ(Pico({{3, anel}, {500, anel}, {900, anel}}), 30);
  // Out of order: when the field empties after entry 1 the clock goes to 4 s before entry 2, and entry
  // 3, due earlier, starts at once: entries 3 and 2 then fall four seconds apart.
  EXPECT_EQ(Pico({{3, chuva}, {50, chuva}, {400, chuva}, {300, chuva}}), 20);
  // Sixteen rings are 160 enemies: entry 15 starts with the table full.
  Fase_Formacoes f = Boa();
  for (int i = 0; i < 40; ++i) {
    f[i].Padrao = 3;
    f[i].Inicio = 3 + 30 * i;
    if (i >= 16) f[i].Quantidade = 0;
  }
  const Checagem c = ChecarFormacoes(f);
  EXPECT_EQ(c.pico, 160);
  ASSERT_EQ(c.falhas.size(), 1u);
  EXPECT_EQ(Descrever(c.falhas[0]),
            "entry 15, Quantidade: up to 160 enemies may be alive when this formation starts if none is "
            "destroyed; the enemy table holds 150");
}

// ----- The command line -----

testes::Saida Fases(const std::string& args) { return testes::RodarComando(VARTENOS_FASES " " + args); }

class Ferramenta : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testes::PastaTemporaria() + "/"; }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Ler(const std::string& f) { return testes::LerArquivo(dir_ + f); }
  std::string dir_;
  const std::string dados_ = std::string(VARTENOS_BUILD_DATA) + "/";
};

TEST_F(Ferramenta, ErrorsAndExitStatus) {
  std::ofstream(dir_ + "t.txt") << "Inicio Padrao\n";
  const testes::Saida compilar = Fases("compile " + dir_ + "t.txt " + dir_ + "t.FAS");
  EXPECT_EQ(compilar.status, 1);
  EXPECT_NE(compilar.out.find(dir_ + "t.txt:1: the header lacks the column Parametro"), std::string::npos)
      << compilar.out;
  EXPECT_FALSE(std::filesystem::exists(dir_ + "t.FAS"));
  std::ofstream(dir_ + "curto.FAS") << "abc";
  EXPECT_EQ(Fases("print " + dir_ + "curto.FAS").out,
            "vartenos-fases: " + dir_ + "curto.FAS: 3 bytes, at least 8762 needed\n");
  for (const auto& [args, status] : {std::pair{"print " + dir_ + "nada.FAS", 1},
                                     {"author x " + dir_ + "x.FAS", 1},
                                     {"author -1 " + dir_ + "x.FAS", 1},
                                     {std::string(), 2},
                                     {std::string("compile a"), 2},
                                     {std::string("--help"), 0}}) {
    EXPECT_EQ(Fases(args).status, status) << args;
  }
}

TEST_F(Ferramenta, CheckReportsEveryFaultOfABrokenFileAndFailsIt) {
  Fase_Formacoes f = Boa();
  f[3].Padrao = 0;
  f[39].Tipo_Extra = 12;
  std::string error;
  ASSERT_TRUE(EscreverArquivo(dir_ + "Q.FAS", CodificarFase(f), error));
  ASSERT_TRUE(EscreverArquivo(dir_ + "B.FAS", CodificarFase(Boa()), error));
  const testes::Saida s = Fases("check " + dir_ + "B.FAS " + dir_ + "Q.FAS");
  EXPECT_EQ(s.status, 1);
  const std::string q = dir_ + "Q.FAS: ";
  EXPECT_EQ(s.out, dir_ + "B.FAS: ok, at most 10 enemies alive at once if none is destroyed\n" + q +
                       "entry 3, Padrao: 0 is not a pattern (1..7)\n" + q +
                       "entry 39, Tipo_Extra: 12 is not a kind of extra (0..8)\n" + q + "2 problems\n");
}

TEST_F(Ferramenta, AuthorWithTheSameSeedMakesTheSamePhaseFive) {
  ASSERT_EQ(Fases("author " VARTENOS_FASE5_SEED " " + dir_ + "A.FAS").status, 0);
  ASSERT_EQ(Fases("author " VARTENOS_FASE5_SEED " " + dir_ + "B.FAS").status, 0);
  ASSERT_EQ(Fases("author 7 " + dir_ + "C.FAS").status, 0);
  EXPECT_EQ(Ler("A.FAS"), Ler("B.FAS"));
  EXPECT_NE(Ler("A.FAS"), Ler("C.FAS"));
  EXPECT_EQ(Fases("check " + dir_ + "A.FAS").status, 0);
}

// ----- Our phases -----

TEST(OurPhases, AllPassTheCheckUseEveryVariantAndGrowHarder) {
  for (int n = 1; n <= 5; ++n) {
    const std::string path = VARTENOS_BUILD_DATA "/" + NomeArquivoFase(n);
    const std::string bytes = testes::LerArquivo(path);
    const Checagem c = ChecarArquivo(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), path);
    for (const Falha& x : c.falhas) ADD_FAILURE() << path << ": " << Descrever(x);
    EXPECT_LE(c.pico, kLimiteInimigos) << path;
  }
  // The four written phases: more enemies in all, and more of them on screen at once, phase after phase.
  std::set<std::pair<int, int>> usados;
  std::set<int> invertidas;
  int64_t pico_antes = -1, total_antes = -1;
  for (int n = 1; n <= 4; ++n) {
    SCOPED_TRACE(n);
    const std::string path =
        std::string(VARTENOS_SOURCE_DIR) + "/data/phases/Fase" + std::to_string(n) + ".txt";
    Fase_Formacoes f{};
    std::string error;
    ASSERT_TRUE(CompilarTabela(testes::LerArquivo(path), path, f, error)) << error;
    int64_t total = 0, extras = 0;
    for (const Entrada_Formacao& e : f) {
      usados.insert({static_cast<int>(e.Padrao), static_cast<int>(e.Parametro)});
      if (e.Padrao == 3) invertidas.insert(e.Invertida);
      total += e.Quantidade;
      extras += e.Tem_Extra == -1;
    }
    const int64_t pico = ChecarFormacoes(f).pico;
    EXPECT_GT(total, std::exchange(total_antes, total));
    EXPECT_GT(pico, std::exchange(pico_antes, pico));
    EXPECT_GE(extras, 10);
    // Phase 1 opens with enemies that leave by themselves only.
    for (int i = 0; n == 1 && i < 10; ++i) EXPECT_GE(QuadrosDeVidaMaximos(f[i]), 0) << i;
  }
  for (const auto& [padrao, variantes] : {std::pair{1, 1}, {2, 4}, {3, 10}, {4, 2}, {5, 3}, {6, 3}, {7, 2}}) {
    for (int v = 1; v <= variantes; ++v) EXPECT_TRUE(usados.count({padrao, v})) << padrao << "/" << v;
  }
  EXPECT_EQ(invertidas, (std::set<int>{-1, 0}));
}

}  // namespace
}  // namespace vartenos::fases
