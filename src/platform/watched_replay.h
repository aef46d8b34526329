// A recorded session shown in the game's window: the clock readings, keys and sound answers come from
// the recording, while the picture, the sound and the music go to the window's platform, paced to the
// recorded clock in real time. Esc or closing the window stops the showing.
#pragma once

#include <cstdint>

#include "platform/headless/replay_platform.h"
#include "platform/keys.h"
#include "platform/platform.h"

namespace vartenos {

// Thrown when the viewer stops the showing with Esc or by closing the window.
struct ReproducaoInterrompida {};

class PlataformaAssistida : public Platform {
 public:
  PlataformaAssistida(Platform& janela, PlataformaReproducao& gravacao)
      : janela_(janela), gravacao_(gravacao) {}

  int32_t TickCount() override { return gravacao_.TickCount(); }
  int32_t RelogioDoSom() override { return janela_.RelogioDoSom(); }
  bool RespostaDoSom(bool resposta) override { return gravacao_.RespostaDoSom(resposta); }
  void OpenDisplay() override { janela_.OpenDisplay(); }
  void CloseDisplay() override { janela_.CloseDisplay(); }
  void Present(const Surface& primary) override { janela_.Present(primary); }
  void DoEvents(EventSink& sink) override;
  void WaitUntil(int32_t deadline, EventSink& sink) override;
  void WaitAnyEvent(EventSink& sink) override;
  void MessageBox(const std::string& title, const std::string& text) override {
    janela_.MessageBox(title, text);
  }
  AudioOutput* Audio() override { return janela_.Audio(); }

 private:
  // The viewer's own keys and the window's close button.
  class Espectador : public EventSink {
   public:
    void KeyDown(int16_t vk) override { parar = parar || vk == VK_ESCAPE; }
    void KeyUp(int16_t) override {}
    void KeyPress(int16_t ch) override { parar = parar || ch == VK_ESCAPE; }
    void CloseRequested() override { parar = true; }
    int32_t NextTimerDue() const override { return kNever; }
    void FireTimers(int32_t) override {}
    bool Leaving() const override { return parar; }
    bool parar = false;
  };
  // Waits in the window until the real clock reaches the recorded time `gravado`.
  void Acompanhar(int32_t gravado);

  Platform& janela_;
  PlataformaReproducao& gravacao_;
  Espectador espectador_;
  bool iniciado_ = false;
  int32_t real0_ = 0;
  int32_t gravado0_ = 0;
};

}  // namespace vartenos
