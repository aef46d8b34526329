// The music as the game drives it: the volume rule, starting only when nothing plays, the restart of a
// piece that has ended, stopping, and the synthesizer behind it on a sound card.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "audio/midi_file.h"
#include "audio/music.h"
#include "audio/synth.h"
#include "audio/wav_file.h"
#include "audio_support.h"
#include "shell/form1.h"
#include "sim_support.h"
#include "test_support.h"

namespace vartenos {
namespace {

using testes::Erro;
using testes::PlataformaFalsa;
using testes::RegistroAudio;
using testes::Rms;
using testes::SaidaFalsa;

using Linhas = std::vector<std::string>;

int64_t DuracaoMs(const std::string& arquivo) {
  std::vector<uint8_t> b;
  std::string erro;
  EXPECT_TRUE(LerArquivo(testes::PastaDados() + arquivo, b, erro)) << erro;
  InfoMidi info;
  EXPECT_TRUE(AnalisarMidi(b.data(), b.size(), info, erro)) << erro;
  return info.duracao_us / 1000;
}

// A game on a platform without a sound card, music started up too: the music follows the clock.
struct Jogo : testes::JogoSemPlaca {
  Jogo() { form.InicializaDM(); }
};

TEST(Musica, APieceRestartsOnlyOnceEndedOrStoppedAndAnotherWaitsForParaMidi) {
  Jogo j;
  j.log.Novas();
  j.form.Para_Midi();  // nothing was ever started: nothing is asked
  EXPECT_TRUE(j.log.Novas().empty());
  j.form.TocaMidi("FimFase.mid");
  const int64_t dur = DuracaoMs("FimFase.mid");
  ASSERT_GT(dur, 5000);
  j.plataforma.relogio += static_cast<int32_t>(dur) - 1;
  j.form.TocaMidi("Music3.mid");  // another name while it plays changes nothing
  EXPECT_EQ(j.log.Novas(), (Linhas{"SetMasterVolume 600", "SetSearchDirectory", "LoadSegment FimFase.mid",
                                   "PlaySegment", "SetMasterVolume 600", "IsPlaying True"}));
  EXPECT_STREQ(j.form.seg.Nome(), "FimFase.mid");
  // One frame later it has ended: the next call starts it again from its beginning.
  const Linhas de_novo = {"SetMasterVolume 600", "IsPlaying False", "SetSearchDirectory",
                          "LoadSegment FimFase.mid", "PlaySegment"};
  j.plataforma.relogio += 25;
  j.form.TocaMidi("FimFase.mid");
  EXPECT_EQ(j.log.Novas(), de_novo);
  j.plataforma.relogio += static_cast<int32_t>(dur) - 30;
  j.form.TocaMidi("FimFase.mid");
  EXPECT_EQ(j.log.Novas(), (Linhas{"SetMasterVolume 600", "IsPlaying True"}));
  // The phase-complete screen stops the phase's piece first; the segment and its state stay set.
  j.form.Para_Midi();
  EXPECT_EQ(j.log.Novas(), (Linhas{"IsPlaying True", "Stop"}));
  EXPECT_TRUE(j.form.seg.Criado() && j.form.segstate.Criado());
  j.form.Para_Midi();  // stopped already: only the question
  EXPECT_EQ(j.log.Novas(), (Linhas{"IsPlaying False"}));
  j.form.TocaMidi("FimFase.mid");
  EXPECT_EQ(j.log.Novas(), de_novo);
}

TEST(Musica, AMissingOrDamagedFileStopsTheGameNamingIt) {
  Jogo j;
  const std::string sem = Erro([&] { j.form.TocaMidi("Music9.mid"); });
  EXPECT_NE(sem.find(testes::PastaDados() + "Music9.mid: cannot open"), std::string::npos) << sem;
  // A damaged or missing piece among the seven stops the game at start-up, naming it.
  std::vector<uint8_t> b;
  std::string erro;
  ASSERT_TRUE(LerArquivo(testes::PastaDados() + "Fim.mid", b, erro)) << erro;
  b.resize(b.size() - 10);
  const std::string pasta = testes::PastaDadosCom({{"Fim.mid", b}}) + "/";
  PlataformaFalsa plataforma;
  for (const auto& [falta, mensagem] :
       {std::pair{"", "Fim.mid: track"}, {"Music3.mid", "Music3.mid: cannot open"}}) {
    if (*falta) std::filesystem::remove(pasta + falta);
    Form1 form(plataforma, pasta, nullptr);
    const std::string e = Erro([&] { form.InicializaDM(); });
    EXPECT_NE(e.find(pasta + mensagem), std::string::npos) << e;
  }
  std::filesystem::remove_all(pasta);
}

// A small MIDI file: one track, 480 ticks a quarter, a tempo change, notes to `fim`.
std::vector<uint8_t> MidiPequeno(bool cortado = false) {
  std::vector<uint8_t> t = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // 500,000 us a quarter (120 a minute)
                            0x00, 0x90, 60,   100,                     // note on
                            0x83, 0x60, 0x80, 60,   0,                 // 480 ticks later: note off
                            0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,  // 1,000,000 us a quarter from here
                            0x00, 0x90, 64,   100,                     // note on
                            0x60, 64,   0,                  // running status: 96 ticks... (velocity 0 = off)
                            0x87, 0x40, 0xFF, 0x2F, 0x00};  // 960 ticks more, end of track
  if (cortado) t.resize(t.size() - 3);
  std::vector<uint8_t> m = {'M', 'T',  'h',  'd', 0,   0,   0,   6, 0, 0, 0,
                            1,   0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0};
  m.push_back(static_cast<uint8_t>(t.size()));
  m.insert(m.end(), t.begin(), t.end());
  return m;
}

TEST(Musica, TheLengthOfAMidiFileFollowsItsTempoMapAndDamageIsReported) {
  const std::vector<uint8_t> m = MidiPequeno();
  InfoMidi info;
  std::string erro;
  ASSERT_TRUE(AnalisarMidi(m.data(), m.size(), info, erro)) << erro;
  EXPECT_EQ(info.ticks, 480 + 96 + 960);
  // 480 ticks at 0.5 s a quarter, then 1,056 ticks at 1 s a quarter.
  EXPECT_EQ(info.duracao_us, 500000 + 1056 * 1000000 / 480);
  EXPECT_EQ(info.notas, 2);
  const std::vector<uint8_t> cortado = MidiPequeno(true);
  EXPECT_FALSE(AnalisarMidi(cortado.data(), cortado.size(), info, erro));
  EXPECT_NE(erro.find("track 1"), std::string::npos) << erro;
  const std::vector<uint8_t> wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 0, 0};
  EXPECT_FALSE(AnalisarMidi(wav.data(), wav.size(), info, erro));
  EXPECT_NE(erro.find("not a standard MIDI file"), std::string::npos) << erro;
}

// ---------------------------------------------------------------------------------------------------
// On a sound card, with the synthesizer

std::string Soundfont() {
  std::string tried;
  return EncontrarSoundfont(tried);
}

TEST(MusicaSintetizador, PlaysInTheCallbackEndsOnItsLastTickAndStopsAtOnce) {
  if (Soundfont().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  SaidaFalsa placa;
  placa.taxa = 44100;
  PlataformaFalsa plataforma(&placa);
  Form1 form(plataforma, testes::PastaDados(), nullptr);
  form.InitDirectSound();
  form.InicializaDM();
  ASSERT_TRUE(form.perf.ComSintetizador());
  form.TocaMidi("FimFase.mid");
  // Render the piece block by block, as the card would, asking every block whether it still plays.
  const int64_t dur = DuracaoMs("FimFase.mid");
  const int bloco = 1024;
  std::vector<float> tudo;
  while (form.perf.IsPlaying(form.seg, form.segstate) && tudo.size() < 2 * 44100 * 30) {
    const std::vector<float> out = placa.Rodar(bloco);
    tudo.insert(tudo.end(), out.begin(), out.end());
  }
  const int64_t quadros = static_cast<int64_t>(tudo.size() / 2);
  // It ends within one block (23 ms, under a frame) of the file's own length, not seconds later.
  EXPECT_NEAR(quadros * 1000.0 / 44100, static_cast<double>(dur), 1000.0 * bloco / 44100 + 2);
  EXPECT_GT(Rms(tudo), 0.01);
  // Restarted and stopped: the notes are cut, nothing hangs on.
  form.TocaMidi("FimFase.mid");
  for (int i = 0; i < 40; ++i) placa.Rodar(bloco);
  form.Para_Midi();
  placa.Rodar(44100);  // a second for the reverb to die away
  EXPECT_LT(Rms(placa.Rodar(bloco)), 1e-4);
  // Once it has died away the synthesizer is no longer run: the music is exact silence.
  for (int i = 0; i < 44100 * 2 / bloco; ++i) placa.Rodar(bloco);
  const std::vector<float> depois = placa.Rodar(bloco);
  EXPECT_TRUE(std::all_of(depois.begin(), depois.end(), [](float x) { return x == 0.0f; }));
  // Master volume 600 is 1 dB under 700.
  const auto nivel = [&](int32_t volume) {
    form.Para_Midi();
    placa.Rodar(44100);
    form.TocaMidi("Music1.mid");
    form.perf.SetMasterVolume(volume);
    placa.Rodar(44100 * 3);
    return Rms(placa.Rodar(44100));
  };
  EXPECT_NEAR(20 * std::log10(nivel(600) / nivel(700)), -1.0, 0.3);
  EXPECT_EQ(placa.travas, placa.destravas);
}

TEST(MusicaSintetizador, WithoutASoundfontTheGameSaysSoOnceAndPlaysOnSilently) {
  SaidaFalsa placa;
  PlataformaFalsa plataforma(&placa);
  DirectSound ds;
  AudioCallLog* sem_log = nullptr;
  ds.DirectSoundCreate(plataforma, &sem_log);
  DirectMusicPerformance perf;
  perf.DirectMusicPerformanceCreate(plataforma, ds, &sem_log);
  const auto iniciar = [&](const std::string& fonte, const std::string& lugares) {
    testing::internal::CaptureStderr();
    perf.IniciarSintetizador(fonte, lugares);
    EXPECT_FALSE(perf.ComSintetizador());
    return testing::internal::GetCapturedStderr();
  };
  const std::string erros = iniciar("", "/nowhere/a.sf2 /nowhere/b.sf2");
  EXPECT_EQ(std::count(erros.begin(), erros.end(), '\n'), 1);
  EXPECT_NE(erros.find("no General MIDI soundfont found (looked at /nowhere/a.sf2 /nowhere/b.sf2)"),
            std::string::npos)
      << erros;
  // The pieces then "play" on the clock, silently, as without a card (see the tests above).
  EXPECT_EQ(placa.Rodar(64)[0], 0.0f);
  // An unusable soundfont file is named.
  const std::string falso = testes::PastaTemporaria() + "/falso.sf2";
  std::string erro;
  ASSERT_TRUE(EscreverArquivo(falso, {'R', 'I', 'F', 'F'}, erro));
  const std::string erros2 = iniciar(falso, falso);
  EXPECT_NE(erros2.find(falso + ": not a usable soundfont"), std::string::npos) << erros2;
  std::filesystem::remove_all(std::filesystem::path(falso).parent_path());
}

}  // namespace
}  // namespace vartenos
