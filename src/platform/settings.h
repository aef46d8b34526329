// The desktop settings kept between runs: full screen or window, and the window's size. One small
// text file of "name=value" lines in $XDG_CONFIG_HOME/vartenos/ (by default ~/.config/vartenos/).
// A missing, damaged or unwritable file never stops the game: it plays with the defaults.
#pragma once

#include <cstddef>
#include <string>

namespace vartenos {

struct Preferencias {
  bool tela_cheia = true;
  int largura_janela = 640;
  int altura_janela = 480;

  bool operator==(const Preferencias&) const = default;

  // The smallest and largest window the settings accept.
  static constexpr int kMinimo = 160;
  static constexpr int kMaximo = 16384;
};

// The settings file's path from $XDG_CONFIG_HOME or $HOME; empty when neither is set.
std::string CaminhoPreferencias();

// Reads the file at `caminho`. A missing file gives the defaults silently; a damaged one gives the
// defaults for whatever cannot be read, with "PATH: line N: problem" in `aviso`.
Preferencias LerPreferencias(const std::string& caminho, std::string& aviso);
// The same from the file's text, of which only the first kMaximoPreferencias bytes are read; `caminho`
// names the file in the warning.
Preferencias LerPreferenciasTexto(const std::string& texto, const std::string& caminho, std::string& aviso);
constexpr size_t kMaximoPreferencias = 4096;

// The text of a settings file holding `p`.
std::string TextoPreferencias(const Preferencias& p);

// Writes the file (creating its folder), replacing the old one only once the new one is complete.
// False with "PATH: problem" in `erro`.
bool GravarPreferencias(const std::string& caminho, const Preferencias& p, std::string& erro);

}  // namespace vartenos
