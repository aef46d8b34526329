#include "audio/music.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "audio/synth.h"
#include "platform/fatal_error.h"

namespace vartenos {

namespace {

void Registrar(AudioCallLog* log, const char* linha) {
  if (log) log->Musica(linha);
}

}  // namespace

void LerPecaMidi(const char* caminho, std::vector<uint8_t>& dados, InfoMidi& info) {
  // Plain system calls: reading a piece again when it restarts takes no memory from the heap.
  const int fd = ::open(caminho, O_RDONLY);
  if (fd < 0) throw FatalError(std::string(caminho) + ": cannot open: " + std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || st.st_size <= 0 || st.st_size > (64 << 20)) {
    ::close(fd);
    throw FatalError(std::string(caminho) + ": not a readable MIDI file");
  }
  const size_t tamanho = static_cast<size_t>(st.st_size);
  if (dados.capacity() < tamanho) dados.reserve(std::max<size_t>(tamanho, 256 << 10));
  dados.resize(tamanho);
  size_t lidos = 0;
  while (lidos < tamanho) {
    const ssize_t n = ::read(fd, dados.data() + lidos, tamanho - lidos);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    lidos += static_cast<size_t>(n);
  }
  ::close(fd);
  if (lidos != tamanho) throw FatalError(std::string(caminho) + ": cannot read");
  std::string erro;
  if (!AnalisarMidi(dados.data(), tamanho, info, erro)) throw FatalError(std::string(caminho) + ": " + erro);
}

// ---------------------------------------------------------------------------------------------------
// Loader

void DirectMusicLoader::DirectMusicLoaderCreate(AudioCallLog* const* registro) {
  registro_ = registro;
  Registrar(Registro(), "DirectMusicLoaderCreate");
}

void DirectMusicLoader::SetSearchDirectory(const std::string& pasta) {
  // The trace leaves the folder out, so it reads the same on every machine.
  Registrar(Registro(), "SetSearchDirectory");
  std::snprintf(pasta_, sizeof pasta_, "%s", pasta.c_str());
}

void DirectMusicLoader::LoadSegment(const std::string& nome, DirectMusicSegment& seg) {
  if (AudioCallLog* log = Registro()) {
    char linha[160];
    std::snprintf(linha, sizeof linha, "LoadSegment %s", nome.c_str());
    log->Musica(linha);
  }
  seg.criado_ = false;
  std::snprintf(caminho_, sizeof caminho_, "%s%s", pasta_, nome.c_str());
  LerPecaMidi(caminho_, seg.dados_, seg.info_);
  std::snprintf(seg.nome_, sizeof seg.nome_, "%s", nome.c_str());
  seg.criado_ = true;
}

// ---------------------------------------------------------------------------------------------------
// Performance

DirectMusicPerformance::DirectMusicPerformance() = default;

DirectMusicPerformance::~DirectMusicPerformance() {
  AbandonarCarga();
  // Only a performance with a synthesizer is hooked into the device; a closed device has unhooked it.
  if (synth_ && ds_) ds_->LigarFonte(nullptr);
  synth_.reset();
}

void DirectMusicPerformance::DirectMusicPerformanceCreate(Platform& platform, DirectSound& ds,
                                                          AudioCallLog* const* registro) {
  registro_ = registro;
  Registrar(Registro(), "DirectMusicPerformanceCreate");
  plataforma_ = &platform;
  ds_ = &ds;
}

void DirectMusicPerformance::Init() {
  Registrar(Registro(), "Init");
  if (!ds_ || !ds_->ComDispositivo() || synth_) return;
  std::string tried;
  const std::string sf = EncontrarSoundfont(tried);
  IniciarSintetizador(sf, tried, true);
}

void DirectMusicPerformance::IniciarSintetizador(const std::string& sf, const std::string& tried,
                                                 bool em_segundo_plano) {
  if (!ds_ || !ds_->ComDispositivo() || synth_ || carga_.valid()) return;
  if (sf.empty()) {
    std::fprintf(stderr,
                 "vartenos: no General MIDI soundfont found (looked at %s); set VARTENOS_SOUNDFONT to a .sf2 "
                 "file to hear music\n",
                 tried.c_str());
    return;
  }
  if (em_segundo_plano && Sintetizador::CargaDemorada()) {
    // The game starts at once; the menu plays no music, so the soundfont has the menu's time to load.
    cancelar_carga_ = false;
    carga_ = std::async(std::launch::async, [this, taxa = ds_->Taxa(), sf, pecas = pecas_] {
      Carga c;
      c.synth = Sintetizador::CriarParaPecas(taxa, sf, pecas, cancelar_carga_, c.erro);
      return c;
    });
    return;
  }
  // A synthesizer ready at once loads just the game's pieces, as the background load would.
  std::string erro;
  Instalar(em_segundo_plano ? Sintetizador::CriarParaPecas(ds_->Taxa(), sf, pecas_, cancelar_carga_, erro)
                            : Sintetizador::Criar(ds_->Taxa(), sf, erro),
           erro);
}

void DirectMusicPerformance::ConcluirCarga(bool esperar) {
  if (!carga_.valid()) return;
  if (!esperar && carga_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
  Carga c = carga_.get();
  Instalar(std::move(c.synth), c.erro);
  if (synth_ && !parado_ && atual_ != 0 && !pendente_.empty()) {
    // The piece asked for while the soundfont loaded starts now, from its beginning.
    inicio_ms_ = plataforma_->RelogioDoSom();
    ds_->Travar();
    synth_->Tocar(pendente_.data(), pendente_.size(), pendente_ticks_);
    ds_->Destravar();
  }
  pendente_.clear();
}

void DirectMusicPerformance::AbandonarCarga() {
  if (!carga_.valid()) return;
  cancelar_carga_ = true;
  carga_.wait();
  carga_ = {};
}

void DirectMusicPerformance::Instalar(std::unique_ptr<Sintetizador> s, const std::string& erro) {
  if (!ds_) return;
  if (!s) {
    std::fprintf(stderr, "vartenos: %s; playing without music\n", erro.c_str());
    return;
  }
  ds_->Travar();
  synth_ = std::move(s);
  ds_->Destravar();
  ds_->LigarFonte(this);
  volume_aplicado_ = 1;
  AplicarVolume();
}

void DirectMusicPerformance::SetPort(int32_t porta, int32_t grupos) {
  if (AudioCallLog* log = Registro()) {
    char linha[48];
    std::snprintf(linha, sizeof linha, "SetPort %d %d", static_cast<int>(porta), static_cast<int>(grupos));
    log->Musica(linha);
  }
}

void DirectMusicPerformance::SetMasterAutoDownload(bool ligado) {
  Registrar(Registro(), ligado ? "SetMasterAutoDownload True" : "SetMasterAutoDownload False");
}

void DirectMusicPerformance::SetMasterVolume(int32_t volume) {
  if (AudioCallLog* log = Registro()) {
    char linha[48];
    std::snprintf(linha, sizeof linha, "SetMasterVolume %d", static_cast<int>(volume));
    log->Musica(linha);
  }
  volume_ = volume;
  ConcluirCarga();
  AplicarVolume();
}

void DirectMusicPerformance::AplicarVolume() {
  if (!synth_ || volume_ == volume_aplicado_) return;
  volume_aplicado_ = volume_;
  const float g = kGanhoBase * static_cast<float>(std::pow(10.0, (volume_ - 700) / 2000.0));
  ds_->Travar();
  synth_->Ganho(g);
  ds_->Destravar();
}

void DirectMusicPerformance::PlaySegment(const DirectMusicSegment& seg, int32_t flags, int32_t inicio,
                                         DirectMusicSegmentState& estado) {
  (void)flags;
  (void)inicio;
  Registrar(Registro(), "PlaySegment");
  ConcluirCarga();
  if (!plataforma_ || !seg.criado_) throw FatalError("PlaySegment: no segment loaded");
  estado.id_ = proximo_++;
  atual_ = estado.id_;
  parado_ = false;
  inicio_ms_ = plataforma_->RelogioDoSom();
  duracao_us_ = seg.info_.duracao_us;
  if (synth_) {
    ds_->Travar();
    const bool ok = synth_->Tocar(seg.dados_.data(), seg.dados_.size(), seg.info_.ticks);
    ds_->Destravar();
    if (!ok) throw FatalError(std::string(seg.nome_) + ": the synthesizer cannot play it");
  } else if (carga_.valid()) {
    // The soundfont is still loading: the piece plays silently on the clock until it is ready.
    pendente_.assign(seg.dados_.begin(), seg.dados_.end());
    pendente_ticks_ = seg.info_.ticks;
  }
}

bool DirectMusicPerformance::AindaTocando() {
  if (parado_ || atual_ == 0) return false;
  ConcluirCarga();
  if (synth_) {
    ds_->Travar();
    const bool tocando = synth_->Tocando();
    ds_->Destravar();
    return tocando;
  }
  const uint32_t passou =
      static_cast<uint32_t>(plataforma_->RelogioDoSom()) - static_cast<uint32_t>(inicio_ms_);
  return static_cast<int64_t>(passou) * 1000 < duracao_us_;
}

bool DirectMusicPerformance::IsPlaying(const DirectMusicSegment& seg, const DirectMusicSegmentState& estado) {
  const bool tocando = plataforma_ != nullptr &&
                       plataforma_->RespostaDoSom(seg.criado_ && estado.id_ == atual_ && AindaTocando());
  Registrar(Registro(), tocando ? "IsPlaying True" : "IsPlaying False");
  return tocando;
}

void DirectMusicPerformance::Stop(const DirectMusicSegment& seg, const DirectMusicSegmentState& estado,
                                  int32_t tempo, int32_t flags) {
  (void)seg;
  (void)tempo;
  (void)flags;
  Registrar(Registro(), "Stop");
  if (estado.id_ != atual_ || parado_) return;
  parado_ = true;
  ConcluirCarga();
  if (synth_) {
    ds_->Travar();
    synth_->Parar();
    ds_->Destravar();
  }
}

void DirectMusicPerformance::Renderizar(float* out, int frames) {
  // With nothing to play (the menu, music switched off) the synthesizer is left alone once its reverb
  // has died away: its output has stayed under -100 dBFS (a third of the last bit of a 16-bit card)
  // for a tenth of a second, or five seconds have passed. Silence costs nothing.
  const int64_t taxa = ds_ ? ds_->Taxa() : 44100;
  const bool ocioso = synth_ && synth_->Ocioso();
  quadros_ociosos_ = ocioso ? quadros_ociosos_ + frames : 0;
  if (synth_ && quadros_ociosos_ < 5 * taxa) {
    synth_->Renderizar(out, frames);
    if (ocioso) {
      float pico = 0.0f;
      for (int i = 0; i < 2 * frames; ++i) pico = std::max(pico, std::fabs(out[i]));
      quadros_calados_ = pico < 1e-5f ? quadros_calados_ + frames : 0;
      if (quadros_calados_ >= taxa / 10) quadros_ociosos_ = 5 * taxa;
    }
  } else {
    quadros_calados_ = 0;
    for (int i = 0; i < 2 * frames; ++i) out[i] = 0.0f;
  }
}

void DirectMusicPerformance::DispositivoFechado() {
  // Called with the device closed: nothing renders any more, and the lock is gone with the device.
  AbandonarCarga();
  ds_ = nullptr;
  synth_.reset();
}

}  // namespace vartenos
