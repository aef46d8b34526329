// Any bytes as a piece of music: parsed as the game checks its MIDI files at start-up and times them
// when they play.
#include "audio/midi_file.h"
#include "fuzz_target.h"

namespace vartenos::fuzz {

std::string Exercitar_midi_file(const uint8_t* data, size_t size) {
  InfoMidi info;
  std::string error;
  if (!AnalisarMidi(data, size, info, error)) return error.empty() ? "refused without saying why" : "";
  if (info.formato < 0 || info.formato > 2 || info.trilhas < 1 || info.divisao == 0)
    return "read a bad header";
  if (info.ticks < 0 || info.duracao_us < 0 || info.notas < 0) {
    return "lasts " + std::to_string(info.ticks) + " ticks, " + std::to_string(info.duracao_us) + " us";
  }
  // The game parses a piece again each time it plays it: the same answer every time.
  InfoMidi outra;
  if (!AnalisarMidi(data, size, outra, error) || outra.ticks != info.ticks ||
      outra.duracao_us != info.duracao_us || outra.notas != info.notas) {
    return "a second reading differs";
  }
  return "";
}

}  // namespace vartenos::fuzz

VARTENOS_ALVO_FUZZ(midi_file)
