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

// A soundfont laid out anew: its header and preset data held in memory, its samples read when asked
// for from the soundfont file they come from (so the samples are never held twice while the
// synthesizer loads them).
class SoundfontParcial {
 public:
  // The new file's size in bytes.
  uint64_t Tamanho() const { return tamanho_; }
  // Copies `n` bytes from `pos` of the new file into `out`, reading samples through `arquivo`, the
  // soundfont file open for reading. False past the end or when the file cannot be read.
  bool Ler(int arquivo, uint64_t pos, size_t n, uint8_t* out) const;
  const std::string& Origem() const { return origem_; }

 private:
  friend bool ExtrairSoundfont(const std::string&, const NotasDasPecas&, SoundfontParcial&, std::string&);
  friend struct ExtracaoSoundfont;
  // A run of sample points: where it starts in the file's sample data and in the new one.
  struct Trecho {
    uint64_t de, quantas, para;
  };
  // A stretch of the new file: bytes held here, or (when `bytes` is empty) sample points of
  // `largura` bytes each, zero but for the runs, read from `arquivo_pos` in the soundfont file.
  struct Pedaco {
    uint64_t inicio = 0, tamanho = 0;
    std::vector<uint8_t> bytes;
    int largura = 0;
    uint64_t arquivo_pos = 0;
  };
  void Acrescentar(std::vector<uint8_t> bytes);
  void AcrescentarAmostras(uint64_t pontos, int largura, uint64_t arquivo_pos);

  std::string origem_;
  std::vector<Pedaco> pedacos_;
  std::vector<Trecho> trechos_;
  uint64_t tamanho_ = 0;
};

// Lays out in `saida` a soundfont with the presets of `caminho` that `notas` selects (an instrument the
// file lacks stands for the preset the synthesizer would take instead: the same program in bank 0,
// then the piano; on the drum channel the standard kit), each with only the zones some of its notes
// reach, the instruments and samples those use, and nothing else. The piano and the standard kit are
// always there (every channel starts on one of them). False with the reason in `erro` when the file is
// not a soundfont this reads.
bool ExtrairSoundfont(const std::string& caminho, const NotasDasPecas& notas, SoundfontParcial& saida,
                      std::string& erro);

}  // namespace vartenos
