// A player who presses keys at random, with a person's timing: bursts of fire, held arrows, menu
// choices, pauses, an Esc now and then, on every screen. `vartenos-sim --monkey SEED` and the soak
// benchmark run it for hours of virtual time; the same seed gives the same session.
#pragma once

#include <cstdint>

#include "platform/headless/headless_platform.h"
#include "shell/form1.h"
#include "sim/xorshift.h"

namespace vartenos::sim {

class Macaco {
 public:
  explicit Macaco(uint32_t semente);
  // Looks at the screen after a present and schedules the next keys on the platform.
  void Agir(const Form1& form, HeadlessPlatform& plataforma);

  int64_t Jogos() const { return jogos_; }
  int FaseMaxima() const { return fase_maxima_; }

 private:
  uint32_t Sortear() { return sorteio_.Sortear(); }
  int32_t Entre(int32_t min, int32_t max) { return sorteio_.Entre(min, max); }
  bool Chance(int por_mil);
  void NoMenu(const Form1& form, HeadlessPlatform& p, int32_t agora);
  void NoJogo(const Form1& form, HeadlessPlatform& p, int32_t agora);

  Xorshift sorteio_;
  int32_t proxima_ = 0;
  int escolha_ = 0;         // the menu option the player is heading for; 0 while not chosen
  int32_t soltar_[4] = {};  // when each arrow held now comes up (left, up, right, down)
  const char* tela_ = "";
  int64_t jogos_ = 0;
  int fase_maxima_ = 0;
};

}  // namespace vartenos::sim
