#include "sim/replay_check.h"

#include <algorithm>

namespace vartenos::sim {

std::string ConferirDados(const Gravacao& g, const std::string& path, const std::string& data_dir) {
  std::vector<ArquivoDeDados> dados;
  std::string error;
  if (!ResumirDados(data_dir, dados, error)) return error;
  std::vector<std::string> diferentes;
  for (const ArquivoDeDados& gravado : g.dados) {
    auto it = std::find_if(dados.begin(), dados.end(), [&](const auto& d) { return d.nome == gravado.nome; });
    if (it == dados.end() || it->tamanho != gravado.tamanho || it->hash != gravado.hash)
      diferentes.push_back(gravado.nome + (it == dados.end() ? " (missing)" : ""));
  }
  for (const ArquivoDeDados& d : dados) {
    if (std::none_of(g.dados.begin(), g.dados.end(), [&](const auto& x) { return x.nome == d.nome; }))
      diferentes.push_back(d.nome + " (not in the recording)");
  }
  if (diferentes.empty()) return "";
  std::string lista;
  for (size_t i = 0; i < diferentes.size() && i < 4; ++i) lista += (i == 0 ? "" : ", ") + diferentes[i];
  if (diferentes.size() > 4) lista += " and " + std::to_string(diferentes.size() - 4) + " more";
  return path + ": recorded with other data than " + data_dir + ": " + lista;
}

void ConferenciaDaGravacao::Comparar(int64_t n) {
  const uint64_t h = estado_.Calcular(n);
  const Registro& r = reproducao_.Quadro(n);
  for (const auto& [nome, hash] : r.campos) gravados_.insert_or_assign(nome, hash);
  if (h == r.hash) return;
  std::string campos;
  for (const auto& [nome, hash] : estado_.Hash().Campos()) {
    const auto it = gravados_.find(nome);
    if (it == gravados_.end() || it->second != hash) campos += (campos.empty() ? "" : ", ") + nome;
  }
  if (campos.empty()) campos = "none by itself (the recorded state hash itself differs)";
  throw DesvioDaGravacao(n, "present " + std::to_string(n) + " (line " + std::to_string(r.linha) +
                                "): the state differs from the recording; fields that differ: " + campos);
}

}  // namespace vartenos::sim
