// The hash of the game state after a present, as a recording keeps it and a replay checks it: every
// field of the present (every table, the stars included) and the inputs delivered since the previous
// present. Each top-level field also has a hash of its own, so a replay that departs can name the
// fields that differ.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/trace.h"

namespace vartenos::sim {

class HashDeEstado : public LeitorDoQuadro {
 public:
  HashDeEstado();
  // One field of the present, from LerQuadro; field 0 begins a new present.
  void Campo(size_t k, std::string_view nome, std::string_view valor) override;
  // Ends the present with the inputs delivered since the previous one; returns the whole state's hash.
  // Afterwards Mudancas() holds " NAME=HASH" for every field whose hash differs from the previous
  // present's (all of them the first time); the present number "n" is left out of those.
  uint64_t Fechar(std::string_view entradas);
  const std::string& Mudancas() const { return mudancas_; }
  // Every field's hash after the last present, in the present's order, the inputs last.
  const std::vector<std::pair<std::string, uint64_t>>& Campos() const { return campos_; }

 private:
  void Anotar(size_t i, std::string_view nome, uint64_t h);
  // Field k of the present is campos_[k - 1]: the present's number changes every time.
  std::vector<std::pair<std::string, uint64_t>> campos_;
  size_t n_campos_ = 0;  // fields of this present so far, "n" included
  uint64_t total_ = 0;
  std::string mudancas_;
};

}  // namespace vartenos::sim
