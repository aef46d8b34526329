// The game state after a present, field by field: the headless runner's trace writes it as one JSON
// object a line, the recording hashes it, the golden games keep what changed of it. The state is walked
// once per reader; nobody parses it back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/form1.h"
#include "sim/collector.h"

namespace vartenos::sim {

// Whoever reads a present's state: the JSON line, the state hash, the golden form.
class LeitorDoQuadro {
 public:
  virtual ~LeitorDoQuadro() = default;
  // The top-level field number `k` of the present (0 is the present's number "n"; with the same
  // choice of stars, field k is the same field every present), its name, and its value written as
  // JSON. `valor` lasts only for the call.
  virtual void Campo(size_t k, std::string_view nome, std::string_view valor) = 0;
};

// Hands every top-level field of present `n` to `leitor`, in order. `estrelas`: the star field too.
void LerQuadro(int64_t n, const Form1& f, const Coletor& c, bool estrelas, LeitorDoQuadro& leitor);

// Appends the JSON line for present `n` (without the newline) to `out`.
void EscreverLinha(std::string& out, int64_t n, const Form1& f, const Coletor& c, bool estrelas);

// Appends a number in the shortest form that reads back to the same value.
void Numero(std::string& out, double v);
void Numero(std::string& out, float v);
void Numero(std::string& out, int64_t v);

}  // namespace vartenos::sim
