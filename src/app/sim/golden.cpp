#include "sim/golden.h"

#include <algorithm>
#include <cinttypes>

#include "platform/recording.h"

namespace vartenos::sim {

namespace {
// Longer values are written as a hash: numbers, flags and timers stay readable, the tables do not
// bloat the file. The sound and music calls are always written out.
constexpr size_t kValorLegivel = 40;
}  // namespace

QuadrosDourados::QuadrosDourados(FILE* out) : out_(out) {
  linha_.reserve(1 << 16);
  saida_.reserve(1 << 12);
}

void QuadrosDourados::Campo(std::string_view nome, std::string_view valor) {
  std::string mostrado;
  if (valor.size() <= kValorLegivel || nome == "sons" || nome == "musica") {
    mostrado.assign(valor);
  } else {
    char buf[20];
    std::snprintf(buf, sizeof buf, "#%08" PRIx32, static_cast<uint32_t>(Hash64(valor)));
    mostrado = buf;
  }
  auto it =
      std::find_if(anteriores_.begin(), anteriores_.end(), [&](const auto& c) { return c.first == nome; });
  if (it == anteriores_.end()) {
    it = anteriores_.emplace(anteriores_.end(), std::string(nome), std::string());
  } else if (it->second == mostrado) {
    return;
  }
  it->second = mostrado;
  saida_ += '\t';
  saida_ += nome;
  saida_ += '=';
  saida_ += mostrado;
}

void QuadrosDourados::Escrever(int64_t n, const Form1& form, const Coletor& coletor, const Surface& tela) {
  linha_.clear();
  campos_.clear();
  EscreverLinha(linha_, n, form, coletor, false, &campos_);
  saida_ = std::to_string(n);
  for (size_t k = 0; k < campos_.size(); ++k) {
    // "NAME":VALUE, up to the next field's comma or the line's closing brace.
    const size_t inicio = campos_[k];
    const size_t fim = (k + 1 < campos_.size() ? campos_[k + 1] : linha_.size()) - 1;
    const size_t aspas = linha_.find('"', inicio + 1);
    const std::string_view nome(linha_.data() + inicio + 1, aspas - inicio - 1);
    if (nome == "n") continue;
    Campo(nome, std::string_view(linha_.data() + aspas + 2, fim - aspas - 2));
  }
  const auto* pixels = reinterpret_cast<const char*>(tela.Pixels());
  Campo("imagem", std::string_view(pixels, static_cast<size_t>(tela.Width()) * tela.Height() * 2));
  saida_ += '\n';
  std::fwrite(saida_.data(), 1, saida_.size(), out_);
}

}  // namespace vartenos::sim
