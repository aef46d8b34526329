#include "phases/phase_exercise.h"

#include "phases/phase_check.h"
#include "phases/phase_file.h"
#include "phases/phase_table.h"

namespace vartenos::fases {

std::string ExercitarArquivo(const uint8_t* data, size_t size) {
  const Checagem checagem = ChecarArquivo(data, size, "input");
  for (const Falha& f : checagem.falhas) {
    if (Descrever(f).empty()) return "a fault with no description";
  }
  if (checagem.pico < 0) return "a negative estimate of enemies alive";

  Fase_Formacoes lidas{};
  std::string error;
  if (DecodificarFase(data, size, "input", lidas, error)) {
    const std::vector<uint8_t> bytes = CodificarFase(lidas);
    Fase_Formacoes de_novo{};
    if (!DecodificarFase(bytes.data(), bytes.size(), "encoded", de_novo, error)) return error;
    if (CodificarFase(de_novo) != bytes) return "decoding the encoded entries changed them";
    const std::string tabela = ImprimirTabela(lidas);
    Fase_Formacoes compiladas{};
    if (!CompilarTabela(tabela, "printed", compiladas, error))
      return "the printed table does not compile: " + error;
    if (CodificarFase(compiladas) != bytes) return "the printed table compiles to other bytes";
    if (ImprimirTabela(compiladas) != tabela) return "the compiled table prints differently";
  } else if (size >= kTamanhoMinimoFase) {
    return "a file of " + std::to_string(size) + " bytes was refused: " + error;
  }

  // Any text at all given to the table compiler either compiles or is refused with a message.
  Fase_Formacoes tabela{};
  error.clear();
  if (!CompilarTabela(std::string(reinterpret_cast<const char*>(data), size), "input", tabela, error) &&
      error.empty()) {
    return "a table refused without a message";
  }
  return "";
}

}  // namespace vartenos::fases
