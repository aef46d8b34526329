#include "sim/state_hash.h"

#include <cinttypes>
#include <cstdio>

#include "platform/recording.h"

namespace vartenos::sim {

HashDeEstado::HashDeEstado() {
  campos_.reserve(160);
  mudancas_.reserve(4096);
}

uint64_t HashDeEstado::Campo(std::string_view nome, std::string_view valor) {
  const uint64_t h = Hash64(valor);
  if (nome == "n") return h;
  // The fields come in the same order every present; look further only when they do not.
  size_t i = proximo_;
  if (i >= campos_.size() || campos_[i].first != nome) {
    i = 0;
    while (i < campos_.size() && campos_[i].first != nome) ++i;
    if (i == campos_.size()) campos_.emplace_back(std::string(nome), ~h);
  }
  proximo_ = i + 1;
  if (campos_[i].second == h) return h;
  campos_[i].second = h;
  char buf[24];
  std::snprintf(buf, sizeof buf, "=%016" PRIx64, h);
  mudancas_ += ' ';
  mudancas_ += nome;
  mudancas_ += buf;
  return h;
}

uint64_t HashDeEstado::Calcular(std::string_view linha, const std::vector<uint32_t>& campos,
                                std::string_view entradas) {
  mudancas_.clear();
  proximo_ = 0;
  // The whole state's hash is the hash of its fields' hashes, in order.
  uint64_t total = Hash64({});
  for (size_t k = 0; k < campos.size(); ++k) {
    // "NAME":VALUE, up to the next field's comma or the line's closing brace.
    const size_t inicio = campos[k];
    const size_t fim = (k + 1 < campos.size() ? campos[k + 1] : linha.size()) - 1;
    const size_t aspas = linha.find('"', inicio + 1);
    if (aspas == std::string_view::npos || aspas + 2 > fim) continue;
    const uint64_t h =
        Campo(linha.substr(inicio + 1, aspas - inicio - 1), linha.substr(aspas + 2, fim - aspas - 2));
    total = Hash64(std::string_view(reinterpret_cast<const char*>(&h), sizeof h), total);
  }
  const uint64_t h = Campo("entradas", entradas);
  return Hash64(std::string_view(reinterpret_cast<const char*>(&h), sizeof h), total);
}

}  // namespace vartenos::sim
