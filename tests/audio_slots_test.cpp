// The effect slots as the game plays them: rewinds, plays that do not restart, muting, and the mixer
// that adds them up in the device callback.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "audio/sound.h"
#include "audio/wav_file.h"
#include "audio_support.h"
#include "shell/form1.h"
#include "sim_support.h"
#include "test_support.h"

namespace vartenos {
namespace {

using testes::Erro;
using testes::JogoSemPlaca;
using testes::PlataformaFalsa;
using testes::RegistroAudio;
using testes::SaidaFalsa;
using Linhas = std::vector<std::string>;

constexpr int32_t kBytesPorMs = 88200 / 1000;  // 88.2: positions below allow for the truncation

// The eight slots in the order the game makes them.
constexpr const char* kSlots[] = {"SomTiro",   "SomArma1",    "SomArma2",  "SomArma3",
                                  "SomArma3b", "SomExplosao", "SomExtras", "SomVidasExtras"};

TEST(EfeitosSlots, PlayingASoundingSlotLetsItPlayOnAndAFinishedOneStartsAgain) {
  JogoSemPlaca j;
  DirectSoundBuffer& tiro = j.form.SomTiro;
  tiro.Play(DSBPLAY_DEFAULT);
  j.Esperar(50);
  const int32_t antes = tiro.PosicaoBytes();
  EXPECT_GE(antes, 50 * kBytesPorMs);
  // A volley of three beams in one frame: the sound goes on from where it was.
  j.log.Novas();
  for (int i = 0; i < 3; ++i) tiro.Play(DSBPLAY_DEFAULT);
  EXPECT_EQ(tiro.PosicaoBytes(), antes);
  EXPECT_EQ(j.log.Novas(), Linhas(3, "SomTiro.Play"));
  // Played to the end it falls silent at its start, and a plain play sounds it anew.
  j.Esperar(tiro.TamanhoBytes() / kBytesPorMs);
  EXPECT_FALSE(tiro.Tocando());
  EXPECT_EQ(tiro.PosicaoBytes(), 0);
  tiro.Play(DSBPLAY_DEFAULT);
  j.Esperar(10);
  EXPECT_TRUE(tiro.Tocando());
  EXPECT_TRUE(tiro.PosicaoBytes() > 0 && tiro.PosicaoBytes() < 11 * kBytesPorMs) << tiro.PosicaoBytes();
}

TEST(EfeitosSlots, BadCallsAndMissingOrBrokenFilesStopTheGameWithTheirNames) {
  JogoSemPlaca j;
  EXPECT_NE(Erro([&] {
              j.form.SomArma3b.SetCurrentPosition(j.form.SomArma3b.TamanhoBytes());
            }).find("Arma3.wav: SomArma3b.SetCurrentPosition"),
            std::string::npos);
  PlataformaFalsa plataforma;
  Form1 form(plataforma, "/nonexistent/folder", nullptr);
  const std::string sem_pasta = Erro([&] { form.InitDirectSound(); });
  EXPECT_NE(sem_pasta.find("/nonexistent/folder/Tiro.Wav"), std::string::npos) << sem_pasta;
  // A file that is not a WAV file.
  const std::string pasta = testes::PastaDadosCom({{"VidasExtras.wav", {'M', 'T', 'h', 'd', 0, 0}}});
  Form1 ruim(plataforma, pasta, nullptr);
  const std::string quebrado = Erro([&] { ruim.InitDirectSound(); });
  EXPECT_NE(quebrado.find("VidasExtras.wav: not a WAV file"), std::string::npos) << quebrado;
  std::filesystem::remove_all(pasta);
}

TEST(EfeitosSlots, ShutDownReleasesTheDeviceThenTheSlotsInTheirOrder) {
  SaidaFalsa placa;
  PlataformaFalsa plataforma(&placa);
  Form1 form(plataforma, testes::PastaDados(), nullptr);
  RegistroAudio log;
  form.Registrar_Audio(&log);
  form.InitDirectSound();
  form.SomExplosao.Play(DSBPLAY_DEFAULT);
  log.Novas();
  form.Liberar_Som();
  EXPECT_FALSE(placa.aberta);
  EXPECT_EQ(log.Novas(), (Linhas{"ds.Release", "SomExtras.Release", "SomVidasExtras.Release",
                                 "SomTiro.Release", "SomArma1.Release", "SomArma2.Release",
                                 "SomArma3.Release", "SomArma3b.Release", "SomExplosao.Release"}));
  // Anything the game still does with a released slot is harmless.
  form.SomTiro.Play(DSBPLAY_DEFAULT);
  EXPECT_FALSE(form.SomTiro.Tocando());
  EXPECT_TRUE(log.Novas().empty());
}

// ---------------------------------------------------------------------------------------------------
// The mixer on a sound card

// A WAV file of a constant level in the left channel and silence in the right, for exact sums.
std::string ClipeConstante(const char* nome, int16_t nivel, int quadros) {
  SomPcm s;
  s.taxa = 22050;
  s.canais = 2;
  for (int i = 0; i < quadros; ++i) s.amostras.insert(s.amostras.end(), {nivel, 0});
  const std::string path = std::filesystem::temp_directory_path() / nome;
  std::string erro;
  EXPECT_TRUE(EscreverArquivoWav(path, s, erro)) << erro;
  return path;
}

TEST(EfeitosMixer, AddsSoundingSlotsInTheCallbackAndMutesAndUnmutesThemWhilePlaying) {
  SaidaFalsa placa;
  placa.taxa = 22050;  // the clips' own rate: the samples arrive unchanged
  PlataformaFalsa plataforma(&placa);
  DirectSound ds;
  AudioCallLog* sem_log = nullptr;
  ds.DirectSoundCreate(plataforma, &sem_log);
  ASSERT_TRUE(ds.ComDispositivo());
  EXPECT_LE(placa.pedido_quadros, 1024);
  DirectSoundBuffer a, b;
  const std::string clipe_a = ClipeConstante("vartenos_a.wav", 8192, 3000),
                    clipe_b = ClipeConstante("vartenos_b.wav", 4096, 1000);
  ds.CreateSoundBufferFromFile(clipe_a, "a.wav", {}, {}, a, "A");
  ds.CreateSoundBufferFromFile(clipe_b, "b.wav", {}, {}, b, "B");
  const float g = DirectSound::kGanhoEfeitos;

  EXPECT_EQ(placa.Rodar(256)[0], 0.0f);  // nothing sounding: silence, not whatever was in the buffer
  a.Play(DSBPLAY_DEFAULT);
  b.Play(DSBPLAY_DEFAULT);
  std::vector<float> out = placa.Rodar(256);
  EXPECT_FLOAT_EQ(out[0], g * (0.25f + 0.125f));
  EXPECT_FLOAT_EQ(out[1], 0.0f);
  // b ends 1,000 frames in; a goes on alone.
  out = placa.Rodar(1024);
  EXPECT_FLOAT_EQ(out[2 * 700], g * (0.25f + 0.125f));
  EXPECT_FLOAT_EQ(out[2 * 800], g * 0.25f);
  EXPECT_FALSE(b.Tocando());
  // Muting glides to silence within one callback, keeps the position moving, and unmuting brings the
  // rest back.
  a.SetVolume(DSBVOLUME_MIN);
  out = placa.Rodar(512);
  EXPECT_GT(out[0], out[2 * 511]);
  EXPECT_LT(out[2 * 511], 0.01f);
  EXPECT_EQ(placa.Rodar(512)[2 * 100], 0.0f);
  EXPECT_TRUE(a.Tocando());
  EXPECT_EQ(a.PosicaoBytes(), (256 + 1024 + 512 + 512) * 4);
  a.SetVolume(DSBVOLUME_MAX);
  out = placa.Rodar(256);
  EXPECT_LT(out[0], out[2 * 255]);
  EXPECT_FLOAT_EQ(placa.Rodar(64)[0], g * 0.25f);
  // Every game-thread change took the device lock, and gave it back.
  EXPECT_GT(placa.travas, 0);
  EXPECT_EQ(placa.travas, placa.destravas);
  // A rewind while sounding jumps there at once.
  a.SetCurrentPosition(4 * 2999);
  out = placa.Rodar(4);
  EXPECT_FLOAT_EQ(out[0], g * 0.25f);
  EXPECT_EQ(out[2], 0.0f);
  EXPECT_FALSE(a.Tocando());
  std::filesystem::remove(clipe_a);
  std::filesystem::remove(clipe_b);
}

TEST(EfeitosMixer, ClipsAreConvertedOnceToTheCardsRateKeepingPitchLevelAndPositions) {
  // A 1 kHz tone at 22050 Hz, played on a 48 kHz card.
  std::vector<int16_t> tom(22050);
  for (int i = 0; i < 22050; ++i)
    tom[i] = static_cast<int16_t>(std::lrint(16384 * std::sin(2 * M_PI * 1000.0 * i / 22050)));
  const std::vector<float> r = Reamostrar(tom.data(), 22050, 1, 22050, 48000);
  ASSERT_EQ(r.size(), 2u * 48000);
  int cruzamentos = 0;
  float pico = 0;
  for (size_t i = 2000; i + 2 < r.size() - 2000; i += 2) {
    cruzamentos += (r[i] < 0) != (r[i + 2] < 0);
    pico = std::max(pico, std::fabs(r[i]));
    EXPECT_EQ(r[i], r[i + 1]);  // mono comes out on both sides
  }
  EXPECT_NEAR(cruzamentos / ((r.size() - 4000) / 2 / 48000.0), 2000.0, 5.0);
  EXPECT_NEAR(pico, 0.5f, 0.01f);

  SaidaFalsa placa;
  PlataformaFalsa plataforma(&placa);
  Form1 form(plataforma, testes::PastaDados(), nullptr);
  form.InitDirectSound();
  EXPECT_EQ(form.ds.Taxa(), 48000);
  form.SomArma3b.SetCurrentPosition(2000);
  form.SomArma3b.Play(DSBPLAY_DEFAULT);
  placa.Rodar(480);  // 10 ms
  EXPECT_NEAR(form.SomArma3b.PosicaoBytes(), 2000 + 882, 4);
}

TEST(EfeitosMixer, WithoutACardTheGameSaysSoOnceAndTheSlotsFollowTheClock) {
  SaidaFalsa placa;
  placa.falhar = true;
  PlataformaFalsa plataforma(&placa);
  Form1 form(plataforma, testes::PastaDados(), nullptr);
  testing::internal::CaptureStderr();
  form.InitDirectSound();
  form.InicializaDM();
  const std::string erros = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(erros.begin(), erros.end(), '\n'), 1) << erros;
  EXPECT_NE(erros.find("no audio device"), std::string::npos) << erros;
  EXPECT_FALSE(form.ds.ComDispositivo() || form.perf.ComSintetizador());
  form.SomExplosao.Play(DSBPLAY_DEFAULT);
  plataforma.relogio += 500;
  EXPECT_TRUE(form.SomExplosao.Tocando());
  plataforma.relogio += 2000;
  EXPECT_FALSE(form.SomExplosao.Tocando());
}

}  // namespace
}  // namespace vartenos
