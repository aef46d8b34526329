// vartenos-sim: runs the whole program on the headless platform, as fast as the processor allows,
// driven by a script of timed key events, and writes a trace of every present and pictures of
// chosen presents.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/data_dir.h"
#include "display/font_ttf.h"
#include "display/image_files.h"
#include "platform/fatal_error.h"
#include "platform/headless/headless_platform.h"
#include "shell/form1.h"
#include "sim/golden.h"
#include "sim/monkey.h"
#include "sim/pilot.h"
#include "sim/record.h"
#include "sim/referee.h"
#include "sim/replay.h"
#include "sim/trace.h"

namespace vartenos::sim {

namespace {

void Uso(FILE* to) {
  std::fprintf(
      to,
      "usage: vartenos-sim [--data DIR] [--args \"COMMAND LINE\"] [--script FILE] [--until MS]\n"
      "                    [--trace FILE] [--estrelas] [--png N:FILE]... [--stats]\n"
      "                    [--record FILE | --replay FILE] [--monkey SEED | --bot SEED [--skill LEVEL]]\n"
      "                    [--golden FILE]\n"
      "Runs the game headless on a virtual clock. See docs/headless.md.\n");
}

int64_t TempoDeProcessadorUs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

long RssKb() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

void ParaRgb(const Surface& s, ImagemRgb& img) {
  img.Create(s.Width(), s.Height());
  for (int32_t y = 0; y < s.Height(); ++y) {
    for (int32_t x = 0; x < s.Width(); ++x) {
      uint8_t* p = img.At(x, y);
      Rgb888(s.Pixel(x, y), p[0], p[1], p[2]);
    }
  }
}

// What the runner does after each present, step by step in the order given (the trace, the golden
// form, the pictures, the players' next keys), and what each present costs the game.
class Observador : public Presenter {
 public:
  using Passo = std::function<void(int64_t n, const Surface& surface)>;
  void Depois(Passo passo) { passos_.push_back(std::move(passo)); }

  void Presented(const Surface& surface) override {
    // A frame's cost in this thread's processor time: other programs on the machine do not count,
    // nor does the runner's own work after the present.
    const int64_t agora = TempoDeProcessadorUs();
    if (n_ > 0) quadro_mais_longo_us_ = std::max(quadro_mais_longo_us_, agora - anterior_us_);
    for (const Passo& passo : passos_) passo(n_, surface);
    ++n_;
    anterior_us_ = TempoDeProcessadorUs();
  }
  int64_t Presents() const { return n_; }
  int64_t QuadroMaisLongoUs() const { return quadro_mais_longo_us_; }

 private:
  std::vector<Passo> passos_;
  int64_t anterior_us_ = 0;
  int64_t quadro_mais_longo_us_ = 0;
  int64_t n_ = 0;
};

// The trace: one JSON line per present.
Observador::Passo Trace(const Form1& form, const Coletor& coletor, FILE* trace, bool estrelas) {
  return [&form, &coletor, trace, estrelas, linha = std::string()](int64_t n, const Surface&) mutable {
    linha.clear();
    EscreverLinha(linha, n, form, coletor, estrelas);
    linha += '\n';
    std::fwrite(linha.data(), 1, linha.size(), trace);
  };
}

// The pictures of the presents asked for with --png.
Observador::Passo Fotos(std::map<int64_t, std::string> pngs) {
  return [pngs = std::move(pngs)](int64_t n, const Surface& surface) {
    const auto it = pngs.find(n);
    if (it == pngs.end()) return;
    ImagemRgb img;
    ParaRgb(surface, img);
    std::string error;
    if (!EscreverPng(it->second, img, error)) throw FatalError(error);
  };
}

// The resident memory of a long session (--stats), noted as it goes.
struct Memoria {
  long inicio = -1;    // at present 1000
  long ultimo = -1;    // the latest reading, every 10000 presents
  long aquecido = -1;  // at present 20000
  long pico = -1;
  void Medir(int64_t n) {
    if (n == 1000) inicio = RssKb();
    if (n > 1000 && n % 10000 == 0) {
      ultimo = RssKb();
      pico = std::max(pico, ultimo);
      // After ten minutes every screen has been met: what comes later is the steady state.
      if (n == 20000) aquecido = ultimo;
    }
  }
  long Pico() const { return std::max(pico, RssKb()); }
};

// Plays a recording back and checks every present's state; prints the outcome.
int Reproduzir(const std::string& path, const std::string& data_dir, FILE* trace, bool estrelas,
               std::map<int64_t, std::string> pngs) {
  Gravacao g;
  Desfecho d;
  if (const auto recusa = AbrirGravacao(path, data_dir, g)) {
    d = *recusa;
  } else {
    Reproducao reproducao(g, path, data_dir);
    Observador observador;
    if (trace != nullptr) observador.Depois(Trace(reproducao.Jogo(), reproducao.Textos(), trace, estrelas));
    observador.Depois(Fotos(std::move(pngs)));
    reproducao.Seguir(&observador);
    d = reproducao.Tocar();
  }
  switch (d.como) {
    case Desfecho::Desvio:
      std::printf("replayed %lld presents, desync at present %lld\n", static_cast<long long>(d.presents),
                  static_cast<long long>(d.presents));
      break;
    case Desfecho::Tocada:
    case Desfecho::Cortada:
    case Desfecho::Interrompida:
      std::printf("replayed %lld presents, 0 desyncs\n", static_cast<long long>(d.presents));
      break;
    case Desfecho::Recusada:
    case Desfecho::Erro:
      break;
  }
  if (!d.mensagem.empty()) std::fprintf(stderr, "vartenos-sim: %s\n", d.mensagem.c_str());
  return StatusDeSaida(d);
}

struct Opcoes {
  std::string data_dir;
  std::string args;
  std::string script_path;
  std::string trace_path;
  int32_t until = std::numeric_limits<int32_t>::max();
  bool estrelas = false;
  bool stats = false;
  std::string replay_path;
  std::string record_path;
  std::string golden_path;
  long long macaco = -1;         // --monkey SEED
  long long piloto = -1;         // --bot SEED
  std::string habilidade_texto;  // --skill LEVEL
  Habilidade habilidade;
  std::map<int64_t, std::string> pngs;
};

// Reads the command line. Returns -1 to run, or the exit status to end with at once.
int LerOpcoes(int argc, char** argv, Opcoes& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto valor = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "vartenos-sim: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    // The option's value as a whole number from 0 to `max`.
    auto inteiro = [&](long long max, const char* o_que, long long& out) {
      const std::string v = valor();
      char* end = nullptr;
      out = std::strtoll(v.c_str(), &end, 10);
      if (end != v.c_str() && *end == '\0' && out >= 0 && out <= max) return true;
      std::fprintf(stderr, "vartenos-sim: %s: not %s: %s\n", a.c_str(), o_que, v.c_str());
      return false;
    };
    bool certo = true;
    long long ms = 0;
    if (a == "--data") {
      o.data_dir = valor();
    } else if (a == "--args") {
      o.args = valor();
    } else if (a == "--script") {
      o.script_path = valor();
    } else if (a == "--until") {
      certo = inteiro(std::numeric_limits<int32_t>::max(), "a number of milliseconds", ms);
      o.until = static_cast<int32_t>(ms);
    } else if (a == "--trace") {
      o.trace_path = valor();
    } else if (a == "--estrelas") {
      o.estrelas = true;
    } else if (a == "--stats") {
      o.stats = true;
    } else if (a == "--record") {
      o.record_path = valor();
    } else if (a == "--golden") {
      o.golden_path = valor();
    } else if (a == "--replay") {
      o.replay_path = valor();
    } else if (a == "--monkey") {
      certo = inteiro(0xffffffffll, "a seed (0 to 4294967295)", o.macaco);
    } else if (a == "--bot") {
      certo = inteiro(0xffffffffll, "a seed (0 to 4294967295)", o.piloto);
    } else if (a == "--skill") {
      o.habilidade_texto = valor();
      std::string erro;
      if (!LerHabilidade(o.habilidade_texto, o.habilidade, erro)) {
        std::fprintf(stderr, "vartenos-sim: --skill: %s\n", erro.c_str());
        return 2;
      }
    } else if (a == "--png") {
      const std::string v = valor();
      const size_t colon = v.find(':');
      char* end = nullptr;
      const long long n = colon == std::string::npos ? -1 : std::strtoll(v.c_str(), &end, 10);
      if (colon == std::string::npos || end != v.c_str() + colon || n < 0 || colon + 1 == v.size()) {
        std::fprintf(stderr, "vartenos-sim: --png: expected N:FILE, got %s\n", v.c_str());
        return 2;
      }
      o.pngs[n] = v.substr(colon + 1);
    } else if (a == "--help" || a == "-h") {
      Uso(stdout);
      return 0;
    } else {
      std::fprintf(stderr, "vartenos-sim: unknown option %s\n", a.c_str());
      Uso(stderr);
      return 2;
    }
    if (!certo) return 2;
  }
  if (!o.habilidade_texto.empty() && o.piloto < 0) {
    std::fprintf(stderr, "vartenos-sim: --skill is the computer pilot's: give --bot SEED too\n");
    return 2;
  }
  if (o.macaco >= 0 && o.piloto >= 0) {
    std::fprintf(stderr, "vartenos-sim: --monkey and --bot are two players; choose one\n");
    return 2;
  }
  if (!o.replay_path.empty() && (!o.script_path.empty() || o.macaco >= 0 || o.piloto >= 0)) {
    std::fprintf(
        stderr,
        "vartenos-sim: --replay takes its keys from the recording, not --script, --monkey or --bot\n");
    return 2;
  }
  return -1;
}

void ImprimirEstatisticas(const Observador& observador, const Memoria& memoria, HeadlessPlatform& platform,
                          const Macaco* macaco) {
  std::fprintf(stderr, "presents %lld\nclock_ms %d\nrss_kb_at_present_1000 %ld\nrss_kb_late %ld\n",
               static_cast<long long>(observador.Presents()), platform.TickCount(), memoria.inicio,
               memoria.ultimo);
  std::fprintf(stderr, "rss_kb_at_present_20000 %ld\nrss_kb_peak %ld\nlongest_frame_us %lld\n",
               memoria.aquecido, memoria.Pico(), static_cast<long long>(observador.QuadroMaisLongoUs()));
  if (macaco != nullptr)
    std::fprintf(stderr, "games %lld\nhighest_phase %d\n", static_cast<long long>(macaco->Jogos()),
                 macaco->FaseMaxima());
}

// A headless session: scripted keys, the random player or the computer pilot.
int Jogar(Opcoes& o, std::vector<EventoRoteiro> script, FILE* trace) {
  Visao visao;
  if (o.piloto >= 0) {
    std::string error;
    if (!visao.Carregar(o.data_dir, error)) {
      std::fprintf(stderr, "vartenos-sim: %s\n", error.c_str());
      return 1;
    }
  }
  // --golden: the session's golden form, as the golden games of the tests keep it.
  FILE* golden = nullptr;
  if (!o.golden_path.empty() && (golden = std::fopen(o.golden_path.c_str(), "wb")) == nullptr) {
    std::fprintf(stderr, "vartenos-sim: %s: cannot create the golden file: %s\n", o.golden_path.c_str(),
                 std::strerror(errno));
    return 1;
  }
  HeadlessPlatform platform(std::move(script), o.until);
  // --record: the headless session written as the desktop game writes one.
  std::unique_ptr<SessaoGravada> sessao;
  if (!o.record_path.empty())
    sessao = std::make_unique<SessaoGravada>(platform, o.record_path, o.data_dir, o.args);
  Form1 form(sessao ? sessao->Plataforma() : platform, o.data_dir, CriarRasterizador());
  Coletor coletor;
  Observador observador;
  Memoria memoria;
  Macaco macaco(static_cast<uint32_t>(o.macaco));
  Piloto piloto(static_cast<uint32_t>(o.piloto), visao, o.habilidade);
  Placar placar;
  QuadrosDourados dourados(golden);
  if (trace != nullptr) observador.Depois(Trace(form, coletor, trace, o.estrelas));
  if (golden != nullptr)
    observador.Depois([&](int64_t n, const Surface& tela) { dourados.Escrever(n, form, coletor, tela); });
  observador.Depois(Fotos(std::move(o.pngs)));
  if (o.stats) observador.Depois([&memoria](int64_t n, const Surface&) { memoria.Medir(n); });
  if (o.macaco >= 0) observador.Depois([&](int64_t, const Surface&) { macaco.Agir(form, platform); });
  if (o.piloto >= 0) {
    // The computer pilot plays; the referee notes how.
    observador.Depois([&](int64_t, const Surface& tela) {
      placar.Observar(form, platform.TickCount());
      piloto.Agir(tela, coletor, platform);
    });
  }
  observador.Depois([&coletor](int64_t, const Surface&) { coletor.Limpar(); });
  form.Registrar_Texto(&coletor);
  form.Registrar_Audio(&coletor);
  form.Observar_Apresentacao(&observador);
  if (sessao) {
    sessao->Ligar(form, &coletor);
    sessao->Seguir(&observador);
  }
  form.Executar(o.args);
  sessao.reset();
  if (golden != nullptr && std::fclose(golden) != 0) {
    std::fprintf(stderr, "vartenos-sim: %s: cannot write the golden file\n", o.golden_path.c_str());
    return 1;
  }
  if (o.stats) ImprimirEstatisticas(observador, memoria, platform, o.macaco >= 0 ? &macaco : nullptr);
  if (o.piloto >= 0) std::printf("%s\n", placar.Json(static_cast<uint32_t>(o.piloto)).c_str());
  return 0;
}

int Rodar(int argc, char** argv) {
  Opcoes o;
  if (const int status = LerOpcoes(argc, argv, o); status >= 0) return status;
  if (o.data_dir.empty()) {
    std::string tried;
    o.data_dir = EncontrarPastaDados(argv[0], tried);
    if (o.data_dir.empty()) {
      std::fprintf(stderr, "vartenos-sim: cannot find the data directory (tried: %s)\n", tried.c_str());
      return 1;
    }
  }
  std::vector<EventoRoteiro> script;
  if (!o.script_path.empty()) {
    std::string error;
    if (!LerRoteiro(o.script_path, script, error)) {
      std::fprintf(stderr, "vartenos-sim: %s\n", error.c_str());
      return 2;
    }
  }
  FILE* trace = nullptr;
  if (!o.trace_path.empty()) {
    trace = std::fopen(o.trace_path.c_str(), "wb");
    if (trace == nullptr) {
      std::fprintf(stderr, "vartenos-sim: %s: cannot create the trace file: %s\n", o.trace_path.c_str(),
                   std::strerror(errno));
      return 1;
    }
  }
  const int status = o.replay_path.empty()
                         ? Jogar(o, std::move(script), trace)
                         : Reproduzir(o.replay_path, o.data_dir, trace, o.estrelas, std::move(o.pngs));
  if (trace != nullptr && std::fclose(trace) != 0) {
    std::fprintf(stderr, "vartenos-sim: %s: cannot write the trace file\n", o.trace_path.c_str());
    return 1;
  }
  return status;
}

}  // namespace

}  // namespace vartenos::sim

int main(int argc, char** argv) {
  try {
    return vartenos::sim::Rodar(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vartenos-sim: %s\n", e.what());
    return 1;
  }
}
