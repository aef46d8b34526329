// The loudness meter behind "vartenos-assets --loudness": K-weighting and gating as in ITU-R BS.1770
// (400 ms blocks every 100 ms, an absolute gate at -70 LUFS and a relative one 10 LU under the mean of
// the blocks above it), the peak on a signal oversampled four times with a windowed sinc, and the DC
// offset as the mean sample. MIDI files are played through the game's own synthesizer and soundfont at
// the gain the game gives them, so the figures are those of the game's output.
#include "assets_loudness.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include "audio/midi_file.h"
#include "audio/music.h"
#include "audio/sound.h"
#include "audio/synth.h"
#include "audio/wav_file.h"
#include "platform/byte_files.h"

namespace vartenos::assets {

namespace {

// A biquad in direct form I.
struct Biquad {
  double b0, b1, b2, a1, a2;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  double operator()(double x) {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1, x1 = x, y2 = y1, y1 = y;
    return y;
  }
};

// The two K-weighting stages (a high shelf of +4 dB above ~1.7 kHz and a high-pass near 38 Hz), their
// coefficients derived for any rate from the analogue prototypes.
std::pair<Biquad, Biquad> PonderacaoK(int taxa) {
  const double fs = taxa;
  Biquad prateleira{}, passa_altas{};
  {
    const double f0 = 1681.974450955533, g = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(M_PI * f0 / fs);
    const double vh = std::pow(10.0, g / 20.0), vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    prateleira.b0 = (vh + vb * k / q + k * k) / a0;
    prateleira.b1 = 2.0 * (k * k - vh) / a0;
    prateleira.b2 = (vh - vb * k / q + k * k) / a0;
    prateleira.a1 = 2.0 * (k * k - 1.0) / a0;
    prateleira.a2 = (1.0 - k / q + k * k) / a0;
  }
  {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(M_PI * f0 / fs);
    const double a0 = 1.0 + k / q + k * k;
    passa_altas.b0 = 1.0, passa_altas.b1 = -2.0, passa_altas.b2 = 1.0;
    passa_altas.a1 = 2.0 * (k * k - 1.0) / a0;
    passa_altas.a2 = (1.0 - k / q + k * k) / a0;
  }
  return {prateleira, passa_altas};
}

double Lufs(double potencia) { return -0.691 + 10.0 * std::log10(std::max(potencia, 1e-30)); }

// The K-weighted power of every frame, both channels summed.
std::vector<double> PotenciaK(const float* x, size_t quadros, int taxa) {
  std::vector<double> k2(quadros);
  for (int c = 0; c < 2; ++c) {
    auto [a, b] = PonderacaoK(taxa);
    for (size_t i = 0; i < quadros; ++i) {
      const double y = b(a(x[2 * i + c]));
      k2[i] += y * y;
    }
  }
  return k2;
}

double Integrada(const float* x, size_t quadros, int taxa) {
  const std::vector<double> k2 = PotenciaK(x, quadros, taxa);
  const size_t bloco = std::min(quadros, static_cast<size_t>(taxa) * 4 / 10);
  const size_t passo = std::max<size_t>(1, bloco / 4);
  if (bloco == 0) return -70;
  std::vector<double> blocos;
  for (size_t ini = 0; ini + bloco <= quadros; ini += passo) {
    double s = 0;
    for (size_t i = ini; i < ini + bloco; ++i) s += k2[i];
    blocos.push_back(s / static_cast<double>(bloco));
  }
  auto media_acima = [&](double limiar) {
    double s = 0;
    size_t n = 0;
    for (double z : blocos) {
      if (Lufs(z) > limiar) s += z, ++n;
    }
    return n ? s / static_cast<double>(n) : -1.0;
  };
  const double absoluta = media_acima(-70.0);
  if (absoluta < 0) return -70;
  const double relativa = media_acima(Lufs(absoluta) - 10.0);
  return relativa < 0 ? -70 : Lufs(relativa);
}

// The highest absolute value of the signal sampled four times as often (windowed-sinc interpolation,
// 16 taps either side), which finds the peaks that fall between samples.
double PicoVerdadeiro(const float* x, size_t quadros) {
  constexpr int kFase = 4, kLado = 16;
  double h[kFase][2 * kLado];
  for (int p = 0; p < kFase; ++p) {
    for (int k = 0; k < 2 * kLado; ++k) {
      const double t = (k - kLado + 1) - static_cast<double>(p) / kFase;  // tap k holds x[n + k - kLado + 1]
      const double sinc = t == 0 ? 1.0 : std::sin(M_PI * t) / (M_PI * t);
      const double w = 0.5 * (1.0 + std::cos(M_PI * t / kLado));
      h[p][k] = sinc * w;
    }
  }
  double pico = 0;
  const int64_t n = static_cast<int64_t>(quadros);
  for (int c = 0; c < 2; ++c) {
    for (int64_t i = 0; i < n; ++i) {
      const double a = std::fabs(x[2 * i + c]);
      pico = std::max(pico, a);
      // Between samples only where the signal is near its peak: elsewhere no interpolated value can
      // reach it (an oversampled value exceeds its neighbours by far less than 6 dB in practice).
      if (a < 0.5 * pico && std::fabs(x[2 * std::min(i + 1, n - 1) + c]) < 0.5 * pico) continue;
      for (int p = 1; p < kFase; ++p) {
        double y = 0;
        for (int k = 0; k < 2 * kLado; ++k) {
          const int64_t j = i + k - kLado + 1;
          if (j >= 0 && j < n) y += h[p][k] * x[2 * j + c];
        }
        pico = std::max(pico, std::fabs(y));
      }
    }
  }
  return pico;
}

std::string Minusculas(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

uint32_t Be32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// Walks the events of one track: its name and whether it plays notes.
bool LerTrilha(const unsigned char* p, const unsigned char* fim, std::string& nome, bool& notas) {
  nome.clear();
  notas = false;
  uint8_t corrente = 0;
  while (p < fim) {
    for (int i = 0; i < 4 && p < fim; ++i) {
      if (!(*p++ & 0x80)) break;
    }
    if (p >= fim) return false;
    uint8_t st = *p;
    if (st & 0x80) {
      ++p;
      if (st < 0xF0) corrente = st;
    } else if (corrente) {
      st = corrente;
    } else {
      return false;
    }
    if (st == 0xFF || st == 0xF0 || st == 0xF7) {
      uint8_t tipo = 0;
      if (st == 0xFF) {
        if (p >= fim) return false;
        tipo = *p++;
      }
      uint32_t len = 0;
      for (int i = 0; i < 4 && p < fim; ++i) {
        const uint8_t b = *p++;
        len = len << 7 | (b & 0x7F);
        if (!(b & 0x80)) break;
      }
      if (len > static_cast<size_t>(fim - p)) return false;
      if (st == 0xFF && tipo == 0x03 && nome.empty()) nome.assign(reinterpret_cast<const char*>(p), len);
      p += len;
      continue;
    }
    const int dados = (st & 0xF0) == 0xC0 || (st & 0xF0) == 0xD0 ? 1 : 2;
    if (dados > fim - p) return false;
    if ((st & 0xF0) == 0x90 && p[1] > 0) notas = true;
    p += dados;
  }
  return true;
}

struct Render {
  std::unique_ptr<Sintetizador> sint;
  int taxa = 44100;
};

// Plays `midi` from its start to its last tick plus `cauda_s` seconds of release, at `ganho`.
bool Tocar(Render& r, const std::vector<unsigned char>& midi, float ganho, double cauda_s,
           std::vector<float>& out, std::string& error) {
  InfoMidi info;
  if (!AnalisarMidi(midi.data(), midi.size(), info, error)) return false;
  constexpr int kBloco = 512;
  float bloco[2 * kBloco];
  // What the last piece left ringing (reverb, releases) is cleared before the next one starts.
  r.sint->Parar();
  for (int i = 0; i < 2 * r.taxa; i += kBloco) r.sint->Renderizar(bloco, kBloco);
  r.sint->Ganho(ganho);
  if (!r.sint->Tocar(midi.data(), midi.size(), info.ticks)) {
    error = "the synthesizer's player refused it";
    return false;
  }
  out.clear();
  const int64_t limite = (info.duracao_us / 1000000 + 60) * r.taxa;
  int64_t feitos = 0;
  while (r.sint->Tocando() && feitos < limite) {
    r.sint->Renderizar(bloco, kBloco);
    out.insert(out.end(), bloco, bloco + 2 * kBloco);
    feitos += kBloco;
  }
  r.sint->Encerrar();
  for (int64_t i = 0; i < static_cast<int64_t>(cauda_s * r.taxa); i += kBloco) {
    r.sint->Renderizar(bloco, kBloco);
    out.insert(out.end(), bloco, bloco + 2 * kBloco);
  }
  return true;
}

// A WAV file's samples as stereo floats (full scale 1.0) at its own rate.
bool AmostrasWav(const std::string& path, const std::vector<uint8_t>& bytes, std::vector<float>& f, int& taxa,
                 std::string& error) {
  SomPcm som;
  if (!LerWav(bytes.data(), bytes.size(), som, error)) {
    error = path + ": " + error;
    return false;
  }
  f.assign(static_cast<size_t>(som.Quadros()) * 2, 0.0f);
  for (int64_t i = 0; i < som.Quadros(); ++i) {
    for (int c = 0; c < 2; ++c)
      f[2 * i + c] = som.amostras[i * som.canais + (som.canais == 2 ? c : 0)] / 32768.0f;
  }
  taxa = som.taxa;
  return true;
}

// The synthesizer with the soundfont the game would use.
bool AbrirSintetizador(Render& r, int taxa, std::string& error) {
  std::string tried;
  const std::string sf = EncontrarSoundfont(tried);
  if (sf.empty()) {
    error = "no General MIDI soundfont found (looked at " + tried + "); set VARTENOS_SOUNDFONT";
    return false;
  }
  r.taxa = taxa;
  r.sint = Sintetizador::Criar(taxa, sf, error);
  return r.sint != nullptr;
}

// The gain the game plays the piece named `path` at: its master volume, 700 (hundredths of a dB) for
// phase 1's piece and 600 for every other, on the music's base gain.
float GanhoDaPeca(const std::string& path) {
  const std::string nome = Minusculas(std::filesystem::path(path).filename().string());
  const int volume = nome == "music1.mid" ? 700 : 600;
  return DirectMusicPerformance::kGanhoBase * static_cast<float>(std::pow(10.0, (volume - 700) / 2000.0));
}

constexpr double kCauda = 1.0;  // seconds of release after a piece's last tick

}  // namespace

Medida Medir(const float* x, size_t quadros, int taxa) {
  Medida m;
  m.segundos = static_cast<double>(quadros) / taxa;
  if (quadros == 0) return m;
  m.lufs = Integrada(x, quadros, taxa);
  const double pico = PicoVerdadeiro(x, quadros);
  m.pico_dbtp = pico > 0 ? 20.0 * std::log10(pico) : -99;
  for (int c = 0; c < 2; ++c) {
    double s = 0;
    for (size_t i = 0; i < quadros; ++i) s += x[2 * i + c];
    s /= static_cast<double>(quadros);
    if (std::fabs(s) > std::fabs(m.dc)) m.dc = s;
  }
  return m;
}

Momentos MedirMomentos(const float* x, size_t quadros, int taxa) {
  Momentos m;
  const std::vector<double> k2 = PotenciaK(x, quadros, taxa);
  std::vector<double> soma(quadros + 1, 0.0);  // soma[i]: the power of the frames before i
  for (size_t i = 0; i < quadros; ++i) soma[i + 1] = soma[i] + k2[i];
  const auto potencia = [&](int64_t ini, int64_t fim) {  // silence outside the sound
    const auto dentro = [&](int64_t i) { return static_cast<size_t>(std::clamp<int64_t>(i, 0, quadros)); };
    return soma[dentro(fim)] - soma[dentro(ini)];
  };
  const int64_t n = static_cast<int64_t>(quadros);
  // Momentary: 400 ms windows every 10 ms, from the one that ends where the sound starts.
  const int64_t janela_m = taxa * 4 / 10, passo_m = taxa / 100;
  double maior = 0;
  for (int64_t ini = -janela_m; ini < n; ini += passo_m)
    maior = std::max(maior, potencia(ini, ini + janela_m));
  m.momentanea_max = maior > 0 ? std::max(-70.0, Lufs(maior / janela_m)) : -70;
  // Short-term: 3 s windows every 100 ms inside the piece; silence (under -70 LUFS) left out.
  const int64_t janela_c = 3 * static_cast<int64_t>(taxa), passo_c = taxa / 10;
  std::vector<double> curtos;
  for (int64_t ini = 0; ini + janela_c <= n; ini += passo_c) {
    const double l = Lufs(potencia(ini, ini + janela_c) / janela_c);
    if (l > -70) curtos.push_back(l);
  }
  if (!curtos.empty()) {
    std::sort(curtos.begin(), curtos.end());
    const size_t meio = curtos.size() / 2;
    m.curto_prazo_mediana = curtos.size() % 2 ? curtos[meio] : (curtos[meio - 1] + curtos[meio]) / 2;
  }
  return m;
}

bool TrilhasSolo(const std::vector<unsigned char>& midi, std::vector<TrilhaSolo>& trilhas,
                 std::string& error) {
  trilhas.clear();
  InfoMidi info;
  if (!AnalisarMidi(midi.data(), midi.size(), info, error)) return false;
  std::vector<std::pair<size_t, size_t>> pedacos;  // start and length of each MTrk chunk
  size_t pos = 8 + Be32(midi.data() + 4);
  for (int t = 0; t < info.trilhas; ++t) {
    const size_t tam = 8 + Be32(midi.data() + pos + 4);
    pedacos.push_back({pos, tam});
    pos += tam;
  }
  for (size_t t = 1; t < pedacos.size(); ++t) {
    TrilhaSolo solo;
    bool notas = false;
    const unsigned char* ini = midi.data() + pedacos[t].first + 8;
    if (!LerTrilha(ini, ini + pedacos[t].second - 8, solo.nome, notas)) {
      error = "track " + std::to_string(t + 1) + " cannot be read";
      return false;
    }
    if (!notas) continue;
    if (solo.nome.empty()) solo.nome = "track " + std::to_string(t + 1);
    // The header with two tracks, the tempo track, then this one.
    solo.midi.assign(midi.begin(), midi.begin() + static_cast<std::ptrdiff_t>(8 + Be32(midi.data() + 4)));
    solo.midi[10] = 0, solo.midi[11] = 2;
    for (size_t k : {size_t{0}, t}) {
      const auto a = midi.begin() + static_cast<std::ptrdiff_t>(pedacos[k].first);
      solo.midi.insert(solo.midi.end(), a, a + static_cast<std::ptrdiff_t>(pedacos[k].second));
    }
    trilhas.push_back(std::move(solo));
  }
  return true;
}

bool MedirArquivo(const std::string& path, int taxa, std::vector<LinhaVolume>& linhas, std::string& error) {
  linhas.clear();
  std::vector<uint8_t> bytes;
  if (!LerArquivo(path, bytes, error)) return false;
  std::vector<float> f;
  if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0) {
    int taxa_wav = 0;
    if (!AmostrasWav(path, bytes, f, taxa_wav, error)) return false;
    linhas.push_back(
        {"mix", Medir(f.data(), f.size() / 2, taxa_wav), 20.0 * std::log10(DirectSound::kGanhoEfeitos)});
    return true;
  }
  InfoMidi info;
  if (!AnalisarMidi(bytes.data(), bytes.size(), info, error)) {
    error = path + ": " +
            (bytes.size() >= 4 && std::memcmp(bytes.data(), "MThd", 4) == 0
                 ? error
                 : std::string("neither a WAV (RIFF) nor a MIDI (MThd) file"));
    return false;
  }
  std::vector<TrilhaSolo> solos;
  if (!TrilhasSolo(bytes, solos, error)) {
    error = path + ": " + error;
    return false;
  }
  Render r;
  if (!AbrirSintetizador(r, taxa, error)) return false;
  const float ganho = GanhoDaPeca(path);
  if (!Tocar(r, bytes, ganho, kCauda, f, error)) {
    error = path + ": " + error;
    return false;
  }
  linhas.push_back({"mix", Medir(f.data(), f.size() / 2, taxa), 0});
  for (const TrilhaSolo& s : solos) {
    if (!Tocar(r, s.midi, ganho, kCauda, f, error)) {
      error = path + ": track '" + s.nome + "': " + error;
      return false;
    }
    linhas.push_back({s.nome, Medir(f.data(), f.size() / 2, taxa), 0});
  }
  return true;
}

int ImprimirVolumes(const std::vector<std::string>& paths) {
  std::printf("%-16s %-10s %7s %7s %7s %8s %9s\n", "file", "part", "seconds", "LUFS", "vs mix", "peak dBTP",
              "DC");
  int status = 0;
  for (const std::string& p : paths) {
    std::vector<LinhaVolume> linhas;
    std::string error;
    if (!MedirArquivo(p, 44100, linhas, error)) {
      std::fprintf(stderr, "vartenos-assets: %s\n", error.c_str());
      status = 1;
      continue;
    }
    const std::string nome = std::filesystem::path(p).filename().string();
    for (const LinhaVolume& l : linhas) {
      const Medida& m = l.m;
      const double rel = m.lufs - linhas.front().m.lufs;
      std::printf("%-16s %-10s %7.2f %7.1f %7.1f %8.1f %+9.4f", nome.c_str(), l.parte.c_str(), m.segundos,
                  m.lufs, rel, m.pico_dbtp, m.dc);
      if (l.ganho_jogo_db != 0) std::printf("  (in the game's mix %.1f LUFS)", m.lufs + l.ganho_jogo_db);
      std::printf("\n");
    }
    std::fflush(stdout);
  }
  return status;
}

int ImprimirMistura(const std::string& pasta) {
  const double ganho_efeitos = 20.0 * std::log10(DirectSound::kGanhoEfeitos);
  const char* const efeitos[] = {"Tiro.Wav",     "Arma1.wav",  "Arma2.wav",      "Arma3.wav",
                                 "Explosao.wav", "Extras.wav", "VidasExtras.wav"};
  const int armas = 4;  // the first four are the weapons
  std::map<std::string, double> momento, pico;
  std::string error;
  std::printf("%-16s %20s %10s\n", "effect", "loudest 400 ms, LUFS", "peak dBTP");
  for (const char* e : efeitos) {
    std::vector<uint8_t> bytes;
    std::vector<float> f;
    int taxa = 0;
    if (!LerArquivo(pasta + "/" + e, bytes, error) || !AmostrasWav(pasta + "/" + e, bytes, f, taxa, error)) {
      std::fprintf(stderr, "vartenos-assets: %s\n", error.c_str());
      return 1;
    }
    momento[e] = MedirMomentos(f.data(), f.size() / 2, taxa).momentanea_max + ganho_efeitos;
    pico[e] = Medir(f.data(), f.size() / 2, taxa).pico_dbtp;
    std::printf("%-16s %20.1f %10.1f\n", e, momento[e], pico[e]);
  }
  Render r;
  if (!AbrirSintetizador(r, 44100, error)) {
    std::fprintf(stderr, "vartenos-assets: %s\n", error.c_str());
    return 1;
  }
  std::map<int, double> mediana;
  std::printf("%-16s %20s %10s\n", "theme", "median 3 s, LUFS", "peak dBTP");
  for (int fase = 1; fase <= 5; ++fase) {
    const std::string nome = "Music" + std::to_string(fase) + ".mid";
    std::vector<uint8_t> bytes;
    std::vector<float> f;
    if (!LerArquivo(pasta + "/" + nome, bytes, error) ||
        !Tocar(r, bytes, GanhoDaPeca(nome), kCauda, f, error)) {
      std::fprintf(stderr, "vartenos-assets: %s: %s\n", nome.c_str(), error.c_str());
      return 1;
    }
    mediana[fase] = MedirMomentos(f.data(), f.size() / 2, 44100).curto_prazo_mediana;
    pico[nome] = Medir(f.data(), f.size() / 2, 44100).pico_dbtp;
    std::printf("%-16s %20.1f %10.1f\n", nome.c_str(), mediana[fase], pico[nome]);
  }
  bool ok = true;
  const auto limite = [&](const std::string& o_que, double valor, bool dentro, const char* regra) {
    std::printf("%-44s %+6.1f  %s%s\n", o_que.c_str(), valor, regra, dentro ? "" : "  <- out of bounds");
    ok = ok && dentro;
  };
  double arma = -70;
  for (int i = 0; i < armas; ++i) arma = std::max(arma, momento[efeitos[i]]);
  const double vidas = momento["VidasExtras.wav"] - arma;
  limite("VidasExtras.wav over the loudest weapon (LU)", vidas, vidas <= 2.0, "at most +2");
  for (int fase = 3; fase <= 5; ++fase) {
    const double sobra = momento["Tiro.Wav"] - mediana[fase];
    limite("Tiro.Wav over Music" + std::to_string(fase) + ".mid (LU)", sobra, sobra >= 3.0, "at least +3");
  }
  double maior = -99;
  for (const auto& [nome, p] : pico) maior = std::max(maior, p);
  limite("the highest peak of them all (dBTP)", maior, maior <= -1.0, "at most -1");
  return ok ? 0 : 1;
}

}  // namespace vartenos::assets
