// Frame cost: runs the menu and games on the headless platform and prints how long the processor takes
// to draw one frame (the budget is the 25 ms of a frame at 40 frames a second).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/data_dir.h"
#include "display/font_ttf.h"
#include "platform/headless/headless_platform.h"
#include "shell/form1.h"

namespace {

using Relogio = std::chrono::steady_clock;

struct Cronometro : vartenos::Presenter {
  vartenos::Form1* form = nullptr;
  Relogio::time_point ultimo = Relogio::now();
  std::vector<double> menu_us, jogo_us;
  void Presented(const vartenos::Surface&) override {
    const auto agora = Relogio::now();
    const double us = std::chrono::duration<double, std::micro>(agora - ultimo).count();
    (std::string(form->Tela_Atual()) == "Main" ? jogo_us : menu_us).push_back(us);
    ultimo = agora;
  }
};

void Relatar(const char* nome, std::vector<double> v) {
  if (v.empty()) return;
  std::sort(v.begin(), v.end());
  double soma = 0;
  for (double x : v) soma += x;
  std::printf(
      "%-6s frames %7zu  mean %7.1f us  p50 %7.1f us  p99 %7.1f us  max %8.1f us  (budget 25000 us)\n", nome,
      v.size(), soma / v.size(), v[v.size() / 2], v[v.size() * 99 / 100], v.back());
}

}  // namespace

int main(int /*argc*/, char** argv) {
  std::string tried;
  const std::string data = vartenos::EncontrarPastaDados(argv[0], tried);
  if (data.empty()) {
    std::fprintf(stderr, "frame_bench: cannot find the data directory (tried: %s)\n", tried.c_str());
    return 1;
  }
  // Ten games of 50 seconds each, with the menu in between.
  std::vector<vartenos::EventoRoteiro> script;
  for (int32_t t = 100; t < 600000; t += 60000) {
    script.push_back({t, vartenos::EventoRoteiro::Press, 32});
    script.push_back({t + 1000, vartenos::EventoRoteiro::Down, 37});
    script.push_back({t + 3000, vartenos::EventoRoteiro::Up, 37});
    script.push_back({t + 50000, vartenos::EventoRoteiro::Press, 27});
  }
  vartenos::HeadlessPlatform platform(script, 600000);
  vartenos::Form1 form(platform, data, vartenos::CriarRasterizador());
  Cronometro c;
  c.form = &form;
  form.Observar_Apresentacao(&c);
  const auto inicio = Relogio::now();
  form.Executar("/sa /sp");
  const double total = std::chrono::duration<double>(Relogio::now() - inicio).count();
  Relatar("menu", c.menu_us);
  Relatar("game", c.jogo_us);
  std::printf("total  %.2f s for %zu frames (%.0f frames per second of processor time)\n", total,
              c.menu_us.size() + c.jogo_us.size(), (c.menu_us.size() + c.jogo_us.size()) / total);
  return 0;
}
