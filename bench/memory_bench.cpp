// Memory over many games: starts and leaves 1,000 games in one run of the headless game (a new game,
// two seconds of play with fire held, Esc, the menu again) and prints the resident memory after the
// 10th and after the 1,000th game. Nothing the game does between games may grow.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/data_dir.h"
#include "display/font_ttf.h"
#include "platform/headless/headless_platform.h"
#include "shell/form1.h"

namespace {

long ResidenteKb() {
  std::ifstream f("/proc/self/status");
  std::string linha;
  while (std::getline(f, linha)) {
    if (linha.rfind("VmRSS:", 0) == 0) return std::stol(linha.substr(6));
  }
  return -1;
}

struct Contador : vartenos::Presenter {
  vartenos::Form1* form = nullptr;
  bool em_jogo = false;
  int jogos = 0;
  long rss10 = 0, rss_fim = 0;
  void Presented(const vartenos::Surface&) override {
    const bool jogo = std::string(form->Tela_Atual()) == "Main";
    if (jogo && !em_jogo) {
      ++jogos;
      if (jogos == 11) rss10 = ResidenteKb();
    }
    em_jogo = jogo;
    rss_fim = ResidenteKb() > 0 && jogos >= 1000 ? ResidenteKb() : rss_fim;
  }
};

}  // namespace

int main(int /*argc*/, char** argv) {
  std::string tried;
  const std::string data = vartenos::EncontrarPastaDados(argv[0], tried);
  if (data.empty()) {
    std::fprintf(stderr, "memory_bench: cannot find the data directory (tried: %s)\n", tried.c_str());
    return 1;
  }
  std::vector<vartenos::EventoRoteiro> script;
  int32_t t = 100;
  for (int jogo = 0; jogo < 1000; ++jogo, t += 3000) {
    script.push_back({t, vartenos::EventoRoteiro::Press, 32});
    script.push_back({t + 100, vartenos::EventoRoteiro::Down, 32});
    script.push_back({t + 2000, vartenos::EventoRoteiro::Up, 32});
    script.push_back({t + 2500, vartenos::EventoRoteiro::Press, 27});
  }
  vartenos::HeadlessPlatform platform(script, t + 1000);
  vartenos::Form1 form(platform, data, vartenos::CriarRasterizador());
  Contador c;
  c.form = &form;
  form.Observar_Apresentacao(&c);
  const auto inicio = std::chrono::steady_clock::now();
  form.Executar("/sa /sp /extras");
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
  std::printf("games %d in %.1f s; resident memory after game 10: %ld kB, after game %d: %ld kB (%+ld kB)\n",
              c.jogos, s, c.rss10, c.jogos, c.rss_fim, c.rss_fim - c.rss10);
  return c.jogos >= 1000 && c.rss_fim <= c.rss10 + 64 ? 0 : 1;
}
