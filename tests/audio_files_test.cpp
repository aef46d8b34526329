// The seven sound effects and seven pieces of music the asset tool builds: their formats, lengths and
// levels, that they are the same bytes on every build, that a mistake in a source is reported at its
// line, and that every piece sounds when the synthesizer plays it.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "audio/midi_file.h"
#include "audio/synth.h"
#include "audio/wav_file.h"
#include "sim_support.h"
#include "test_support.h"

namespace vartenos {
namespace {

namespace fs = std::filesystem;

std::string Dados(const std::string& f) { return std::string(VARTENOS_BUILD_DATA) + "/" + f; }

struct Efeito {
  const char* arquivo;
  double max_segundos;  // as long as its use needs, no longer
};

const Efeito kEfeitos[] = {{"Tiro.Wav", 0.25},      {"Arma1.wav", 0.4},    {"Arma2.wav", 0.4},
                           {"Arma3.wav", 0.35},     {"Explosao.wav", 0.8}, {"Extras.wav", 0.8},
                           {"VidasExtras.wav", 1.5}};

using testes::Rms;
double Rms(const int16_t* a, size_t n) {
  double s = 0;
  for (size_t i = 0; i < n; ++i) s += static_cast<double>(a[i]) * a[i];
  return n ? std::sqrt(s / n) / 32768.0 : 0;
}

TEST(ArquivosSom, EachEffectIs22kStereo16BitShortLoudButUnclippedAndFadedAtBothEnds) {
  for (const Efeito& e : kEfeitos) {
    SCOPED_TRACE(e.arquivo);
    std::vector<uint8_t> bytes;
    std::string erro;
    ASSERT_TRUE(LerArquivo(Dados(e.arquivo), bytes, erro)) << erro;
    SomPcm s;
    ASSERT_TRUE(LerWav(bytes.data(), bytes.size(), s, erro)) << erro;
    // 16-bit stereo at 22050 Hz behind the plain 44-byte header.
    EXPECT_EQ(std::tuple(s.taxa, s.canais, bytes.size()), std::tuple(22050, 2, 44 + 2 * s.amostras.size()));
    EXPECT_EQ(bytes[34], 16);
    const double segundos = static_cast<double>(s.Quadros()) / 22050;
    EXPECT_GT(segundos, 0.1);
    EXPECT_LE(segundos, e.max_segundos);
    int pico = 0;
    for (int16_t x : s.amostras) pico = std::max(pico, std::abs(static_cast<int>(x)));
    EXPECT_LE(pico, 29205);             // at most -1 dB of full scale: no clipped sample
    EXPECT_GT(pico, 32767 * 35 / 100);  // but not faint (the loudness of each is checked on its own)
    EXPECT_GT(Rms(s.amostras.data(), s.amostras.size()), 0.05);
    // Starts and ends at rest: the first and last 1 ms stay quiet, the very ends silent.
    for (size_t i = 0; i < 44; ++i) {
      const int inicio = std::abs(s.amostras[i]), fim = std::abs(s.amostras[s.amostras.size() - 1 - i]);
      EXPECT_TRUE(i < 2 ? inicio == 0 && fim == 0 : inicio < 32767 / 2 && fim < 32767 / 8)
          << "frame " << i / 2;
    }
  }
}

TEST(ArquivosSom, TheSideShotFromByte2000IsACleanSoundOfItsOwn) {
  SomPcm s;
  std::string erro;
  ASSERT_TRUE(LerArquivoWav(Dados("Arma3.wav"), s, erro)) << erro;
  // Byte 2,000 is frame 500: the clip is at rest around it, so the narrow shot starts without a click.
  for (int64_t q = 480; q < 510; ++q) {
    EXPECT_LT(std::abs(s.amostras[2 * q]), 600) << q;
    EXPECT_LT(std::abs(s.amostras[2 * q + 1]), 600) << q;
  }
  // Both parts are heard: the opening click, and the shot that follows it.
  EXPECT_GT(Rms(s.amostras.data(), 2 * 450), 0.05);
  EXPECT_GT(Rms(s.amostras.data() + 1000, s.amostras.size() - 1000), 0.07);
}

struct Peca {
  const char* arquivo;
  double min_s, max_s;
};

const Peca kPecas[] = {{"Music1.mid", 60, 120}, {"Music2.mid", 60, 120}, {"Music3.mid", 60, 120},
                       {"Music4.mid", 60, 120}, {"Music5.mid", 60, 120}, {"FimFase.mid", 5, 6},
                       {"Fim.mid", 10, 22}};

// Counts what a file holds: notes per channel, programs, tempos.
struct Conteudo {
  int notas[16] = {};
  int programas[16];
  double andamento_inicial = 0;
  Conteudo() { std::fill(std::begin(programas), std::end(programas), -1); }
};

Conteudo Ler(const std::vector<uint8_t>& m) {
  Conteudo c;
  size_t pos = 14;
  while (pos + 8 <= m.size()) {
    const size_t tam =
        static_cast<size_t>(m[pos + 4] << 24 | m[pos + 5] << 16 | m[pos + 6] << 8 | m[pos + 7]);
    size_t p = pos + 8;
    const size_t fim = p + tam;
    uint8_t st = 0;
    while (p < fim) {
      while (m[p] & 0x80) ++p;  // delta time
      ++p;
      if (m[p] & 0x80) st = m[p++];
      if (st == 0xFF) {
        const uint8_t tipo = m[p++];
        const uint8_t len = m[p++];
        if (tipo == 0x51 && c.andamento_inicial == 0) {
          c.andamento_inicial = 60e6 / (m[p] << 16 | m[p + 1] << 8 | m[p + 2]);
        }
        p += len;
      } else if ((st & 0xF0) == 0xC0) {
        c.programas[st & 15] = m[p++];
      } else {
        if ((st & 0xF0) == 0x90 && m[p + 1] > 0) ++c.notas[st & 15];
        p += 2;
      }
    }
    pos = fim;
  }
  return c;
}

TEST(ArquivosMusica, EachPieceHasItsLengthWholeBarsAndABandWithDrumsOnChannel10) {
  double andamento_anterior = 0;
  for (const Peca& p : kPecas) {
    SCOPED_TRACE(p.arquivo);
    std::vector<uint8_t> m;
    std::string erro;
    ASSERT_TRUE(LerArquivo(Dados(p.arquivo), m, erro)) << erro;
    InfoMidi info;
    ASSERT_TRUE(AnalisarMidi(m.data(), m.size(), info, erro)) << erro;
    EXPECT_EQ(info.formato, 1);
    EXPECT_EQ(info.divisao, 480);
    const double s = info.duracao_us / 1e6;
    EXPECT_GE(s, p.min_s);
    EXPECT_LE(s, p.max_s);
    // The piece ends on a bar line, so that its restart falls on the beat.
    EXPECT_EQ(info.ticks % (4 * 480), 0);
    const Conteudo c = Ler(m);
    int vozes = 0;
    for (int ch = 0; ch < 16; ++ch) {
      if (ch != 9 && c.notas[ch] > 0) {
        ++vozes;
        EXPECT_GE(c.programas[ch], 0) << "channel " << ch + 1 << " plays without choosing its instrument";
      }
    }
    EXPECT_GE(vozes, 4);  // tune, bass, harmony and more
    if (std::string(p.arquivo).rfind("Music", 0) == 0) {
      EXPECT_GT(c.notas[9], 100);  // a real beat, on the drum channel
      EXPECT_GT(info.notas, 1000);
      // Each phase a little faster than the one before.
      EXPECT_GT(c.andamento_inicial, andamento_anterior);
      andamento_anterior = c.andamento_inicial;
    }
  }
}

// Builds from `src` into `out`: "" when it succeeds, else "failed: " and what the tool said.
std::string RodarAssets(const std::string& src, const std::string& out) {
  const testes::Saida s =
      testes::RodarComando(std::string(VARTENOS_ASSETS) + " --src " + src + " --out " + out);
  return (s.status == 0 ? "" : "failed: ") + s.out;
}

// Replaces the first occurrence of `de` in a source file.
void Trocar(const std::string& path, const std::string& de, const std::string& para) {
  std::string t = testes::LerArquivo(path);
  const size_t i = t.find(de);
  ASSERT_NE(i, std::string::npos) << de;
  t.replace(i, de.size(), para);
  std::ofstream(path) << t;
}

TEST(ArquivosFontes, AMistakeInAScoreOrARecipeIsReportedAtItsLine) {
  struct Caso {
    const char* arquivo;
    const char* de;
    const char* para;
    const char* mensagem;
  };
  const Caso casos[] = {
      // A bar of the tune one sixteenth short.
      {"music/Fim.txt", "d5:h  b4:q.", "d5:q.  b4:q.",
       "music/Fim.txt:17: in section 'lamento', the notes of"},
      {"music/Music2.txt", "acordes Dm | Bb | C | A7", "acordes Dm | Bx | C | A7",
       "Music2.txt:16: unknown chord 'Bx'"},
      {"music/FimFase.txt", "forma fanfarra", "forma fanfarra coda",
       "FimFase.txt:34: the form names an unknown section 'coda'"},
      {"sound/efeitos.txt", "som Arma1.wav 0.30", "som Arma1.wav",
       "efeitos.txt:25: expected: som FILE SECONDS"},
      {"sound/efeitos.txt", "som Tiro.Wav 0.17 lufs=-10.5", "som Tiro.Wav 0.17 lufs=14",
       "efeitos.txt:19: bad option 'lufs=14'"},
      {"music/Music5.txt", "forma intro A B ponte B A+1 final", "forma intro A B ponte B A+40 final",
       "Music5.txt:87: bad transposition '40'"},
      {"music/Music1.txt", "baixo graus 2 1--------------- vel=84 faixa=e2-b3",
       "baixo graus 2 1--------------- vel=84 faixa=e2-g2", "Music1.txt:44: bad range 'faixa=e2-g2'"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.mensagem);
    const std::string dir = testes::PastaTemporaria();
    fs::copy(std::string(VARTENOS_SOURCE_DIR) + "/data", dir + "/src", fs::copy_options::recursive);
    Trocar(dir + "/src/" + c.arquivo, c.de, c.para);
    const std::string saida = RodarAssets(dir + "/src", dir + "/out");
    EXPECT_EQ(saida.rfind("failed: ", 0), 0u) << saida;
    EXPECT_NE(saida.find(c.mensagem), std::string::npos) << saida;
    fs::remove_all(dir);
  }
}

TEST(ArquivosMusica, RenderingAPieceToAWavFileForListening) {
  std::string tried;
  if (EncontrarSoundfont(tried).empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  const std::string wav = (fs::temp_directory_path() / "vartenos_fimfase.wav").string();
  std::string erro;
  ASSERT_TRUE(RenderizarMidiParaWav(Dados("FimFase.mid"), wav, erro)) << erro;
  SomPcm s;
  ASSERT_TRUE(LerArquivoWav(wav, s, erro)) << erro;
  EXPECT_EQ(s.taxa, 44100);
  EXPECT_NEAR(s.Quadros() / 44100.0, 3 * 4 * 60 / 132.0, 0.1);  // three bars at 132
  EXPECT_GT(Rms(s.amostras.data(), s.amostras.size()), 0.01);
  fs::remove(wav);
  EXPECT_FALSE(RenderizarMidiParaWav(Dados("Nada.mid"), wav, erro));
  EXPECT_NE(erro.find("Nada.mid: cannot open"), std::string::npos) << erro;
}

}  // namespace
}  // namespace vartenos
