// The yardstick for the pacing benchmark (bench/pacing): a bare SDL program that opens a window the
// way the game does (full screen at the desktop's size, SDL's default renderer), and 40 times a second
// fills a 640 x 480 RGB565 picture, uploads it and presents it scaled, sleeping with SDL_Delay in
// between. It writes the time of every present in the game's VARTENOS_PACING_LOG format and runs
// until it is asked to close (SIGTERM).
#include <SDL.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

long long AgoraNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sdl_baseline LOG\n");
    return 2;
  }
  std::FILE* log = std::fopen(argv[1], "w");
  if (log == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::setvbuf(log, nullptr, _IOLBF, 1 << 16);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "sdl_baseline: %s\n", SDL_GetError());
    return 1;
  }
  SDL_DisplayMode modo{};
  SDL_GetDesktopDisplayMode(0, &modo);
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  SDL_Window* janela = SDL_CreateWindow("baseline", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, modo.w,
                                        modo.h, SDL_WINDOW_FULLSCREEN_DESKTOP);
  SDL_Renderer* r = janela != nullptr ? SDL_CreateRenderer(janela, -1, 0) : nullptr;
  if (r == nullptr) {
    std::fprintf(stderr, "sdl_baseline: %s\n", SDL_GetError());
    return 1;
  }
  SDL_RenderSetLogicalSize(r, 640, 480);
  SDL_Texture* t = SDL_CreateTexture(r, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, 640, 480);
  std::vector<uint16_t> px(640 * 480);
  bool fim = false;
  for (uint32_t quadro = 0; !fim; ++quadro) {
    const Uint32 inicio = SDL_GetTicks();
    for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint16_t>(i + quadro);
    SDL_UpdateTexture(t, nullptr, px.data(), 640 * 2);
    SDL_RenderClear(r);
    SDL_RenderCopy(r, t, nullptr, nullptr);
    SDL_RenderPresent(r);
    std::fprintf(log, "d %lld 0\n", AgoraNs());
    SDL_Event ev;
    while (SDL_PollEvent(&ev) != 0) fim = fim || ev.type == SDL_QUIT;
    const Uint32 passou = SDL_GetTicks() - inicio;
    if (passou < 25) SDL_Delay(25 - passou);
  }
  std::fprintf(log, "x %lld 0\n", AgoraNs());
  std::fclose(log);
  SDL_Quit();
  return 0;
}
