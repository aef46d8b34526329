// Rounding and the random generator: the game's positions and its reproducible star field rest on them.
#include "shell/numbers.h"

#include <gtest/gtest.h>

#include "shell/random.h"

namespace vartenos {
namespace {

TEST(Arredondar, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(Arredondar(0.5), 0);
  EXPECT_EQ(Arredondar(1.5), 2);
  EXPECT_EQ(Arredondar(2.5), 2);
  EXPECT_EQ(Arredondar(3.5), 4);
  EXPECT_EQ(Arredondar(-0.5), 0);
  EXPECT_EQ(Arredondar(-1.5), -2);
  EXPECT_EQ(Arredondar(-2.5), -2);
  EXPECT_EQ(Arredondar(2.4999), 2);
  EXPECT_EQ(Arredondar(2.5001), 3);
  EXPECT_EQ(Arredondar(612.5f), 612);
}

TEST(Int, RoundsDownAlsoBelowZero) {
  EXPECT_EQ(Int(2.99), 2);
  EXPECT_EQ(Int(-0.5), -1);
  EXPECT_EQ(Int(-2.0f), -2);
  EXPECT_EQ(Int(0.99999994f * 640.0f), 639);
}

TEST(Gerador, UniformOnTheHalfOpenUnitIntervalAndReproducible) {
  Gerador a;
  Gerador b;
  double soma = 0;
  float menor = 1;
  float maior = 0;
  for (int i = 0; i < 100000; ++i) {
    const float r = a.Rnd();
    ASSERT_EQ(r, b.Rnd());
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
    soma += r;
    menor = std::min(menor, r);
    maior = std::max(maior, r);
  }
  EXPECT_NEAR(soma / 100000, 0.5, 0.01);
  EXPECT_LT(menor, 0.001f);
  EXPECT_GT(maior, 0.999f);
}

TEST(Gerador, SeedingRestartsTheSequenceAndDifferentSeedsDiffer) {
  Gerador a;
  a.Semear(1234);
  const float primeiro = a.Rnd();
  a.Rnd();
  a.Semear(1234);
  EXPECT_EQ(a.Rnd(), primeiro);
  Gerador b;
  b.Semear(1235);
  EXPECT_NE(b.Rnd(), primeiro);
  // Nearby seeds (the clock one millisecond later) give unrelated first draws.
  int iguais = 0;
  for (uint64_t s = 0; s < 1000; ++s) {
    Gerador g1;
    g1.Semear(s);
    Gerador g2;
    g2.Semear(s + 1);
    iguais += static_cast<int>(g1.Rnd() * 5000) == static_cast<int>(g2.Rnd() * 5000);
  }
  EXPECT_LT(iguais, 5);
}

}  // namespace
}  // namespace vartenos
