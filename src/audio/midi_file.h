// What the game needs to know of a standard MIDI file without playing it: how many ticks it lasts and
// how long that is in real time, following its tempo changes. The headless game "plays" a piece for
// exactly this long, and the synthesizer's player is judged finished by the same tick count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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

// Walks the channel messages of a standard MIDI file (notes, controllers, program changes…) track by
// track in file order, skipping meta and system-exclusive events, and calls `mensagem` with each one's
// tick, track (counting MTrk chunks from 0), status and data bytes (`b` 0 for one-byte messages). A
// track that cannot be read further is left where it breaks; a file without an MThd header gives none.
using MensagemMidi = std::function<void(uint32_t tick, int trilha, uint8_t status, uint8_t a, uint8_t b)>;
void PercorrerMensagensMidi(const uint8_t* d, size_t n, const MensagemMidi& mensagem);

}  // namespace vartenos
