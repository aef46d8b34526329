// vartenos-assets: builds every data file the game reads from the sources in data/.
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "assets.h"
#include "assets_loudness.h"
#include "audio/synth.h"

namespace {

void Uso() {
  std::fprintf(stderr,
               "usage: vartenos-assets --src DATA_SOURCES --out DATA_DIR [--icons ICON_DIR]\n"
               "       vartenos-assets --src DATA_SOURCES --contact-sheet FILE.png\n"
               "       vartenos-assets --render-midi IN.mid OUT.wav\n"
               "       vartenos-assets --loudness FILE.mid|FILE.wav...\n"
               "       vartenos-assets --mix DATA_DIR\n");
}

// Reads the command line and does what it asks; returns the exit status.
int Rodar(int argc, char** argv) {
  vartenos::assets::Pastas pastas;
  std::string contact;
  std::string icones;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--render-midi" && i + 2 < argc) {
      // Renders a piece through the game's synthesiser and soundfont, for listening.
      std::string error;
      if (!vartenos::RenderizarMidiParaWav(argv[i + 1], argv[i + 2], error)) {
        std::fprintf(stderr, "vartenos-assets: %s\n", error.c_str());
        return 1;
      }
      return 0;
    }
    if (a == "--loudness" && i + 1 < argc) {
      // Loudness, peak and DC offset of each file (and of each MIDI track alone), as the game plays it.
      return vartenos::assets::ImprimirVolumes(std::vector<std::string>(argv + i + 1, argv + argc));
    }
    if (a == "--mix" && i + 1 < argc) {
      // The effects against the phase themes, as the game mixes them, and the limits the mix keeps.
      return vartenos::assets::ImprimirMistura(argv[i + 1]);
    }
    if ((a == "--src" || a == "--out" || a == "--contact-sheet" || a == "--icons") && i + 1 < argc) {
      const std::string v = argv[++i];
      if (a == "--src") pastas.src = v;
      if (a == "--out") pastas.out = v;
      if (a == "--contact-sheet") contact = v;
      if (a == "--icons") icones = v;
    } else {
      Uso();
      return 2;
    }
  }
  if (pastas.src.empty()) pastas.src = VARTENOS_DATA_SOURCES;
  if (pastas.out.empty() && contact.empty()) {
    Uso();
    return 2;
  }
  std::string error;
  if (!contact.empty()) {
    if (!vartenos::assets::EscreverFolhaDeContato(pastas, contact, error)) {
      std::fprintf(stderr, "vartenos-assets: %s\n", error.c_str());
      return 1;
    }
    if (pastas.out.empty()) return 0;
  }
  std::error_code ec;
  std::filesystem::create_directories(pastas.out, ec);
  if (ec) {
    std::fprintf(stderr, "vartenos-assets: %s: cannot create the folder: %s\n", pastas.out.c_str(),
                 ec.message().c_str());
    return 1;
  }
  if (!vartenos::assets::GerarArte(pastas, error) || !vartenos::assets::GerarSons(pastas, error) ||
      !vartenos::assets::GerarMusicas(pastas, error) ||
      !vartenos::assets::GerarIcones(pastas, icones, error)) {
    std::fprintf(stderr, "vartenos-assets: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Rodar(argc, argv);
  } catch (const std::exception& e) {
    // A file that cannot be read or written, or no memory left: the problem named.
    std::fprintf(stderr, "vartenos-assets: %s\n", e.what());
    return 1;
  }
}
