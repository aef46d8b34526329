#include "sim/state_hash.h"

#include <cinttypes>
#include <cstdio>

#include "platform/recording.h"

namespace vartenos::sim {

namespace {
uint64_t Encadear(uint64_t h, uint64_t total) {
  return Hash64(std::string_view(reinterpret_cast<const char*>(&h), sizeof h), total);
}
}  // namespace

HashDeEstado::HashDeEstado() {
  campos_.reserve(160);
  mudancas_.reserve(4096);
}

void HashDeEstado::Anotar(size_t i, std::string_view nome, uint64_t h) {
  // The fields come in the same order every present: a field met for the first time is new.
  if (i == campos_.size()) campos_.emplace_back(std::string(nome), ~h);
  auto& [anotado, hash] = campos_[i];
  if (hash == h) return;
  hash = h;
  char buf[24];
  std::snprintf(buf, sizeof buf, "=%016" PRIx64, h);
  mudancas_ += ' ';
  mudancas_ += anotado;
  mudancas_ += buf;
}

void HashDeEstado::Campo(size_t k, std::string_view nome, std::string_view valor) {
  if (k == 0) {
    mudancas_.clear();
    total_ = Hash64({});
  }
  const uint64_t h = Hash64(valor);
  if (k > 0) Anotar(k - 1, nome, h);
  // The whole state's hash is the hash of its fields' hashes, in order.
  total_ = Encadear(h, total_);
  n_campos_ = k + 1;
}

uint64_t HashDeEstado::Fechar(std::string_view entradas) {
  const uint64_t h = Hash64(entradas);
  Anotar(n_campos_ - 1, "entradas", h);
  return Encadear(h, total_);
}

}  // namespace vartenos::sim
