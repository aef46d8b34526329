// The golden form of a session: after every present one line with the present's number and each field
// of its trace that changed since the previous present (all of them after present 0), tab-separated as
// NAME=VALUE. Short values and the sound and music calls are written as they are; longer ones (the
// entity tables, the texts drawn) as '#' and a hash. The field `imagem` is the hash of the picture
// presented.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "sim/trace.h"

namespace vartenos::sim {

class QuadrosDourados : private LeitorDoQuadro {
 public:
  explicit QuadrosDourados(FILE* out);
  void Escrever(int64_t n, const Form1& form, const Coletor& coletor, const Surface& tela);

 private:
  void Campo(size_t k, std::string_view nome, std::string_view valor) override;
  void Anotar(size_t i, std::string_view nome, std::string_view valor);
  FILE* out_;
  std::string saida_;
  size_t n_campos_ = 0;  // fields of this present so far, "n" included
  // Field k of the present, as last written, is anteriores_[k - 1]; the picture comes last.
  std::vector<std::pair<std::string, std::string>> anteriores_;
};

}  // namespace vartenos::sim
