// vartenos-sim: runs the whole program on the headless platform, as fast as the processor allows,
// driven by a script of timed key events, and writes a trace of every present and pictures of
// chosen presents.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
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
#include "sim/trace.h"

namespace vartenos::sim {

namespace {

void Uso(FILE* to) {
  std::fprintf(to,
               "usage: vartenos-sim [--data DIR] [--args \"COMMAND LINE\"] [--script FILE] [--until MS]\n"
               "                    [--trace FILE] [--estrelas] [--png N:FILE]... [--stats]\n"
               "Runs the game headless on a virtual clock. See docs/headless.md.\n");
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

// Writes the trace line and the pictures after each present.
class Observador : public Presenter {
 public:
  Observador(Form1& form, Coletor& coletor, FILE* trace, bool estrelas, std::map<int64_t, std::string> pngs,
             bool stats)
      : form_(form),
        coletor_(coletor),
        trace_(trace),
        estrelas_(estrelas),
        pngs_(std::move(pngs)),
        stats_(stats) {
    linha_.reserve(1 << 16);
  }

  void Presented(const Surface& surface) override {
    if (trace_ != nullptr) {
      linha_.clear();
      EscreverLinha(linha_, n_, form_, coletor_, estrelas_);
      linha_ += '\n';
      std::fwrite(linha_.data(), 1, linha_.size(), trace_);
    }
    coletor_.Limpar();
    if (auto it = pngs_.find(n_); it != pngs_.end()) {
      ImagemRgb img;
      ParaRgb(surface, img);
      std::string error;
      if (!EscreverPng(it->second, img, error)) throw FatalError(error);
    }
    if (stats_ && n_ == 1000) rss_inicio_ = RssKb();
    if (stats_ && n_ > 1000 && n_ % 10000 == 0) rss_ultimo_ = RssKb();
    ++n_;
  }

  int64_t Presents() const { return n_; }
  long RssInicio() const { return rss_inicio_; }
  long RssUltimo() const { return rss_ultimo_; }

 private:
  Form1& form_;
  Coletor& coletor_;
  FILE* trace_;
  bool estrelas_;
  std::map<int64_t, std::string> pngs_;
  bool stats_;
  std::string linha_;
  int64_t n_ = 0;
  long rss_inicio_ = -1;
  long rss_ultimo_ = -1;
};

int Rodar(int argc, char** argv) {
  std::string data_dir;
  std::string args;
  std::string script_path;
  std::string trace_path;
  int32_t until = std::numeric_limits<int32_t>::max();
  bool estrelas = false;
  bool stats = false;
  std::map<int64_t, std::string> pngs;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto valor = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "vartenos-sim: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--data") {
      data_dir = valor();
    } else if (a == "--args") {
      args = valor();
    } else if (a == "--script") {
      script_path = valor();
    } else if (a == "--until") {
      const std::string v = valor();
      char* end = nullptr;
      const long long ms = std::strtoll(v.c_str(), &end, 10);
      if (end == v.c_str() || *end != '\0' || ms < 0 || ms > std::numeric_limits<int32_t>::max()) {
        std::fprintf(stderr, "vartenos-sim: --until: not a number of milliseconds: %s\n", v.c_str());
        return 2;
      }
      until = static_cast<int32_t>(ms);
    } else if (a == "--trace") {
      trace_path = valor();
    } else if (a == "--estrelas") {
      estrelas = true;
    } else if (a == "--stats") {
      stats = true;
    } else if (a == "--png") {
      const std::string v = valor();
      const size_t colon = v.find(':');
      char* end = nullptr;
      const long long n = colon == std::string::npos ? -1 : std::strtoll(v.c_str(), &end, 10);
      if (colon == std::string::npos || end != v.c_str() + colon || n < 0 || colon + 1 == v.size()) {
        std::fprintf(stderr, "vartenos-sim: --png: expected N:FILE, got %s\n", v.c_str());
        return 2;
      }
      pngs[n] = v.substr(colon + 1);
    } else if (a == "--help" || a == "-h") {
      Uso(stdout);
      return 0;
    } else {
      std::fprintf(stderr, "vartenos-sim: unknown option %s\n", a.c_str());
      Uso(stderr);
      return 2;
    }
  }

  if (data_dir.empty()) {
    std::string tried;
    data_dir = EncontrarPastaDados(argv[0], tried);
    if (data_dir.empty()) {
      std::fprintf(stderr, "vartenos-sim: cannot find the data directory (tried: %s)\n", tried.c_str());
      return 1;
    }
  }
  std::vector<EventoRoteiro> script;
  if (!script_path.empty()) {
    std::string error;
    if (!LerRoteiro(script_path, script, error)) {
      std::fprintf(stderr, "vartenos-sim: %s\n", error.c_str());
      return 2;
    }
  }
  FILE* trace = nullptr;
  if (!trace_path.empty()) {
    trace = std::fopen(trace_path.c_str(), "wb");
    if (trace == nullptr) {
      std::fprintf(stderr, "vartenos-sim: %s: cannot create the trace file: %s\n", trace_path.c_str(),
                   std::strerror(errno));
      return 1;
    }
  }

  HeadlessPlatform platform(std::move(script), until);
  Form1 form(platform, data_dir, CriarRasterizador());
  Coletor coletor;
  Observador observador(form, coletor, trace, estrelas, std::move(pngs), stats);
  form.Registrar_Texto(&coletor);
  form.Registrar_Audio(&coletor);
  form.Observar_Apresentacao(&observador);
  form.Executar(args);
  if (trace != nullptr && std::fclose(trace) != 0) {
    std::fprintf(stderr, "vartenos-sim: %s: cannot write the trace file\n", trace_path.c_str());
    return 1;
  }
  if (stats) {
    std::fprintf(stderr, "presents %lld\nclock_ms %d\nrss_kb_at_present_1000 %ld\nrss_kb_late %ld\n",
                 static_cast<long long>(observador.Presents()), platform.TickCount(), observador.RssInicio(),
                 observador.RssUltimo());
  }
  return 0;
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
