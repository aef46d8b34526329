// Any bytes as the General MIDI soundfont: the game cuts the file down to what its pieces can sound
// before the synthesizer loads it. A refused file names itself; an accepted one is read back whole.
#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "audio/soundfont_subset.h"
#include "fuzz_target.h"

namespace vartenos::fuzz {

std::string Exercitar_soundfont(const uint8_t* data, size_t size) {
  // The reader takes a file: one per process, written anew for every input.
  static const std::string caminho = "/tmp/vartenos-fuzz-" + std::to_string(::getpid()) + ".sf2";
  const int escrita = ::open(caminho.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (escrita < 0 || ::write(escrita, data, size) != static_cast<ssize_t>(size))
    return "cannot write " + caminho;
  ::close(escrita);
  // A piano melody, a drum hit and a note on a channel before its first instrument.
  NotasDasPecas notas;
  notas.por_instrumento[0] = {60 * 128 + 100, 72 * 128 + 64};
  notas.por_instrumento[128 * 128] = {36 * 128 + 127};
  notas.qualquer = {48 * 128 + 90};
  SoundfontParcial parte;
  std::string erro;
  if (!ExtrairSoundfont(caminho, notas, parte, erro))
    return erro.rfind(caminho + ":", 0) == 0 ? "" : "the error does not name the file: " + erro;
  // The new file read back in pieces, as the synthesizer reads it; its samples come from this file.
  if (parte.Tamanho() > (uint64_t{1} << 31))
    return "a new file of " + std::to_string(parte.Tamanho()) + " bytes";
  const int leitura = ::open(caminho.c_str(), O_RDONLY);
  std::vector<uint8_t> bloco(4096);
  for (uint64_t pos = 0; pos < parte.Tamanho(); pos += bloco.size()) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(bloco.size(), parte.Tamanho() - pos));
    if (!parte.Ler(leitura, pos, n, bloco.data())) {
      ::close(leitura);
      return "the new file cannot be read at " + std::to_string(pos);
    }
  }
  std::vector<uint8_t> alem(8);
  const bool passou = parte.Ler(leitura, parte.Tamanho(), alem.size(), alem.data());
  ::close(leitura);
  return passou ? "read past the end of the new file" : "";
}

}  // namespace vartenos::fuzz

VARTENOS_ALVO_FUZZ(soundfont)
