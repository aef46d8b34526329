// The shortest digits of our own (shell/decimal.h) against the standard library's std::to_chars, which
// the browser's library lacks: a recording's hashes are computed from these texts on both sides.
#include "shell/decimal.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace vartenos {
namespace {

template <typename T>
std::string Nosso(T v) {
  char b[kDecimalCurtoMaximo];
  char* fim = DecimalCurto(b, b + sizeof b, v);
  return fim ? std::string(b, fim) : std::string("(does not fit)");
}

template <typename T>
std::string DaBiblioteca(T v) {
  char b[64];
  return std::string(b, std::to_chars(b, b + sizeof b, v).ptr);
}

// Counts the values written otherwise than the library writes them, keeping the first few.
struct Comparacao {
  int64_t valores = 0;
  int diferentes = 0;
  std::string exemplos;
  template <typename T>
  void operator()(T v) {
    ++valores;
    const std::string nosso = Nosso(v), deles = DaBiblioteca(v);
    if (nosso == deles) return;
    if (++diferentes <= 10) exemplos += "  " + deles + " written as " + nosso + "\n";
  }
};

template <typename T, typename U>
T DeBits(U u) {
  T v;
  std::memcpy(&v, &u, sizeof v);
  return v;
}

TEST(DecimalCurto, WritesWhatTheStandardLibraryWritesForAMillionValues) {
  std::mt19937_64 g(31);
  std::uniform_real_distribution<double> tela(-100.0, 740.0), angulo(0.0, 6.3), raio(20.0, 500.0);
  Comparacao c;
  // Any bit pattern: subnormals, the largest exponents, NaNs and infinities with their signs.
  for (int i = 0; i < 200000; ++i) {
    c(DeBits<float>(static_cast<uint32_t>(g())));
    c(DeBits<double>(g()));
  }
  // Every power of two, where the neighbour below is half as far as the one above, and its neighbours.
  for (int e = -149; e < 128; ++e) {
    const float p = std::ldexp(1.0f, e);
    c(p);
    c(std::nextafter(p, 0.0f));
    c(std::nextafter(p, HUGE_VALF));
  }
  for (int e = -1074; e < 1024; ++e) {
    const double p = std::ldexp(1.0, e);
    c(p);
    c(std::nextafter(p, 0.0));
    c(std::nextafter(p, HUGE_VAL));
  }
  // Numbers like the game's: positions on a circle or an ellipse, steps of speed and angle added up
  // frame after frame, whole and half pixels, the scores' large whole floats.
  double passo = 0, soma = 0;
  float x = 0;
  for (int i = 0; i < 100000; ++i) {
    const double t = angulo(g);
    c(tela(g) + std::sin(t) * raio(g));
    c(static_cast<float>(tela(g) + std::cos(t) * 70 + 9));
    c(static_cast<float>(std::floor(tela(g) * 2) / 2));
    c(static_cast<float>(g() % 100000000));
    passo += 0.005;
    soma += i % 3 == 0 ? 0.2 : 0.09;
    x += i % 2 == 0 ? 0.5f : 2.0f * static_cast<float>(std::fmod(t, 1.0));
    c(passo);
    c(soma);
    c(-soma);
    c(x);
  }
  EXPECT_GE(c.valores, 1000000);
  EXPECT_EQ(c.diferentes, 0) << "of " << c.valores << " values, for instance:\n" << c.exemplos;
}

TEST(DecimalCurto, TheLongestTextFitsAndNothingIsWrittenPastTheEnd) {
  // The longest text a double takes, and a float's.
  const double longo = -2.2250738585072014e-308;
  EXPECT_EQ(Nosso(longo), "-2.2250738585072014e-308");
  EXPECT_EQ(Nosso(longo).size(), static_cast<size_t>(kDecimalCurtoMaximo));
  char b[kDecimalCurtoMaximo];
  EXPECT_EQ(DecimalCurto(b, b + kDecimalCurtoMaximo - 1, longo), nullptr);
  EXPECT_EQ(DecimalCurto(b, b + 2, 640.0f), nullptr);
  EXPECT_EQ(DecimalCurto(b, b + 3, 640.0f), b + 3);
  EXPECT_EQ(std::string(b, 3), "640");
  EXPECT_EQ(Nosso(-1.17549435e-38f), "-1.1754944e-38");
}

}  // namespace
}  // namespace vartenos
