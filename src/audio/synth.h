// The General MIDI synthesizer behind the music: one FluidSynth synth with a soundfont and one MIDI
// player, rendered by the audio callback and timed by the samples it renders. Only this file pair
// knows FluidSynth.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vartenos {

// The soundfont to use: $VARTENOS_SOUNDFONT, then /usr/share/sounds/sf2/FluidR3_GM.sf2, TimGM6mb.sf2,
// then any .sf2 there. Empty when there is none; `tried` lists what was looked at.
std::string EncontrarSoundfont(std::string& tried);

class Sintetizador {
 public:
  // Loads `soundfont` for output at `taxa` Hz. Null with the reason in `error` when it cannot.
  static std::unique_ptr<Sintetizador> Criar(int taxa, const std::string& soundfont, std::string& error);
  // For the game: reads only the soundfont's instrument list, then the samples of the instruments the
  // MIDI files `pecas` use (and the default piano and drum kit), so memory holds just those. Every
  // sample is in memory before the synthesizer is handed over, so the audio thread never reads the
  // disk. Between steps it looks at `cancelar` and gives up (null, empty `error`) once it is set.
  static std::unique_ptr<Sintetizador> CriarParaPecas(int taxa, const std::string& soundfont,
                                                      const std::vector<std::string>& pecas,
                                                      const std::atomic<bool>& cancelar, std::string& error);
  // Whether creating one takes long enough to be done on a thread of its own while the game goes on:
  // FluidSynth reads the soundfont's samples for seconds; the browser's synthesizer only opens the
  // pieces rendered at build time, ready at once (and a page has no thread to load on).
  static bool CargaDemorada();
  ~Sintetizador();
  Sintetizador(const Sintetizador&) = delete;
  Sintetizador& operator=(const Sintetizador&) = delete;

  // Starts the MIDI file held in `dados` from its beginning; the piece counts as over once the player
  // reaches tick `ticks`. The notes of the piece before are released first.
  bool Tocar(const uint8_t* dados, size_t tamanho, int64_t ticks);
  // Silences everything at once and drops the player.
  void Parar();
  // Releases the notes (they ring out as they would at a note-off) and drops the player: the end of a
  // piece that finished by itself.
  void Encerrar();
  // True while the player has not reached the end tick of its piece.
  bool Tocando() const;
  // True when no piece is playing and no voice sounds: only the effects' tails can still ring.
  bool Ocioso() const;
  // Output gain (linear).
  void Ganho(float g);
  // Writes `frames` interleaved stereo frames into `out`.
  void Renderizar(float* out, int frames);

 private:
  Sintetizador() = default;
  static std::unique_ptr<Sintetizador> CriarComo(int taxa, const std::string& soundfont,
                                                 const std::vector<std::string>* pecas,
                                                 const std::atomic<bool>* cancelar, std::string& error);
  struct Impl;
  Impl* impl_ = nullptr;
};

// The instruments a standard MIDI file selects, as bank * 128 + program (the drum channel's bank is
// 128), in order of first use and without repeats; channels that never select one use program 0.
// An unreadable file gives an empty list.
std::vector<int> InstrumentosDaPeca(const uint8_t* dados, size_t tamanho);

// Renders a MIDI file to interleaved stereo floats at `taxa` Hz, from its start to its end tick plus
// `cauda_s` seconds of release. False with "PATH: problem" in `error`.
bool RenderizarMidi(const std::string& midi_path, const std::string& soundfont, int taxa, double cauda_s,
                    std::vector<float>& out, std::string& error);
// The same with a synthesizer already loaded (created for `taxa` Hz), to render several files.
bool RenderizarMidi(Sintetizador& s, const std::string& midi_path, int taxa, double cauda_s,
                    std::vector<float>& out, std::string& error);
// Renders a MIDI file to a 16-bit 44.1 kHz stereo WAV file with the soundfont found by
// EncontrarSoundfont ("vartenos-assets --render-midi IN.mid OUT.wav").
bool RenderizarMidiParaWav(const std::string& midi_path, const std::string& wav_path, std::string& error);

}  // namespace vartenos
