// Every seed of the fuzzers and every input they once failed on, run through the same function as its
// fuzz target: each must pass (a reader may refuse it, but must not crash or break a check).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "fuzz_target.h"
#include "sim_support.h"

// The targets: one line each, the name of fuzz/NAME_fuzz.cpp and of its folders under fuzz/corpus/ and
// fuzz/crashes/.
#define VARTENOS_ALVOS_FUZZ(X) \
  X(bmp_file) X(wav_file) X(midi_file) X(phase_file) X(key_script) X(settings) X(recording) X(soundfont)

namespace vartenos::fuzz {

#define VARTENOS_DECLARAR_ALVO(NAME) std::string Exercitar_##NAME(const uint8_t* data, size_t size);
VARTENOS_ALVOS_FUZZ(VARTENOS_DECLARAR_ALVO)

namespace {

namespace fs = std::filesystem;

#define VARTENOS_ENTRADA_ALVO(NAME) {#NAME, &Exercitar_##NAME},
const std::map<std::string, Exercicio> kAlvos = {VARTENOS_ALVOS_FUZZ(VARTENOS_ENTRADA_ALVO)};

TEST(FuzzInputs, EverySeedAndKeptCrashPassesItsTarget) {
  std::map<std::string, int> sementes;
  for (const char* pasta : {"corpus", "crashes"}) {
    const fs::path raiz = fs::path(VARTENOS_SOURCE_DIR) / "fuzz" / pasta;
    for (const auto& alvo : fs::directory_iterator(raiz)) {
      if (!alvo.is_directory()) continue;
      const std::string nome = alvo.path().filename().string();
      const auto it = kAlvos.find(nome);
      if (it == kAlvos.end()) {
        ADD_FAILURE() << alvo.path() << ": no fuzz target of that name in the table of " << __FILE__;
        continue;
      }
      for (const auto& arquivo : fs::directory_iterator(alvo.path())) {
        if (!arquivo.is_regular_file() || arquivo.path().extension() == ".md") continue;
        const std::string bytes = testes::LerArquivo(arquivo.path().string());
        EXPECT_EQ(it->second(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "")
            << arquivo.path();
        if (std::string(pasta) == "corpus") ++sementes[nome];
      }
    }
  }
  for (const auto& [nome, exercicio] : kAlvos)
    EXPECT_GT(sementes[nome], 0) << "no seeds in fuzz/corpus/" << nome;
}

}  // namespace
}  // namespace vartenos::fuzz
