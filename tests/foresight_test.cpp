// The computer pilot's foresight. A sprite partly off the picture is drawn nowhere, so a shot that slips
// over the right or bottom edge vanishes from sight while it can still hit the ship: the pilot must go on
// foreseeing it along its line, and give it up once it has wholly left.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "sim/threats.h"
#include "sim/tracking.h"

namespace vartenos::testes {
namespace {

TEST(PilotoPrevisao, AShotPartlyOffThePictureIsForeseenAlongItsLineUntilItHasLeft) {
  sim::Situacao s;
  s.nave_x = 600;
  s.nave_y = 170;
  s.horizonte = sim::kHorizonte;
  sim::Trilhas trilhas;
  auto ameacas = std::make_unique<sim::Ameacas>();
  // Two shots, one going down along the right edge, one going right along the bottom: each is seen for 21
  // frames, then is partly off the picture for 10, then wholly gone.
  for (int k = 0; k <= 31; ++k) {
    sim::Cena cena;
    for (const auto& [x, y] : {std::pair{610 + k, 100 + 2 * k}, std::pair{200 + k, 450 + k}}) {
      if (x + sim::kTiroL > 640 || y + sim::kTiroL > 480) continue;
      cena.tiros[cena.n_tiros].x = static_cast<int16_t>(x);
      cena.tiros[cena.n_tiros++].y = static_cast<int16_t>(y);
    }
    trilhas.Seguir(cena, s);
    if (k == 31) break;
    ASSERT_EQ(trilhas.n_tiros, 2u) << "frame " << k;
    EXPECT_EQ(trilhas.tiros[0].x, 610 + k) << "frame " << k;
    EXPECT_EQ(trilhas.tiros[0].y, 100 + 2 * k) << "frame " << k;
    EXPECT_EQ(trilhas.tiros[1].x, 200 + k) << "frame " << k;
    EXPECT_EQ(trilhas.tiros[1].y, 450 + k) << "frame " << k;
    if (k != 25) continue;
    // Half over the right edge at (635, 150): ten frames on it is at (645, 170), level with the ship,
    // its box widened by the two pixels a shot seen twice may be off. The other is out of the ship's reach.
    ameacas->Prever(s, trilhas, 0);
    ASSERT_EQ(ameacas->N_Caixas(10), 1u);
    const sim::Caixa& c = ameacas->Em(10, 0);
    EXPECT_EQ(c.x1, 643);
    EXPECT_EQ(c.y1, 168);
    EXPECT_EQ(c.x2, 657);
    EXPECT_EQ(c.y2, 182);
  }
  EXPECT_EQ(trilhas.n_tiros, 0u) << "a shot wholly off the picture is given up";
}

}  // namespace
}  // namespace vartenos::testes
