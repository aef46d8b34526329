#include "platform/sdl/sdl_platform.h"

#ifndef __EMSCRIPTEN__
#include <sys/prctl.h>
#endif
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display/image_files.h"
#include "display/sprites.h"
#include "display/surface.h"
#include "platform/fatal_error.h"
#include "platform/sdl/keymap.h"

namespace vartenos {

namespace {

constexpr const char* kTitulo = "Vartenos v.1.0.16";
constexpr uint32_t kPreto = 0xFF000000u;  // opaque black in the texture's 0xAARRGGBB
constexpr int64_t kMs = 1000000;

bool VariavelLigada(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' && std::strcmp(v, "0") != 0;
}

[[noreturn]] void SemTela(const std::string& reason) {
  throw FatalError("no display: cannot open a window (" + reason + "); set DISPLAY or run with xvfb-run");
}

}  // namespace

int64_t SdlPlatform::AgoraNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

#ifndef __EMSCRIPTEN__  // the browser's frame wait is in web_platform.cpp
bool SdlPlatform::DormirAteNs(int64_t instante, bool ate_um_sinal) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(instante / 1000000000);
  ts.tv_nsec = static_cast<long>(instante % 1000000000);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    if (ate_um_sinal) return false;
  }
  return true;
}
#endif

#ifndef __EMSCRIPTEN__  // the browser's conversion is in web_platform.cpp
void SdlPlatform::Converter(const uint16_t* de, uint32_t* para, size_t n) { ParaArgb8888(de, para, n); }
#endif

SdlPlatform::SdlPlatform() {
  // The clock and the event queue work without a display; the window comes with OpenDisplay.
  if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) {
    throw FatalError(std::string("cannot start SDL: ") + SDL_GetError());
  }
  origem_ns_ = AgoraNs();
#ifndef __EMSCRIPTEN__
  // The frame wait sleeps to an exact instant: without this, Linux may let a sleep of this thread run
  // up to 50 microseconds long, to gather wake-ups.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
  if (const char* log = std::getenv("VARTENOS_PACING_LOG"); log != nullptr && *log != '\0') {
    registro_ = std::fopen(log, "w");
    if (registro_ != nullptr) std::setvbuf(registro_, nullptr, _IOLBF, 1 << 16);
  }
}

SdlPlatform::~SdlPlatform() {
  // Only the game's own closing ends the process at once; a failure unwinding to main() still has its
  // message to give and its exit status to return.
  encerrar_ = false;
  CloseDisplay();
  audio_.Close();
  SDL_Quit();
  if (registro_ != nullptr) {
    Registrar('x', 0);
    std::fclose(registro_);
  }
}

void SdlPlatform::Registrar(char tipo, long valor) {
  if (registro_ != nullptr)
    std::fprintf(registro_, "%c %lld %ld\n", tipo, static_cast<long long>(AgoraNs()), valor);
}

int32_t SdlPlatform::TickCount() { return static_cast<int32_t>((AgoraNs() - origem_ns_) / kMs); }

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
  // The window's class on X11 and its application id on Wayland, as the launcher names them: docks
  // join the running window to the launcher's icon by them, whatever the executable is called.
  setenv("SDL_VIDEO_X11_WMCLASS", "vartenos", 0);
  setenv("SDL_VIDEO_WAYLAND_WMCLASS", "io.github.vartenos.vartenos", 0);
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
  // Controllers are a bonus: without the subsystem the game is played on the keyboard.
  controles_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;

  LerPreferenciasDaJanela();

  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  const Uint32 flags = SDL_WINDOW_RESIZABLE | (tela_cheia_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  int largura = preferencias_.largura_janela, altura = preferencias_.altura_janela;
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
    if (tela_cheia_) {
      // Made at the desktop's size from the start, the window covers the screen even where no window
      // manager is there to carry out the full-screen request.
      largura = desktop.w;
      altura = desktop.h;
    } else {
      largura = std::min(largura, desktop.w);
      altura = std::min(altura, desktop.h);
    }
  }
  window_ = SDL_CreateWindow(kTitulo, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, largura, altura, flags);
  if (window_ == nullptr) {
    const std::string reason = SDL_GetError();
    CloseDisplay();
    SemTela(reason);
  }
  SDL_SetWindowMinimumSize(window_, Preferencias::kMinimo, Preferencias::kMinimo * 3 / 4);
  AplicarIcone();
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (renderer_ == nullptr) {
    const std::string reason = SDL_GetError();
    CloseDisplay();
    throw FatalError("cannot draw into the window: " + reason);
  }
  // 32-bit pixels, which every renderer takes as they are: a 16-bit texture would be converted by SDL
  // at every upload, more slowly than the game expands its pixels itself.
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, kLarguraTela,
                               kAlturaTela);
  if (texture_ == nullptr) {
    const std::string reason = SDL_GetError();
    CloseDisplay();
    throw FatalError("cannot create the 640 x 480 picture: " + reason);
  }
  // Start black until the game's first picture.
  imagem_.assign(static_cast<size_t>(kLarguraTela) * kAlturaTela, kPreto);
  tem_imagem_ = false;
  textura_atual_ = false;
  mostrada_ = false;
  Redesenhar();
  if (tela_cheia_) SDL_ShowCursor(SDL_DISABLE);
  // Typed characters (the menu's "8" and "2", P, S, M, F) arrive as text input.
  SDL_StartTextInput();
  SDL_RaiseWindow(window_);
  mudou_modo_ns_ = AgoraNs();
}

void SdlPlatform::LerPreferenciasDaJanela() {
  bool valido = true;
  escala_ = LerModoEscala(std::getenv("VARTENOS_SCALE"), valido);
  if (!valido) {
    std::fprintf(stderr,
                 "vartenos: VARTENOS_SCALE=%s is not one of integer, fit, stretch; scaling as usual\n",
                 std::getenv("VARTENOS_SCALE"));
  }
  caminho_preferencias_ = CaminhoPreferencias();
  std::string aviso;
  preferencias_ = LerPreferencias(caminho_preferencias_, aviso);
  if (!aviso.empty()) std::fprintf(stderr, "vartenos: %s\n", aviso.c_str());
  gravadas_ = preferencias_;
  tela_cheia_ = preferencias_.tela_cheia && !VariavelLigada("VARTENOS_WINDOWED");
}

void SdlPlatform::AplicarIcone() {
  if (icone_.empty()) return;
  ImagemRgb img;
  std::string erro;
  if (LerBmp(icone_, img, erro)) {
    SDL_Surface* sup = SDL_CreateRGBSurfaceWithFormat(0, img.width, img.height, 32, SDL_PIXELFORMAT_RGBA32);
    if (sup != nullptr) {
      for (int y = 0; y < img.height; ++y) {
        auto* linha = reinterpret_cast<uint8_t*>(sup->pixels) + static_cast<ptrdiff_t>(y) * sup->pitch;
        for (int x = 0; x < img.width; ++x) {
          const uint8_t* c = img.At(x, y);
          const bool fundo = c[0] == 0 && c[1] == 0 && c[2] == 0;
          linha[4 * x] = c[0];
          linha[4 * x + 1] = c[1];
          linha[4 * x + 2] = c[2];
          linha[4 * x + 3] = fundo ? 0 : 255;
        }
      }
      SDL_SetWindowIcon(window_, sup);
      SDL_FreeSurface(sup);
    }
  }
}

void SdlPlatform::CloseDisplay() {
  if (window_ != nullptr && !(preferencias_ == gravadas_)) {
    std::string erro;
    if (!GravarPreferencias(caminho_preferencias_, preferencias_, erro)) {
      std::fprintf(stderr, "vartenos: cannot save the settings: %s\n", erro.c_str());
    }
    gravadas_ = preferencias_;
  }
  if (encerrar_ && window_ != nullptr) {
    Registrar('x', 0);
    std::fflush(nullptr);
    std::_Exit(0);
  }
  for (SDL_GameController* c : abertos_) SDL_GameControllerClose(c);
  abertos_.clear();
  if (controles_) {
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    controles_ = false;
  }
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
  engolida_.reset();
}

void SdlPlatform::AlternarTelaCheia() {
  if (window_ == nullptr) return;
  tela_cheia_ = !tela_cheia_;
  mudou_modo_ns_ = AgoraNs();
  if (tela_cheia_) {
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_ShowCursor(SDL_DISABLE);
  } else {
    SDL_SetWindowFullscreen(window_, 0);
    // Back to the window as it was last, in the middle of the screen.
    SDL_SetWindowSize(window_, preferencias_.largura_janela, preferencias_.altura_janela);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    SDL_ShowCursor(SDL_ENABLE);
  }
  preferencias_.tela_cheia = tela_cheia_;
  std::string erro;
  if (GravarPreferencias(caminho_preferencias_, preferencias_, erro)) {
    gravadas_ = preferencias_;
  } else {
    std::fprintf(stderr, "vartenos: cannot save the settings: %s\n", erro.c_str());
    gravadas_ = preferencias_;  // said once; not tried again at every switch
  }
  mostrada_ = false;
  Redesenhar();
}

bool SdlPlatform::Oculta() const {
  return window_ == nullptr ||
         (SDL_GetWindowFlags(window_) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) != 0;
}

void SdlPlatform::Present(const Surface& primary) {
  if (texture_ == nullptr || !primary.Valid()) return;
#ifdef __EMSCRIPTEN__
  ++apresentacoes_;
#endif
  // Every drawing moves a surface's version: the same surface at the same version is the same
  // picture, and the menu, the credits and the pause screen then cost next to nothing.
  const bool mudou = !tem_imagem_ || &primary != origem_imagem_ || primary.Versao() != versao_imagem_;
  origem_imagem_ = &primary;
  versao_imagem_ = primary.Versao();
  if (mudou && primary.Width() == kLarguraTela && primary.Height() == kAlturaTela) {
    Converter(primary.Pixels(), imagem_.data(), imagem_.size());
  } else if (mudou) {
    std::fill(imagem_.begin(), imagem_.end(), kPreto);
    const int largura = std::min(primary.Width(), kLarguraTela);
    for (int y = 0; y < std::min(primary.Height(), kAlturaTela); ++y) {
      Converter(primary.Pixels() + static_cast<ptrdiff_t>(y) * primary.Width(),
                &imagem_[static_cast<size_t>(y) * kLarguraTela], static_cast<size_t>(largura));
    }
  }
  tem_imagem_ = true;
  if (mudou) {
    textura_atual_ = false;
    mostrada_ = false;
  }
  Registrar('p', mudou ? 1 : 0);
  // Hidden or minimised, nothing is drawn; the picture is shown when the window comes back.
  if (mostrada_ || Oculta()) return;
  Redesenhar();
}

void SdlPlatform::Redesenhar() {
  if (renderer_ == nullptr || texture_ == nullptr || Oculta()) return;
  if (!textura_atual_) {
    SDL_UpdateTexture(texture_, nullptr, imagem_.data(), kLarguraTela * static_cast<int>(sizeof(uint32_t)));
    textura_atual_ = true;
  }
  int w = 0, h = 0;
  if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0) SDL_GetWindowSize(window_, &w, &h);
  const AreaImagem a = AreaDaImagem(w, h, escala_);
  const SDL_Rect destino{a.x, a.y, a.w, a.h};
#ifndef __EMSCRIPTEN__
  // (A page's canvas starts every frame black already: the browser clears it once it has shown it.)
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
#endif
  SDL_RenderCopy(renderer_, texture_, nullptr, &destino);
  SDL_RenderPresent(renderer_);
  mostrada_ = true;
  Registrar('d', 0);
}

bool SdlPlatform::LerTela(std::vector<uint32_t>& pixels, int& w, int& h) {
  if (renderer_ == nullptr) return false;
  // The picture on the screen now (drawn again first: a presented back buffer is undefined).
  mostrada_ = false;
  Redesenhar();
  if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0) return false;
  pixels.assign(static_cast<size_t>(w) * h, 0);
  const int r = SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(), w * 4);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return r == 0;
}

void SdlPlatform::AbrirControle(int indice) {
  if (!SDL_IsGameController(indice)) return;
  SDL_GameController* c = SDL_GameControllerOpen(indice);
  if (c == nullptr) return;
  // The same device may be reported twice (plugged in while the subsystem started).
  for (SDL_GameController* a : abertos_) {
    if (a == c) {
      SDL_GameControllerClose(c);
      return;
    }
  }
  abertos_.push_back(c);
}

bool SdlPlatform::Despachar(const SDL_Event& ev, EventSink& sink) {
  if (ev.type == SDL_KEYUP || ev.type == SDL_QUIT) digito_calado_ = 0;
  switch (ev.type) {
    case SDL_QUIT:
      // The window's close button, or the desktop asking the program to end.
      Registrar('q', 0);
      sink.CloseRequested();
      return true;
    case SDL_WINDOWEVENT:
      JanelaMudou(ev.window, sink);
      return false;
    case SDL_CONTROLLERDEVICEADDED:
      AbrirControle(ev.cdevice.which);
      return false;
    case SDL_CONTROLLERDEVICEREMOVED:
      return FecharControle(ev.cdevice.which, sink);
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      return controle_.Botao(static_cast<SDL_GameControllerButton>(ev.cbutton.button),
                             ev.type == SDL_CONTROLLERBUTTONDOWN, sink);
    case SDL_CONTROLLERAXISMOTION:
      return controle_.Eixo(static_cast<SDL_GameControllerAxis>(ev.caxis.axis), ev.caxis.value, sink);
    case SDL_KEYDOWN:
      return TeclaDesceu(ev.key, sink);
    case SDL_KEYUP:
      return TeclaSubiu(ev.key, sink);
    case SDL_TEXTINPUT:
      return TextoDigitado(ev.text.text, sink);
#ifdef __EMSCRIPTEN__
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP:
      return Dedo(ev.tfinger, sink);
    case kEventoDaPagina:
      if (sink.Leaving()) return false;
      sink.KeyPress(static_cast<int16_t>(ev.user.code));
      return true;
#endif
    default:
      return false;
  }
}

void SdlPlatform::JanelaMudou(const SDL_WindowEvent& ev, EventSink& sink) {
  switch (ev.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (!tela_cheia_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED) == 0) {
        preferencias_.largura_janela = std::clamp(ev.data1, Preferencias::kMinimo, Preferencias::kMaximo);
        preferencias_.altura_janela = std::clamp(ev.data2, Preferencias::kMinimo, Preferencias::kMaximo);
      }
      mostrada_ = false;
      Redesenhar();
      break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
      mostrada_ = false;
      Redesenhar();
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      // Switching between full screen and a window makes some desktops take the focus away for
      // a moment; that is not the player leaving.
      if (AgoraNs() - mudou_modo_ns_ > 1000 * kMs) sink.FocusLost();
#ifdef __EMSCRIPTEN__
      toque_.Soltar(sink);  // the page may never hear of those fingers again
#endif
      break;
#ifdef __EMSCRIPTEN__
    case SDL_WINDOWEVENT_HIDDEN:
      // A hidden tab (another tab, another app on a phone, the screen locked) is the player gone,
      // whether or not the window lost the focus with it.
      sink.FocusLost();
      toque_.Soltar(sink);
      break;
#endif
    default:
      break;
  }
}

bool SdlPlatform::Dedo(const SDL_TouchFingerEvent& ev, EventSink& sink) {
  // SDL gives the finger's place as a fraction of the canvas; the picture is the part of it that
  // Redesenhar draws into.
  int w = 0, h = 0;
  if (renderer_ == nullptr || SDL_GetRendererOutputSize(renderer_, &w, &h) != 0) return false;
  const AreaImagem a = AreaDaImagem(w, h, escala_);
  if (a.w <= 0 || a.h <= 0) return false;
  const double x = (ev.x * w - a.x) * kLarguraTela / a.w;
  const double y = (ev.y * h - a.y) * kAlturaTela / a.h;
  const auto id = static_cast<int64_t>(ev.fingerId);
  if (ev.type == SDL_FINGERDOWN) return toque_.Desceu(id, x, y, sink);
  if (ev.type == SDL_FINGERMOTION) return toque_.Moveu(id, x, y, sink);
  return toque_.Subiu(id, x, y, sink);
}

bool SdlPlatform::FecharControle(SDL_JoystickID id, EventSink& sink) {
  for (auto it = abertos_.begin(); it != abertos_.end(); ++it) {
    if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(*it)) == id) {
      SDL_GameControllerClose(*it);
      abertos_.erase(it);
      return controle_.Soltar(sink);
    }
  }
  return false;
}

bool SdlPlatform::TeclaDesceu(const SDL_KeyboardEvent& ev, EventSink& sink) {
  const SDL_Scancode sc = ev.keysym.scancode;
  if (sc < 0 || sc >= SDL_NUM_SCANCODES) return false;
#ifndef __EMSCRIPTEN__
  // In a web page the page itself switches full screen on F11 and Alt+Enter, and they never reach
  // the game: a browser grants full screen only while it runs the key's own handler, and the key
  // reaches this queue after that handler has returned.
  const bool enter = sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER;
  if (sc == SDL_SCANCODE_F11 || (enter && (ev.keysym.mod & KMOD_ALT) != 0)) {
    // F11 and Alt+Enter belong to the window: full screen or not. The game sees neither.
    if (ev.repeat == 0) AlternarTelaCheia();
    engolida_.set(sc);
    return false;
  }
#endif
  if (ev.repeat == 0) Registrar('k', CodigoVirtual(sc, (ev.keysym.mod & KMOD_NUM) != 0));
  int16_t vk = CodigoVirtual(sc, (ev.keysym.mod & KMOD_NUM) != 0);
  // A held key repeats the code it went down with.
  if (ev.repeat != 0 && codigo_pressionado_[sc] != 0) vk = codigo_pressionado_[sc];
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

bool SdlPlatform::TeclaSubiu(const SDL_KeyboardEvent& ev, EventSink& sink) {
  const SDL_Scancode sc = ev.keysym.scancode;
  if (sc < 0 || sc >= SDL_NUM_SCANCODES) return false;
  if (engolida_.test(sc)) {
    engolida_.reset(sc);
    return false;
  }
  int16_t vk = codigo_pressionado_[sc];
  if (vk == 0) vk = CodigoVirtual(sc, (ev.keysym.mod & KMOD_NUM) != 0);
  codigo_pressionado_[sc] = 0;
  if (vk == 0) return false;
  sink.KeyUp(vk);
  return true;
}

bool SdlPlatform::TextoDigitado(const char* texto, EventSink& sink) {
  // UTF-8 text; the handlers take character codes of the Latin-1 range, one key press each.
  const char calado = digito_calado_;
  digito_calado_ = 0;
  if (calado != 0 && texto[0] == calado && texto[1] == '\0') return false;
  bool delivered = false;
  const auto* s = reinterpret_cast<const unsigned char*>(texto);
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
  // A finger held on the ship steers it frame after frame.
  if (toque_.Ativo() && !sink.Leaving()) any = toque_.Seguir(sink) || any;
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

bool SdlPlatform::EsperarEvento(SDL_Event& ev, int ms) {
  if (abertos_.empty()) return SDL_WaitEventTimeout(&ev, ms) != 0;
  const int64_t fim = AgoraNs() + ms * kMs;
  for (;;) {
    if (SDL_PollEvent(&ev) != 0) return true;
    const int64_t agora = AgoraNs();
    if (agora >= fim) return false;
    DormirAteNs(std::min(fim, agora + 4 * kMs));
  }
}

void SdlPlatform::WaitUntil(int32_t deadline, EventSink& sink) {
  // Sleep, not spin, to the exact instant the clock reaches the deadline, waking on the way only for
  // the timers' ticks. The window system is read at the end (and before a tick): the game reads its
  // keys when the next frame starts, so a key seen earlier in the wait would change nothing sooner,
  // and a look at every wake-up costs a round of system calls for nothing. Events already in SDL's
  // queue go first: looking there costs no system call.
  if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) DespacharPendentes(sink);
  while (!sink.Leaving()) {
    const int64_t agora = AgoraNs();
    const int32_t now = static_cast<int32_t>((agora - origem_ns_) / kMs);
    if (now >= deadline) break;
    const int32_t alvo = std::min(deadline, sink.NextTimerDue());
    if (now < alvo) {
      // A signal (the desktop asking the program to end) cuts the sleep short and is read at once.
      if (!DormirAteNs(InstanteNs(alvo), true)) DespacharPendentes(sink);
      continue;
    }
    // A timer is due: whatever came in before its tick is handled first.
    DespacharPendentes(sink);
    DispararTimers(sink);
  }
  DoEvents(sink);
}

void SdlPlatform::WaitAnyEvent(EventSink& sink) {
  bool done = DespacharPendentes(sink);
  done = DispararTimers(sink) || done;
  while (!done && !sink.Leaving()) {
    const int32_t due = sink.NextTimerDue();
    int wait = 1000;
    if (due != EventSink::kNever) {
      wait = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(due) - TickCount(), 0, 1000));
    }
    SDL_Event ev;
    if (wait > 0 && EsperarEvento(ev, wait)) {
      done = Despachar(ev, sink);
      done = DespacharPendentes(sink) || done;
    } else if (due != EventSink::kNever) {
      // Within the last millisecond before a tick: sleep to its exact instant.
      DormirAteNs(InstanteNs(due));
    }
    done = DispararTimers(sink) || done;
  }
}

bool SdlPlatform::MostrarFalha(const std::string& title, const std::string& text) {
  // SDL shows a simple message box with or without SDL_Init, on its own connection to the display.
  return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), nullptr) == 0;
}

void SdlPlatform::MessageBox(const std::string& title, const std::string& text) {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), window_) != 0) {
    // No display to show it on: the message still reaches whoever started the game.
    std::fprintf(stderr, "message box \"%s\": %s\n", title.c_str(), text.c_str());
  }
}

}  // namespace vartenos
