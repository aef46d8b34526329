#include "app/watch_replay.h"

#include <cstdio>
#include <string>

#include "app/data_dir.h"
#include "platform/sdl/sdl_platform.h"
#include "sim/replay.h"

namespace vartenos {

namespace {

// Said on standard error and in a message box: a viewer started from a launcher sees it too.
void Dizer(SdlPlatform* janela, const std::string& texto) {
  std::fprintf(stderr, "vartenos: %s\n", texto.c_str());
  std::fflush(stderr);
  if (janela != nullptr) {
    janela->MessageBox("Vartenos", texto);
  } else {
    SdlPlatform::MostrarFalha("Vartenos", texto);
  }
}

}  // namespace

int AssistirGravacao(const char* path, const char* argv0) {
  std::string tried;
  const std::string data_dir = EncontrarPastaDados(argv0, tried);
  if (data_dir.empty()) {
    Dizer(nullptr, "cannot find the data directory (tried: " + tried + ")");
    return 2;
  }
  Gravacao g;
  if (const auto recusa = sim::AbrirGravacao(path, data_dir, g)) {
    Dizer(nullptr, recusa->mensagem);
    return sim::StatusDeSaida(*recusa);
  }
  SdlPlatform janela;
  janela.DefinirIcone(data_dir + "Icone.bmp");
  sim::Reproducao reproducao(g, path, data_dir, &janela);
  const sim::Desfecho d = reproducao.Tocar();
  switch (d.como) {
    case sim::Desfecho::Tocada:
      std::printf("replayed %lld presents\n", static_cast<long long>(d.presents));
      break;
    case sim::Desfecho::Interrompida:
      std::printf("stopped at present %lld\n", static_cast<long long>(d.presents));
      break;
    case sim::Desfecho::Erro:
      // The window could not open, or the game failed: whatever window there was is gone.
      Dizer(nullptr, d.mensagem);
      break;
    default:
      Dizer(&janela, d.mensagem);
      break;
  }
  return sim::StatusDeSaida(d);
}

}  // namespace vartenos
