// The computer pilot plays our first phase through: the phase can be beaten by what a player sees and
// the keys alone, and the game the pilot played is recorded and replays present for present.
#include <gtest/gtest.h>

#include <string>

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
