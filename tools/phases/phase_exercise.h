// One pass of everything the phase tool does with the bytes of a file: decode, check, print the table
// and compile it back. Shared by the fuzzer and by the tests that replay what the fuzzer once found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vartenos::fases {

// Returns "" when every step agrees with the others (the printed table compiles back to the same
// entries and bytes), otherwise what disagreed. The same bytes are also parsed as a table.
std::string ExercitarArquivo(const uint8_t* data, size_t size);

}  // namespace vartenos::fases
