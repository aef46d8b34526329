// Loudness of what the game plays: integrated loudness (K-weighted, gated, in LUFS), a true peak read on
// a four-times oversampled signal, and the DC offset, of a WAV file or of a MIDI file rendered through
// the game's synthesizer and soundfont at the game's music gain, for the whole piece and for each of its
// tracks alone ("vartenos-assets --loudness FILE...").
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vartenos::assets {

struct Medida {
  double segundos = 0;
  double lufs = -70;       // integrated loudness; -70 (the absolute gate) when nothing passes the gates
  double pico_dbtp = -99;  // the highest oversampled sample, in dB of full scale
  double dc = 0;           // the mean sample of the channel whose mean is furthest from zero, in full scale
};

// Measures interleaved stereo samples (full scale 1.0) at `taxa` Hz. Sounds shorter than the 400 ms
// measuring block are measured as one block of their own length.
Medida Medir(const float* amostras, size_t quadros, int taxa);

// How loud a sound gets from moment to moment: its loudest 400 ms (momentary loudness, the sound
// surrounded by silence, so a shot shorter than that counts over 400 ms as a listener hears it) and the
// median of its 3 s stretches (short-term loudness, -70 for a sound shorter than 3 s), in LUFS.
struct Momentos {
  double momentanea_max = -70;
  double curto_prazo_mediana = -70;
};
Momentos MedirMomentos(const float* amostras, size_t quadros, int taxa);

struct LinhaVolume {
  std::string parte;  // "mix", or the name of a MIDI track played alone
  Medida m;
  double ganho_jogo_db = 0;  // what the game's mixer adds on top (the effects' share of full scale)
};

// A WAV file gives one line; a MIDI file one for the whole render and one per track that plays notes,
// rendered at `taxa` Hz. False with "PATH: problem" in `error`.
bool MedirArquivo(const std::string& path, int taxa, std::vector<LinhaVolume>& linhas, std::string& error);

// The tracks of a standard MIDI file that play notes: their names (meta event 3, or "track N") and the
// bytes of a file holding only the first track (tempo map) and that one.
struct TrilhaSolo {
  std::string nome;
  std::vector<unsigned char> midi;
};
bool TrilhasSolo(const std::vector<unsigned char>& midi, std::vector<TrilhaSolo>& trilhas,
                 std::string& error);

// Prints the table for `paths`; returns the process exit status.
int ImprimirVolumes(const std::vector<std::string>& paths);

// "vartenos-assets --mix DATA_DIR": the sound effects as the game's mixer plays them (their loudest
// moment at the effects' gain) against the phase themes at their master volume (their median
// short-term loudness), and the limits the mix keeps: the extra-life jingle at most 2 LU over the
// loudest weapon, the basic shot at least 3 LU over every theme of phases 3 to 5, nothing clipped.
// Returns 1 when a limit is broken.
int ImprimirMistura(const std::string& pasta);

}  // namespace vartenos::assets
