// Phase files: the slot layout, what the reader ignores and keeps raw, the short and missing file
// messages, loading into the game window, and the authoring rule of phase 5.
#include "phases/phase_file.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "phases/phase_check.h"
#include "platform/byte_files.h"
#include "platform/headless/headless_platform.h"
#include "shell/form1.h"
#include "shell/random.h"
#include "sim_support.h"

namespace vartenos {
namespace {

// An entry whose every field differs from every other entry's.
Entrada_Formacao Distinta(int i) {
  const float f = static_cast<float>(i);
  Entrada_Formacao e;
  e.Padrao = 1.5f + f;
  e.Tipo = -2.25f * f;
  e.Inicio = 1000 * i - 7;
  e.Quantidade = -3 * i + 11;
  e.Parametro = 0.125f * f;
  e.Atira = 100.0f + f;
  e.Tem_Extra = static_cast<int16_t>(i - 20);
  e.Portador_Extra = 3.75f + f;
  e.Tipo_Extra = 1e6f * f;
  e.Invertida = static_cast<int16_t>(-300 * i);
  return e;
}

Fase_Formacoes Distintas() {
  Fase_Formacoes f{};
  for (int i = 0; i < 40; ++i) f[i] = Distinta(i);
  return f;
}

// Every field's bits in the file's slot order (the two 16-bit ones in slots 7 and 10), then Iniciada.
std::array<uint32_t, 11> Bits(const Entrada_Formacao& e) {
  return {std::bit_cast<uint32_t>(e.Padrao),
          std::bit_cast<uint32_t>(e.Tipo),
          static_cast<uint32_t>(e.Inicio),
          static_cast<uint32_t>(e.Quantidade),
          std::bit_cast<uint32_t>(e.Parametro),
          std::bit_cast<uint32_t>(e.Atira),
          static_cast<uint16_t>(e.Tem_Extra),
          std::bit_cast<uint32_t>(e.Portador_Extra),
          std::bit_cast<uint32_t>(e.Tipo_Extra),
          static_cast<uint16_t>(e.Invertida),
          e.Iniciada};
}

int Largura(int slot) { return slot >= 10 ? 0 : (slot == 6 || slot == 9 ? 2 : 4); }

TEST(PhaseFormat, EachValueSitsAtTheStartOfItsSlotAndPaddingIsIgnoredOnReading) {
  Fase_Formacoes original = Distintas();
  original[7].Tem_Extra = 1;  // not -1: kept as 1, the sequencing treats only -1 as true
  original[8].Invertida = 0x1234;
  std::vector<uint8_t> bytes = CodificarFase(original);
  ASSERT_EQ(bytes.size(), 8800u);
  for (int i = 0; i < 40; ++i) {
    uint8_t* p = bytes.data() + 220 * i;
    for (int s = 0; s < 11; ++s) {
      if (s < 10) {
        EXPECT_EQ(Largura(s) == 2 ? Le16(p + 20 * s) : Le32(p + 20 * s), Bits(original[i])[s])
            << i << "/" << s;
      }
      // Everything after a value inside its slot, and the whole eleventh slot, is written as zero; the
      // reader must not care what it holds.
      for (int b = Largura(s); b < 20; ++b) {
        EXPECT_EQ(p[20 * s + b], 0) << "entry " << i << " slot " << s + 1 << " byte " << b;
        p[20 * s + b] = static_cast<uint8_t>(0xA5 ^ (s * 31 + b + i));
      }
    }
  }
  for (const size_t tamanho : {size_t{8762}, size_t{8800}, size_t{9000}}) {
    SCOPED_TRACE(tamanho);
    bytes.resize(tamanho, 0x77);
    Fase_Formacoes lidas{};
    for (Entrada_Formacao& e : lidas) e.Iniciada = true;
    std::string error;
    ASSERT_TRUE(DecodificarFase(bytes.data(), bytes.size(), "Fase1.FAS", lidas, error)) << error;
    for (int i = 0; i < 40; ++i) EXPECT_EQ(Bits(lidas[i]), Bits(original[i])) << i;
  }
}

TEST(PhaseFormat, ShortAndMissingFilesAreNamedWithTheProblem) {
  const std::vector<uint8_t> zeros(8800, 0);
  Fase_Formacoes f{};
  std::string error;
  for (const size_t n : {0, 8761}) {
    EXPECT_FALSE(DecodificarFase(zeros.data(), n, "Fase3.FAS", f, error));
    EXPECT_EQ(error, "Fase3.FAS: " + std::to_string(n) + " bytes, at least 8762 needed");
  }
  const std::string dir = testes::PastaTemporaria();
  std::filesystem::create_directory(dir + "/Fase4.FAS");
  std::ofstream(dir + "/Fase2.FAS", std::ios::binary).write("abc", 3);
  for (const auto& [nome, mensagem] : {std::pair{"Fase3.FAS", "Fase3.FAS: not found"},
                                       {"Fase4.FAS", "Fase4.FAS: Is a directory"},
                                       {"Fase2.FAS", "Fase2.FAS: 3 bytes, at least 8762 needed"}}) {
    EXPECT_FALSE(LerFase(dir + "/" + nome, nome, f, error));
    EXPECT_EQ(error, mensagem);
  }
  std::filesystem::remove_all(dir);
}

TEST(CarregarFase, LoadsEveryEntryClearingIniciadaOrLeavesTheGameAloneAndSaysWhy) {
  const std::string dir = testes::PastaDadosCom(
      {{"Fase2.FAS", CodificarFase(Distintas())}, {"Fase1.FAS", std::vector<uint8_t>(4000, 1)}});
  std::filesystem::remove(dir + "/Fase3.FAS");
  HeadlessPlatform plataforma;
  for (const auto& [fase, caixa] : {std::pair<uint8_t, std::string>{2, ""},
                                    {1, "Fase1.FAS: 4000 bytes, at least 8762 needed"},
                                    {3, "Fase3.FAS: not found"}}) {
    Form1 form(plataforma, dir, nullptr);
    Entrada_Formacao antes = Distinta(5);
    antes.Iniciada = true;
    form.Formacoes.fill(antes);
    uint8_t n = fase;
    testing::internal::CaptureStderr();
    EXPECT_EQ(form.Preenche_Vetor_Fases(n), caixa.empty());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              caixa.empty() ? "" : "message box \"Vartenos\": " + caixa + "\n");
    EXPECT_EQ(form.Formacoes_Carregadas, caixa.empty() ? 40 : 0);
    for (int i = 0; i < 40; ++i)
      EXPECT_EQ(Bits(form.Formacoes[i]), Bits(caixa.empty() ? Distinta(i) : antes)) << i;
  }
  std::filesystem::remove_all(dir);
}

TEST(AuthoringRule, DrawsInItsOrderAndWritesEachEntryAsItStoodThen) {
  const std::vector<std::vector<float>> sorteios = {
      // 0: pattern 1, kind 8, 4 enemies, fires, no drawn extra; the fixed speed extra on enemy 3
      {0.0f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.99f},
      // 1: pattern 3, kind 0 then 30, gap 10, inverted, does not fire, drawn extra (7, kind 4), then the
      //    fixed speed extra on enemy 0, variant 10
      {0.3f, 0.0f, 0.01f, 0.0f, 0.1f, 0.05f, 0.1f, 0.5f, 0.5f, 0.0f, 0.95f},
      // 2: pattern 1, gap 27, 20 enemies
      {0.0f, 0.5f, 0.5f, 0.99f, 0.99f, 0.5f, 0.5f},
      // 3: pattern 2, gap 19, 12 enemies, variant 4
      {0.2f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.75f},
      // 4: pattern 1, gap 10, grouping r = 22: entry 3 takes entry 2's start, entry 4 takes it too
      {0.0f, 0.5f, 0.5f, 0.0f, 0.18f, 0.0f, 0.5f, 0.5f},
      // 5: pattern 1, gap 10, no grouping (r = 62); the sixth entry always carries an extra (2, kind 8)
      {0.0f, 0.5f, 0.5f, 0.0f, 0.5f, 0.0f, 0.5f, 0.5f, 0.5f, 0.99f},
      // 6: pattern 1, gap 10, grouping r = 27: entries 4, 5 and 6 take entry 3's start
      {0.0f, 0.5f, 0.5f, 0.0f, 0.22f, 0.0f, 0.5f, 0.5f},
  };
  std::deque<float> fila;
  for (const auto& s : sorteios) fila.insert(fila.end(), s.begin(), s.end());
  int tirados = 0;
  const auto rnd = [&] {  // the script, then 0.5 for ever
    ++tirados;
    const float v = fila.empty() ? 0.5f : fila.front();
    if (!fila.empty()) fila.pop_front();
    return v;
  };
  Fase_Formacoes memoria{};
  const std::vector<uint8_t> bytes = AutorarFase5(rnd, memoria);
  // Entries 7..39 draw 9 values each at 0.5 (pattern 4), the forced extras of 11, 17, 23, 29, 35 two
  // more, the fixed extras of 10, 15, 20, 30 one more.
  EXPECT_EQ(tirados, 7 + 11 + 7 + 8 + 8 + 10 + 8 + 33 * 9 + 5 * 2 + 4);
  Fase_Formacoes arquivo{};
  std::string error;
  ASSERT_TRUE(DecodificarFase(bytes.data(), bytes.size(), "Fase5.FAS", arquivo, error));
  // In declaration order: Tipo, Padrao, Inicio, Quantidade, Iniciada, Parametro, Invertida, Atira, Tem_Extra,
  // Tipo_Extra, Portador_Extra.
  EXPECT_EQ(Bits(arquivo[0]), Bits({8, 1, 3, 4, false, 1, 0, 1, -1, 7, 3}));
  EXPECT_EQ(Bits(arquivo[1]), Bits({30, 3, 13, 15, false, 10, -1, 0, -1, 7, 0}));
  EXPECT_EQ(std::tuple(arquivo[2].Quantidade, arquivo[2].Tem_Extra, arquivo[3].Padrao, arquivo[3].Parametro),
            std::tuple(20, 0, 2.0f, 4.0f));
  EXPECT_EQ(std::tuple(arquivo[5].Tem_Extra, arquivo[5].Portador_Extra, arquivo[5].Tipo_Extra),
            std::tuple(-1, 2.0f, 8.0f));
  EXPECT_EQ(std::tuple(arquivo[10].Tipo_Extra, arquivo[10].Portador_Extra), std::tuple(6.0f, 6.0f));
  // Start times: the file holds each entry as it was written, the array what the later rounds left.
  const int32_t no_arquivo[] = {3, 13, 40, 59, 40, 50, 40, 59};
  const int32_t na_memoria[] = {3, 13, 40, 40, 40, 40, 40, 59};
  for (int i = 0; i < 40; ++i) {
    if (i < 8) {
      EXPECT_EQ(std::tuple(arquivo[i].Inicio, memoria[i].Inicio), std::tuple(no_arquivo[i], na_memoria[i]))
          << i;
    }
    // Apart from the start times, the file and the array agree.
    Entrada_Formacao a = arquivo[i];
    a.Inicio = memoria[i].Inicio;
    EXPECT_EQ(Bits(a), Bits(memoria[i])) << i;
  }
}

TEST(AuthoringRule, FixedEntriesAndRangesHoldForEverySeed) {
  bool alguma_fora_de_ordem = false;
  for (uint32_t semente = 0; semente < 300; ++semente) {
    SCOPED_TRACE(semente);
    Gerador g;
    g.Semear(semente);
    Fase_Formacoes f{};
    const std::vector<uint8_t> bytes = AutorarFase5([&] { return g.Rnd(); }, f);
    std::string error;
    ASSERT_TRUE(DecodificarFase(bytes.data(), bytes.size(), "Fase5.FAS", f, error));
    EXPECT_EQ(f[0].Inicio, 3);
    for (const auto& [i, tipo] : {std::pair{0, 7}, {1, 7}, {10, 6}, {15, 8}, {20, 6}, {30, 6}}) {
      EXPECT_EQ(std::tuple(f[i].Tem_Extra, f[i].Tipo_Extra), std::tuple(-1, tipo)) << i;
    }
    for (const int i : {5, 11, 17, 23, 29, 35}) EXPECT_EQ(f[i].Tem_Extra, -1) << i;
    // Every value in its range (the phase checker knows them), pattern 3 rings of 15 and only they
    // inverted, other formations of 4 to 20.
    for (const fases::Falha& x : fases::ChecarFormacoes(f).falhas) {
      if (x.campo != "Quantidade") ADD_FAILURE() << fases::Descrever(x);
    }
    for (int i = 0; i < 40; ++i) {
      const Entrada_Formacao& e = f[i];
      EXPECT_TRUE(e.Padrao == 3 ? e.Quantidade == 15
                                : e.Quantidade >= 4 && e.Quantidade <= 20 && e.Invertida == 0)
          << i;
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
  for (int i = 0; i < 40; ++i) EXPECT_EQ(Bits(form.Formacoes[i]), Bits(esperado[i])) << i;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vartenos
