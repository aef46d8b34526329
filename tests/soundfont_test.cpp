// The soundfont loads in the background and nothing waits for it: a piece started meanwhile plays
// silently on the clock and starts on the synthesizer once it is ready; only the part of the soundfont
// our pieces can sound is read, and the music sounds exactly as with the whole file.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <vector>

#include "audio/soundfont_subset.h"
#include "audio/synth.h"
#include "audio_support.h"
#include "platform/byte_files.h"
#include "sim_support.h"
#include "test_support.h"

namespace vartenos {
namespace {

TEST(Soundfont, InstrumentsOfAPieceAreItsProgramChangesAndTheDrumKit) {
  std::vector<uint8_t> midi;
  std::string erro;
  ASSERT_TRUE(LerArquivo(std::string(VARTENOS_BUILD_DATA) + "/Music1.mid", midi, erro)) << erro;
  const std::vector<int> inst = InstrumentosDaPeca(midi.data(), midi.size());
  EXPECT_GE(inst.size(), 2u);
  for (int i : inst) EXPECT_TRUE(i >= 0 && i < 129 * 128) << i;
  // A hand-made file: bank 1 program 5 on channel 0, running status, a note on the drum channel
  // before any program change there (the standard kit), and a meta event in between.
  const std::vector<uint8_t> feito = {'M', 'T',  'h',  'd', 0,   0, 0, 6, 0,  0, 0,    1, 0,
                                      96,  'M',  'T',  'r', 'k', 0, 0, 0, 23, 0, 0xB0, 0, 1,  // bank select 1
                                      0,   0xC0, 5,                                           // program 5
                                      0,   0xFF, 0x01, 1,   'x',                              // text
                                      0,   0x99, 36,   100,  // drum note, no program yet
                                      0,   36,   0,          // running status: note off
                                      0,   0xFF, 0x2F, 0};
  EXPECT_EQ(InstrumentosDaPeca(feito.data(), feito.size()), (std::vector<int>{128 + 5, 128 * 128}));
  const std::vector<uint8_t> lixo = {'R', 'I', 'F', 'F', 1, 2, 3};
  EXPECT_TRUE(InstrumentosDaPeca(lixo.data(), lixo.size()).empty());
  EXPECT_TRUE(InstrumentosDaPeca(feito.data(), 20).empty());  // cut inside the header's track
}

TEST(Soundfont, NotesCountForTheInstrumentsOfTheirChannel) {
  // Track 1: program 40 on channel 0, then key 60 at velocity 100; program 41 later on the same
  // channel. Track 2: a drum note, and a note on channel 1 that never selects an instrument.
  // Track 3: a note on channel 0 at the tick of track 1's program change (it may come first).
  const std::vector<uint8_t> feito = {
      'M',  'T',  'h', 'd', 0, 0,    0,  6,  0,    1,    0,  3,  1,    0xE0,       // 480 ticks a beat
      'M',  'T',  'r', 'k', 0, 0,    0,  18, 0,    0xC0, 40, 0,  0x90, 60,   100,  //
      0x83, 0x60, 60,  0,   0, 0xC0, 41, 0,  0xFF, 0x2F, 0,                        //
      'M',  'T',  'r', 'k', 0, 0,    0,  12, 0,    0x99, 36, 90, 0,    0x91, 50,   70, 0, 0xFF, 0x2F, 0,  //
      'M',  'T',  'r', 'k', 0, 0,    0,  8,  0,    0x90, 62, 80, 0,    0xFF, 0x2F, 0};
  NotasDasPecas notas;
  ASSERT_TRUE(SomarNotasDaPeca(feito.data(), feito.size(), notas));
  const std::vector<uint16_t> canal0 = {60 * 128 + 100, 62 * 128 + 80};
  EXPECT_EQ(notas.por_instrumento[40], canal0);
  EXPECT_EQ(notas.por_instrumento[41], canal0);
  EXPECT_EQ(notas.por_instrumento.size(), 2u);
  // Drum notes are marked apart: they only ever sound on a drum kit.
  EXPECT_EQ(notas.qualquer, (std::vector<uint16_t>{50 * 128 + 70, 62 * 128 + 80, 0x8000 | (36 * 128 + 90)}));
  const std::vector<uint8_t> lixo = {'R', 'I', 'F', 'F', 1, 2, 3};
  EXPECT_FALSE(SomarNotasDaPeca(lixo.data(), lixo.size(), notas));
}

TEST(Soundfont, OnlyWhatThePiecesCanSoundIsLoadedAndTheyPlayTheSame) {
  std::string tried;
  const std::string sf = EncontrarSoundfont(tried);
  if (sf.empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  std::vector<std::string> pecas;
  NotasDasPecas notas;
  std::vector<uint8_t> midi;
  std::string erro;
  for (const char* nome :
       {"Music1.mid", "Music2.mid", "Music3.mid", "Music4.mid", "Music5.mid", "FimFase.mid", "Fim.mid"}) {
    pecas.push_back(testes::PastaDados() + nome);
    ASSERT_TRUE(LerArquivo(pecas.back(), midi, erro)) << erro;
    ASSERT_TRUE(SomarNotasDaPeca(midi.data(), midi.size(), notas));
  }
  SoundfontParcial parte;
  ASSERT_TRUE(ExtrairSoundfont(sf, notas, parte, erro)) << erro;
  EXPECT_LT(parte.Tamanho(), std::filesystem::file_size(sf) / 2);
  // Two pieces one after the other, as the game plays them: sample for sample the same.
  const std::atomic<bool> nunca{false};
  std::unique_ptr<Sintetizador> leve = Sintetizador::CriarParaPecas(44100, sf, pecas, nunca, erro);
  std::unique_ptr<Sintetizador> cheio = Sintetizador::Criar(44100, sf, erro);
  ASSERT_TRUE(leve && cheio) << erro;
  for (const char* nome : {"FimFase.mid", "Fim.mid"}) {
    std::vector<float> a, b;
    ASSERT_TRUE(RenderizarMidi(*leve, testes::PastaDados() + nome, 44100, 1.0, a, erro)) << erro;
    ASSERT_TRUE(RenderizarMidi(*cheio, testes::PastaDados() + nome, 44100, 1.0, b, erro)) << erro;
    EXPECT_GT(testes::Rms(a), 0.01) << nome;
    EXPECT_TRUE(a == b) << nome;
  }
}

TEST(Soundfont, AFileThatIsNoSoundfontIsNamed) {
  const std::string pasta = testes::PastaTemporaria();
  NotasDasPecas notas;
  SoundfontParcial parte;
  std::string erro;
  const std::vector<std::pair<std::vector<uint8_t>, const char*>> casos = {
      {{'R', 'I', 'F', 'F'}, "not a soundfont"},
      {{'R', 'I', 'F', 'F', 16, 0, 0, 0, 's', 'f', 'b', 'k',
        'L', 'I', 'S', 'T', 0,  0, 1, 0, 'I', 'N', 'F', 'O'},
       "cut short"},
  };
  for (const auto& [bytes, problema] : casos) {
    const std::string arquivo = pasta + "/falso.sf2";
    ASSERT_TRUE(EscreverArquivo(arquivo, bytes, erro));
    EXPECT_FALSE(ExtrairSoundfont(arquivo, notas, parte, erro));
    EXPECT_NE(erro.find(arquivo + ": " + problema), std::string::npos) << erro;
  }
  EXPECT_FALSE(ExtrairSoundfont(pasta + "/nowhere.sf2", notas, parte, erro));
  EXPECT_NE(erro.find("nowhere.sf2: cannot open"), std::string::npos) << erro;
  std::filesystem::remove_all(pasta);
}

TEST(Soundfont, APieceAskedForWhileItLoadsStartsOnceItIsReady) {
  std::string tried;
  const std::string sf = EncontrarSoundfont(tried);
  if (sf.empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  testes::SaidaFalsa placa;
  placa.taxa = 44100;
  testes::PlataformaFalsa plataforma(&placa);
  Form1 form(plataforma, testes::PastaDados(), nullptr);
  form.InitDirectSound();
  form.InicializaDM();  // starts loading in the background and returns at once
  form.TocaMidi("Music1.mid");
  EXPECT_TRUE(form.perf.IsPlaying(form.seg, form.segstate));
  ASSERT_TRUE(form.perf.ComSintetizador());  // waits for the load, then starts the piece on it
  placa.Rodar(44100 * 2);
  EXPECT_GT(testes::Rms(placa.Rodar(44100)), 0.01);
  EXPECT_TRUE(form.perf.IsPlaying(form.seg, form.segstate));
  EXPECT_EQ(placa.travas, placa.destravas);
}

TEST(Soundfont, ClosingWhileItLoadsGivesUpTheLoad) {
  std::string tried;
  const std::string sf = EncontrarSoundfont(tried);
  if (sf.empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  // A load told to give up hands back no synthesizer and names no problem.
  std::atomic<bool> desistir{true};
  std::string erro;
  EXPECT_EQ(Sintetizador::CriarParaPecas(44100, sf, {testes::PastaDados() + "Music2.mid"}, desistir, erro),
            nullptr);
  EXPECT_EQ(erro, "");
  // The performance goes while the soundfont may still be loading: no crash, no leak (the sanitizer
  // build), no hang.
  testes::SaidaFalsa placa;
  testes::PlataformaFalsa plataforma(&placa);
  Form1 form(plataforma, testes::PastaDados(), nullptr);
  form.InitDirectSound();
  form.InicializaDM();
  form.TocaMidi("Music2.mid");
}

}  // namespace
}  // namespace vartenos
