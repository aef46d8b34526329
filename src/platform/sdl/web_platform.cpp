// The SDL platform in a web browser: what differs from the desktop. The page runs the game's screen
// loops as they are, each wait handing the browser its turn (Asyncify unwinds the game's stack and
// winds it back when the browser calls again), so keys, drawing and sound go on while the game waits.
#include <emscripten.h>

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
