// The soundfont loads in the background and nothing waits for it: a piece started meanwhile plays
// silently on the clock and starts on the synthesizer once it is ready; only the instruments our
// pieces use are read.
#include <gtest/gtest.h>

#include <vector>

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
  if (EncontrarSoundfont(tried).empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  testes::SaidaFalsa placa;
  testes::PlataformaFalsa plataforma(&placa);
  Form1 form(plataforma, testes::PastaDados(), nullptr);
  form.InitDirectSound();
  form.InicializaDM();
  form.TocaMidi("Music2.mid");
  // The performance goes while the soundfont may still be loading: no crash, no leak, no hang.
}

}  // namespace
}  // namespace vartenos
