#include "phases/phase_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "phases/phase_table.h"

namespace vartenos::fases {

namespace {

bool Inteiro(float v, float menor, float maior) {
  return std::isfinite(v) && v == std::floor(v) && v >= menor && v <= maior;
}

// The variants each pattern knows (1 for pattern 1, which uses none).
float MaiorParametro(int padrao) {
  constexpr float kMaior[8] = {0, 1, 4, 10, 2, 3, 3, 2};
  return kMaior[padrao];
}

// Seconds added to every lifetime: start times are whole seconds of a clock that ticks on its own
// beat, so two formations can start up to a second closer together than their times say, plus a frame
// or two for the frame a start falls in.
constexpr double kFolgaSegundos = 1.1;
constexpr double kSegundosPorQuadro = 0.025;  // 40 frames a second
// How many distinct ways of unfolding the search follows before it gives up (see docs/phases.md).
constexpr size_t kMaximoMundos = 4096;

struct Formacao_Estimada {
  int64_t quantidade = 0;
  bool fica = false;  // its enemies never leave by themselves
  double vida = 0;    // seconds its enemies may stay, when they leave
};

struct Estimativa {
  explicit Estimativa(const Fase_Formacoes& formacoes) : f(formacoes) {}

  const Fase_Formacoes& f;
  std::array<Formacao_Estimada, 40> est{};
  std::set<std::pair<int, uint64_t>> visitados;
  std::vector<std::pair<int64_t, uint64_t>> pendentes;  // (clock, started entries) after a reset
  std::array<int64_t, 40> pior_no_inicio{};             // most enemies alive when each entry starts
  int64_t pico = 0;
  bool grosseiro = false;

  // One stretch of the phase between two moments the field is empty: the clock stands at `relogio`
  // and the entries of `iniciadas` have started. Formations start when the clock reaches their time;
  // whenever no enemy that stays has come since the stretch began, the field may empty after any
  // start (the enemies may all fly off at once), the clock jumps to 4 s before the entry after the
  // last one started, and a new stretch begins.
  void Trecho(int64_t relogio, uint64_t iniciadas, bool inicio_da_fase) {
    struct Partida {
      int64_t s;
      int indice;
    };
    std::vector<Partida> partidas;
    for (int i = 0; i < 40; ++i) {
      if ((iniciadas >> i) & 1u) continue;
      partidas.push_back({std::max<int64_t>(0, f[i].Inicio - relogio), i});
    }
    std::sort(partidas.begin(), partidas.end(), [](const Partida& a, const Partida& b) {
      return a.s != b.s ? a.s < b.s : a.indice < b.indice;
    });
    // At the very start of a phase the field is empty in the first frame: unless something starts in
    // that frame, the clock is put 4 s before entry 0 at once.
    if (inicio_da_fase && (partidas.empty() || partidas.front().s > 0)) {
      Agendar(-1, iniciadas);
      return;
    }
    int64_t ficam = 0;
    bool pode_esvaziar = true;
    std::vector<Partida> vivas;
    for (size_t g = 0; g < partidas.size();) {
      const int64_t s = partidas[g].s;
      int ultimo = -1;
      size_t h = g;
      for (; h < partidas.size() && partidas[h].s == s; ++h) {
        const int i = partidas[h].indice;
        iniciadas |= uint64_t{1} << i;
        ultimo = i;
        if (est[i].fica) {
          ficam += est[i].quantidade;
          if (est[i].quantidade > 0) pode_esvaziar = false;
        } else {
          vivas.push_back(partidas[h]);
        }
      }
      int64_t vivos = ficam;
      for (const Partida& v : vivas) {
        if (static_cast<double>(s - v.s) < est[v.indice].vida) vivos += est[v.indice].quantidade;
      }
      for (size_t k = g; k < h; ++k) {
        int64_t& pior = pior_no_inicio[partidas[k].indice];
        pior = std::max(pior, vivos);
      }
      pico = std::max(pico, vivos);
      if (pode_esvaziar && ultimo < 39) Agendar(ultimo, iniciadas);
      g = h;
    }
  }

  void Agendar(int ultimo, uint64_t iniciadas) {
    if (!visitados.insert({ultimo, iniciadas}).second) return;
    if (visitados.size() > kMaximoMundos) {
      grosseiro = true;
      return;
    }
    pendentes.push_back({static_cast<int64_t>(f[ultimo + 1].Inicio) - 4, iniciadas});
  }

  void Rodar() {
    for (int i = 0; i < 40; ++i) {
      const int64_t quadros = QuadrosDeVidaMaximos(f[i]);
      est[i].quantidade = std::max<int64_t>(0, f[i].Quantidade);
      est[i].fica = quadros < 0;
      est[i].vida = quadros < 0 ? 0 : static_cast<double>(quadros) * kSegundosPorQuadro + kFolgaSegundos;
    }
    Trecho(0, 0, true);
    while (!pendentes.empty() && !grosseiro) {
      const auto [relogio, iniciadas] = pendentes.back();
      pendentes.pop_back();
      Trecho(relogio, iniciadas, false);
    }
    if (grosseiro) {
      // Too many ways to follow: every enemy of the phase at once is a bound that always holds.
      pico = 0;
      for (const Formacao_Estimada& e : est) pico += e.quantidade;
      pior_no_inicio.fill(0);
    }
  }
};

bool PadraoValido(float padrao) { return Inteiro(padrao, 1, 7); }

}  // namespace

int64_t QuadrosMergulhoMaximos() {
  // A diver moves 1 pixel a frame towards (ship X, 485); its downward share is u / sqrt(dx² + u²) with
  // u = 485 - Y, smallest when the ship is as far to the side as it can be (dx = 640). Starting from
  // the highest spawn (Y = -149), count the frames until Y passes 480 at that slowest share.
  static const int64_t quadros = [] {
    double y = -149;
    int64_t n = 0;
    while (y <= 480) {
      const double u = 485 - y;
      y += u / std::sqrt(640.0 * 640.0 + u * u);
      ++n;
    }
    return n;
  }();
  return quadros;
}

int64_t QuadrosDeVidaMaximos(const Entrada_Formacao& e) {
  if (!PadraoValido(e.Padrao) || e.Quantidade <= 0) return 0;  // no enemy at all
  const auto ultimo = static_cast<double>(e.Quantidade - 1);   // the highest enemy of the formation
  switch (static_cast<int>(e.Padrao)) {
    case 1:  // from Y = -199 at 1 pixel a frame until Y > 480
      return 680;
    case 2:  // the column's top enemy at Y = -24.09·j, 1 pixel a frame
      return static_cast<int64_t>(std::floor(480 + 24.09 * ultimo)) + 1;
    case 4:  // Y above -101·j, 2 pixels a frame (it may leave sooner by the right edge)
      return static_cast<int64_t>(std::floor((480 + 101 * ultimo) / 2)) + 1;
    case 7:
      return e.Parametro == 2 ? QuadrosMergulhoMaximos() : -1;
    default:  // 3, 5 and 6 stay on screen
      return -1;
  }
}

Checagem ChecarFormacoes(const Fase_Formacoes& f) {
  Checagem r;
  const auto falha = [&](int i, const char* campo, float v, const std::string& problema) {
    r.falhas.push_back({i, campo, FormatarFloat(v) + " " + problema});
  };
  for (int i = 0; i < 40; ++i) {
    const Entrada_Formacao& e = f[i];
    if (!PadraoValido(e.Padrao)) {
      falha(i, "Padrao", e.Padrao, "is not a pattern (1..7)");
    } else {
      const int p = static_cast<int>(e.Padrao);
      if (!Inteiro(e.Parametro, 1, MaiorParametro(p))) {
        const std::string faixa =
            p == 1 ? "1, pattern 1 uses none" : "1.." + FormatarFloat(MaiorParametro(p));
        falha(i, "Parametro", e.Parametro,
              "is not a variant of pattern " + std::to_string(p) + " (" + faixa + ")");
      }
    }
    if (!Inteiro(e.Tipo, 0, 15) && e.Tipo != 30)
      falha(i, "Tipo", e.Tipo, "is not an enemy kind (0..15, or 30)");
    if (e.Quantidade < 0) {
      r.falhas.push_back({i, "Quantidade", std::to_string(e.Quantidade) + " is negative"});
    }
    if (e.Atira != 1.0f && e.Atira != 0.0f) falha(i, "Atira", e.Atira, "is neither 1 nor 0");
    if (e.Tem_Extra != -1 && e.Tem_Extra != 0) {
      r.falhas.push_back({i, "Tem_Extra", std::to_string(e.Tem_Extra) + " is neither -1 nor 0"});
    }
    if (e.Invertida != -1 && e.Invertida != 0) {
      r.falhas.push_back({i, "Invertida", std::to_string(e.Invertida) + " is neither -1 nor 0"});
    }
    if (e.Tem_Extra == -1 && !(Inteiro(e.Portador_Extra, 0, std::numeric_limits<float>::max()) &&
                               static_cast<double>(e.Portador_Extra) < static_cast<double>(e.Quantidade))) {
      falha(i, "Portador_Extra", e.Portador_Extra,
            "names no enemy of the formation (a whole number below Quantidade " +
                std::to_string(e.Quantidade) + ")");
    }
    if (!Inteiro(e.Tipo_Extra, 0, 8)) falha(i, "Tipo_Extra", e.Tipo_Extra, "is not a kind of extra (0..8)");
  }

  Estimativa est(f);
  est.Rodar();
  r.pico = est.pico;
  r.pico_grosseiro = est.grosseiro;
  if (est.grosseiro && est.pico > kLimiteInimigos) {
    r.falhas.push_back({-1, "",
                        "the phase unfolds in too many ways to follow; all its " + std::to_string(est.pico) +
                            " enemies together would be more than the 150 the enemy table holds"});
  }
  for (int i = 0; i < 40; ++i) {
    if (est.pior_no_inicio[i] > kLimiteInimigos && est.est[i].quantidade > 0) {
      r.falhas.push_back({i, "Quantidade",
                          "up to " + std::to_string(est.pior_no_inicio[i]) +
                              " enemies may be alive when this formation starts if none is destroyed; the "
                              "enemy table holds 150"});
    }
  }
  std::stable_sort(r.falhas.begin(), r.falhas.end(),
                   [](const Falha& a, const Falha& b) { return a.entrada < b.entrada; });
  return r;
}

Checagem ChecarArquivo(const uint8_t* data, size_t size, const std::string& name) {
  Fase_Formacoes f{};
  std::string error;
  if (!DecodificarFase(data, size, name, f, error)) {
    Checagem r;
    r.falhas.push_back({-1, "", error.substr(name.size() + 2)});
    return r;
  }
  return ChecarFormacoes(f);
}

std::string Descrever(const Falha& f) {
  if (f.entrada < 0) return f.problema;
  return "entry " + std::to_string(f.entrada) + ", " + f.campo + ": " + f.problema;
}

}  // namespace vartenos::fases
