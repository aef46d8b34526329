#include "sim/state_hash.h"

#include <cinttypes>
#include <cstdio>

#include "platform/recording.h"

namespace vartenos::sim {

HashDeEstado::HashDeEstado() {
  campos_.reserve(160);
  mudancas_.reserve(4096);
}

void HashDeEstado::Campo(std::string_view nome, std::string_view valor) {
  if (nome == "n") return;
  const uint64_t h = Fnv1a(valor);
  // The fields come in the same order every present; look further only when they do not.
  size_t i = proximo_;
  if (i >= campos_.size() || campos_[i].first != nome) {
    i = 0;
    while (i < campos_.size() && campos_[i].first != nome) ++i;
    if (i == campos_.size()) campos_.emplace_back(std::string(nome), ~h);
  }
  proximo_ = i + 1;
  if (campos_[i].second == h) return;
  campos_[i].second = h;
  char buf[24];
  std::snprintf(buf, sizeof buf, "=%016" PRIx64, h);
  mudancas_ += ' ';
  mudancas_ += nome;
  mudancas_ += buf;
}

uint64_t HashDeEstado::Calcular(std::string_view linha, std::string_view entradas) {
  mudancas_.clear();
  proximo_ = 0;
  // The line is one JSON object written by the trace: split it at its top-level commas.
  size_t i = linha.empty() || linha[0] != '{' ? linha.size() : 1;
  while (i < linha.size() && linha[i] == '"') {
    const size_t fim_nome = linha.find('"', i + 1);
    if (fim_nome == std::string_view::npos || fim_nome + 1 >= linha.size()) break;
    const std::string_view nome = linha.substr(i + 1, fim_nome - i - 1);
    size_t j = fim_nome + 2;  // past the colon
    const size_t inicio = j;
    int profundidade = 0;
    bool em_texto = false;
    for (; j < linha.size(); ++j) {
      const char c = linha[j];
      if (em_texto) {
        if (c == '\\') {
          ++j;
        } else if (c == '"') {
          em_texto = false;
        }
      } else if (c == '"') {
        em_texto = true;
      } else if (c == '[' || c == '{') {
        ++profundidade;
      } else if (c == ']' || c == '}') {
        if (profundidade == 0) break;  // the end of the object
        --profundidade;
      } else if (c == ',' && profundidade == 0) {
        break;
      }
    }
    Campo(nome, linha.substr(inicio, j - inicio));
    i = j + 1;
  }
  Campo("entradas", entradas);
  return Fnv1a(entradas, Fnv1a(linha));
}

}  // namespace vartenos::sim
