// Frame cost: runs the menu and games on the headless platform and prints how long the processor takes
// to draw one frame (the budget is the 25 ms of a frame at 40 frames a second), and how many heap
// allocations the game frames made.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/data_dir.h"
#include "display/font_ttf.h"
#include "platform/headless/headless_platform.h"
#include "shell/form1.h"
#include "sim/record.h"

namespace {

std::atomic<long> g_alocacoes{0};

}  // namespace

void* operator new(std::size_t n) {
  g_alocacoes.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using Relogio = std::chrono::steady_clock;

struct Cronometro : vartenos::Presenter {
  vartenos::Form1* form = nullptr;
  Relogio::time_point ultimo = Relogio::now();
  long alocacoes_antes = 0;
  bool em_jogo = false;
  long alocacoes_em_jogo = 0;
  long alocacoes_depois = 0;
  std::vector<double> menu_us, jogo_us;
  void Presented(const vartenos::Surface&) override {
    const auto agora = Relogio::now();
    const long alocacoes = g_alocacoes.load();
    const double us = std::chrono::duration<double, std::micro>(agora - ultimo).count();
    const bool jogo = std::string(form->Tela_Atual()) == "Main";
    // Only frames that follow a game frame count: the first frame of a game includes its set-up.
    if (jogo && em_jogo) {
      alocacoes_em_jogo += alocacoes - alocacoes_antes;
      // After the first game every glyph and piece of music has been met once.
      if (jogo_us.size() >= 2000) alocacoes_depois += alocacoes - alocacoes_antes;
    }
    (jogo ? jogo_us : menu_us).push_back(us);
    em_jogo = jogo;
    ultimo = agora;
    alocacoes_antes = g_alocacoes.load();
  }
};

void Relatar(const char* nome, std::vector<double> v) {
  if (v.empty()) return;
  std::sort(v.begin(), v.end());
  double soma = 0;
  for (double x : v) soma += x;
  std::printf(
      "%-8s frames %7zu  mean %7.1f us  p50 %7.1f us  p99 %7.1f us  max %8.1f us  (budget 25000 us)\n", nome,
      v.size(), soma / v.size(), v[v.size() / 2], v[v.size() * 99 / 100], v.back());
}

struct Cenario {
  const char* nome;
  const char* args;
  bool fogo;    // Space held through every game
  bool cheio;   // every table kept full: the worst frame the rules allow
  bool gravar;  // the session recorded as VARTENOS_RECORD does it
};

// Before every game frame, fills every table to its size: 150 enemies, 80 player shots, 51 enemy
// shots, 16 explosions, 3 extras, with the shield, the frame counter and the "Inv: " countdown shown.
struct Enchedor : vartenos::Presenter {
  vartenos::Form1* form = nullptr;
  vartenos::Presenter* seguinte = nullptr;
  void Presented(const vartenos::Surface& s) override {
    seguinte->Presented(s);
    vartenos::Form1& f = *form;
    if (std::string(f.Tela_Atual()) != "Main") return;
    int i = 0;
    for (vartenos::Inimigo& e : f.Inimigos) {
      if (!e.Ativo) {
        e = vartenos::Inimigo{};
        e.Ativo = true;
        e.Padrao = 6;
        e.Parametro = 3;
        e.X = e.X_Origem = 20 + (i * 37) % 560;
        e.Y = 228;
        e.Tipo = static_cast<float>(i % 16);
        e.Atira = 1;
        e.Energia = 1000;
      }
      ++i;
    }
    i = 0;
    for (vartenos::Tiro& t : f.Tiros) {
      if (!t.Ativo) t = vartenos::Tiro{static_cast<float>(10 + (i * 53) % 600), 300, true, 2, 1.0f + i % 5};
      ++i;
    }
    i = 0;
    for (vartenos::Tiro_Inimigo& t : f.Tiros_Inimigos) {
      if (!t.Ativo)
        t = vartenos::Tiro_Inimigo{static_cast<double>(20 + (i * 11) % 600), 100, 0.3, true, false};
      ++i;
    }
    for (vartenos::Explosao& x : f.Explosoes) {
      if (!x.Ativo) x = vartenos::Explosao{100, 100, true, 0};
    }
    for (vartenos::Extra& x : f.Extras) {
      if (!x.Ativo) x = vartenos::Extra{50, 50, true, 1};
    }
    f.Tem_Escudo = true;
    f.Nave_Invencivel = true;
    f.Mostrar_FPS = true;
    f.Tempo_Invencivel = 99;
    f.Timer3.Enabled(true);
  }
};

void Rodar(const std::string& data, const Cenario& c) {
  // Ten games of 50 seconds each, with the menu in between.
  std::vector<vartenos::EventoRoteiro> script;
  for (int32_t t = 100; t < 600000; t += 60000) {
    script.push_back({t, vartenos::EventoRoteiro::Press, 32});
    script.push_back({t + 1000, vartenos::EventoRoteiro::Down, 37});
    script.push_back({t + 3000, vartenos::EventoRoteiro::Up, 37});
    if (c.fogo) {
      // Held Space repeats its key-down; the ship sways so the steerable shots go every way.
      for (int32_t r = t + 200; r < t + 50000; r += 33)
        script.push_back({r, vartenos::EventoRoteiro::Down, 32});
      script.push_back({t + 6000, vartenos::EventoRoteiro::Down, 39});
      script.push_back({t + 9000, vartenos::EventoRoteiro::Up, 39});
    }
    script.push_back({t + 50000, vartenos::EventoRoteiro::Up, 32});
    script.push_back({t + 50000, vartenos::EventoRoteiro::Press, 27});
  }
  std::stable_sort(script.begin(), script.end(), [](const auto& a, const auto& b) { return a.t < b.t; });
  vartenos::HeadlessPlatform platform(script, 600000);
  std::unique_ptr<vartenos::sim::SessaoGravada> sessao;
  const std::string gravacao = "frame_bench.rec";
  if (c.gravar) sessao = std::make_unique<vartenos::sim::SessaoGravada>(platform, gravacao, data, c.args);
  vartenos::Form1 form(sessao ? sessao->Plataforma() : platform, data, vartenos::CriarRasterizador());
  Cronometro cr;
  cr.form = &form;
  Enchedor enchedor;
  enchedor.form = &form;
  enchedor.seguinte = &cr;
  vartenos::Presenter* observador = c.cheio ? static_cast<vartenos::Presenter*>(&enchedor) : &cr;
  form.Observar_Apresentacao(observador);
  if (sessao) {
    sessao->Ligar(form);
    sessao->Seguir(observador);
  }
  const auto inicio = Relogio::now();
  form.Executar(c.args);
  const double total = std::chrono::duration<double>(Relogio::now() - inicio).count();
  std::printf("== %s (%s)\n", c.nome, c.args);
  Relatar("menu", cr.menu_us);
  Relatar("game", cr.jogo_us);
  std::printf("total    %.2f s for %zu frames (%.0f frames per second of processor time)\n", total,
              cr.menu_us.size() + cr.jogo_us.size(), (cr.menu_us.size() + cr.jogo_us.size()) / total);
  std::printf(
      "heap     %ld allocations in %zu game frames, %ld after the first 2,000 (once every glyph and "
      "piece of music has been met)\n",
      cr.alocacoes_em_jogo, cr.jogo_us.size(), cr.alocacoes_depois);
  if (sessao) {
    sessao.reset();
    std::FILE* f = std::fopen(gravacao.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    std::printf("record   %.1f MB written for %zu presents\n", std::ftell(f) / 1e6,
                cr.menu_us.size() + cr.jogo_us.size());
    std::fclose(f);
    std::remove(gravacao.c_str());
  }
}

}  // namespace

int main(int /*argc*/, char** argv) {
  std::string tried;
  const std::string data = vartenos::EncontrarPastaDados(argv[0], tried);
  if (data.empty()) {
    std::fprintf(stderr, "frame_bench: cannot find the data directory (tried: %s)\n", tried.c_str());
    return 1;
  }
  const Cenario cenarios[] = {
      {"menu and games", "/sa /sp", false, false, false},
      {"all five weapons firing, shield held", "/sa /sp /extras", true, false, false},
      {"the worst frame: every table full, shield, every text", "/sa /sp /extras", true, true, false},
      {"the worst frame, recorded (VARTENOS_RECORD)", "/sa /sp /extras", true, true, true},
  };
  for (const Cenario& c : cenarios) Rodar(data, c);
  return 0;
}
