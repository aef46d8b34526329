// The desktop platform: an SDL2 window showing the 640 x 480 picture (full screen or a window, F11 and
// Alt+Enter switch, the choice remembered), the keyboard and game controllers as Windows key codes,
// the millisecond clock, the game's timers fired between frames, a message box and the sound card. In
// a web page also the fingers on the canvas and the page's buttons, as keys too.
#pragma once

#include <SDL.h>

#include <array>
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/gamepad.h"
#include "platform/sdl/scaling.h"
#include "platform/sdl/touch.h"
#include "platform/settings.h"

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
  // A failure the game stops on, shown in a message box (for a game started from a launcher, where
  // nobody reads standard error), with or without a platform. Waits until it is closed; false when
  // there is no display to show it on.
  static bool MostrarFalha(const std::string& title, const std::string& text);

  // The window icon: a 24-bit BMP whose black pixels are transparent. Set before OpenDisplay; a file
  // that cannot be read leaves the window without an icon.
  void DefinirIcone(const std::string& bmp) { icone_ = bmp; }
  // The game's own choice: closing the display is the end of the program (the game ends the process
  // right after restoring the display), so the settings are saved and the process ends at once,
  // without the second or so of tearing down the window, the sound device and the synthesizer.
  void EncerrarAoFecharTela() { encerrar_ = true; }
  // For tests: the window's pixels as 0xRRGGBB, row by row, and the output's size. False without a
  // window.
  bool LerTela(std::vector<uint32_t>& pixels, int& w, int& h);
  // For tests: switches between full screen and a window, as F11 does.
  void AlternarTelaCheia();
  // The page's own buttons (the browser only): the character a button types, delivered with the
  // window's events, between frames.
  static constexpr uint32_t kEventoDaPagina = SDL_USEREVENT;
  // The browser only: presents so far, for the page's measurements (a recording costs time of its own).
  static int Apresentacoes() { return apresentacoes_; }

 private:
  // Hands one SDL event to the game. True when it was a key event or the close request.
  bool Despachar(const SDL_Event& ev, EventSink& sink);
  void JanelaMudou(const SDL_WindowEvent& ev, EventSink& sink);
  // A controller unplugged: closed, and whatever it held released.
  bool FecharControle(SDL_JoystickID id, EventSink& sink);
  // A finger on the page's canvas (the browser only): its place in the picture, to the touch controls.
  bool Dedo(const SDL_TouchFingerEvent& ev, EventSink& sink);
  bool TeclaDesceu(const SDL_KeyboardEvent& ev, EventSink& sink);
  bool TeclaSubiu(const SDL_KeyboardEvent& ev, EventSink& sink);
  // Text input (UTF-8): one key press for every character of the Latin-1 range.
  bool TextoDigitado(const char* texto, EventSink& sink);
  // Dispatches every pending event; true when one of them was a key event or the close request.
  bool DespacharPendentes(EventSink& sink);
  // Fires the timers that are due now; true when any was.
  bool DispararTimers(EventSink& sink);
  // Waits at most `ms` for an event. With a controller plugged in, SDL must read it regularly, so
  // the wait is short sleeps and polls instead of SDL's own one-millisecond polling.
  bool EsperarEvento(SDL_Event& ev, int ms);
  // Uploads the picture if it changed since the last upload, then draws it scaled into the window.
  void Redesenhar();
  // The game's RGB565 pixels as the texture's 0xAARRGGBB.
  static void Converter(const uint16_t* de, uint32_t* para, size_t n);
  bool Oculta() const;
  void AbrirControle(int indice);
  // The scaling mode and the remembered window (full screen or not, its size) for OpenDisplay.
  void LerPreferenciasDaJanela();
  // The window icon from the icon file; black pixels transparent.
  void AplicarIcone();
  void Registrar(char tipo, long valor);
  // The digit a keypad key would type, when it went down as a cursor key (NumLock off); else 0.
  static char DigitoDoTeclado(SDL_Scancode sc, int16_t vk);

  // The millisecond clock is ours, from CLOCK_MONOTONIC, so the moment a millisecond begins is known
  // to the nanosecond and a wait can end exactly then.
  int64_t origem_ns_ = 0;
  static int64_t AgoraNs();
  int64_t InstanteNs(int32_t ms) const { return origem_ns_ + static_cast<int64_t>(ms) * 1000000; }
  // False if a signal woke it first (only when asked to stop for one).
  static bool DormirAteNs(int64_t instante, bool ate_um_sinal = false);

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  bool video_ = false;
  bool controles_ = false;
  bool encerrar_ = false;
  SdlAudio audio_;
  // The code each key reported when it went down, so its key-up matches even if NumLock changed.
  std::array<int16_t, SDL_NUM_SCANCODES> codigo_pressionado_{};
  // Keys the platform kept for itself (F11, Alt+Enter): their key-up is not the game's either.
  std::bitset<SDL_NUM_SCANCODES> engolida_;
  // The digit to swallow if the next text input is just that digit (see DigitoDoTeclado).
  char digito_calado_ = 0;

  // The last picture presented, kept to skip presenting the same picture again.
  std::vector<uint32_t> imagem_;  // in the texture's format
  bool tem_imagem_ = false;
  const Surface* origem_imagem_ = nullptr;  // the surface imagem_ was made from, at this version
  uint64_t versao_imagem_ = 0;
  bool textura_atual_ = false;  // the texture holds imagem_
  bool mostrada_ = false;       // the window shows imagem_ (nothing uncovered or resized it since)

  ModoEscala escala_ = ModoEscala::Automatico;
  Preferencias preferencias_;
  Preferencias gravadas_;
  std::string caminho_preferencias_;
  bool tela_cheia_ = true;
  int64_t mudou_modo_ns_ = 0;  // when full screen was last switched (focus comes and goes then)
  std::string icone_;

  EstadoDoControle controle_;
  EstadoDoToque toque_;
  std::vector<SDL_GameController*> abertos_;

  static inline int apresentacoes_ = 0;

  // VARTENOS_PACING_LOG: one line per present, key-down and close request, for the pacing benchmark.
  std::FILE* registro_ = nullptr;
};

}  // namespace vartenos
