#include "audio/sound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>

#include "audio/wav_file.h"
#include "platform/fatal_error.h"

namespace vartenos {

namespace {

// Every clip's positions are counted in the format the game hands to each load: 22050 frames a
// second, four bytes a frame.
constexpr int kTaxaDoClipe = 22050;

float GanhoDe(int32_t centesimos_db) {
  if (centesimos_db <= DSBVOLUME_MIN) return 0.0f;
  return static_cast<float>(std::pow(10.0, centesimos_db / 2000.0));
}

double Sinc(double x) {
  if (std::fabs(x) < 1e-9) return 1.0;
  const double px = M_PI * x;
  return std::sin(px) / px;
}

// A guard that takes the device lock when there is a device.
class Trava {
 public:
  explicit Trava(DirectSound* ds) : ds_(ds) {
    if (ds_) ds_->Travar();
  }
  ~Trava() {
    if (ds_) ds_->Destravar();
  }
  Trava(const Trava&) = delete;
  Trava& operator=(const Trava&) = delete;

 private:
  DirectSound* ds_;
};

}  // namespace

std::vector<float> Reamostrar(const int16_t* a, int64_t quadros, int canais, int de, int para) {
  const int64_t saida = quadros * para / de;
  std::vector<float> out(static_cast<size_t>(saida) * 2);
  if (de == para) {
    for (int64_t i = 0; i < quadros; ++i) {
      out[2 * i] = a[i * canais] / 32768.0f;
      out[2 * i + 1] = a[i * canais + (canais - 1)] / 32768.0f;
    }
    return out;
  }
  // Low-pass at 95% of the lower Nyquist frequency, 16 lobes each side, Blackman window. Output frame i
  // sits at input position i * de / para; its fractional part takes only para / gcd values, so the
  // kernel is worked out once per phase (two phases for 22050 to 44100, 320 for 22050 to 48000).
  const double corte = 0.95 * std::min(1.0, static_cast<double>(para) / de);
  const int raio = static_cast<int>(std::ceil(16.0 / corte));
  const int64_t g = std::gcd(de, para);
  const int64_t fases = para / g;
  const int largura = 2 * raio;
  std::vector<double> nucleo(static_cast<size_t>(fases * largura));
  for (int64_t f = 0; f < fases; ++f) {
    const double frac = static_cast<double>(f * g) / para;  // 0 <= frac < 1
    double soma = 0;
    double* h = &nucleo[static_cast<size_t>(f * largura)];
    for (int j = 0; j < largura; ++j) {
      const double t = frac - (j - raio + 1);  // distance from input frame centro - raio + 1 + j
      const double w = t / raio;
      h[j] = std::fabs(w) >= 1.0 ? 0.0
                                 : corte * Sinc(corte * t) *
                                       (0.42 + 0.5 * std::cos(M_PI * w) + 0.08 * std::cos(2 * M_PI * w));
      soma += h[j];
    }
    // Normalising by the kernel's sum keeps the gain exact at every fractional position.
    for (int j = 0; j < largura; ++j) h[j] /= soma;
  }
  for (int64_t i = 0; i < saida; ++i) {
    const int64_t num = i * de;
    const int64_t centro = num / para;
    const double* h = &nucleo[static_cast<size_t>((num % para) / g * largura)];
    double l = 0, r = 0;
    for (int j = 0; j < largura; ++j) {
      const int64_t k = centro - raio + 1 + j;
      if (k < 0 || k >= quadros) continue;
      l += h[j] * a[k * canais];
      r += h[j] * a[k * canais + (canais - 1)];
    }
    out[2 * i] = static_cast<float>(l / 32768.0);
    out[2 * i + 1] = static_cast<float>(r / 32768.0);
  }
  return out;
}

// ---------------------------------------------------------------------------------------------------
// The slots

DirectSoundBuffer::~DirectSoundBuffer() {
  if (ds_) ds_->Desligar(this);
}

void DirectSoundBuffer::Registrar(const char* formato, long valor, bool com_valor) {
  AudioCallLog* log = ds_ ? ds_->Registro() : nullptr;
  if (!log) return;
  char linha[96];
  if (com_valor) {
    std::snprintf(linha, sizeof linha, "%s.%s %ld", nome_, formato, valor);
  } else {
    std::snprintf(linha, sizeof linha, "%s.%s", nome_, formato);
  }
  log->Som(linha);
}

void DirectSoundBuffer::SetVolume(int32_t lVolume) {
  if (!ds_) return;
  Registrar("SetVolume", lVolume, true);
  if (lVolume > DSBVOLUME_MAX || lVolume < DSBVOLUME_MIN) {
    throw FatalError(std::string(nome_) + ".SetVolume " + std::to_string(lVolume) +
                     ": the volume must lie between -10000 and 0");
  }
  DirectSound* ds = ds_;
  ds->Acompanhar();
  Trava trava(ds->ComDispositivo() ? ds : nullptr);
  volume_ = lVolume;
  ganho_ = GanhoDe(lVolume);
}

void DirectSoundBuffer::SetCurrentPosition(int32_t lNewPosition) {
  if (!ds_) return;
  Registrar("SetCurrentPosition", lNewPosition, true);
  if (lNewPosition < 0 || lNewPosition >= bytes_) {
    throw FatalError(std::string(arquivo_) + ": " + nome_ + ".SetCurrentPosition " +
                     std::to_string(lNewPosition) + ": the clip holds only " + std::to_string(bytes_) +
                     " bytes");
  }
  DirectSound* ds = ds_;
  ds->Acompanhar();
  Trava trava(ds->ComDispositivo() ? ds : nullptr);
  const int64_t quadro = lNewPosition / 4;
  pos_ = std::min(quadros_ - 1, (quadro * ds->Taxa() + kTaxaDoClipe / 2) / kTaxaDoClipe);
}

void DirectSoundBuffer::Play(int32_t dwFlags) {
  if (!ds_) return;
  if (dwFlags == DSBPLAY_DEFAULT) {
    Registrar("Play");
  } else {
    Registrar("Play", dwFlags, true);
  }
  DirectSound* ds = ds_;
  ds->Acompanhar();
  Trava trava(ds->ComDispositivo() ? ds : nullptr);
  laco_ = (dwFlags & DSBPLAY_LOOPING) != 0;
  // A clip that is sounding plays on from where it is; only a rewind restarts it.
  if (!tocando_) {
    if (pos_ >= quadros_) pos_ = 0;
    tocando_ = quadros_ > 0;
    ganho_atual_ = ganho_;
  }
}

void DirectSoundBuffer::Release() {
  if (!ds_) return;
  Registrar("Release");
  ds_->Desligar(this);
  ds_ = nullptr;
  std::vector<float>().swap(amostras_);
  quadros_ = pos_ = 0;
  tocando_ = false;
}

bool DirectSoundBuffer::Tocando() {
  if (!ds_) return false;
  ds_->Acompanhar();
  Trava trava(ds_->ComDispositivo() ? ds_ : nullptr);
  return tocando_;
}

int32_t DirectSoundBuffer::PosicaoBytes() {
  if (!ds_) return 0;
  ds_->Acompanhar();
  Trava trava(ds_->ComDispositivo() ? ds_ : nullptr);
  return static_cast<int32_t>((pos_ * kTaxaDoClipe + ds_->Taxa() / 2) / ds_->Taxa() * 4);
}

// ---------------------------------------------------------------------------------------------------
// The device and its mixer

DirectSound::~DirectSound() {
  // Going away with the game: silently, the call log may be gone already.
  registro_ = nullptr;
  Release();
  for (int i = 0; i < n_slots_; ++i) slots_[i]->ds_ = nullptr;
  n_slots_ = 0;
}

void DirectSound::DirectSoundCreate(Platform& platform, AudioCallLog* const* registro) {
  registro_ = registro;
  if (AudioCallLog* log = Registro()) log->Som("DirectSoundCreate");
  if (plataforma_) return;
  plataforma_ = &platform;
  relogio_ = platform.RelogioDoSom();
  ms_total_ = 0;
  taxa_ = kTaxaDoClipe;
  AudioOutput* saida = platform.Audio();
  if (!saida) return;  // no device by design: the slots follow the clock
  int taxa = 0;
  std::string erro;
  if (!saida->Open(kTaxaPedida, kQuadrosPorChamada, &DirectSound::Callback, this, taxa, erro)) {
    std::fprintf(stderr, "vartenos: no audio device (%s); playing without sound\n", erro.c_str());
    return;
  }
  saida_ = saida;
  taxa_ = taxa;
}

void DirectSound::SetCooperativeLevel(int32_t level) {
  if (AudioCallLog* log = Registro()) {
    char linha[48];
    std::snprintf(linha, sizeof linha, "SetCooperativeLevel %d", static_cast<int>(level));
    log->Som(linha);
  }
}

void DirectSound::CreateSoundBufferFromFile(const std::string& path, const char* arquivo,
                                            const DSBUFFERDESC& desc, const WAVEFORMATEX& formato,
                                            DirectSoundBuffer& slot, const char* nome) {
  (void)desc;
  if (AudioCallLog* log = Registro()) {
    char linha[128];
    std::snprintf(linha, sizeof linha, "%s = CreateSoundBufferFromFile %s", nome, arquivo);
    log->Som(linha);
  }
  if (!plataforma_) throw FatalError(path + ": the sound device was not created");
  SomPcm som;
  std::string erro;
  if (!LerArquivoWav(path, som, erro)) throw FatalError(erro);
  bytes_por_segundo_ = formato.lAvgBytesPerSec;
  const int64_t quadros_clipe = som.Quadros() * kTaxaDoClipe / som.taxa;
  if (quadros_clipe * 4 > std::numeric_limits<int32_t>::max()) {
    throw FatalError(path + ": the clip is too long for a sound buffer");
  }
  std::vector<float> amostras;
  int64_t quadros;
  if (saida_) {
    amostras = Reamostrar(som.amostras.data(), som.Quadros(), som.canais, som.taxa, taxa_);
    quadros = static_cast<int64_t>(amostras.size() / 2);
  } else {
    quadros = quadros_clipe;  // only the length matters when nothing is heard
  }
  if (slot.ds_) slot.Release();
  Trava trava(saida_ ? this : nullptr);
  slot.ds_ = this;
  slot.nome_ = nome;
  slot.arquivo_ = arquivo;
  slot.amostras_ = std::move(amostras);
  slot.quadros_ = quadros;
  slot.pos_ = 0;
  slot.tocando_ = false;
  slot.volume_ = 0;
  slot.ganho_ = slot.ganho_atual_ = 1.0f;
  slot.bytes_ = static_cast<int32_t>(quadros_clipe * 4);
  if (n_slots_ == static_cast<int>(slots_.size())) throw FatalError(path + ": too many sound buffers");
  slots_[n_slots_++] = &slot;
}

void DirectSound::Release() {
  if (!plataforma_) return;
  if (AudioCallLog* log = Registro()) log->Som("ds.Release");
  if (saida_) {
    saida_->Close();  // no callback runs after this
    saida_ = nullptr;
  }
  if (fonte_) {
    fonte_->DispositivoFechado();
    fonte_ = nullptr;
  }
  // The slots keep their clips until they are released themselves, but nothing sounds any more.
  for (int i = 0; i < n_slots_; ++i) slots_[i]->tocando_ = false;
  plataforma_ = nullptr;
}

void DirectSound::LigarFonte(FonteDeAudio* fonte) {
  Trava trava(saida_ ? this : nullptr);
  fonte_ = fonte;
}

void DirectSound::Travar() {
  if (saida_) saida_->Lock();
}

void DirectSound::Destravar() {
  if (saida_) saida_->Unlock();
}

void DirectSound::Desligar(DirectSoundBuffer* slot) {
  Trava trava(saida_ ? this : nullptr);
  for (int i = 0; i < n_slots_; ++i) {
    if (slots_[i] == slot) {
      for (int j = i + 1; j < n_slots_; ++j) slots_[j - 1] = slots_[j];
      --n_slots_;
      break;
    }
  }
}

void DirectSound::Callback(void* user, float* out, int frames) {
  auto* ds = static_cast<DirectSound*>(user);
  if (ds->fonte_) {
    ds->fonte_->Renderizar(out, frames);
  } else {
    std::fill(out, out + 2 * frames, 0.0f);
  }
  ds->Misturar(out, frames);
  for (int i = 0; i < 2 * frames; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

void DirectSound::Misturar(float* out, int frames) {
  for (int s = 0; s < n_slots_; ++s) {
    DirectSoundBuffer& b = *slots_[s];
    if (!b.tocando_) continue;
    // The gain glides to its new value across this callback, so muting does not click.
    const float g0 = b.ganho_atual_ * kGanhoEfeitos;
    const float dg = (b.ganho_ * kGanhoEfeitos - g0) / static_cast<float>(frames);
    int i = 0;
    while (i < frames && b.tocando_) {
      const int64_t n = std::min<int64_t>(frames - i, b.quadros_ - b.pos_);
      const bool tem_amostras = !b.amostras_.empty();
      for (int64_t k = 0; k < n; ++k, ++i) {
        const float g = g0 + dg * static_cast<float>(i);
        if (tem_amostras && g != 0.0f) {
          out[2 * i] += g * b.amostras_[2 * (b.pos_ + k)];
          out[2 * i + 1] += g * b.amostras_[2 * (b.pos_ + k) + 1];
        }
      }
      b.pos_ += n;
      if (b.pos_ >= b.quadros_) {
        // A clip that played to its end stands at its start again, so a plain Play sounds it anew.
        b.pos_ = 0;
        if (!b.laco_) b.tocando_ = false;
      }
    }
    b.ganho_atual_ = b.ganho_;
  }
}

void DirectSound::Acompanhar() {
  if (saida_ || !plataforma_) return;
  const int32_t agora = plataforma_->RelogioDoSom();
  const int64_t passou = static_cast<int32_t>(static_cast<uint32_t>(agora) - static_cast<uint32_t>(relogio_));
  if (passou <= 0) return;
  relogio_ = agora;
  const int64_t antes = ms_total_ * taxa_ / 1000;
  ms_total_ += passou;
  int64_t quadros = ms_total_ * taxa_ / 1000 - antes;
  // Advance in whole device-sized steps so the result is what a device would have done.
  float nada[2 * kQuadrosPorChamada];
  while (quadros > 0) {
    const int n = static_cast<int>(std::min<int64_t>(quadros, kQuadrosPorChamada));
    bool algum = false;
    for (int s = 0; s < n_slots_; ++s) algum = algum || slots_[s]->tocando_;
    if (!algum) break;
    Misturar(nada, n);
    quadros -= n;
  }
}

}  // namespace vartenos
