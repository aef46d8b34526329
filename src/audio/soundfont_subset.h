// The part of a General MIDI soundfont the game's music can sound. A soundfont such as FluidR3_GM
// holds 140 MB of samples and thousands of zones, of which our seven pieces reach a small share: the
// presets they select, and in those only the zones (key and velocity ranges) their notes fall in. The
// synthesizer loads a soundfont written in memory with just that part, and sounds exactly as it would
// with the whole file, since a note only ever plays the zones whose ranges hold its key and velocity.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vartenos {

// The notes the pieces play: for each instrument (bank * 128 + program, the drum channel's bank is
// 128), the key * 128 + velocity of its notes, sorted and without repeats. A channel's notes count for
// every instrument the file selects on that channel. Notes a channel plays before (or about when) it
// first selects an instrument sound on whatever it holds from the piece before: they count for every
// instrument, in `qualquer`.
struct NotasDasPecas {
  std::map<int, std::vector<uint16_t>> por_instrumento;
  std::vector<uint16_t> qualquer;
};

// Adds the notes of one standard MIDI file. False (nothing added) for a file that cannot be read.
bool SomarNotasDaPeca(const uint8_t* dados, size_t tamanho, NotasDasPecas& notas);

// Writes into `saida` a soundfont with the presets of `caminho` that `notas` selects (an instrument the
// file lacks stands for the preset the synthesizer would take instead: the same program in bank 0,
// then the piano; on the drum channel the standard kit), each with only the zones some of its notes
// reach, the instruments and samples those use, and nothing else. The piano and the standard kit are
// always there (every channel starts on one of them). False with the reason in `erro` when the file is
// not a soundfont this reads.
bool ExtrairSoundfont(const std::string& caminho, const NotasDasPecas& notas, std::vector<uint8_t>& saida,
                      std::string& erro);

}  // namespace vartenos
