// The headless runner's trace: one JSON object per present with the whole game state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/form1.h"
#include "sim/collector.h"

namespace vartenos::sim {

// Appends the JSON line for present `n` (without the newline) to `out`. With `campos`, notes there the
// offset in `out` at which each top-level field's name starts.
void EscreverLinha(std::string& out, int64_t n, const Form1& f, const Coletor& c, bool estrelas,
                   std::vector<uint32_t>* campos = nullptr);

// Appends a number in the shortest form that reads back to the same value.
void Numero(std::string& out, double v);
void Numero(std::string& out, float v);
void Numero(std::string& out, int64_t v);

}  // namespace vartenos::sim
