// The desktop platform: an SDL2 window showing the 640 x 480 picture (full screen by default,
// a window with VARTENOS_WINDOWED=1), the keyboard as Windows key codes, the millisecond clock,
// the game's timers fired between frames, a message box and the sound card.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace vartenos {

// The sound card through SDL's audio subsystem: float stereo, the game's mixer in SDL's callback.
class SdlAudio final : public AudioOutput {
 public:
  SdlAudio() = default;
  ~SdlAudio() override;
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  bool Open(int rate, int frames, AudioCallback callback, void* user, int& got_rate,
            std::string& error) override;
  void Lock() override;
  void Unlock() override;
  void Close() override;

 private:
  static void SDLCALL Preencher(void* self, Uint8* stream, int len);

  SDL_AudioDeviceID device_ = 0;
  bool subsystem_ = false;
  AudioCallback callback_ = nullptr;
  void* user_ = nullptr;
  int max_frames_ = 0;
};

class SdlPlatform final : public Platform {
 public:
  SdlPlatform();
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  int32_t TickCount() override;
  void OpenDisplay() override;
  void CloseDisplay() override;
  void Present(const Surface& primary) override;
  void DoEvents(EventSink& sink) override;
  void WaitUntil(int32_t deadline, EventSink& sink) override;
  void WaitAnyEvent(EventSink& sink) override;
  void MessageBox(const std::string& title, const std::string& text) override;
  AudioOutput* Audio() override { return &audio_; }

 private:
  // Hands one SDL event to the game. True when it was a key event or the close request.
  bool Despachar(const SDL_Event& ev, EventSink& sink);
  // Dispatches every pending event; true when one of them was a key event or the close request.
  bool DespacharPendentes(EventSink& sink);
  // Fires the timers that are due now; true when any was.
  bool DispararTimers(EventSink& sink);
  // Draws the last uploaded picture again (after the window was uncovered or resized).
  void Redesenhar();
  // The digit a keypad key would type, when it went down as a cursor key (NumLock off); else 0.
  static char DigitoDoTeclado(SDL_Scancode sc, int16_t vk);

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  bool video_ = false;
  SdlAudio audio_;
  // The code each key reported when it went down, so its key-up matches even if NumLock changed.
  std::array<int16_t, SDL_NUM_SCANCODES> codigo_pressionado_{};
  // The digit to swallow if the next text input is just that digit (see DigitoDoTeclado).
  char digito_calado_ = 0;
};

}  // namespace vartenos
