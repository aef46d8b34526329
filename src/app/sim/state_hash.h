// The hash of the game state after a present, as a recording keeps it and a replay checks it: the
// present's trace line (every field and table, the stars included) and the inputs delivered since
// the previous present. Each top-level field also has a hash of its own, so a replay that departs
// can name the fields that differ.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vartenos::sim {

class HashDeEstado {
 public:
  HashDeEstado();
  // Hashes one present: `linha` is its trace line, `campos` where each top-level field starts in it.
  // Afterwards Mudancas() holds " NAME=HASH" for every field whose hash differs from the previous
  // call's (all of them the first time); the present number `n` is left out of those.
  uint64_t Calcular(std::string_view linha, const std::vector<uint32_t>& campos, std::string_view entradas);
  const std::string& Mudancas() const { return mudancas_; }
  // Every field's hash after the last call, in the line's order.
  const std::vector<std::pair<std::string, uint64_t>>& Campos() const { return campos_; }

 private:
  uint64_t Campo(std::string_view nome, std::string_view valor);
  std::vector<std::pair<std::string, uint64_t>> campos_;
  size_t proximo_ = 0;
  std::string mudancas_;
};

}  // namespace vartenos::sim
