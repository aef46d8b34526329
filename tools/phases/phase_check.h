// Checks a phase file against what the game needs of it, and estimates how many enemies can be alive
// at once when the player destroys none (the enemy table holds 150). See docs/phases.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "phases/phase_file.h"

namespace vartenos::fases {

constexpr int64_t kLimiteInimigos = 150;

struct Falha {
  int entrada = -1;   // 0..39, or -1 for the file as a whole
  std::string campo;  // the field at fault ("" for the file as a whole)
  std::string problema;
};

struct Checagem {
  std::vector<Falha> falhas;
  // The most enemies that can be alive at once if none is destroyed (an upper bound).
  int64_t pico = 0;
  // The search over the ways the phase can unfold was cut short; `pico` is then the sum of every
  // formation's enemies.
  bool pico_grosseiro = false;
};

// The longest an enemy of entry `e` can stay on screen without being destroyed, in frames, or -1 when
// its pattern never takes it off the screen. Counted with the slowest (phase 1) speeds.
int64_t QuadrosDeVidaMaximos(const Entrada_Formacao& e);

// The frames a pattern-7 diver (Parametro 2) can take to leave the screen, whatever the ship does.
int64_t QuadrosMergulhoMaximos();

Checagem ChecarFormacoes(const Fase_Formacoes& formacoes);
// Decodes and checks a whole file: a short file gives the one file-level fault.
Checagem ChecarArquivo(const uint8_t* data, size_t size, const std::string& name);

// "entry 3, Padrao: 9 is not a pattern (1..7)".
std::string Descrever(const Falha& f);

}  // namespace vartenos::fases
