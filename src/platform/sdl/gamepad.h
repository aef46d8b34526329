// Game controllers, mapped onto the keys the game already knows, so the game itself needs no change:
// the D-pad and the left stick are the arrow keys (they steer, and move the menu selection), A is
// Space (fires, chooses the menu item), Start is P (pause), Back and B are Esc. Kept free of any SDL
// call so the tests can check it without a controller.
#pragma once

#include <SDL_gamecontroller.h>

#include <array>
#include <cstdint>

#include "platform/platform.h"
#include "platform/sdl/keymap.h"

namespace vartenos {

// What one controller button does: a key held while the button is (`tecla`, key down and up), and a
// character typed when it goes down (`caractere`). 0 for none.
struct AcaoDoBotao {
  int16_t tecla = 0;
  int16_t caractere = 0;
};

constexpr AcaoDoBotao AcaoDoBotaoDoControle(SDL_GameControllerButton botao) {
  switch (botao) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return {VK_UP, 0};
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return {VK_DOWN, 0};
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return {VK_LEFT, 0};
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return {VK_RIGHT, 0};
    case SDL_CONTROLLER_BUTTON_A:
      return {VK_SPACE, ' '};
    case SDL_CONTROLLER_BUTTON_START:
      return {0, 'P'};
    case SDL_CONTROLLER_BUTTON_BACK:
    case SDL_CONTROLLER_BUTTON_B:
      return {0, VK_ESCAPE};
    default:
      return {};
  }
}

// Turns controller events into key events for the game. A direction held on the D-pad and on the
// stick at once is one key: it goes up when both let go.
class EstadoDoControle {
 public:
  // The stick counts as pushed past this much of its travel, and as back once under the second.
  static constexpr int kEmpurrado = 16384;
  static constexpr int kSolto = 10000;

  // Each returns true when it sent the game anything.
  bool Botao(SDL_GameControllerButton botao, bool apertado, EventSink& sink) {
    const AcaoDoBotao a = AcaoDoBotaoDoControle(botao);
    bool enviou = false;
    if (a.tecla != 0) {
      const int d = Direcao(a.tecla);
      if (d >= 0) {
        enviou = Mudar(d, 0, apertado, sink);
      } else if (apertado != tiro_) {
        tiro_ = apertado;
        if (apertado) {
          sink.KeyDown(a.tecla);
        } else {
          sink.KeyUp(a.tecla);
        }
        enviou = true;
      }
    }
    if (a.caractere != 0 && apertado && !sink.Leaving()) {
      sink.KeyPress(a.caractere);
      enviou = true;
    }
    return enviou;
  }

  bool Eixo(SDL_GameControllerAxis eixo, int valor, EventSink& sink) {
    if (eixo != SDL_CONTROLLER_AXIS_LEFTX && eixo != SDL_CONTROLLER_AXIS_LEFTY) return false;
    const bool horizontal = eixo == SDL_CONTROLLER_AXIS_LEFTX;
    const int menos = Direcao(horizontal ? VK_LEFT : VK_UP);
    const int mais = Direcao(horizontal ? VK_RIGHT : VK_DOWN);
    const bool a = Mudar(menos, 1, Alavanca(alavanca_[menos], -valor), sink);
    const bool b = Mudar(mais, 1, Alavanca(alavanca_[mais], valor), sink);
    return a || b;
  }

  // Every held key goes up (the controller was unplugged).
  bool Soltar(EventSink& sink) {
    bool enviou = false;
    if (tiro_) {
      tiro_ = false;
      sink.KeyUp(VK_SPACE);
      enviou = true;
    }
    for (int d = 0; d < 4; ++d) {
      enviou = Mudar(d, 0, false, sink) || enviou;
      enviou = Mudar(d, 1, false, sink) || enviou;
    }
    return enviou;
  }

 private:
  static constexpr std::array<int16_t, 4> kTeclas = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};
  static constexpr int Direcao(int16_t vk) {
    for (int d = 0; d < 4; ++d) {
      if (kTeclas[d] == vk) return d;
    }
    return -1;
  }
  static bool Alavanca(bool antes, int valor) { return antes ? valor > kSolto : valor >= kEmpurrado; }

  // Source 0 is the D-pad, 1 the stick.
  bool Mudar(int d, int fonte, bool apertado, EventSink& sink) {
    bool& este = fonte == 0 ? dpad_[d] : alavanca_[d];
    const bool antes = dpad_[d] || alavanca_[d];
    este = apertado;
    const bool agora = dpad_[d] || alavanca_[d];
    if (agora && !antes) sink.KeyDown(kTeclas[d]);
    if (!agora && antes) sink.KeyUp(kTeclas[d]);
    return agora != antes;
  }

  bool tiro_ = false;  // A, held
  std::array<bool, 4> dpad_{};
  std::array<bool, 4> alavanca_{};
};

}  // namespace vartenos
