#include "phases/phase_table.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace vartenos::fases {

namespace {

enum class Tipo_Coluna { Float, Int32, Int16 };

struct Coluna {
  const char* nome;
  Tipo_Coluna tipo;
  float Entrada_Formacao::*f = nullptr;
  int32_t Entrada_Formacao::*i32 = nullptr;
  int16_t Entrada_Formacao::*i16 = nullptr;
};

// The canonical order: when, what moves how, how many, what it looks like, then fire and extras.
const std::array<Coluna, 10> kColunas = {{
    {"Inicio", Tipo_Coluna::Int32, nullptr, &Entrada_Formacao::Inicio},
    {"Padrao", Tipo_Coluna::Float, &Entrada_Formacao::Padrao},
    {"Parametro", Tipo_Coluna::Float, &Entrada_Formacao::Parametro},
    {"Quantidade", Tipo_Coluna::Int32, nullptr, &Entrada_Formacao::Quantidade},
    {"Tipo", Tipo_Coluna::Float, &Entrada_Formacao::Tipo},
    {"Atira", Tipo_Coluna::Float, &Entrada_Formacao::Atira},
    {"Tem_Extra", Tipo_Coluna::Int16, nullptr, nullptr, &Entrada_Formacao::Tem_Extra},
    {"Portador_Extra", Tipo_Coluna::Float, &Entrada_Formacao::Portador_Extra},
    {"Tipo_Extra", Tipo_Coluna::Float, &Entrada_Formacao::Tipo_Extra},
    {"Invertida", Tipo_Coluna::Int16, nullptr, nullptr, &Entrada_Formacao::Invertida},
}};

std::vector<std::string> Palavras(const std::string& line) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size() || line[i] == '#') break;
    const size_t b = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '#') ++i;
    out.push_back(line.substr(b, i - b));
  }
  return out;
}

bool LerFloat(const std::string& s, float& v) {
  if (s.rfind("bits:", 0) == 0) {
    const std::string h = s.substr(5);
    uint32_t bits = 0;
    if (h.size() != 8) return false;
    const auto [p, ec] = std::from_chars(h.data(), h.data() + h.size(), bits, 16);
    if (ec != std::errc() || p != h.data() + h.size()) return false;
    v = std::bit_cast<float>(bits);
    return true;
  }
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  return ec == std::errc() && p == s.data() + s.size();
}

bool LerInteiro(const std::string& s, int64_t menor, int64_t maior, int64_t& v) {
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && p == s.data() + s.size() && v >= menor && v <= maior;
}

std::string Valor(const Entrada_Formacao& e, const Coluna& c) {
  switch (c.tipo) {
    case Tipo_Coluna::Float:
      return FormatarFloat(e.*c.f);
    case Tipo_Coluna::Int32:
      return std::to_string(e.*c.i32);
    case Tipo_Coluna::Int16:
      return std::to_string(e.*c.i16);
  }
  return "";
}

}  // namespace

std::string FormatarFloat(float v) {
  if (std::isnan(v)) {
    char hex[16];
    const auto [p, ec] = std::to_chars(hex, hex + sizeof hex, std::bit_cast<uint32_t>(v), 16);
    std::string h(hex, p);
    return "bits:" + std::string(8 - h.size(), '0') + h;
  }
  char buf[64];
  const auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, p);
}

bool CompilarTabela(const std::string& text, const std::string& name, Fase_Formacoes& out,
                    std::string& error) {
  std::vector<const Coluna*> ordem;  // the header's columns, in its order
  size_t entradas = 0;
  size_t numero = 0;
  size_t inicio = 0;
  Fase_Formacoes lidas{};
  while (inicio < text.size()) {
    size_t fim = text.find('\n', inicio);
    if (fim == std::string::npos) fim = text.size();
    const std::string line = text.substr(inicio, fim - inicio);
    inicio = fim + 1;
    ++numero;
    const std::string onde = name + ":" + std::to_string(numero) + ": ";
    const std::vector<std::string> w = Palavras(line);
    if (w.empty()) continue;
    if (ordem.empty()) {
      for (const std::string& palavra : w) {
        const auto it = std::find_if(kColunas.begin(), kColunas.end(),
                                     [&](const Coluna& c) { return palavra == c.nome; });
        if (it == kColunas.end()) {
          std::string nomes;
          for (const Coluna& c : kColunas) nomes += std::string(" ") + c.nome;
          error = onde + "'" + palavra + "' is not a column; the header names the ten columns" + nomes;
          return false;
        }
        if (std::find(ordem.begin(), ordem.end(), &*it) != ordem.end()) {
          error = onde + "column " + palavra + " named twice";
          return false;
        }
        ordem.push_back(&*it);
      }
      for (const Coluna& c : kColunas) {
        if (std::find(ordem.begin(), ordem.end(), &c) == ordem.end()) {
          error = onde + "the header lacks the column " + c.nome;
          return false;
        }
      }
      continue;
    }
    if (entradas == lidas.size()) {
      error = onde + "more than 40 entries; a phase has exactly 40";
      return false;
    }
    if (w.size() != ordem.size()) {
      error = onde + std::to_string(w.size()) + " values, the header names " + std::to_string(ordem.size());
      return false;
    }
    Entrada_Formacao& e = lidas[entradas];
    for (size_t k = 0; k < w.size(); ++k) {
      const Coluna& c = *ordem[k];
      int64_t v = 0;
      switch (c.tipo) {
        case Tipo_Coluna::Float:
          if (!LerFloat(w[k], e.*c.f)) {
            error = onde + c.nome + ": '" + w[k] + "' is not a 32-bit float";
            return false;
          }
          break;
        case Tipo_Coluna::Int32:
          if (!LerInteiro(w[k], std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                          v)) {
            error = onde + c.nome + ": '" + w[k] + "' is not a 32-bit whole number";
            return false;
          }
          e.*c.i32 = static_cast<int32_t>(v);
          break;
        case Tipo_Coluna::Int16:
          if (!LerInteiro(w[k], std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max(),
                          v)) {
            error = onde + c.nome + ": '" + w[k] + "' is not a 16-bit whole number";
            return false;
          }
          e.*c.i16 = static_cast<int16_t>(v);
          break;
      }
    }
    ++entradas;
  }
  if (ordem.empty()) {
    error = name + ": no header line naming the columns";
    return false;
  }
  if (entradas != lidas.size()) {
    error = name + ": " + std::to_string(entradas) + " entries, a phase has exactly 40";
    return false;
  }
  out = lidas;
  return true;
}

std::string ImprimirTabela(const Fase_Formacoes& formacoes) {
  std::array<size_t, kColunas.size()> largura{};
  std::vector<std::array<std::string, kColunas.size()>> linhas(formacoes.size());
  for (size_t c = 0; c < kColunas.size(); ++c) {
    largura[c] = std::string(kColunas[c].nome).size();
    for (size_t i = 0; i < formacoes.size(); ++i) {
      linhas[i][c] = Valor(formacoes[i], kColunas[c]);
      largura[c] = std::max(largura[c], linhas[i][c].size());
    }
  }
  const auto linha = [&](const auto& celula) {
    std::string s;
    for (size_t c = 0; c < kColunas.size(); ++c) {
      const std::string v = celula(c);
      s += v;
      if (c + 1 < kColunas.size()) s += std::string(largura[c] - v.size() + 1, ' ');
    }
    return s + "\n";
  };
  std::string out = linha([](size_t c) { return std::string(kColunas[c].nome); });
  for (size_t i = 0; i < formacoes.size(); ++i) out += linha([&](size_t c) { return linhas[i][c]; });
  return out;
}

}  // namespace vartenos::fases
