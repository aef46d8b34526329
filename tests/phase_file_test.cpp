// Phase files: the slot layout, what the reader ignores and keeps raw, the short and missing file
// messages, loading into the game window, and the authoring rule of phase 5.
#include "phases/phase_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/byte_files.h"
#include "platform/headless/headless_platform.h"
#include "shell/form1.h"
#include "shell/random.h"
#include "sim_support.h"

namespace vartenos {
namespace {

// An entry whose every field differs from every other entry's.
Entrada_Formacao Distinta(int i) {
  Entrada_Formacao e;
  e.Padrao = 1.5f + static_cast<float>(i);
  e.Tipo = -2.25f * static_cast<float>(i);
  e.Inicio = 1000 * i - 7;
  e.Quantidade = -3 * i + 11;
  e.Parametro = 0.125f * static_cast<float>(i);
  e.Atira = 100.0f + static_cast<float>(i);
  e.Tem_Extra = static_cast<int16_t>(i - 20);
  e.Portador_Extra = 3.75f + static_cast<float>(i);
  e.Tipo_Extra = 1e6f * static_cast<float>(i);
  e.Invertida = static_cast<int16_t>(-300 * i);
  return e;
}

Fase_Formacoes Distintas() {
  Fase_Formacoes f{};
  for (int i = 0; i < 40; ++i) f[i] = Distinta(i);
  return f;
}

void EsperarIguais(const Entrada_Formacao& a, const Entrada_Formacao& b) {
  EXPECT_EQ(std::bit_cast<uint32_t>(a.Padrao), std::bit_cast<uint32_t>(b.Padrao));
  EXPECT_EQ(std::bit_cast<uint32_t>(a.Tipo), std::bit_cast<uint32_t>(b.Tipo));
  EXPECT_EQ(a.Inicio, b.Inicio);
  EXPECT_EQ(a.Quantidade, b.Quantidade);
  EXPECT_EQ(a.Iniciada, b.Iniciada);
  EXPECT_EQ(std::bit_cast<uint32_t>(a.Parametro), std::bit_cast<uint32_t>(b.Parametro));
  EXPECT_EQ(a.Invertida, b.Invertida);
  EXPECT_EQ(std::bit_cast<uint32_t>(a.Atira), std::bit_cast<uint32_t>(b.Atira));
  EXPECT_EQ(a.Tem_Extra, b.Tem_Extra);
  EXPECT_EQ(std::bit_cast<uint32_t>(a.Tipo_Extra), std::bit_cast<uint32_t>(b.Tipo_Extra));
  EXPECT_EQ(std::bit_cast<uint32_t>(a.Portador_Extra), std::bit_cast<uint32_t>(b.Portador_Extra));
}

TEST(PhaseFormat, EachValueSitsAtTheStartOfItsSlot) {
  const std::vector<uint8_t> bytes = CodificarFase(Distintas());
  ASSERT_EQ(bytes.size(), 8800u);
  for (int i = 0; i < 40; ++i) {
    SCOPED_TRACE(i);
    const Entrada_Formacao e = Distinta(i);
    const uint8_t* p = bytes.data() + 220 * i;
    // File order: Padrao before Tipo, Portador_Extra before Tipo_Extra.
    EXPECT_EQ(Le32(p + 0), std::bit_cast<uint32_t>(e.Padrao));
    EXPECT_EQ(Le32(p + 20), std::bit_cast<uint32_t>(e.Tipo));
    EXPECT_EQ(static_cast<int32_t>(Le32(p + 40)), e.Inicio);
    EXPECT_EQ(static_cast<int32_t>(Le32(p + 60)), e.Quantidade);
    EXPECT_EQ(Le32(p + 80), std::bit_cast<uint32_t>(e.Parametro));
    EXPECT_EQ(Le32(p + 100), std::bit_cast<uint32_t>(e.Atira));
    EXPECT_EQ(static_cast<int16_t>(Le16(p + 120)), e.Tem_Extra);
    EXPECT_EQ(Le32(p + 140), std::bit_cast<uint32_t>(e.Portador_Extra));
    EXPECT_EQ(Le32(p + 160), std::bit_cast<uint32_t>(e.Tipo_Extra));
    EXPECT_EQ(static_cast<int16_t>(Le16(p + 180)), e.Invertida);
    // Everything after a value inside its slot, and the whole eleventh slot, is written as zero.
    for (int s = 0; s < 11; ++s) {
      const int usados = s >= 10 ? 0 : (s == 6 || s == 9 ? 2 : 4);
      for (int b = usados; b < 20; ++b) EXPECT_EQ(p[20 * s + b], 0) << "slot " << s + 1 << " byte " << b;
    }
  }
}

TEST(PhaseFormat, PaddingAndTheEleventhSlotAreIgnoredAndRawValuesKept) {
  Fase_Formacoes original = Distintas();
  original[7].Tem_Extra = 1;  // not -1: kept as 1, the sequencing treats only -1 as true
  original[8].Invertida = 0x1234;
  std::vector<uint8_t> bytes = CodificarFase(original);
  for (int i = 0; i < 40; ++i) {
    uint8_t* p = bytes.data() + 220 * i;
    for (int s = 0; s < 11; ++s) {
      const int usados = s >= 10 ? 0 : (s == 6 || s == 9 ? 2 : 4);
      for (int b = usados; b < 20; ++b) p[20 * s + b] = static_cast<uint8_t>(0xA5 ^ (s * 31 + b + i));
    }
  }
  for (const size_t tamanho : {size_t{8762}, size_t{8800}, size_t{9000}}) {
    SCOPED_TRACE(tamanho);
    bytes.resize(tamanho, 0x77);
    Fase_Formacoes lidas{};
    for (Entrada_Formacao& e : lidas) e.Iniciada = true;
    std::string error;
    ASSERT_TRUE(DecodificarFase(bytes.data(), bytes.size(), "Fase1.FAS", lidas, error)) << error;
    for (int i = 0; i < 40; ++i) EsperarIguais(lidas[i], original[i]);
    EXPECT_EQ(lidas[7].Tem_Extra, 1);
    EXPECT_EQ(lidas[8].Invertida, 0x1234);
  }
}

TEST(PhaseFormat, ShortAndMissingFilesAreNamedWithTheProblem) {
  const std::vector<uint8_t> zeros(8800, 0);
  struct Caso {
    size_t tamanho;
    const char* mensagem;
  };
  for (const Caso& c : {Caso{0, "Fase3.FAS: 0 bytes, at least 8762 needed"},
                        Caso{4000, "Fase3.FAS: 4000 bytes, at least 8762 needed"},
                        Caso{8761, "Fase3.FAS: 8761 bytes, at least 8762 needed"}}) {
    Fase_Formacoes f{};
    std::string error;
    EXPECT_FALSE(DecodificarFase(zeros.data(), c.tamanho, "Fase3.FAS", f, error));
    EXPECT_EQ(error, c.mensagem);
  }

  const std::string dir = testes::PastaTemporaria();
  Fase_Formacoes f{};
  std::string error;
  EXPECT_FALSE(LerFase(dir + "/Fase3.FAS", "Fase3.FAS", f, error));
  EXPECT_EQ(error, "Fase3.FAS: not found");
  std::filesystem::create_directory(dir + "/Fase4.FAS");
  EXPECT_FALSE(LerFase(dir + "/Fase4.FAS", "Fase4.FAS", f, error));
  EXPECT_EQ(error, "Fase4.FAS: Is a directory");
  std::ofstream(dir + "/Fase2.FAS", std::ios::binary).write("abc", 3);
  EXPECT_FALSE(LerFase(dir + "/Fase2.FAS", "Fase2.FAS", f, error));
  EXPECT_EQ(error, "Fase2.FAS: 3 bytes, at least 8762 needed");
  std::filesystem::remove_all(dir);
}

TEST(PhaseFormat, AllZeroFileIsFortyEmptyFormationsAtSecondZero) {
  const std::vector<uint8_t> zeros(8762, 0);
  Fase_Formacoes f = Distintas();
  std::string error;
  ASSERT_TRUE(DecodificarFase(zeros.data(), zeros.size(), "Fase1.FAS", f, error));
  for (const Entrada_Formacao& e : f) EsperarIguais(e, Entrada_Formacao{});
}

class CarregarFase : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testes::PastaTemporaria(); }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
  HeadlessPlatform plataforma_;
};

TEST_F(CarregarFase, LoadsEveryEntryAndClearsIniciada) {
  std::string error;
  ASSERT_TRUE(EscreverArquivo(dir_ + "/Fase2.FAS", CodificarFase(Distintas()), error));
  Form1 form(plataforma_, dir_, nullptr);
  for (Entrada_Formacao& e : form.Formacoes) e.Iniciada = true;
  uint8_t fase = 2;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(form.Preenche_Vetor_Fases(fase));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(form.Formacoes_Carregadas, 40);
  for (int i = 0; i < 40; ++i) EsperarIguais(form.Formacoes[i], Distinta(i));
}

TEST_F(CarregarFase, AMissingOrShortFileLeavesTheGameAloneAndSaysWhy) {
  std::string error;
  ASSERT_TRUE(EscreverArquivo(dir_ + "/Fase1.FAS", std::vector<uint8_t>(4000, 1), error));
  struct Caso {
    uint8_t fase;
    const char* caixa;
  };
  for (const Caso& c : {Caso{1, "message box \"Vartenos\": Fase1.FAS: 4000 bytes, at least 8762 needed\n"},
                        Caso{3, "message box \"Vartenos\": Fase3.FAS: not found\n"}}) {
    Form1 form(plataforma_, dir_, nullptr);
    form.Formacoes[5] = Distinta(5);
    form.Formacoes[5].Iniciada = true;
    form.Pontos = 1234;
    uint8_t fase = c.fase;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(form.Preenche_Vetor_Fases(fase));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.caixa);
    EXPECT_EQ(form.Formacoes_Carregadas, 0);
    EXPECT_TRUE(form.Formacoes[5].Iniciada);
    EXPECT_EQ(form.Formacoes[5].Inicio, Distinta(5).Inicio);
    EXPECT_EQ(form.Pontos, 1234);
  }
}

// A source of Rnd that hands out a script of draws, then 0.5 for ever, and counts them.
struct Roteiro {
  std::deque<float> valores;
  int tirados = 0;
  float operator()() {
    ++tirados;
    if (valores.empty()) return 0.5f;
    const float v = valores.front();
    valores.pop_front();
    return v;
  }
};

TEST(AuthoringRule, DrawsInItsOrderAndWritesEachEntryAsItStoodThen) {
  Roteiro r;
  r.valores = {
      // 0: pattern 1, kind 8, 4 enemies, fires, no drawn extra; the fixed speed extra on enemy 3
      0.0f,
      0.5f,
      0.5f,
      0.0f,
      0.5f,
      0.5f,
      0.99f,
      // 1: pattern 3, kind 0 then 30, gap 10, inverted, does not fire, drawn extra (7, kind 4), then the
      //    fixed speed extra on enemy 0, variant 10
      0.3f,
      0.0f,
      0.01f,
      0.0f,
      0.1f,
      0.05f,
      0.1f,
      0.5f,
      0.5f,
      0.0f,
      0.95f,
      // 2: pattern 1, gap 27, 20 enemies
      0.0f,
      0.5f,
      0.5f,
      0.99f,
      0.99f,
      0.5f,
      0.5f,
      // 3: pattern 2, gap 19, 12 enemies, variant 4
      0.2f,
      0.5f,
      0.5f,
      0.5f,
      0.5f,
      0.5f,
      0.5f,
      0.75f,
      // 4: pattern 1, gap 10, grouping r = 22: entry 3 takes entry 2's start, entry 4 takes it too
      0.0f,
      0.5f,
      0.5f,
      0.0f,
      0.18f,
      0.0f,
      0.5f,
      0.5f,
      // 5: pattern 1, gap 10, no grouping (r = 62); the sixth entry always carries an extra (2, kind 8)
      0.0f,
      0.5f,
      0.5f,
      0.0f,
      0.5f,
      0.0f,
      0.5f,
      0.5f,
      0.5f,
      0.99f,
      // 6: pattern 1, gap 10, grouping r = 27: entries 4, 5 and 6 take entry 3's start
      0.0f,
      0.5f,
      0.5f,
      0.0f,
      0.22f,
      0.0f,
      0.5f,
      0.5f,
  };
  Fase_Formacoes memoria{};
  const std::vector<uint8_t> bytes = AutorarFase5(std::ref(r), memoria);
  // Entries 7..39 draw 9 values each at 0.5 (pattern 4), the forced extras of 11, 17, 23, 29, 35 two
  // more, the fixed extras of 10, 15, 20, 30 one more.
  EXPECT_EQ(r.tirados, 7 + 11 + 7 + 8 + 8 + 10 + 8 + 33 * 9 + 5 * 2 + 4);
  Fase_Formacoes arquivo{};
  std::string error;
  ASSERT_TRUE(DecodificarFase(bytes.data(), bytes.size(), "Fase5.FAS", arquivo, error));

  const auto& e0 = arquivo[0];
  EXPECT_EQ(e0.Padrao, 1);
  EXPECT_EQ(e0.Tipo, 8);
  EXPECT_EQ(e0.Inicio, 3);
  EXPECT_EQ(e0.Quantidade, 4);
  EXPECT_EQ(e0.Atira, 1);
  EXPECT_EQ(e0.Tem_Extra, -1);
  EXPECT_EQ(e0.Portador_Extra, 3);
  EXPECT_EQ(e0.Tipo_Extra, 7);
  EXPECT_EQ(e0.Parametro, 1);
  const auto& e1 = arquivo[1];
  EXPECT_EQ(e1.Padrao, 3);
  EXPECT_EQ(e1.Tipo, 30);
  EXPECT_EQ(e1.Inicio, 13);
  EXPECT_EQ(e1.Quantidade, 15);
  EXPECT_EQ(e1.Invertida, -1);
  EXPECT_EQ(e1.Atira, 0);
  EXPECT_EQ(e1.Tem_Extra, -1);
  EXPECT_EQ(e1.Portador_Extra, 0);
  EXPECT_EQ(e1.Tipo_Extra, 7);
  EXPECT_EQ(e1.Parametro, 10);
  EXPECT_EQ(arquivo[2].Inicio, 40);
  EXPECT_EQ(arquivo[2].Quantidade, 20);
  EXPECT_EQ(arquivo[2].Tem_Extra, 0);
  EXPECT_EQ(arquivo[3].Padrao, 2);
  EXPECT_EQ(arquivo[3].Parametro, 4);
  EXPECT_EQ(arquivo[5].Tem_Extra, -1);
  EXPECT_EQ(arquivo[5].Portador_Extra, 2);
  EXPECT_EQ(arquivo[5].Tipo_Extra, 8);
  EXPECT_EQ(arquivo[10].Tipo_Extra, 6);
  EXPECT_EQ(arquivo[10].Portador_Extra, 6);

  // Start times: the file holds each entry as it was written, the array what the later rounds left.
  const int32_t no_arquivo[] = {3, 13, 40, 59, 40, 50, 40, 59};
  const int32_t na_memoria[] = {3, 13, 40, 40, 40, 40, 40, 59};
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(arquivo[i].Inicio, no_arquivo[i]);
    EXPECT_EQ(memoria[i].Inicio, na_memoria[i]);
  }
  // Apart from the start times, the file and the array agree.
  for (int i = 0; i < 40; ++i) {
    Entrada_Formacao a = arquivo[i];
    a.Inicio = memoria[i].Inicio;
    EsperarIguais(a, memoria[i]);
  }
}

TEST(AuthoringRule, FixedEntriesAndRangesHoldForEverySeed) {
  bool alguma_fora_de_ordem = false;
  for (uint32_t semente = 0; semente < 300; ++semente) {
    SCOPED_TRACE(semente);
    Gerador g;
    g.Semear(semente);
    Fase_Formacoes memoria{};
    const std::vector<uint8_t> bytes = AutorarFase5([&] { return g.Rnd(); }, memoria);
    Fase_Formacoes f{};
    std::string error;
    ASSERT_TRUE(DecodificarFase(bytes.data(), bytes.size(), "Fase5.FAS", f, error));
    EXPECT_EQ(f[0].Inicio, 3);
    for (const auto& [i, tipo] : {std::pair{0, 7}, {1, 7}, {10, 6}, {15, 8}, {20, 6}, {30, 6}}) {
      EXPECT_EQ(f[i].Tem_Extra, -1) << i;
      EXPECT_EQ(f[i].Tipo_Extra, tipo) << i;
    }
    for (const int i : {5, 11, 17, 23, 29, 35}) EXPECT_EQ(f[i].Tem_Extra, -1) << i;
    for (int i = 0; i < 40; ++i) {
      const Entrada_Formacao& e = f[i];
      ASSERT_TRUE(e.Padrao >= 1 && e.Padrao <= 7 && e.Padrao == std::floor(e.Padrao)) << i;
      if (e.Padrao == 3) {
        EXPECT_EQ(e.Quantidade, 15) << i;
        EXPECT_TRUE(e.Invertida == -1 || e.Invertida == 0) << i;
      } else {
        EXPECT_TRUE(e.Quantidade >= 4 && e.Quantidade <= 20) << i;
        EXPECT_EQ(e.Invertida, 0) << i;
      }
      EXPECT_TRUE((e.Tipo >= 0 && e.Tipo <= 15) || e.Tipo == 30) << i;
      EXPECT_TRUE(e.Atira == 1 || e.Atira == 0) << i;
      if (e.Tem_Extra == -1) {
        EXPECT_TRUE(e.Portador_Extra >= 0 && e.Portador_Extra < static_cast<float>(e.Quantidade)) << i;
        EXPECT_TRUE(e.Tipo_Extra >= 0 && e.Tipo_Extra <= 8) << i;
      } else {
        EXPECT_EQ(e.Tem_Extra, 0) << i;
      }
      const float maior[] = {0, 1, 4, 10, 2, 3, 3, 2};
      EXPECT_TRUE(e.Parametro >= 1 && e.Parametro <= maior[static_cast<int>(e.Padrao)]) << i;
      if (i > 0 && e.Inicio < f[i - 1].Inicio) alguma_fora_de_ordem = true;
    }
  }
  EXPECT_TRUE(alguma_fora_de_ordem) << "a grouping should leave some written file out of order";
}

TEST(AuthoringRule, TheWindowSeedsFromTheClockAndWritesFase5) {
  const std::string dir = testes::PastaTemporaria();
  HeadlessPlatform plataforma;
  Form1 form(plataforma, dir, nullptr);
  form.Formacoes[3].Quantidade = 999;
  form.Preenche_Arquivo_Fases();
  std::vector<uint8_t> escrito;
  std::string error;
  ASSERT_TRUE(LerArquivo(dir + "/Fase5.FAS", escrito, error)) << error;
  // The headless clock stands at 0, so the generator was seeded with 0.
  Gerador g;
  g.Semear(0);
  Fase_Formacoes esperado{};
  EXPECT_EQ(escrito, AutorarFase5([&] { return g.Rnd(); }, esperado));
  for (int i = 0; i < 40; ++i) EsperarIguais(form.Formacoes[i], esperado[i]);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vartenos
