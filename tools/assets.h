// The asset tool's parts: each writes its files into the data directory from the sources in data/.
#pragma once

#include <string>

namespace vartenos::assets {

struct Pastas {
  std::string src;  // the repository's data/ folder
  std::string out;  // the data directory being built
};

// The fifteen sprite sheets (BMP). Returns false with the reason in `error`.
bool GerarArte(const Pastas& pastas, std::string& error);
// All sheets magnified on one review picture.
bool EscreverFolhaDeContato(const Pastas& pastas, const std::string& png_path, std::string& error);
// The seven WAV sound effects.
bool GerarSons(const Pastas& pastas, std::string& error);
// The seven MIDI files.
bool GerarMusicas(const Pastas& pastas, std::string& error);
// The game's icon from the ship built into `pastas.out`: Icone.bmp there (the window icon) and, when
// `pasta_icones` is not empty, hicolor/NxN/apps/vartenos.png under it (the desktop's icons).
bool GerarIcones(const Pastas& pastas, const std::string& pasta_icones, std::string& error);

}  // namespace vartenos::assets
