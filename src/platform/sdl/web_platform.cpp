// The SDL platform in a web browser: what differs from the desktop. The page runs the game's screen
// loops as they are, each wait handing the browser its turn (Asyncify unwinds the game's stack and
// winds it back when the browser calls again), so keys, drawing and sound go on while the game waits.
#include <emscripten.h>

#include <vector>

#include "display/surface.h"
#include "platform/sdl/sdl_platform.h"

namespace vartenos {

bool SdlPlatform::DormirAteNs(int64_t instante, bool ate_um_sinal) {
  (void)ate_um_sinal;  // no signals reach a page
  // The browser wakes a page at whole milliseconds, a little late: the wait sleeps the whole
  // milliseconds left and waits out the last fraction of one without sleeping, so it ends at the
  // instant. A frame that waits until its deadline (not for a fixed time after presenting, which itself
  // yields for a few milliseconds) keeps 40 frames a second.
  constexpr int64_t kMs = 1000000;
  for (;;) {
    const int64_t falta = instante - AgoraNs();
    if (falta <= 0) return true;
    if (falta >= kMs) {
      emscripten_sleep(static_cast<unsigned>(falta / kMs));
    } else {
      while (AgoraNs() < instante) {
      }
      return true;
    }
  }
}

// Without the vector instructions a desktop uses, converting each pixel's colour is most of the work
// of a present in the browser: a table of every RGB565 colour's 0xAARRGGBB (256 kB, made once by the
// game's own conversion) does it in a look-up. A picture has few colours, so the few entries in use
// stay in the processor's cache.
void SdlPlatform::Converter(const uint16_t* de, uint32_t* para, size_t n) {
  static const std::vector<uint32_t> tabela = [] {
    std::vector<uint16_t> cores(65536);
    for (size_t c = 0; c < cores.size(); ++c) cores[c] = static_cast<uint16_t>(c);
    std::vector<uint32_t> t(cores.size());
    ParaArgb8888(cores.data(), t.data(), cores.size());
    return t;
  }();
  const uint32_t* cor = tabela.data();
  for (size_t i = 0; i < n; ++i) para[i] = cor[de[i]];
}

}  // namespace vartenos

// The page's "Pausa" and "Voltar" buttons call this with the character they type (P, Esc): it waits in
// SDL's queue with the window's events, so the game gets it between frames, as it gets a key.
extern "C" EMSCRIPTEN_KEEPALIVE void vartenos_botao_da_pagina(int caractere) {
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
  SDL_Event ev{};
  ev.type = vartenos::SdlPlatform::kEventoDaPagina;
  ev.user.code = caractere;
  SDL_PushEvent(&ev);
}

// The page's measurements count presents with this (window.vartenosPresents()).
extern "C" EMSCRIPTEN_KEEPALIVE int vartenos_apresentacoes() {
  return vartenos::SdlPlatform::Apresentacoes();
}
