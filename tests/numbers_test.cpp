// Rounding and the random generator: the game's positions and its reproducible star field rest on them.
#include "shell/numbers.h"

#include <gtest/gtest.h>

#include "shell/random.h"

namespace vartenos {
namespace {

TEST(Numbers, RoundingTakesHalvesToEvenAndIntRoundsDown) {
  for (const auto& [v, n] :
       {std::pair{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {2.4999, 2}, {2.5001, 3}})
    EXPECT_EQ(Arredondar(v), n) << v;
  EXPECT_EQ(Arredondar(612.5f), 612);
  EXPECT_EQ(Int(-0.5), -1);
  EXPECT_EQ(Int(0.99999994f * 640.0f), 639);  // float stays float: 639.99996, not 640
}

TEST(Gerador, UniformOnTheHalfOpenUnitIntervalReproducibleAndSeeded) {
  Gerador a, b;
  double soma = 0;
  float menor = 1, maior = 0;
  for (int i = 0; i < 100000; ++i) {
    const float r = a.Rnd();
    ASSERT_EQ(r, b.Rnd());
    ASSERT_TRUE(r >= 0.0f && r < 1.0f) << r;
    soma += r;
    menor = std::min(menor, r);
    maior = std::max(maior, r);
  }
  EXPECT_NEAR(soma / 100000, 0.5, 0.01);
  EXPECT_LT(menor, 0.001f);
  EXPECT_GT(maior, 0.999f);
  a.Semear(1234);
  const float primeiro = a.Rnd();
  a.Semear(1234);
  EXPECT_EQ(a.Rnd(), primeiro);
  // Nearby seeds (the clock one millisecond later) give unrelated first draws.
  int iguais = 0;
  for (uint64_t s = 0; s < 1000; ++s) {
    a.Semear(s);
    b.Semear(s + 1);
    iguais += static_cast<int>(a.Rnd() * 5000) == static_cast<int>(b.Rnd() * 5000);
  }
  EXPECT_LT(iguais, 5);
}

}  // namespace
}  // namespace vartenos
