#include "sim/golden.h"

#include <cinttypes>

#include "platform/recording.h"

namespace vartenos::sim {

namespace {
// Longer values are written as a hash: numbers, flags and timers stay readable, the tables do not
// bloat the file. The sound and music calls are always written out.
constexpr size_t kValorLegivel = 40;
}  // namespace

QuadrosDourados::QuadrosDourados(FILE* out) : out_(out) { saida_.reserve(1 << 12); }

void QuadrosDourados::Anotar(size_t i, std::string_view nome, std::string_view valor) {
  std::string mostrado;
  if (valor.size() <= kValorLegivel || nome == "sons" || nome == "musica") {
    mostrado.assign(valor);
  } else {
    char buf[20];
    std::snprintf(buf, sizeof buf, "#%08" PRIx32, static_cast<uint32_t>(Hash64(valor)));
    mostrado = buf;
  }
  // The fields come in the same order every present: a field met for the first time is new, and
  // written whatever its value.
  if (i == anteriores_.size()) {
    anteriores_.emplace_back(std::string(nome), std::string());
  } else if (anteriores_[i].second == mostrado) {
    return;
  }
  anteriores_[i].second = mostrado;
  saida_ += '\t';
  saida_ += nome;
  saida_ += '=';
  saida_ += mostrado;
}

void QuadrosDourados::Campo(size_t k, std::string_view nome, std::string_view valor) {
  n_campos_ = k + 1;
  // The present's number heads the line.
  if (k > 0) Anotar(k - 1, nome, valor);
}

void QuadrosDourados::Escrever(int64_t n, const Form1& form, const Coletor& coletor, const Surface& tela) {
  saida_ = std::to_string(n);
  LerQuadro(n, form, coletor, false, *this);
  const auto* pixels = reinterpret_cast<const char*>(tela.Pixels());
  Anotar(n_campos_ - 1, "imagem",
         std::string_view(pixels, static_cast<size_t>(tela.Width()) * tela.Height() * 2));
  saida_ += '\n';
  std::fwrite(saida_.data(), 1, saida_.size(), out_);
}

}  // namespace vartenos::sim
