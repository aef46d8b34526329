// vartenos-music-render: the seven pieces as the game's synthesizer plays them, for the browser, which
// has no synthesizer of its own. Each piece goes through the game's path (the soundfont cut down to
// what the pieces sound, the same settings, the output filter, the gain at master volume 700) from
// its start to its end tick, then its notes are released and the reverb rings out; the piece is
// written as a 16-bit stereo WAV file at 44.1 kHz. One line per piece goes to standard output:
// "NAME END", END being the frame at which the game's piece is over (where IsPlaying turns false).
//
//   vartenos-music-render DATA_DIR OUT_DIR      e.g. build/data build-web/musica-wav
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "audio/midi_file.h"
#include "audio/music.h"
#include "audio/synth.h"
#include "audio/wav_file.h"
#include "platform/byte_files.h"

namespace {

using namespace vartenos;

constexpr int kTaxa = DirectSound::kTaxaPedida;
// The frames rendered at a time: the synthesizer's own block, so the end is found to the block.
constexpr int kBloco = 64;

bool Renderizar(const std::string& soundfont, const std::vector<std::string>& pecas, const std::string& peca,
                const std::string& saida, int64_t& fim, std::string& erro) {
  std::vector<uint8_t> bytes;
  if (!LerArquivo(peca, bytes, erro)) return false;
  InfoMidi info;
  if (!AnalisarMidi(bytes.data(), bytes.size(), info, erro)) {
    erro = peca + ": " + erro;
    return false;
  }
  const std::atomic<bool> nunca{false};
  std::unique_ptr<Sintetizador> s = Sintetizador::CriarParaPecas(kTaxa, soundfont, pecas, nunca, erro);
  if (!s) return false;
  s->Ganho(DirectMusicPerformance::kGanhoBase);
  if (!s->Tocar(bytes.data(), bytes.size(), info.ticks)) {
    erro = peca + ": the synthesizer cannot play it";
    return false;
  }
  std::vector<float> f;
  float bloco[2 * kBloco];
  const int64_t limite = (info.duracao_us / 1000000 + 60) * kTaxa;
  fim = 0;
  while (s->Tocando() && fim < limite) {
    s->Renderizar(bloco, kBloco);
    f.insert(f.end(), bloco, bloco + 2 * kBloco);
    fim += kBloco;
  }
  // The piece is over: its notes are released, as when the game starts the next piece, and the
  // reverb rings out until a tenth of a second stays under -100 dBFS (at most ten seconds).
  s->Encerrar();
  int64_t calados = 0;
  for (int64_t i = 0; i < 10 * kTaxa && calados < kTaxa / 10; i += kBloco) {
    s->Renderizar(bloco, kBloco);
    f.insert(f.end(), bloco, bloco + 2 * kBloco);
    float pico = 0.0f;
    for (float x : bloco) pico = std::max(pico, std::fabs(x));
    calados = pico < 1e-5f ? calados + kBloco : 0;
  }
  SomPcm som;
  som.taxa = kTaxa;
  som.canais = 2;
  som.amostras.resize(f.size());
  for (size_t i = 0; i < f.size(); ++i)
    som.amostras[i] = static_cast<int16_t>(std::lround(std::clamp(f[i], -1.0f, 1.0f) * 32767.0f));
  return EscreverArquivoWav(saida, som, erro);
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc != 3) {
    std::fprintf(stderr, "usage: vartenos-music-render DATA_DIR OUT_DIR\n");
    return 2;
  }
  std::string tried;
  const std::string soundfont = EncontrarSoundfont(tried);
  if (soundfont.empty()) {
    std::fprintf(stderr, "vartenos-music-render: no General MIDI soundfont found (looked at %s)\n",
                 tried.c_str());
    return 1;
  }
  std::vector<std::string> pecas;
  std::error_code ec;
  for (fs::directory_iterator it(argv[1], ec), fim; !ec && it != fim; it.increment(ec)) {
    if (it->path().extension() == ".mid") pecas.push_back(it->path().string());
  }
  if (ec || pecas.empty()) {
    std::fprintf(stderr, "vartenos-music-render: %s: no pieces of music (.mid) there\n", argv[1]);
    return 1;
  }
  std::sort(pecas.begin(), pecas.end());
  fs::create_directories(argv[2], ec);
  for (const std::string& peca : pecas) {
    const std::string nome = fs::path(peca).stem().string();
    const std::string saida = (fs::path(argv[2]) / (nome + ".wav")).string();
    int64_t fim = 0;
    std::string erro;
    if (!Renderizar(soundfont, pecas, peca, saida, fim, erro)) {
      std::fprintf(stderr, "vartenos-music-render: %s\n", erro.c_str());
      return 1;
    }
    std::printf("%s %lld\n", nome.c_str(), static_cast<long long>(fim));
  }
  return 0;
}
