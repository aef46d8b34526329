// The music objects: loader, performance, segment and segment state. One piece plays at a time.
// With an audio device and a General MIDI soundfont the performance drives a synthesizer rendered in
// the effects' device callback; otherwise (headless, no device, no soundfont) a piece "plays" silently
// on the platform clock for exactly its length as written in its MIDI file, so the game sees it end
// and start again just the same.
#pragma once

#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "audio/call_log.h"
#include "audio/midi_file.h"
#include "audio/sound.h"
#include "platform/platform.h"

namespace vartenos {

class Sintetizador;

// Reads the MIDI file at `caminho` into `dados` (reusing its capacity) and parses it into `info`.
// Throws FatalError naming the file when it is missing, unreadable or not a standard MIDI file.
void LerPecaMidi(const char* caminho, std::vector<uint8_t>& dados, InfoMidi& info);

// One MIDI file, loaded whole.
class DirectMusicSegment {
 public:
  bool Criado() const { return criado_; }
  const char* Nome() const { return nome_; }
  const InfoMidi& Info() const { return info_; }

 private:
  friend class DirectMusicLoader;
  friend class DirectMusicPerformance;
  bool criado_ = false;
  char nome_[128] = {};
  std::vector<uint8_t> dados_;  // keeps its capacity from one load to the next
  InfoMidi info_;
};

// Which start of a segment a query or a stop is about.
class DirectMusicSegmentState {
 public:
  bool Criado() const { return id_ != 0; }

 private:
  friend class DirectMusicPerformance;
  int64_t id_ = 0;
};

class DirectMusicLoader {
 public:
  void DirectMusicLoaderCreate(AudioCallLog* const* registro);
  void SetSearchDirectory(const std::string& pasta);
  // Reads `nome` from the search directory into `seg` (whatever it held before is dropped). Throws
  // FatalError naming the file when it is missing or is not a standard MIDI file.
  void LoadSegment(const std::string& nome, DirectMusicSegment& seg);

 private:
  AudioCallLog* Registro() const { return registro_ ? *registro_ : nullptr; }
  AudioCallLog* const* registro_ = nullptr;
  char pasta_[4096] = {};
  char caminho_[4096 + 256] = {};
};

class DirectMusicPerformance : public FonteDeAudio {
 public:
  DirectMusicPerformance();
  ~DirectMusicPerformance() override;
  DirectMusicPerformance(const DirectMusicPerformance&) = delete;
  DirectMusicPerformance& operator=(const DirectMusicPerformance&) = delete;

  void DirectMusicPerformanceCreate(Platform& platform, DirectSound& ds, AudioCallLog* const* registro);
  // The MIDI files the game will play (full paths). Given before Init, their instruments are the only
  // ones the synthesizer reads from the soundfont.
  void DefinirPecas(std::vector<std::string> caminhos) { pecas_ = std::move(caminhos); }
  // Finds the soundfont and starts the synthesizer when `ds` has a device; says so once on stderr and
  // goes on silently when there is no soundfont. Never touches the synthesizer without a device.
  void Init();
  // Init's second half: starts the synthesizer with `soundfont`, or says once on stderr that there is
  // none (`tried` lists where it looked) and goes on silently. With `em_segundo_plano` the soundfont
  // loads on another thread and nothing waits for it: until it is ready a piece plays silently on the
  // clock, and the piece playing when it becomes ready starts then from its beginning. Closing the
  // device or the performance stops the loading between two instruments.
  void IniciarSintetizador(const std::string& soundfont, const std::string& tried,
                           bool em_segundo_plano = false);
  void SetPort(int32_t porta, int32_t grupos);
  void SetMasterAutoDownload(bool ligado);
  // Hundredths of a decibel; values are applied relative to 700 (700 is the music's full level).
  void SetMasterVolume(int32_t volume);
  // Starts `seg` from its beginning at once, replacing whatever played; `estado` names this start.
  void PlaySegment(const DirectMusicSegment& seg, int32_t flags, int32_t inicio,
                   DirectMusicSegmentState& estado);
  // True while the start named by `estado` is still going: not stopped, not replaced, not at its end.
  bool IsPlaying(const DirectMusicSegment& seg, const DirectMusicSegmentState& estado);
  void Stop(const DirectMusicSegment& seg, const DirectMusicSegmentState& estado, int32_t tempo,
            int32_t flags);

  bool Criado() const { return plataforma_ != nullptr; }
  // True once the synthesizer is running; waits for a soundfont still loading (the game never asks).
  bool ComSintetizador() {
    ConcluirCarga(true);
    return synth_ != nullptr;
  }
  int32_t MasterVolume() const { return volume_; }

  // FonteDeAudio (audio thread, under the device lock).
  void Renderizar(float* out, int frames) override;
  void DispositivoFechado() override;

  // The synthesizer's output gain at master volume 700: 7 dB under FluidSynth's usual 0.5, so that the
  // phase themes (-25 to -21 LUFS in the game's output) leave every shot (about -17 LUFS at the effects'
  // share of full scale) at least 3 LU above them ("vartenos-assets --loudness" measures both).
  static constexpr float kGanhoBase = 0.2234f;

 private:
  AudioCallLog* Registro() const { return registro_ ? *registro_ : nullptr; }
  bool AindaTocando();  // the current start, ignoring which one is asked about
  void AplicarVolume();
  // Installs the synthesizer loaded in the background once it is ready (`esperar`: waits for it), and
  // starts on it the piece that is playing silently meanwhile.
  void ConcluirCarga(bool esperar = false);
  // Stops a background load between two of its steps and waits for it to give up.
  void AbandonarCarga();
  void Instalar(std::unique_ptr<Sintetizador> s, const std::string& erro);

  struct Carga {
    std::unique_ptr<Sintetizador> synth;
    std::string erro;
  };
  std::future<Carga> carga_;
  std::atomic<bool> cancelar_carga_{false};
  std::vector<std::string> pecas_;
  // The piece started while the soundfont loads, to start again on the synthesizer once it is ready.
  std::vector<uint8_t> pendente_;
  int64_t pendente_ticks_ = 0;

  Platform* plataforma_ = nullptr;
  DirectSound* ds_ = nullptr;
  AudioCallLog* const* registro_ = nullptr;
  std::unique_ptr<Sintetizador> synth_;
  int32_t volume_ = 0;
  int32_t volume_aplicado_ = 1;  // not a valid volume: the first SetMasterVolume applies
  int64_t atual_ = 0;            // id of the start that may be playing (0: none)
  int64_t proximo_ = 1;
  bool parado_ = true;
  int32_t inicio_ms_ = 0;
  int64_t duracao_us_ = 0;
  // Frames rendered since the synthesizer last had anything to play (audio thread).
  int64_t quadros_ociosos_ = 0;
  // Of those, the last ones in a row whose output was silent (audio thread).
  int64_t quadros_calados_ = 0;
};

}  // namespace vartenos
