// What the game needs to know of a standard MIDI file without playing it: how many ticks it lasts and
// how long that is in real time, following its tempo changes. The headless game "plays" a piece for
// exactly this long, and the synthesizer's player is judged finished by the same tick count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vartenos {

struct InfoMidi {
  int32_t formato = 0;     // 0, 1 or 2
  int32_t trilhas = 0;     // tracks
  int32_t divisao = 0;     // ticks per quarter note (or negative for SMPTE timing)
  int64_t ticks = 0;       // the tick of the last track's end
  int64_t duracao_us = 0;  // that tick in microseconds
  int32_t notas = 0;       // note-on events with a velocity
};

// Parses `dados`; on failure returns false with the problem in `error` (the caller names the file).
// Uses no heap memory unless it fails.
bool AnalisarMidi(const uint8_t* dados, size_t tamanho, InfoMidi& info, std::string& error);

}  // namespace vartenos
