// Any bytes as a key script of the headless runner: read, written back as text and read again.
#include <vector>

#include "fuzz_target.h"
#include "platform/headless/headless_platform.h"

namespace vartenos::fuzz {

std::string Exercitar_key_script(const uint8_t* data, size_t size) {
  std::vector<EventoRoteiro> eventos;
  std::string error;
  if (!LerRoteiroTexto(std::string(reinterpret_cast<const char*>(data), size), "script.txt", eventos,
                       error)) {
    return error.rfind("script.txt:", 0) == 0 ? "" : "the error does not name the script: " + error;
  }
  static const char* const kTipos[] = {"down", "up", "press"};
  std::string texto;
  for (size_t i = 0; i < eventos.size(); ++i) {
    const EventoRoteiro& e = eventos[i];
    if (e.t < 0 || e.codigo < 0 || e.tipo > EventoRoteiro::Press)
      return "event " + std::to_string(i) + " out of range";
    if (i > 0 && e.t < eventos[i - 1].t) return "events out of time order";
    texto += std::to_string(e.t) + " " + kTipos[e.tipo] + " " + std::to_string(e.codigo) + "\n";
  }
  std::vector<EventoRoteiro> volta;
  if (!LerRoteiroTexto(texto, "script.txt", volta, error)) return "written back and refused: " + error;
  for (size_t i = 0; i < eventos.size(); ++i) {
    if (i >= volta.size() || volta[i].t != eventos[i].t || volta[i].tipo != eventos[i].tipo ||
        volta[i].codigo != eventos[i].codigo) {
      return "written back and read differently at event " + std::to_string(i);
    }
  }
  return volta.size() == eventos.size() ? "" : "written back with a different number of events";
}

}  // namespace vartenos::fuzz

VARTENOS_ALVO_FUZZ(key_script)
