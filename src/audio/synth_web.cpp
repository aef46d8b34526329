// The music in a web browser. FluidSynth does not run there, so `scripts/web build` renders the seven
// pieces through the game's own synthesizer path (vartenos-music-render) and encodes them as Ogg Vorbis
// files in the page's /musica/ folder; this synthesizer decodes them (stb_vorbis) inside the mixer's
// callback. Each file holds a piece from its start to its end tick and then the release of its last
// notes; its VARTENOS_FIM comment gives the frame of the end tick, where the piece stops playing, so
// the game starts it again exactly when it would on the desktop, while the release rings on under
// the new start.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "audio/music.h"
#include "audio/synth.h"
#include "platform/byte_files.h"

// The decoder is one header holding its whole implementation; it is only ever used here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-variable"
#pragma GCC diagnostic ignored "-Wunused-value"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmisleading-indentation"
#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#include <stb_vorbis.h>
#pragma GCC diagnostic pop

namespace vartenos {

namespace {

constexpr const char* kPastaMusica = "/musica/";
constexpr int kTaxaGravada = 44100;
// Room for one decoder, given once: starting a piece takes nothing from the heap.
constexpr int kMemoriaDecodificador = 512 << 10;
// A piece cut off in its middle (the game stops it or starts another) fades out over this long.
constexpr int kQuadrosCorte = kTaxaGravada / 20;

struct Peca {
  std::string nome;
  std::vector<uint8_t> midi;  // the file the game plays, to know the piece by
  std::vector<uint8_t> ogg;
  int64_t fim = 0;  // the frame of its end tick
};

struct Voz {
  stb_vorbis* v = nullptr;
  std::vector<char> memoria = std::vector<char>(kMemoriaDecodificador);
  int64_t pos = 0;
  int64_t fim = 0;
  int64_t corte = -1;  // frames left of a fade-out, or -1
  void Fechar() {
    if (v != nullptr) stb_vorbis_close(v);
    v = nullptr;
    corte = -1;
  }
};

}  // namespace

std::string EncontrarSoundfont(std::string& tried) {
  tried = std::string(kPastaMusica) + "*.ogg";
  std::error_code ec;
  return std::filesystem::is_directory(kPastaMusica, ec) ? kPastaMusica : std::string();
}

struct Sintetizador::Impl {
  std::vector<Peca> pecas;
  Voz atual;  // the piece playing (or ringing out past its end)
  Voz cauda;  // the piece before, ringing out under the new one
  float ganho = 1.0f;
  std::vector<float> bloco = std::vector<float>(2 * 1024);
};

bool Sintetizador::CargaDemorada() { return false; }

std::unique_ptr<Sintetizador> Sintetizador::Criar(int taxa, const std::string& soundfont,
                                                  std::string& error) {
  const std::atomic<bool> nunca{false};
  return CriarParaPecas(taxa, soundfont, {}, nunca, error);
}

std::unique_ptr<Sintetizador> Sintetizador::CriarParaPecas(int taxa, const std::string& pasta,
                                                           const std::vector<std::string>& pecas,
                                                           const std::atomic<bool>& cancelar,
                                                           std::string& error) {
  (void)cancelar;
  if (taxa != kTaxaGravada) {
    error = "the music was rendered at 44100 Hz and the sound device runs at " + std::to_string(taxa) + " Hz";
    return nullptr;
  }
  std::unique_ptr<Sintetizador> s(new Sintetizador());
  s->impl_ = new Impl();
  for (const std::string& caminho : pecas) {
    Peca p;
    p.nome = std::filesystem::path(caminho).stem().string();
    const std::string ogg = pasta + p.nome + ".ogg";
    if (!LerArquivo(caminho, p.midi, error) || !LerArquivo(ogg, p.ogg, error)) return nullptr;
    int e = 0;
    stb_vorbis* v = stb_vorbis_open_memory(p.ogg.data(), static_cast<int>(p.ogg.size()), &e, nullptr);
    if (v == nullptr) {
      error = ogg + ": not an Ogg Vorbis file";
      return nullptr;
    }
    const stb_vorbis_info info = stb_vorbis_get_info(v);
    const stb_vorbis_comment c = stb_vorbis_get_comment(v);
    for (int i = 0; i < c.comment_list_length; ++i) {
      if (std::strncmp(c.comment_list[i], "VARTENOS_FIM=", 13) == 0)
        p.fim = std::strtoll(c.comment_list[i] + 13, nullptr, 10);
    }
    stb_vorbis_close(v);
    if (info.channels != 2 || static_cast<int>(info.sample_rate) != kTaxaGravada || p.fim <= 0) {
      error = ogg + ": not a piece rendered for the game (44.1 kHz stereo with its VARTENOS_FIM)";
      return nullptr;
    }
    s->impl_->pecas.push_back(std::move(p));
  }
  return s;
}

Sintetizador::~Sintetizador() {
  if (!impl_) return;
  impl_->atual.Fechar();
  impl_->cauda.Fechar();
  delete impl_;
}

bool Sintetizador::Tocar(const uint8_t* dados, size_t tamanho, int64_t ticks) {
  (void)ticks;  // the end tick is the render's own
  Encerrar();
  for (const Peca& p : impl_->pecas) {
    if (p.midi.size() != tamanho || std::memcmp(p.midi.data(), dados, tamanho) != 0) continue;
    Voz& voz = impl_->atual;
    const stb_vorbis_alloc memoria{voz.memoria.data(), static_cast<int>(voz.memoria.size())};
    int e = 0;
    voz.v = stb_vorbis_open_memory(p.ogg.data(), static_cast<int>(p.ogg.size()), &e, &memoria);
    voz.pos = 0;
    voz.fim = p.fim;
    voz.corte = -1;
    return voz.v != nullptr;
  }
  return false;
}

void Sintetizador::Parar() {
  impl_->atual.Fechar();
  impl_->cauda.Fechar();
}

void Sintetizador::Encerrar() {
  Voz& atual = impl_->atual;
  if (atual.v == nullptr) return;
  // Past its end the file holds the release of the last notes; before it, the piece fades out.
  if (atual.pos < atual.fim) atual.corte = kQuadrosCorte;
  impl_->cauda.Fechar();
  std::swap(impl_->cauda, atual);
}

bool Sintetizador::Tocando() const {
  return impl_->atual.v != nullptr && impl_->atual.pos < impl_->atual.fim;
}

bool Sintetizador::Ocioso() const { return impl_->atual.v == nullptr && impl_->cauda.v == nullptr; }

void Sintetizador::Ganho(float g) { impl_->ganho = g / DirectMusicPerformance::kGanhoBase; }

void Sintetizador::Renderizar(float* out, int frames) {
  std::fill(out, out + 2 * frames, 0.0f);
  for (Voz* voz : {&impl_->atual, &impl_->cauda}) {
    int feitos = 0;
    while (voz->v != nullptr && feitos < frames) {
      const int pedidos = std::min(frames - feitos, static_cast<int>(impl_->bloco.size() / 2));
      const int n = stb_vorbis_get_samples_float_interleaved(voz->v, 2, impl_->bloco.data(), 2 * pedidos);
      if (n <= 0) {
        voz->Fechar();  // the render is over
        break;
      }
      for (int i = 0; i < n; ++i) {
        float g = impl_->ganho;
        if (voz->corte >= 0) g *= static_cast<float>(std::max<int64_t>(voz->corte - i, 0)) / kQuadrosCorte;
        out[2 * (feitos + i)] += g * impl_->bloco[2 * i];
        out[2 * (feitos + i) + 1] += g * impl_->bloco[2 * i + 1];
      }
      feitos += n;
      voz->pos += n;
      if (voz->corte >= 0) {
        voz->corte -= n;
        if (voz->corte <= 0) voz->Fechar();
      }
    }
  }
}

}  // namespace vartenos
