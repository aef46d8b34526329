// The computer pilot plays our first phase through: the phase can be beaten by what a player sees and
// the keys alone, and the game the pilot played is recorded and replays present for present.
#include "sim/pilot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "sim_support.h"

namespace vartenos::testes {
namespace {

TEST(Piloto, ClearsThePhaseOneAndItsRecordingReplays) {
  const std::string rec = PastaTemporaria() + "/piloto.rec";
  // The first phase takes about seven and a half minutes of play: eight are given.
  const Execucao e = RodarSim("--args '/sa /sp' --bot 7 --until 480000 --record " + rec, "", false);
  ASSERT_EQ(e.status, 0) << e.erros;
  EXPECT_NE(e.saida.find("\"per_phase\":[{\"phase\":1,\"cleared\":true,"), std::string::npos) << e.saida;
  const Execucao r = RodarSim("--replay " + rec, "", false);
  EXPECT_EQ(r.status, 0) << r.erros;
  EXPECT_NE(r.saida.find(" presents, 0 desyncs"), std::string::npos) << r.saida;
}

}  // namespace
}  // namespace vartenos::testes

namespace vartenos::testes {
namespace {

// Every key event a run delivers, with the clock it came at.
struct Teclas : EventSink {
  explicit Teclas(HeadlessPlatform& p) : p_(p) {}
  void KeyDown(int16_t vk) override { eventos.push_back({p_.TickCount(), vk, true}); }
  void KeyUp(int16_t vk) override { eventos.push_back({p_.TickCount(), vk, false}); }
  void KeyPress(int16_t) override {}
  void CloseRequested() override {}
  int32_t NextTimerDue() const override { return kNever; }
  void FireTimers(int32_t) override {}
  bool Leaving() const override { return false; }
  struct Evento {
    int32_t t;
    int16_t vk;
    bool down;
  };
  std::vector<Evento> eventos;
  HeadlessPlatform& p_;
};

TEST(Piloto, NeutralFiguresPlayAsTheMachineAndADelayedPilotsKeysLandThatLate) {
  // The machine, and levels with no delay, no error, no limit it reaches and one second of look-ahead.
  const std::string bot = "--args '/sa /sp' --bot 11 --until 24000";
  const Execucao maquina = RodarSim(bot);
  ASSERT_EQ(maquina.status, 0) << maquina.erros;
  ASSERT_GT(maquina.trace.size(), 500u);
  for (const char* neutro : {"0/0/0/1000", "0/0/400/1000"}) {
    const Execucao e = RodarSim(bot + " --skill " + neutro);
    EXPECT_TRUE(e.trace == maquina.trace) << neutro;
  }

  // An empty play field, presented every 25 ms: a delayed pilot's keys land its delay after the
  // picture they answer, the fire key 150 ms after the game first shows.
  sim::Visao visao;
  std::string erro;
  ASSERT_TRUE(visao.Carregar(PastaDadosCom({}), erro)) << erro;
  Surface tela;
  tela.Create(640, 480);
  sim::Coletor textos;
  textos.Drawn({10, 10, "Vidas: 3", 12, true, 0});
  std::vector<int32_t> primeiras;
  for (const int32_t atraso : {0, 220}) {
    HeadlessPlatform p;
    Teclas teclas(p);
    sim::Piloto piloto(5, visao, {atraso, 0, 0, 1000});
    for (int32_t t = 0; t < 2000; t += 25) {
      piloto.Agir(tela, textos, p);
      p.WaitUntil(t + 25, teclas);
    }
    ASSERT_FALSE(teclas.eventos.empty());
    const auto fogo = std::find_if(teclas.eventos.begin(), teclas.eventos.end(),
                                   [](const Teclas::Evento& e) { return e.vk == 32; });
    ASSERT_NE(fogo, teclas.eventos.end());
    EXPECT_EQ(fogo->t, 150 + atraso);
    const auto seta = std::find_if(teclas.eventos.begin(), teclas.eventos.end(),
                                   [](const Teclas::Evento& e) { return e.vk != 32; });
    ASSERT_NE(seta, teclas.eventos.end());
    // The first arrow answers the first picture, at 0 ms: it lands the pilot's own 1 to 6 ms after its delay.
    EXPECT_GE(seta->t - atraso, 1);
    EXPECT_LE(seta->t - atraso, 6);
    primeiras.push_back(seta->t);
  }
  // The same pilot, the same picture, the same choice: only the delay moves it.
  EXPECT_EQ(primeiras[1] - primeiras[0], 220);
}

}  // namespace
}  // namespace vartenos::testes
