// The loudness meter of "vartenos-assets --loudness", checked against signals whose loudness, peak and
// offset are known; and the built pieces and effects measured with it as the game plays them: no
// clipping, no DC offset, each track in its place in the mix, themes that rise phase by phase, basses a
// small speaker can play, and shots that carry over the loudest theme.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "assets_loudness.h"
#include "audio/synth.h"
#include "platform/byte_files.h"
#include "test_support.h"

namespace vartenos::assets {
namespace {

std::string Dados(const std::string& f) { return std::string(VARTENOS_BUILD_DATA) + "/" + f; }

std::vector<float> Seno(int taxa, double segundos, double hz, double amp_l, double amp_r, double fase = 0) {
  std::vector<float> x(static_cast<size_t>(segundos * taxa) * 2);
  for (size_t i = 0; i < x.size() / 2; ++i) {
    const double s = std::sin(2 * M_PI * hz * static_cast<double>(i) / taxa + fase);
    x[2 * i] = static_cast<float>(amp_l * s);
    x[2 * i + 1] = static_cast<float>(amp_r * s);
  }
  return x;
}

TEST(Volume, TheMeterReadsKnownSignals) {
  struct Caso {
    const char* oque;
    int taxa;
    double hz, amp_l, amp_r, lufs;
  };
  // A 997 Hz sine at full scale in both channels reads 0 LUFS, in one channel -3 LUFS. The K-weighting
  // filter published with the measure (fixed coefficients for 48 kHz) is 0.69 dB up at 997 Hz, 4.04 dB
  // up at 8 kHz and 8.30 dB down at 30 Hz; ours is derived for any rate and must agree.
  const Caso casos[] = {
      {"full-scale 997 Hz, both channels, 48 kHz", 48000, 997, 1.0, 1.0, 0.0},
      {"-20 dB 997 Hz, both channels, 44.1 kHz", 44100, 997, 0.1, 0.1, -20.0},
      {"full-scale 997 Hz, left only, 22.05 kHz", 22050, 997, 1.0, 0.0, -3.0},
      {"-20 dB 8 kHz: the treble shelf", 48000, 8000, 0.1, 0.1, -20.0 + 4.04 - 0.69},
      {"-20 dB 30 Hz: deep bass counts for less", 48000, 30, 0.1, 0.1, -20.0 - 8.30 - 0.69},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.oque);
    const std::vector<float> x = Seno(c.taxa, 3.0, c.hz, c.amp_l, c.amp_r);
    const Medida m = Medir(x.data(), x.size() / 2, c.taxa);
    EXPECT_NEAR(m.lufs, c.lufs, 0.25);
    EXPECT_NEAR(m.segundos, 3.0, 1e-6);
    EXPECT_NEAR(m.dc, 0.0, 1e-4);
  }
}

TEST(Volume, AShortSoundCountsOverFourHundredMillisecondsAndAPieceByItsMedianThreeSeconds) {
  constexpr int kTaxa = 44100;
  // A 997 Hz sine at 0.1 of full scale in both channels reads -20 LUFS; 0.1 s of it, heard over 400 ms,
  // is 6 dB less. A sound under 3 s has no short-term loudness. Ten loud seconds, then twenty at a tenth
  // of the level: most 3 s stretches are quiet, so the median is the quiet level, the loudest moment
  // the loud one.
  EXPECT_NEAR(MedirMomentos(Seno(kTaxa, 0.1, 997, 0.1, 0.1).data(), kTaxa / 10, kTaxa).momentanea_max, -26.0,
              0.3);
  EXPECT_EQ(MedirMomentos(Seno(kTaxa, 2.0, 997, 0.1, 0.1).data(), 2 * kTaxa, kTaxa).curto_prazo_mediana, -70);
  std::vector<float> x = Seno(kTaxa, 10, 997, 0.1, 0.1);
  const std::vector<float> baixo = Seno(kTaxa, 20, 997, 0.01, 0.01);
  x.insert(x.end(), baixo.begin(), baixo.end());
  const Momentos m = MedirMomentos(x.data(), x.size() / 2, kTaxa);
  EXPECT_NEAR(m.momentanea_max, -20.0, 0.3);
  EXPECT_NEAR(m.curto_prazo_mediana, -40.0, 0.3);
}

TEST(Volume, GatingLeavesSilenceOutAndThePeakBetweenSamplesAndTheOffsetAreFound) {
  constexpr int kTaxa = 44100;
  const auto medir = [](const std::vector<float>& x) { return Medir(x.data(), x.size() / 2, kTaxa); };
  std::vector<float> x = Seno(kTaxa, 5.0, 997, 0.1, 0.1);
  x.resize(x.size() * 3, 0.0f);  // ten seconds of silence after it
  EXPECT_NEAR(medir(x).lufs, -20.0, 0.3);
  EXPECT_NEAR(medir(Seno(kTaxa, 0.15, 997, 0.1, 0.1)).lufs, -20.0, 0.3);  // a short sound is one block
  EXPECT_EQ(medir(std::vector<float>(2 * kTaxa, 0.0f)).lufs, -70);
  // A quarter of the rate, sampled 45 degrees off its crests: every sample at 0.707, the wave at 1.
  x = Seno(kTaxa, 1.0, kTaxa / 4.0, 1.0, 1.0, M_PI / 4);
  EXPECT_NEAR(medir(x).pico_dbtp, 0.0, 0.2);
  for (float& v : x) v = 0.5f * v + 0.02f;
  EXPECT_NEAR(medir(x).dc, 0.02, 1e-4);
}

// The notes one track of a built MIDI file plays (its keys), walking its events.
std::vector<int> Teclas(const std::vector<unsigned char>& solo) {
  std::vector<int> teclas;
  size_t pos = 14 + 8 + (solo[18] << 24 | solo[19] << 16 | solo[20] << 8 | solo[21]);  // the second track
  size_t p = pos + 8;
  const size_t fim = p + (solo[pos + 4] << 24 | solo[pos + 5] << 16 | solo[pos + 6] << 8 | solo[pos + 7]);
  uint8_t st = 0;
  while (p < fim) {
    while (solo[p] & 0x80) ++p;
    ++p;
    if (solo[p] & 0x80) st = solo[p++];
    if (st == 0xFF) {
      p += 2 + solo[p + 1];
    } else if ((st & 0xF0) == 0xC0 || (st & 0xF0) == 0xD0) {
      p += 1;
    } else {
      if ((st & 0xF0) == 0x90 && solo[p + 1] > 0) teclas.push_back(solo[p]);
      p += 2;
    }
  }
  return teclas;
}

struct PecaVolume {
  const char* arquivo;
  const char* tema;     // the track with the tune
  const char* bateria;  // the drums, or nullptr
};

const PecaVolume kPecas[] = {
    {"Music1.mid", "melodia", "bateria"}, {"Music2.mid", "melodia", "bateria"},
    {"Music3.mid", "melodia", "bateria"}, {"Music4.mid", "melodia", "bateria"},
    {"Music5.mid", "metais", "bateria"},  {"FimFase.mid", "trompete", "bateria"},
    {"Fim.mid", "oboe", nullptr},
};

TEST(VolumeConstruido, EachPieceIsUnclippedCentredBalancedAndThePhasesRise) {
  std::string tried;
  if (EncontrarSoundfont(tried).empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  std::map<std::string, double> tema;
  for (const PecaVolume& p : kPecas) {
    SCOPED_TRACE(p.arquivo);
    std::vector<LinhaVolume> linhas;
    std::string erro;
    ASSERT_TRUE(MedirArquivo(Dados(p.arquivo), 44100, linhas, erro)) << erro;
    ASSERT_GE(linhas.size(), 5u);
    std::map<std::string, Medida> m;
    for (const LinhaVolume& l : linhas) {
      m[l.parte] = l.m;
      SCOPED_TRACE(l.parte);
      // No clipping, with a decibel to spare for the sound card's own resampling; no offset.
      EXPECT_LE(l.m.pico_dbtp, -1.0);
      EXPECT_LT(std::fabs(l.m.dc), 0.001);
    }
    ASSERT_TRUE(m.count(p.tema));
    const double mix = m["mix"].lufs, lead = m[p.tema].lufs;
    tema[p.arquivo] = mix;
    // The tune leads: no track is louder than it by more than a little (FimFase's trumpet stands
    // clearly above its brass), and nothing is lost: every track within 15 LU of the mix.
    for (const auto& [parte, medida] : m) {
      if (parte == "mix") continue;
      SCOPED_TRACE(parte);
      EXPECT_GE(medida.lufs, mix - 15.0);
      if (parte != p.tema) {
        EXPECT_LE(medida.lufs, lead + 1.0);
      }
    }
    if (p.bateria) {
      // The lead about 6 LU over the drums.
      ASSERT_TRUE(m.count(p.bateria));
      EXPECT_GE(lead - m[p.bateria].lufs, 4.0);
      EXPECT_LE(lead - m[p.bateria].lufs, 8.0);
    }
    if (std::string(p.arquivo) == "FimFase.mid") {
      EXPECT_GE(lead - m["metais"].lufs, 4.0);
    }
    // The bass line sits where small speakers still play it: roots from E2 (82 Hz) to B3 (247 Hz),
    // octave leaps above.
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(LerArquivo(Dados(p.arquivo), bytes, erro)) << erro;
    std::vector<TrilhaSolo> solos;
    ASSERT_TRUE(TrilhasSolo(bytes, solos, erro)) << erro;
    for (const TrilhaSolo& s : solos) {
      if (s.nome != "baixo") continue;
      const std::vector<int> teclas = Teclas(s.midi);
      ASSERT_FALSE(teclas.empty());
      double soma = 0;
      for (int k : teclas) {
        EXPECT_GE(k, 40);
        EXPECT_LE(k, 71);
        soma += k;
      }
      EXPECT_LE(soma / static_cast<double>(teclas.size()), 59.0);
    }
  }
  // Phase by phase about 1 LU louder, from a calm first phase.
  for (int fase = 2; fase <= 5; ++fase) {
    SCOPED_TRACE(fase);
    const double passo =
        tema["Music" + std::to_string(fase) + ".mid"] - tema["Music" + std::to_string(fase - 1) + ".mid"];
    EXPECT_GE(passo, 0.5);
    EXPECT_LE(passo, 1.6);
  }
}

TEST(VolumeConstruido, EveryPieceIsHeardAllTheWayThrough) {
  std::string tried;
  const std::string sf = EncontrarSoundfont(tried);
  if (sf.empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  // A low rate is plenty to tell sound from silence, and quick.
  constexpr int kTaxa = 11025;
  std::string erro;
  std::unique_ptr<Sintetizador> sint = Sintetizador::Criar(kTaxa, sf, erro);
  ASSERT_TRUE(sint) << erro;
  for (const PecaVolume& p : kPecas) {
    SCOPED_TRACE(p.arquivo);
    std::vector<float> out;
    ASSERT_TRUE(RenderizarMidi(*sint, Dados(p.arquivo), kTaxa, 0.5, out, erro)) << erro;
    // No stretch of four seconds falls silent.
    for (size_t i = 0; i + 4 * kTaxa * 2 <= out.size(); i += 4 * kTaxa * 2) {
      EXPECT_GT(testes::Rms({out.begin() + i, out.begin() + i + 4 * kTaxa * 2}), 0.01)
          << "at " << i / 2 / kTaxa << " s";
    }
  }
}

TEST(VolumeConstruido, EveryEffectIsCentredAndTheShotsCarryOverTheLoudestTheme) {
  std::string tried;
  if (EncontrarSoundfont(tried).empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  std::vector<LinhaVolume> l;
  std::string erro;
  ASSERT_TRUE(MedirArquivo(Dados("Music5.mid"), 44100, l, erro)) << erro;
  const double tema5 = l.front().m.lufs;
  std::map<std::string, double> jogo;  // each effect as the game's mixer plays it
  const char* tiros[] = {"Tiro.Wav", "Arma1.wav", "Arma2.wav", "Arma3.wav"};
  for (const char* f :
       {tiros[0], tiros[1], tiros[2], tiros[3], "Explosao.wav", "Extras.wav", "VidasExtras.wav"}) {
    SCOPED_TRACE(f);
    ASSERT_TRUE(MedirArquivo(Dados(f), 44100, l, erro)) << erro;
    ASSERT_EQ(l.size(), 1u);
    EXPECT_LE(l[0].m.pico_dbtp, -1.0);
    EXPECT_LT(std::fabs(l[0].m.dc), 0.002);
    jogo[f] = l[0].m.lufs + l[0].ganho_jogo_db;
  }
  for (const char* tiro : tiros) EXPECT_GE(jogo[tiro] - tema5, 3.0) << tiro;
  // Balanced with one another: none far from the main laser, which is short and so the loudest over
  // its length.
  for (const auto& [f, v] : jogo) EXPECT_LE(std::fabs(v - jogo["Tiro.Wav"]), 4.5) << f;
}

}  // namespace
}  // namespace vartenos::assets
