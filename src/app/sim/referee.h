// The referee beside the computer pilot: it reads the game's state after every present to report how
// the game went, phase by phase, and tells the pilot nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <tuple>

#include "shell/form1.h"

namespace vartenos::sim {

// How a game went, read from the game's state after each present.
class Placar {
 public:
  struct Fase {
    int32_t inicio_ms = -1;
    int32_t ultimo_ms = -1;  // the last frame of play seen in the phase
    int32_t fim_ms = -1;     // the phase-complete screen
    int32_t vidas_perdidas = 0;
    int32_t extras = 0;
    int32_t inimigos_destruidos = 0;
  };
  static constexpr int kFases = 5;  // after the fifth, the closing screen

  void Observar(const Form1& form, int32_t agora);
  // One JSON line.
  std::string Json(uint32_t semente) const;

 private:
  void Relatar_Perda(const Form1& form, int fase, int32_t agora) const;
  std::array<Fase, kFases> fases_{};
  int fases_completas_ = 0;
  bool final_ = false;
  bool em_jogo_ = false;
  bool fim_de_jogo_ = false;
  int32_t pontos_ = 0;
  float vidas_ = 0;
  // Which slots of the game's tables were in use at the last present.
  std::array<bool, std::tuple_size_v<decltype(Form1::Inimigos)>> inimigo_ativo_{};
  std::array<bool, std::tuple_size_v<decltype(Form1::Extras)>> extra_ativo_{};
  std::array<bool, std::tuple_size_v<decltype(Form1::Tiros_Inimigos)>> tiro_ativo_{};
};

}  // namespace vartenos::sim
