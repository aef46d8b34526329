// libFuzzer target: any bytes as a phase file (decoded, checked, printed and compiled back) and as a
// phase table. A disagreement between the steps stops the run like a crash does.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "phases/phase_exercise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string falha = vartenos::fases::ExercitarArquivo(data, size);
  if (!falha.empty()) {
    std::fprintf(stderr, "phase_file_fuzz: %s\n", falha.c_str());
    __builtin_trap();
  }
  return 0;
}
