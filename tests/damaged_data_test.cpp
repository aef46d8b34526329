// Every file of the data directory, cut short and with bytes of its header flipped, in a game started
// on the headless platform: the game either stops with a message naming the file and the problem (a
// message box or a fatal error), or plays on. It never crashes (in the sanitizer build: no report).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "phases/phase_file.h"
#include "platform/fatal_error.h"
#include "platform/headless/headless_platform.h"
#include "shell/form1.h"
#include "sim_support.h"

namespace vartenos {
namespace {

namespace fs = std::filesystem;

class PlataformaQueGuarda : public HeadlessPlatform {
 public:
  using HeadlessPlatform::HeadlessPlatform;
  void MessageBox(const std::string& /*title*/, const std::string& text) override {
    mensagens.push_back(text);
  }
  std::vector<std::string> mensagens;
};

// What one game said (its message boxes and its fatal error, if any), and the phase it reached.
struct Jogo {
  std::vector<std::string> mensagens;
  int fase = 0;
};
Jogo Jogar(const std::string& pasta, int fase) {
  // Space starts a game; with the phases before `fase` empty, each is complete at once and Esc skips its
  // closing screen. The phase is played for a second, then Esc ends the game and the window closes.
  std::vector<EventoRoteiro> roteiro = {{25, EventoRoteiro::Press, 32}};
  for (int n = 1; n < fase; ++n) roteiro.push_back({100 * n, EventoRoteiro::Press, 27});
  const int32_t fim = 100 * fase + 1000;
  roteiro.push_back({fim, EventoRoteiro::Press, 27});
  PlataformaQueGuarda plataforma(std::move(roteiro), fim + 50);
  Form1 form(plataforma, pasta, nullptr);
  try {
    form.Executar("/sa /sp");
  } catch (const FatalError& e) {
    plataforma.mensagens.push_back(e.what());
  }
  return {plataforma.mensagens, form.Fase_Atual};
}

void Escrever(const fs::path& p, const std::string& bytes) {
  fs::remove(p);
  std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(DamagedData, EveryDataFileCutOrFlippedGivesAMessageNamingItOrPlays) {
  const auto inicio = std::chrono::steady_clock::now();
  const std::string pasta = testes::PastaDadosCom({});
  const std::vector<uint8_t> vazia = CodificarFase(Fase_Formacoes{});
  const std::string fase_vazia(vazia.begin(), vazia.end());
  int variantes = 0, recusadas = 0;
  for (const auto& entrada : fs::directory_iterator(VARTENOS_BUILD_DATA)) {
    const std::string nome = entrada.path().filename().string();
    if (nome[0] == '.') continue;
    const std::string original = testes::LerArquivo(entrada.path().string());
    const size_t n = original.size();
    // Cut at 0, inside the header, inside the data, one byte short; flipped where headers keep their
    // magic numbers, sizes, channels, rates and bit depths (BMP, WAV, MIDI), or enemy fields (phases).
    std::vector<std::string> copias;
    for (size_t corte : std::set<size_t>{0, 10, 30, n / 2, n - 1}) {
      if (corte < n) copias.push_back(original.substr(0, corte));
    }
    for (size_t byte : {0, 4, 10, 12, 18, 22, 24, 28, 34, 40, 46}) {
      if (byte >= n) continue;
      copias.push_back(original);
      copias.back()[byte] = static_cast<char>(~copias.back()[byte]);
    }
    int fase = 1;
    if (std::sscanf(nome.c_str(), "Fase%d.FAS", &fase) != 1) fase = 1;
    for (int i = 1; i < fase; ++i) Escrever(fs::path(pasta) / NomeArquivoFase(i), fase_vazia);
    for (size_t c = 0; c < copias.size(); ++c) {
      Escrever(fs::path(pasta) / nome, copias[c]);
      const auto [mensagens, fase_jogada] = Jogar(pasta, fase);
      ++variantes;
      recusadas += !mensagens.empty();
      if (mensagens.empty()) {
        EXPECT_EQ(fase_jogada, fase) << nome << ", copy " << c << ": played, but not its phase";
      }
      for (const std::string& m : mensagens) {
        const size_t at = m.find(nome + ": ");
        EXPECT_TRUE(at != std::string::npos && m.size() > at + nome.size() + 2)
            << nome << ", copy " << c << " (" << copias[c].size() << " bytes): " << m;
      }
    }
    for (int i = 1; i <= fase; ++i) {
      const std::string f = i == fase ? nome : NomeArquivoFase(i);
      fs::remove(fs::path(pasta) / f);
      fs::create_symlink(fs::path(VARTENOS_BUILD_DATA) / f, fs::path(pasta) / f);
    }
  }
  fs::remove_all(pasta);
  EXPECT_GT(recusadas, variantes / 2);
  std::printf("%d damaged copies, %d stopped with a message, %.1f s\n", variantes, recusadas,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count());
}

}  // namespace
}  // namespace vartenos
