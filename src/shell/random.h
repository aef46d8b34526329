// The game's one random generator: PCG32 (O'Neill, pcg-random.org, the XSH RR 64/32 variant),
// giving single-precision numbers uniform on [0, 1). It starts from a fixed seed, so everything
// drawn before the first seeding (the start-up star field) is the same on every run.
#pragma once

#include <cstdint>

namespace vartenos {

class Gerador {
 public:
  static constexpr uint64_t kSementeInicial = 0x853c49e6748fea9bULL;

  Gerador() { Semear(kSementeInicial); }

  void Semear(uint64_t seed) {
    state_ = 0;
    Proximo();
    state_ += seed;
    Proximo();
  }

  uint32_t Proximo() {
    const uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + kIncremento;
    const auto xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
  }

  // 24 random bits scaled into [0, 1): every value is exact in a float and 1.0 cannot come out.
  float Rnd() { return static_cast<float>(Proximo() >> 8) * (1.0f / 16777216.0f); }

 private:
  static constexpr uint64_t kIncremento = 0xda3e39cb94b95bdbULL;
  uint64_t state_ = 0;
};

}  // namespace vartenos
