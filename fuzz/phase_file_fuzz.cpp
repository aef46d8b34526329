// Any bytes as a phase file (decoded, checked, printed and compiled back) and as a phase table.
#include "fuzz_target.h"
#include "phases/phase_exercise.h"

namespace vartenos::fuzz {

std::string Exercitar_phase_file(const uint8_t* data, size_t size) {
  return fases::ExercitarArquivo(data, size);
}

}  // namespace vartenos::fuzz

VARTENOS_ALVO_FUZZ(phase_file)
