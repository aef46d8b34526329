// The sound-effect device `ds` and its effect slots. Each slot holds one clip, loaded once and kept
// for the whole run, a play position, a playing flag and a volume. Our own mixer adds the sounding
// slots together inside the audio device's callback, after the music; on a platform without a device
// (headless, or no sound card) the slots follow the platform clock instead, so the game sees the same
// "is it still sounding" answers without producing a sample.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "audio/call_log.h"
#include "platform/platform.h"

namespace vartenos {

struct WAVEFORMATEX {
  int16_t nFormatTag = 1;
  int16_t nChannels = 2;
  int32_t lSamplesPerSec = 22050;
  int16_t nBitsPerSample = 16;
  int16_t nBlockAlign = 4;
  int32_t lAvgBytesPerSec = 88200;
};

struct DSBUFFERDESC {
  int32_t lFlags = 0;
};

constexpr int32_t DSSCL_NORMAL = 1;
constexpr int32_t DSBPLAY_DEFAULT = 0;
constexpr int32_t DSBPLAY_LOOPING = 1;
constexpr int32_t DSBVOLUME_MAX = 0;
constexpr int32_t DSBVOLUME_MIN = -10000;

class DirectSound;

// Whatever renders before the effects in each device callback (the music). It writes `frames`
// interleaved stereo frames into `out`, overwriting it. Called on the audio thread under the lock.
class FonteDeAudio {
 public:
  virtual ~FonteDeAudio() = default;
  virtual void Renderizar(float* out, int frames) = 0;
  // The device is going away: forget it.
  virtual void DispositivoFechado() = 0;
};

class DirectSoundBuffer {
 public:
  DirectSoundBuffer() = default;
  ~DirectSoundBuffer();
  DirectSoundBuffer(const DirectSoundBuffer&) = delete;
  DirectSoundBuffer& operator=(const DirectSoundBuffer&) = delete;

  // Hundredths of a decibel: 0 is full loudness, -10000 silence. Takes effect on a sounding clip.
  void SetVolume(int32_t lVolume);
  // The next play starts `lNewPosition` bytes into the clip (22050 Hz, 16-bit stereo bytes). A
  // sounding clip jumps there at once, which is how a rewind restarts it.
  void SetCurrentPosition(int32_t lNewPosition);
  // Plays from the current position to the end. A clip that is already sounding plays on.
  void Play(int32_t dwFlags);
  // Frees the clip; later calls do nothing.
  void Release();

  // For tests and the trace.
  bool Criado() const { return ds_ != nullptr; }
  const char* Nome() const { return nome_; }
  bool Tocando();
  int32_t PosicaoBytes();  // the play position in bytes of the 22050 Hz clip
  int32_t TamanhoBytes() const { return bytes_; }
  int32_t Volume() const { return volume_; }

 private:
  friend class DirectSound;
  void Registrar(const char* formato, long valor = 0, bool com_valor = false);

  DirectSound* ds_ = nullptr;
  const char* nome_ = "";
  const char* arquivo_ = "";     // the file the clip was read from
  std::vector<float> amostras_;  // interleaved stereo at the mixer's rate (empty without a device)
  int64_t quadros_ = 0;          // clip length in mixer frames
  int64_t pos_ = 0;              // play position in mixer frames
  bool tocando_ = false;
  bool laco_ = false;
  int32_t volume_ = 0;
  float ganho_ = 1.0f;        // wanted gain, from volume_
  float ganho_atual_ = 1.0f;  // gain the mixer reached (ramps to ganho_ within a callback)
  int32_t bytes_ = 0;         // clip length in 22050 Hz 16-bit stereo bytes
};

class DirectSound {
 public:
  DirectSound() = default;
  ~DirectSound();
  DirectSound(const DirectSound&) = delete;
  DirectSound& operator=(const DirectSound&) = delete;

  // Opens the platform's audio device (44.1 kHz stereo, 1,024 frames a callback) and starts the mixer.
  // Without a device the slots follow the platform clock; when a device exists but cannot be opened
  // the game says so on stderr once and runs silent. `registro` points at the game's call log
  // pointer, which may be null and may change later.
  void DirectSoundCreate(Platform& platform, AudioCallLog* const* registro);
  void SetCooperativeLevel(int32_t level);
  // Loads `path` into `slot`, converted once to the mixer's rate. `arquivo` is the bare file name for
  // the trace, `nome` the slot's name. Throws FatalError naming the file when it cannot be read.
  void CreateSoundBufferFromFile(const std::string& path, const char* arquivo, const DSBUFFERDESC& desc,
                                 const WAVEFORMATEX& formato, DirectSoundBuffer& slot, const char* nome);
  // Closes the device; the slots fall silent.
  void Release();

  bool Criado() const { return plataforma_ != nullptr; }
  bool ComDispositivo() const { return saida_ != nullptr; }
  int Taxa() const { return taxa_; }
  int32_t BytesPorSegundo() const { return bytes_por_segundo_; }

  // The music's hook into the device callback, and the lock both threads take.
  void LigarFonte(FonteDeAudio* fonte);
  void Travar();
  void Destravar();
  Platform* Plataforma() const { return plataforma_; }
  AudioCallLog* Registro() const { return registro_ ? *registro_ : nullptr; }

  // Mixes `frames` frames of every sounding slot into `out` (adding) and advances them. Public for the
  // offline tests; the device callback calls it.
  void Misturar(float* out, int frames);
  // Without a device: moves every sounding slot on to the platform clock's present.
  void Acompanhar();

  // The effects sit a little under full scale, leaving room for the music and for several at once.
  static constexpr float kGanhoEfeitos = 0.7f;
  static constexpr int kTaxaPedida = 44100;
  static constexpr int kQuadrosPorChamada = 1024;

 private:
  friend class DirectSoundBuffer;
  static void Callback(void* user, float* out, int frames);
  void Desligar(DirectSoundBuffer* slot);

  Platform* plataforma_ = nullptr;
  AudioOutput* saida_ = nullptr;
  AudioCallLog* const* registro_ = nullptr;
  FonteDeAudio* fonte_ = nullptr;
  int taxa_ = 22050;
  int32_t bytes_por_segundo_ = 88200;
  std::array<DirectSoundBuffer*, 16> slots_{};
  int n_slots_ = 0;
  // The clock the slots have followed up to (without a device).
  int32_t relogio_ = 0;
  int64_t ms_total_ = 0;
};

// Converts interleaved `canais`-channel 16-bit audio at `taxa_origem` into interleaved stereo floats at
// `taxa_destino` (windowed-sinc interpolation, low-passed below the lower Nyquist frequency).
std::vector<float> Reamostrar(const int16_t* amostras, int64_t quadros, int canais, int taxa_origem,
                              int taxa_destino);

}  // namespace vartenos
