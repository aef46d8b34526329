// The browser's synthesizer (audio/synth_web.cpp) on the desktop: it plays Ogg Vorbis files that this
// test encodes with oggenc as scripts/web encodes the rendered pieces. A program of its own, since it
// is the same class as the desktop's FluidSynth synthesizer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "audio/music.h"
#include "audio/synth.h"
#include "audio/wav_file.h"

namespace vartenos {
namespace {

namespace fs = std::filesystem;

constexpr int kTaxa = 44100;
constexpr int kFim = 30000;   // the frame of piece a's end tick; its file runs on to 44100 (the release)
constexpr int kCorte = 2205;  // a piece stopped in its middle fades out over 50 ms

// Two pieces, "a" loud (left 0.5, right 0.25) and "b" soft (0.1, at other pitches): one second of sine each,
// with their MIDI files (any bytes: the synthesizer knows a piece by its file), and "sem_fim" without the
// comment that gives the end frame.
class SinteWeb : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pasta_ =
        (fs::temp_directory_path() / ("vartenos-synth-web-" + std::to_string(::getpid()))).string() + "/";
    fs::create_directories(pasta_);
    Peca("a", 0.5, 0.25, 440, "-c VARTENOS_FIM=" + std::to_string(kFim));
    Peca("b", 0.1, 0.1, 330, "-c VARTENOS_FIM=" + std::to_string(kFim));
    Peca("sem_fim", 0.1, 0.1, 330, "");
    std::ofstream(pasta_ + "nao_ogg.mid") << "MThd nao_ogg";
    std::ofstream(pasta_ + "nao_ogg.ogg") << "not an Ogg Vorbis file";
  }
  static void TearDownTestSuite() { fs::remove_all(pasta_); }

  // The left channel at `hz`, the right a fifth above.
  static void Peca(const std::string& nome, double esquerda, double direita, double hz,
                   const std::string& comentario) {
    SomPcm som;
    som.taxa = kTaxa;
    for (int i = 0; i < kTaxa; ++i) {
      const double fase = i * 2 * std::numbers::pi * hz / kTaxa;
      som.amostras.push_back(static_cast<int16_t>(32767 * esquerda * std::sin(fase)));
      som.amostras.push_back(static_cast<int16_t>(32767 * direita * std::sin(1.5 * fase)));
    }
    std::string error;
    ASSERT_TRUE(EscreverArquivoWav(pasta_ + nome + ".wav", som, error)) << error;
    const std::string comando = std::string(VARTENOS_OGGENC) + " -Q -q 4 " + comentario + " -o " + pasta_ +
                                nome + ".ogg " + pasta_ + nome + ".wav";
    ASSERT_EQ(std::system(comando.c_str()), 0) << comando;
    std::ofstream(pasta_ + nome + ".mid") << "MThd " << nome;
  }

  static std::unique_ptr<Sintetizador> Criar(const std::vector<std::string>& nomes, std::string& error,
                                             int taxa = kTaxa) {
    std::vector<std::string> pecas;
    for (const std::string& n : nomes) pecas.push_back(pasta_ + n + ".mid");
    const std::atomic<bool> nunca{false};
    return Sintetizador::CriarParaPecas(taxa, pasta_, pecas, nunca, error);
  }
  static bool Tocar(Sintetizador& s, const std::string& nome) {
    const std::string midi = "MThd " + nome;
    return s.Tocar(reinterpret_cast<const uint8_t*>(midi.data()), midi.size(), 1000);
  }
  // Renders `quadros` frames in the mixer's blocks of 512.
  static std::vector<float> Renderizar(Sintetizador& s, int quadros) {
    std::vector<float> out(2 * static_cast<size_t>(quadros));
    for (int feitos = 0; feitos < quadros; feitos += 512)
      s.Renderizar(out.data() + 2 * feitos, std::min(512, quadros - feitos));
    return out;
  }
  // The root mean square of one channel over frames [de, ate).
  static double Rms(const std::vector<float>& v, int canal, int de, int ate) {
    double soma = 0;
    for (int i = de; i < ate; ++i) soma += v[2 * i + canal] * v[2 * i + canal];
    return std::sqrt(soma / (ate - de));
  }

  static std::string pasta_;
};

std::string SinteWeb::pasta_;

TEST_F(SinteWeb, APieceStopsPlayingAtItsEndFrameWhileItsReleaseRingsOnAtTheGainOfTheGame) {
  std::string error;
  auto s = Criar({"a", "b"}, error);
  ASSERT_TRUE(s) << error;
  EXPECT_FALSE(Tocar(*s, "c"));  // not one of the game's pieces
  EXPECT_TRUE(s->Ocioso());
  s->Ganho(DirectMusicPerformance::kGanhoBase);  // master volume 700: the file as rendered
  ASSERT_TRUE(Tocar(*s, "a"));
  const std::vector<float> antes = Renderizar(*s, kFim - 1);
  EXPECT_TRUE(s->Tocando());
  Renderizar(*s, 1);
  EXPECT_FALSE(s->Tocando());  // at the end frame
  const std::vector<float> depois = Renderizar(*s, kTaxa - kFim + 4096);
  // Each channel at its own level (a sine's RMS is its amplitude over the root of two).
  EXPECT_NEAR(Rms(antes, 0, 0, kFim - 1), 0.5 / std::sqrt(2.0), 0.01);
  EXPECT_NEAR(Rms(antes, 1, 0, kFim - 1), 0.25 / std::sqrt(2.0), 0.01);
  EXPECT_NEAR(Rms(depois, 0, 0, 10000), 0.5 / std::sqrt(2.0), 0.01);  // the release past the end frame
  EXPECT_EQ(Rms(depois, 0, kTaxa - kFim, kTaxa - kFim + 4096), 0.0);
  EXPECT_TRUE(s->Ocioso());

  // Half the gain, half the output, sample for sample.
  ASSERT_TRUE(Tocar(*s, "a"));
  const std::vector<float> cheio = Renderizar(*s, 4096);
  s->Parar();
  s->Ganho(DirectMusicPerformance::kGanhoBase / 2);
  ASSERT_TRUE(Tocar(*s, "a"));
  const std::vector<float> metade = Renderizar(*s, 4096);
  for (size_t i = 0; i < cheio.size(); ++i) ASSERT_EQ(metade[i], cheio[i] / 2) << i;
}

TEST_F(SinteWeb, StoppingSilencesAtOnceAndEndingInTheMiddleFadesOutUnderTheNextPiece) {
  std::string error;
  auto s = Criar({"a", "b"}, error);
  ASSERT_TRUE(s) << error;
  s->Ganho(DirectMusicPerformance::kGanhoBase);
  ASSERT_TRUE(Tocar(*s, "a"));
  Renderizar(*s, 1000);
  s->Parar();
  EXPECT_TRUE(s->Ocioso());
  EXPECT_EQ(Rms(Renderizar(*s, 1000), 0, 0, 1000), 0.0);

  // Piece a ended in its middle fades out over 50 ms; b starts at once beneath it.
  ASSERT_TRUE(Tocar(*s, "a"));
  Renderizar(*s, 1000);
  s->Encerrar();
  EXPECT_FALSE(s->Tocando());
  const std::vector<float> corte = Renderizar(*s, 2 * kCorte);
  EXPECT_GT(Rms(corte, 0, 0, 500), 0.25);
  EXPECT_GT(Rms(corte, 0, 0, 500), 2 * Rms(corte, 0, kCorte - 1000, kCorte - 500));
  EXPECT_GT(Rms(corte, 0, kCorte - 1000, kCorte - 500), 0.0);
  EXPECT_EQ(Rms(corte, 0, kCorte, 2 * kCorte), 0.0);
  EXPECT_TRUE(s->Ocioso());

  ASSERT_TRUE(Tocar(*s, "a"));
  Renderizar(*s, 1000);
  ASSERT_TRUE(Tocar(*s, "b"));
  EXPECT_TRUE(s->Tocando());
  const std::vector<float> troca = Renderizar(*s, 2 * kCorte);
  EXPECT_GT(Rms(troca, 0, 0, 500), 0.25);
  EXPECT_NEAR(Rms(troca, 0, kCorte, 2 * kCorte), 0.1 / std::sqrt(2.0), 0.01);
}

TEST_F(SinteWeb, RefusesAnotherRateAndFilesNotRenderedForTheGame) {
  std::string error;
  EXPECT_FALSE(Criar({"a"}, error, 48000));
  EXPECT_NE(error.find("44100 Hz"), std::string::npos) << error;
  for (const char* nome : {"sem_fim", "nao_ogg", "nenhum"}) {
    error.clear();
    EXPECT_FALSE(Criar({"a", nome}, error)) << nome;
    EXPECT_NE(error.find(nome), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace vartenos
