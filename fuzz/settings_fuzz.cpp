// Any bytes as the desktop settings file: read, written back and read again.
#include "fuzz_target.h"
#include "platform/settings.h"

namespace vartenos::fuzz {

std::string Exercitar_settings(const uint8_t* data, size_t size) {
  std::string aviso;
  const Preferencias p =
      LerPreferenciasTexto(std::string(reinterpret_cast<const char*>(data), size), "settings.conf", aviso);
  if (!aviso.empty() && aviso.rfind("settings.conf: line ", 0) != 0)
    return "the warning does not name the file: " + aviso;
  for (int lado : {p.largura_janela, p.altura_janela}) {
    if (lado < Preferencias::kMinimo || lado > Preferencias::kMaximo)
      return "a window side of " + std::to_string(lado);
  }
  const Preferencias volta = LerPreferenciasTexto(TextoPreferencias(p), "settings.conf", aviso);
  if (!aviso.empty()) return "written back and warned: " + aviso;
  return volta == p ? "" : "written back and read differently";
}

}  // namespace vartenos::fuzz

VARTENOS_ALVO_FUZZ(settings)
