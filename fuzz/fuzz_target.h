// What every fuzz target is made of: one function that takes any bytes to one reader of the game the
// way the game uses it, and returns "" when all went as it should (a refused file is fine) or else what
// went wrong (a check that failed). The fuzzer turns a non-empty answer into a crash; the normal tests
// (FuzzInputs) run every kept seed and crash input through the same function.
//
// A target lives in fuzz/NAME_fuzz.cpp:
//   std::string vartenos::fuzz::Exercitar_NAME(const uint8_t* data, size_t size) { ... }
//   VARTENOS_ALVO_FUZZ(NAME)
// with its seeds in fuzz/corpus/NAME/, and one line in the table of tests/fuzz_inputs_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vartenos::fuzz {

// "" or the check that failed, with what it saw.
using Exercicio = std::string (*)(const uint8_t* data, size_t size);

}  // namespace vartenos::fuzz

#ifdef VARTENOS_FUZZER
#define VARTENOS_ALVO_FUZZ(NAME)                                            \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
    const std::string falha = vartenos::fuzz::Exercitar_##NAME(data, size); \
    if (!falha.empty()) {                                                   \
      std::fprintf(stderr, "%s_fuzz: %s\n", #NAME, falha.c_str());          \
      __builtin_trap();                                                     \
    }                                                                       \
    return 0;                                                               \
  }
#else
#define VARTENOS_ALVO_FUZZ(NAME)
#endif
