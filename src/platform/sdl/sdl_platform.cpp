#include "platform/sdl/sdl_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display/surface.h"
#include "platform/fatal_error.h"
#include "platform/sdl/keymap.h"

namespace vartenos {

namespace {

constexpr const char* kTitulo = "Vartenos v.1.0.16";
constexpr int kLargura = 640;
constexpr int kAltura = 480;

bool VariavelLigada(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' && std::strcmp(v, "0") != 0;
}

[[noreturn]] void SemTela(const std::string& reason) {
  throw FatalError("no display: cannot open a window (" + reason + "); set DISPLAY or run with xvfb-run");
}

}  // namespace

SdlPlatform::SdlPlatform() {
  // The clock and the event queue work without a display; the window comes with OpenDisplay.
  if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) {
    throw FatalError(std::string("cannot start SDL: ") + SDL_GetError());
  }
}

SdlPlatform::~SdlPlatform() {
  CloseDisplay();
  audio_.Close();
  SDL_Quit();
}

int32_t SdlPlatform::TickCount() { return static_cast<int32_t>(SDL_GetTicks()); }

void SdlPlatform::OpenDisplay() {
  if (window_ != nullptr) return;
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  const bool escolhido = asked != nullptr && *asked != '\0';
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!escolhido && (runtime == nullptr || *runtime == '\0')) {
    // No Wayland session can exist without its runtime folder, and probing for one anyway prints a
    // complaint of the Wayland library next to our own message.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,kmsdrm");
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) SemTela(SDL_GetError());
  video_ = true;
  // Without any display SDL quietly falls back to drawing into memory, where nobody would see the
  // game; unless that was asked for by name, it counts as having no display.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!escolhido && driver != nullptr && std::strcmp(driver, "offscreen") == 0) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    video_ = false;
    SemTela("no window system found, only SDL's offscreen driver");
  }

  const bool windowed = VariavelLigada("VARTENOS_WINDOWED");
  // The 640 x 480 picture is scaled to the screen in whole blocks of pixels, with black bars where
  // the shape of the screen differs, so the sprites stay as sharp as on the old display mode.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  const Uint32 flags = windowed ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_FULLSCREEN_DESKTOP;
  int largura = kLargura, altura = kAltura;
  SDL_DisplayMode desktop{};
  if (!windowed && SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
    // Made at the desktop's size from the start, the window covers the screen even where no window
    // manager is there to carry out the full-screen request.
    largura = desktop.w;
    altura = desktop.h;
  }
  window_ = SDL_CreateWindow(kTitulo, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, largura, altura, flags);
  if (window_ == nullptr) {
    const std::string reason = SDL_GetError();
    CloseDisplay();
    SemTela(reason);
  }
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (renderer_ == nullptr) {
    const std::string reason = SDL_GetError();
    CloseDisplay();
    throw FatalError("cannot draw into the window: " + reason);
  }
  SDL_RenderSetLogicalSize(renderer_, kLargura, kAltura);
  texture_ =
      SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, kLargura, kAltura);
  if (texture_ == nullptr) {
    const std::string reason = SDL_GetError();
    CloseDisplay();
    throw FatalError("cannot create the 640 x 480 picture: " + reason);
  }
  // Start black until the game's first picture.
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) == 0) {
    std::memset(pixels, 0, static_cast<size_t>(pitch) * kAltura);
    SDL_UnlockTexture(texture_);
  }
  Redesenhar();
  if (!windowed) SDL_ShowCursor(SDL_DISABLE);
  // Typed characters (the menu's "8" and "2", P, S, M, F) arrive as text input.
  SDL_StartTextInput();
  SDL_RaiseWindow(window_);
}

void SdlPlatform::CloseDisplay() {
  if (video_) SDL_StopTextInput();
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  // Destroying the full-screen window gives the desktop back as it was.
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  texture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
  if (video_) {
    SDL_ShowCursor(SDL_ENABLE);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    video_ = false;
  }
  codigo_pressionado_.fill(0);
}

void SdlPlatform::Present(const Surface& primary) {
  if (texture_ == nullptr || !primary.Valid()) return;
  const SDL_Rect area{0, 0, std::min(primary.Width(), kLargura), std::min(primary.Height(), kAltura)};
  SDL_UpdateTexture(texture_, &area, primary.Pixels(), primary.Width() * static_cast<int>(sizeof(uint16_t)));
  Redesenhar();
}

void SdlPlatform::Redesenhar() {
  if (renderer_ == nullptr || texture_ == nullptr) return;
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
}

bool SdlPlatform::Despachar(const SDL_Event& ev, EventSink& sink) {
  if (ev.type == SDL_KEYUP || ev.type == SDL_QUIT) digito_calado_ = 0;
  switch (ev.type) {
    case SDL_QUIT:
      // The window's close button, or the desktop asking the program to end.
      sink.CloseRequested();
      return true;
    case SDL_WINDOWEVENT:
      if (ev.window.event == SDL_WINDOWEVENT_EXPOSED || ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        Redesenhar();
      }
      return false;
    case SDL_KEYDOWN: {
      const SDL_Scancode sc = ev.key.keysym.scancode;
      if (sc < 0 || sc >= SDL_NUM_SCANCODES) return false;
      int16_t vk = CodigoVirtual(sc, (ev.key.keysym.mod & KMOD_NUM) != 0);
      // A held key repeats the code it went down with.
      if (ev.key.repeat != 0 && codigo_pressionado_[sc] != 0) vk = codigo_pressionado_[sc];
      codigo_pressionado_[sc] = vk;
      // A keypad key working as a cursor key types nothing, even if the window system (which keeps
      // its own NumLock state) sends its digit as text right after.
      digito_calado_ = DigitoDoTeclado(sc, vk);
      bool delivered = false;
      if (vk != 0) {
        sink.KeyDown(vk);
        delivered = true;
      }
      // Escape, Enter, Backspace and Tab type a character but produce no text input.
      const int16_t ch = CaractereDeControle(sc);
      if (ch != 0 && !sink.Leaving()) {
        sink.KeyPress(ch);
        delivered = true;
      }
      return delivered;
    }
    case SDL_KEYUP: {
      const SDL_Scancode sc = ev.key.keysym.scancode;
      if (sc < 0 || sc >= SDL_NUM_SCANCODES) return false;
      int16_t vk = codigo_pressionado_[sc];
      if (vk == 0) vk = CodigoVirtual(sc, (ev.key.keysym.mod & KMOD_NUM) != 0);
      codigo_pressionado_[sc] = 0;
      if (vk == 0) return false;
      sink.KeyUp(vk);
      return true;
    }
    case SDL_TEXTINPUT: {
      // UTF-8 text; the handlers take character codes of the Latin-1 range, one key press each.
      const char calado = digito_calado_;
      digito_calado_ = 0;
      if (calado != 0 && ev.text.text[0] == calado && ev.text.text[1] == '\0') return false;
      bool delivered = false;
      const auto* s = reinterpret_cast<const unsigned char*>(ev.text.text);
      size_t i = 0;
      while (s[i] != 0 && !sink.Leaving()) {
        uint32_t cp = s[i];
        size_t len = 1;
        if (cp >= 0xC0 && cp < 0xE0 && (s[i + 1] & 0xC0) == 0x80) {
          cp = ((cp & 0x1F) << 6) | (s[i + 1] & 0x3F);
          len = 2;
        } else if (cp >= 0x80) {
          // A character beyond Latin-1 (or a stray byte): nothing the game can take.
          while (s[i + len] != 0 && (s[i + len] & 0xC0) == 0x80) ++len;
          cp = 0;
        }
        i += len;
        if (cp != 0 && cp <= 0xFF) {
          sink.KeyPress(static_cast<int16_t>(cp));
          delivered = true;
        }
      }
      return delivered;
    }
    default:
      return false;
  }
}

char SdlPlatform::DigitoDoTeclado(SDL_Scancode sc, int16_t vk) {
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return 0;  // NumLock on: the digit is wanted
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9)
    return static_cast<char>('1' + (sc - SDL_SCANCODE_KP_1));
  if (sc == SDL_SCANCODE_KP_0) return '0';
  return 0;
}

bool SdlPlatform::DespacharPendentes(EventSink& sink) {
  bool any = false;
  SDL_Event ev;
  // Once the game is leaving, later events stay unread: nothing of the game runs after quitting.
  while (!sink.Leaving() && SDL_PollEvent(&ev) != 0) any = Despachar(ev, sink) || any;
  return any;
}

bool SdlPlatform::DispararTimers(EventSink& sink) {
  if (sink.Leaving()) return false;
  const int32_t now = TickCount();
  if (now < sink.NextTimerDue()) return false;
  sink.FireTimers(now);
  return true;
}

void SdlPlatform::DoEvents(EventSink& sink) {
  DespacharPendentes(sink);
  DispararTimers(sink);
}

void SdlPlatform::WaitUntil(int32_t deadline, EventSink& sink) {
  DoEvents(sink);
  // Sleep in the event wait rather than spin: a key or the next timer tick wakes us early.
  while (!sink.Leaving()) {
    const int32_t now = TickCount();
    if (now >= deadline) break;
    const int32_t until = std::min(deadline, sink.NextTimerDue());
    const int wait = static_cast<int>(std::max<int64_t>(1, static_cast<int64_t>(until) - now));
    SDL_Event ev;
    if (SDL_WaitEventTimeout(&ev, wait) != 0) {
      Despachar(ev, sink);
      DespacharPendentes(sink);
    }
    DispararTimers(sink);
  }
}

void SdlPlatform::WaitAnyEvent(EventSink& sink) {
  bool done = DespacharPendentes(sink);
  done = DispararTimers(sink) || done;
  while (!done && !sink.Leaving()) {
    const int32_t due = sink.NextTimerDue();
    int wait = 1000;
    if (due != EventSink::kNever) {
      wait = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(due) - TickCount(), 1, 1000));
    }
    SDL_Event ev;
    if (SDL_WaitEventTimeout(&ev, wait) != 0) {
      done = Despachar(ev, sink);
      done = DespacharPendentes(sink) || done;
    }
    done = DispararTimers(sink) || done;
  }
}

void SdlPlatform::MessageBox(const std::string& title, const std::string& text) {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), window_) != 0) {
    // No display to show it on: the message still reaches whoever started the game.
    std::fprintf(stderr, "message box \"%s\": %s\n", title.c_str(), text.c_str());
  }
}

}  // namespace vartenos
