// Any bytes as a session recording: read as `vartenos-sim --replay` reads one. A refused file names
// its line; an accepted one holds records in line order, each in its range.
#include "fuzz_target.h"
#include "platform/recording.h"

namespace vartenos::fuzz {

std::string Exercitar_recording(const uint8_t* data, size_t size) {
  Gravacao g;
  std::string error;
  if (!LerGravacaoTexto(std::string_view(reinterpret_cast<const char*>(data), size), "rec", g, error))
    return error.rfind("rec:", 0) == 0 ? "" : "the error does not name the recording and line: " + error;
  if (g.versao != kVersaoGravacao) return "accepted version " + std::to_string(g.versao);
  int linha = 0;
  for (const Registro& r : g.registros) {
    if (r.linha <= linha) return "records out of line order at line " + std::to_string(r.linha);
    linha = r.linha;
    if (r.tipo == Registro::Tecla &&
        (r.codigo < 0 || r.codigo > 32767 || (r.tecla != 'd' && r.tecla != 'u' && r.tecla != 'p')))
      return "a key record out of range at line " + std::to_string(r.linha);
    if ((r.tipo == Registro::Quadro || r.tipo == Registro::Fim) && r.quadro < 0)
      return "a negative present at line " + std::to_string(r.linha);
    for (const auto& [nome, hash] : r.campos)
      if (nome.empty()) return "a field without a name at line " + std::to_string(r.linha);
  }
  if (g.completa != (!g.registros.empty() && g.registros.back().tipo == Registro::Fim))
    return "complete without ending in its end line";
  return "";
}

}  // namespace vartenos::fuzz

VARTENOS_ALVO_FUZZ(recording)
