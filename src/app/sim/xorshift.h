// The small choices of the runner's players (the random player, the computer pilot): a xorshift32
// generator of their own, apart from the game's, so that they never draw from the game's random numbers.
#pragma once

#include <cstdint>

namespace vartenos::sim {

class Xorshift {
 public:
  explicit Xorshift(uint32_t estado) : estado_(estado == 0 ? 1 : estado) {}
  uint32_t Sortear() {
    estado_ ^= estado_ << 13;
    estado_ ^= estado_ >> 17;
    estado_ ^= estado_ << 5;
    return estado_;
  }
  // Uniform in [min, max].
  int32_t Entre(int32_t min, int32_t max) {
    return min + static_cast<int32_t>(Sortear() % static_cast<uint32_t>(max - min + 1));
  }

 private:
  uint32_t estado_;
};

}  // namespace vartenos::sim
