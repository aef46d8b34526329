// The seven sound effects, synthesised from the recipes in data/sound/efeitos.txt.
//
// A recipe is a list of layers, each a tone sweeping between two frequencies, a burst of filtered
// noise, a crackle of random clicks, or a run of notes, with its own envelope, level and place in the
// stereo field. The oscillators are built from their harmonics below the Nyquist frequency, so a sweep
// does not alias and a pulse wave carries no DC. The layers are added, passed through a DC-blocking
// filter, the ends faded (2 ms in, 8 ms out unless the recipe asks for a longer release, so no clip
// starts or stops with a click), and the whole scaled either so its loudest sample sits at -1 dB of
// full scale or to the loudness the recipe names, never past a true peak of -1 dB. Noise comes from a
// fixed-seed generator, so the same recipe always gives the same bytes.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "assets.h"
#include "assets_loudness.h"
#include "audio/wav_file.h"

namespace vartenos::assets {

namespace {

constexpr int kTaxa = 22050;
constexpr double kPico = 0.891;  // -1 dB of full scale

enum class Forma { Seno, Triangulo, Quadrada, Serra, Sino };

struct Camada {
  enum Tipo { Tom, Ruido, Estalos, Notas } tipo = Tom;
  Forma forma = Forma::Seno;
  double inicio = 0, dur = 0, f0 = 0, f1 = 0, ganho = 0, pan = 0;
  double ataque = 0.002;
  std::string queda = "exp";  // exp, lin or sust
  bool curva_lin = false;     // frequency sweep linear instead of exponential
  double vib_taxa = 0, vib_prof = 0, am_taxa = 0, am_prof = 0, duty = 0.5, desafino = 0;
  double corte0 = 0, corte1 = 0, soar = 1.5;
  double solta = 0.005;                          // the release of a sustained level (queda=sust)
  double densidade = 0;                          // clicks a second (estalos)
  std::vector<std::pair<double, double>> notas;  // frequency, slot length
};

struct Receita {
  std::string arquivo;
  double segundos = 0;
  int linha = 0;
  bool com_lufs = false;  // scaled to a loudness instead of to its peak
  double lufs = 0;
  double saida = 0.008;  // the fade-out at the end
  double saturar = 0;    // drive of a soft saturation (tanh) that thickens a peaky sound (0: none)
  std::vector<Camada> camadas;
};

// A small fixed-seed generator (xorshift32): the noise of every build is the same.
struct Xorshift {
  uint32_t s;
  double Proximo() {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return (s / 4294967296.0) * 2.0 - 1.0;
  }
};

// How much of a partial at `hz` is kept: all of it up to 40% of the sampling rate, fading out to none
// at 48%, so partials leave smoothly as a sweep rises instead of folding back down as aliases.
double Banda(double hz) {
  const double r = std::fabs(hz) / kTaxa;
  return r <= 0.40 ? 1.0 : r >= 0.48 ? 0.0 : (0.48 - r) / 0.08;
}

// One sample of a wave at phase `fase` (in cycles) and frequency `hz`, summed from its harmonics
// (Fourier series without the constant term): band-limited and centred on zero.
double Oscilador(Forma f, double fase, double duty, double hz) {
  const double x = fase - std::floor(fase);
  if (f == Forma::Seno) return std::sin(2 * M_PI * x);
  if (f == Forma::Sino) {
    double y = 0;
    for (auto [razao, nivel] : {std::pair{1.0, 1.0}, {2.76, 0.35}, {5.40, 0.15}}) {
      y += nivel * Banda(hz * razao) * std::sin(2 * M_PI * razao * x);
    }
    return y;
  }
  // cos(n w) and sin(n w) by rotating a unit vector: one sine and cosine a sample.
  const double c1 = std::cos(2 * M_PI * x), s1 = std::sin(2 * M_PI * x);
  double c = c1, s = s1, y = 0;
  for (int n = 1;; ++n) {
    const double b = Banda(hz * n);
    if (b <= 0) break;
    double an = 0, bn = 0;  // y += an cos(n w) + bn sin(n w)
    switch (f) {
      case Forma::Quadrada:  // +1 for the first `duty` of the cycle, -1 after
        an = 2 * std::sin(2 * M_PI * n * duty) / (M_PI * n);
        bn = 2 * (1 - std::cos(2 * M_PI * n * duty)) / (M_PI * n);
        break;
      case Forma::Serra:  // rising from -1 to 1
        bn = -2 / (M_PI * n);
        break;
      case Forma::Triangulo:  // -1 at the start of the cycle, +1 at its middle
        an = n % 2 ? -8 / (M_PI * M_PI * n * n) : 0;
        break;
      default:
        break;
    }
    y += b * (an * c + bn * s);
    const double c2 = c * c1 - s * s1;
    s = s * c1 + c * s1;
    c = c2;
  }
  return y;
}

// The level of a layer `t` seconds into its `dur`.
double Envelope(const Camada& c, double t, double dur) {
  if (t < 0 || t >= dur) return 0;
  const double a = std::min(c.ataque, dur * 0.5);
  double e = t < a ? t / a : 1.0;
  const double u = (t - a) / std::max(1e-9, dur - a);  // 0 to 1 after the attack
  if (t >= a) {
    if (c.queda == "exp") {
      e = std::exp(-6.9 * u) * (1 - u);  // -60 dB at the end, reaching zero exactly
    } else if (c.queda == "lin") {
      e = 1 - u;
    } else {  // sust: flat, then its release
      const double r = std::min(c.solta, dur * 0.5);
      e = t > dur - r ? (dur - t) / r : 1.0;
    }
  }
  return e;
}

// Note names: c4 is middle C (261.63 Hz); sharps with '#', flats with 'b'.
bool Frequencia(const std::string& nome, double& hz) {
  static const int kSemitom[] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
  if (nome.size() < 2) return false;
  const char l = static_cast<char>(std::tolower(nome[0]));
  if (l < 'a' || l > 'g') return false;
  int semitom = kSemitom[l - 'a'];
  size_t i = 1;
  if (nome[i] == '#')
    ++semitom, ++i;
  else if (nome[i] == 'b')
    --semitom, ++i;
  if (i >= nome.size() || !std::isdigit(static_cast<unsigned char>(nome[i]))) return false;
  const int oitava = std::stoi(nome.substr(i));
  const int midi = 12 * (oitava + 1) + semitom;
  hz = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
  return true;
}

// The rest of a "som" line: file, seconds and options. Returns the problem, empty when there is none.
std::string LerSom(std::istringstream& ss, Receita& r) {
  if (!(ss >> r.arquivo >> r.segundos) || r.segundos <= 0 || r.segundos > 5) {
    return "expected: som FILE SECONDS (up to 5 s) [lufs=LEVEL] [saida=SECONDS]";
  }
  for (std::string op; ss >> op;) {
    double v = 0;
    if (std::sscanf(op.c_str(), "lufs=%lf", &v) == 1 && v < 0 && v > -60) {
      r.com_lufs = true, r.lufs = v;
    } else if (std::sscanf(op.c_str(), "saida=%lf", &v) == 1 && v >= 0.001 && v < r.segundos / 2) {
      r.saida = v;
    } else if (std::sscanf(op.c_str(), "saturar=%lf", &v) == 1 && v > 0 && v <= 10) {
      r.saturar = v;
    } else {
      return "bad option '" + op + "' (lufs=LEVEL under 0, saida=SECONDS, saturar=DRIVE up to 10)";
    }
  }
  return "";
}

// The fixed fields of a layer line after its command `cmd`, and its wave.
std::string LerCamada(const std::string& cmd, std::istringstream& ss, Camada& c) {
  std::string forma;
  if (cmd == "tom") {
    c.tipo = Camada::Tom;
    if (!(ss >> forma >> c.inicio >> c.dur >> c.f0 >> c.f1 >> c.ganho >> c.pan)) {
      return "expected: tom WAVE START DUR FREQ0 FREQ1 GAIN PAN [options]";
    }
  } else if (cmd == "ruido") {
    c.tipo = Camada::Ruido;
    if (!(ss >> c.inicio >> c.dur >> c.ganho >> c.pan >> c.corte0 >> c.corte1)) {
      return "expected: ruido START DUR GAIN PAN CUTOFF0 CUTOFF1 [options]";
    }
  } else if (cmd == "estalos") {
    c.tipo = Camada::Estalos;
    if (!(ss >> c.inicio >> c.dur >> c.ganho >> c.pan >> c.densidade >> c.corte0) || c.densidade <= 0) {
      return "expected: estalos START DUR GAIN PAN CLICKS_A_SECOND HIGHPASS [options]";
    }
  } else if (cmd == "notas") {
    c.tipo = Camada::Notas;
    if (!(ss >> forma >> c.inicio >> c.ganho >> c.pan)) {
      return "expected: notas WAVE START GAIN PAN NOTE:SECONDS... [options]";
    }
  } else {
    return "unknown command '" + cmd + "' (som, tom, ruido, estalos or notas)";
  }
  if (!forma.empty()) {
    static const std::map<std::string, Forma> kFormas = {{"seno", Forma::Seno},
                                                         {"triangulo", Forma::Triangulo},
                                                         {"quadrada", Forma::Quadrada},
                                                         {"serra", Forma::Serra},
                                                         {"sino", Forma::Sino}};
    const auto it = kFormas.find(forma);
    if (it == kFormas.end()) return "unknown wave '" + forma + "' (seno, triangulo, quadrada, serra, sino)";
    c.forma = it->second;
  }
  return "";
}

// One word after a layer's fixed fields: a note of a run (NOTE:SECONDS) or an option (KEY=VALUE).
std::string LerOpcaoCamada(const std::string& op, Camada& c) {
  const size_t igual = op.find('=');
  if (c.tipo == Camada::Notas && igual == std::string::npos) {
    const size_t dp = op.find(':');
    double hz = 0, s = 0;
    if (dp == std::string::npos || !Frequencia(op.substr(0, dp), hz) ||
        (s = std::atof(op.c_str() + dp + 1)) <= 0) {
      return "bad note '" + op + "' (expected NOTE:SECONDS, e.g. c5:0.1)";
    }
    c.notas.push_back({hz, s});
    return "";
  }
  if (igual == std::string::npos) return "bad option '" + op + "' (expected KEY=VALUE)";
  const std::string k = op.substr(0, igual), v = op.substr(igual + 1);
  double a = 0, b = 0;
  const bool par = std::sscanf(v.c_str(), "%lf,%lf", &a, &b) == 2;
  const bool um = std::sscanf(v.c_str(), "%lf", &a) == 1;
  if (k == "queda" && (v == "exp" || v == "lin" || v == "sust"))
    c.queda = v;
  else if (k == "curva" && (v == "exp" || v == "lin"))
    c.curva_lin = v == "lin";
  else if (k == "vib" && par)
    c.vib_taxa = a, c.vib_prof = b;
  else if (k == "am" && par)
    c.am_taxa = a, c.am_prof = b;
  else if (k == "ataque" && um && a >= 0)
    c.ataque = a;
  else if (k == "duty" && um && a > 0 && a < 1)
    c.duty = a;
  else if (k == "desafino" && um)
    c.desafino = a;
  else if (k == "soar" && um && a > 0)
    c.soar = a;
  else if (k == "solta" && um && a > 0)
    c.solta = a;
  else
    return "bad option '" + op + "'";
  return "";
}

bool LerReceitas(const std::string& path, std::vector<Receita>& out, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = path + ": cannot open";
    return false;
  }
  std::string linha;
  int n = 0;
  auto falha = [&](const std::string& m) {
    error = path + ":" + std::to_string(n) + ": " + m;
    return false;
  };
  while (std::getline(in, linha)) {
    ++n;
    if (const size_t h = linha.find('#'); h != std::string::npos && (h == 0 || linha[h - 1] == ' ')) {
      linha.resize(h);
    }
    std::istringstream ss(linha);
    std::string cmd;
    if (!(ss >> cmd)) continue;
    std::string problema;
    if (cmd == "som") {
      Receita r;
      r.linha = n;
      if (problema = LerSom(ss, r); !problema.empty()) return falha(problema);
      out.push_back(r);
      continue;
    }
    if (out.empty()) return falha("a layer before the first 'som'");
    Camada c;
    if (problema = LerCamada(cmd, ss, c); !problema.empty()) return falha(problema);
    for (std::string op; ss >> op;) {
      if (problema = LerOpcaoCamada(op, c); !problema.empty()) return falha(problema);
    }
    if (c.tipo == Camada::Notas && c.notas.empty()) return falha("a run of notes without notes");
    if (c.tipo != Camada::Notas && c.dur <= 0) return falha("a layer must last longer than 0 s");
    out.back().camadas.push_back(c);
  }
  return true;
}

void Pan(double pan, double& l, double& r) {
  const double a = (std::clamp(pan, -1.0, 1.0) + 1) * M_PI / 4;
  l = std::cos(a) * std::sqrt(2.0);
  r = std::sin(a) * std::sqrt(2.0);
}

// Adds one tone of `dur` seconds at `inicio` to the mix.
void SomarTom(const Camada& c, double inicio, double dur, double f0, double f1, std::vector<double>& mix) {
  double pl, pr;
  Pan(c.pan, pl, pr);
  const int64_t n0 = static_cast<int64_t>(std::llround(inicio * kTaxa));
  const int64_t n = static_cast<int64_t>(dur * kTaxa);
  const int64_t total = static_cast<int64_t>(mix.size() / 2);
  // Left and right may be detuned apart (in cents) for a wider sound.
  const double k = std::pow(2.0, c.desafino / 1200.0 / 2);
  double fase_l = 0, fase_r = 0;
  for (int64_t i = 0; i < n && n0 + i < total; ++i) {
    const double t = static_cast<double>(i) / kTaxa;
    const double u = t / dur;
    double f = c.curva_lin ? f0 + (f1 - f0) * u : f0 * std::pow(f1 / f0, u);
    if (c.vib_taxa > 0) f *= 1 + c.vib_prof * std::sin(2 * M_PI * c.vib_taxa * t);
    double e = Envelope(c, t, dur) * c.ganho;
    if (c.am_taxa > 0) e *= 1 - c.am_prof * 0.5 * (1 - std::cos(2 * M_PI * c.am_taxa * t));
    fase_l += f * k / kTaxa;
    fase_r += f / k / kTaxa;
    mix[2 * (n0 + i)] += e * pl * Oscilador(c.forma, fase_l, c.duty, f * k);
    mix[2 * (n0 + i) + 1] += e * pr * Oscilador(c.forma, fase_r, c.duty, f / k);
  }
}

void SomarRuido(const Camada& c, uint32_t semente, std::vector<double>& mix) {
  double pl, pr;
  Pan(c.pan, pl, pr);
  Xorshift gerador{semente};
  const int64_t n0 = static_cast<int64_t>(std::llround(c.inicio * kTaxa));
  const int64_t n = static_cast<int64_t>(c.dur * kTaxa);
  const int64_t total = static_cast<int64_t>(mix.size() / 2);
  // A two-pole state-variable low-pass, its cut-off gliding from corte0 to corte1; each side has its
  // own noise so the burst fills the stereo field.
  double lp[2] = {0, 0}, bp[2] = {0, 0};
  for (int64_t i = 0; i < n && n0 + i < total; ++i) {
    const double t = static_cast<double>(i) / kTaxa;
    const double corte = c.corte0 * std::pow(c.corte1 / c.corte0, t / c.dur);
    const double f = 2 * std::sin(M_PI * std::min(corte, kTaxa / 6.0) / kTaxa);
    const double e = Envelope(c, t, c.dur) * c.ganho;
    for (int lado = 0; lado < 2; ++lado) {
      const double x = gerador.Proximo();
      lp[lado] += f * bp[lado];
      const double hp = x - lp[lado] - 0.9 * bp[lado];
      bp[lado] += f * hp;
      mix[2 * (n0 + i) + lado] += e * (lado ? pr : pl) * lp[lado];
    }
  }
}

// A crackle: clicks at random moments (on average `densidade` a second), each a spark of noise dying
// within a millisecond or two, of random strength, thinned out as the layer's level falls, and
// high-passed at `corte0` so that they snap rather than thud.
void SomarEstalos(const Camada& c, uint32_t semente, std::vector<double>& mix) {
  double pl, pr;
  Pan(c.pan, pl, pr);
  Xorshift gerador{semente};
  const int64_t n0 = static_cast<int64_t>(std::llround(c.inicio * kTaxa));
  const int64_t n = static_cast<int64_t>(c.dur * kTaxa);
  const int64_t total = static_cast<int64_t>(mix.size() / 2);
  const double queda_faisca = std::exp(-1.0 / (0.0007 * kTaxa));
  const double a = std::exp(-2 * M_PI * c.corte0 / kTaxa);  // one-pole high-pass
  double faisca[2] = {0, 0}, x1[2] = {0, 0}, y1[2] = {0, 0};
  for (int64_t i = 0; i < n && n0 + i < total; ++i) {
    const double t = static_cast<double>(i) / kTaxa;
    const double e = Envelope(c, t, c.dur);
    if ((gerador.Proximo() + 1) / 2 < c.densidade / kTaxa * std::sqrt(e)) {
      const double forca = 0.4 + 0.6 * (gerador.Proximo() + 1) / 2;
      const int lado = gerador.Proximo() < 0 ? 0 : 1;
      faisca[lado] += forca;
      faisca[1 - lado] += forca * 0.5;
    }
    for (int l = 0; l < 2; ++l) {
      const double x = faisca[l] * gerador.Proximo();
      faisca[l] *= queda_faisca;
      const double y = a * (y1[l] + x - x1[l]);
      x1[l] = x, y1[l] = y;
      mix[2 * (n0 + i) + l] += c.ganho * e * (l ? pr : pl) * y;
    }
  }
}

bool Sintetizar(const Receita& r, SomPcm& som, std::string& error) {
  const int64_t quadros = static_cast<int64_t>(r.segundos * kTaxa);
  std::vector<double> mix(static_cast<size_t>(quadros) * 2, 0.0);
  uint32_t semente = 2463534242u;
  for (char ch : r.arquivo) semente = semente * 31 + static_cast<unsigned char>(ch);
  for (const Camada& c : r.camadas) {
    switch (c.tipo) {
      case Camada::Tom:
        SomarTom(c, c.inicio, c.dur, c.f0, c.f1, mix);
        break;
      case Camada::Ruido:
        SomarRuido(c, semente++, mix);
        break;
      case Camada::Estalos:
        SomarEstalos(c, semente++, mix);
        break;
      case Camada::Notas: {
        double t = c.inicio;
        for (const auto& [hz, s] : c.notas) {
          SomarTom(c, t, s * c.soar, hz, hz, mix);
          t += s;
        }
        break;
      }
    }
  }
  if (r.saturar > 0) {
    double cheio = 1e-9;
    for (double x : mix) cheio = std::max(cheio, std::fabs(x));
    const double k = std::tanh(r.saturar);
    for (double& x : mix) x = std::tanh(r.saturar * x / cheio) / k * cheio;
  }
  // No DC: a one-pole high-pass at 20 Hz, well under anything the sounds play.
  const double polo = 1 - 2 * M_PI * 20.0 / kTaxa;
  for (int l = 0; l < 2; ++l) {
    double x1 = 0, y1 = 0;
    for (int64_t i = 0; i < quadros; ++i) {
      const double x = mix[2 * i + l];
      y1 = x - x1 + polo * y1;
      x1 = x;
      mix[2 * i + l] = y1;
    }
  }
  // Fades at both ends, then the level.
  const int64_t entrada = kTaxa * 2 / 1000, saida = static_cast<int64_t>(r.saida * kTaxa);
  double pico = 0;
  for (int64_t i = 0; i < quadros; ++i) {
    double g = 1;
    if (i < entrada) g = static_cast<double>(i) / entrada;
    if (quadros - 1 - i < saida) {
      // A raised-cosine release: long ones fall smoothly, not along a straight line.
      const double u = static_cast<double>(quadros - 1 - i) / saida;
      g = std::min(g, saida > kTaxa / 50 ? 0.5 - 0.5 * std::cos(M_PI * u) : u);
    }
    mix[2 * i] *= g;
    mix[2 * i + 1] *= g;
    pico = std::max({pico, std::fabs(mix[2 * i]), std::fabs(mix[2 * i + 1])});
  }
  if (pico < 1e-6) {
    error = "data/sound: " + r.arquivo + " (line " + std::to_string(r.linha) + ") comes out silent";
    return false;
  }
  // The level: the peak at -1 dB, or the loudness asked for, held under a true peak of -1 dB.
  std::vector<float> f(mix.size());
  for (size_t i = 0; i < mix.size(); ++i) f[i] = static_cast<float>(mix[i] / pico);
  const Medida m = Medir(f.data(), static_cast<size_t>(quadros), kTaxa);
  double ganho = kPico / pico;
  if (r.com_lufs) {
    const double teto = std::pow(10.0, (-1.0 - m.pico_dbtp) / 20.0) / pico;
    ganho = std::min(teto, std::pow(10.0, (r.lufs - m.lufs) / 20.0) / pico);
  } else {
    ganho = std::min(ganho, std::pow(10.0, (-1.0 - m.pico_dbtp) / 20.0) / pico);
  }
  som.taxa = kTaxa;
  som.canais = 2;
  som.amostras.resize(mix.size());
  for (size_t i = 0; i < mix.size(); ++i) {
    som.amostras[i] = static_cast<int16_t>(std::lrint(mix[i] * ganho * 32767.0));
  }
  return true;
}

}  // namespace

bool GerarSons(const Pastas& pastas, std::string& error) {
  std::vector<Receita> receitas;
  if (!LerReceitas(pastas.src + "/sound/efeitos.txt", receitas, error)) return false;
  for (const Receita& r : receitas) {
    SomPcm som;
    if (!Sintetizar(r, som, error)) return false;
    if (!EscreverArquivoWav(pastas.out + "/" + r.arquivo, som, error)) return false;
  }
  return true;
}

}  // namespace vartenos::assets
