// Any bytes as a sound effect: read as the game reads its WAV files, resampled to the mixer's rate as
// a sound device does, and written back and read again.
#include <cmath>
#include <numeric>

#include "audio/sound.h"
#include "audio/wav_file.h"
#include "fuzz_target.h"

namespace vartenos::fuzz {

std::string Exercitar_wav_file(const uint8_t* data, size_t size) {
  SomPcm som;
  std::string error;
  if (!LerWav(data, size, som, error)) return error.empty() ? "refused without saying why" : "";
  const std::string formato = std::to_string(som.canais) + " channels at " + std::to_string(som.taxa) + " Hz";
  if ((som.canais != 1 && som.canais != 2) || som.taxa < 4000 || som.taxa > 192000)
    return "read as " + formato;
  if (som.amostras.empty() || som.amostras.size() % som.canais != 0) {
    return std::to_string(som.amostras.size()) + " samples of " + formato;
  }
  // The mixer runs at 44.1 kHz; rates whose resampling kernel is large are left out to keep runs fast.
  constexpr int kMixer = 44100;
  if (kMixer / std::gcd(som.taxa, kMixer) <= 441) {
    const std::vector<float> f = Reamostrar(som.amostras.data(), som.Quadros(), som.canais, som.taxa, kMixer);
    if (static_cast<int64_t>(f.size()) != som.Quadros() * kMixer / som.taxa * 2)
      return "resampled to the wrong length";
    for (float x : f) {
      if (!std::isfinite(x) || std::fabs(x) > 2.0f)
        return "resampled to " + std::to_string(x) + " from " + formato;
    }
  }
  SomPcm volta;
  const std::vector<uint8_t> escrito = BytesWav(som);
  if (!LerWav(escrito.data(), escrito.size(), volta, error)) return "written back and refused: " + error;
  if (volta.canais != som.canais || volta.taxa != som.taxa || volta.amostras != som.amostras) {
    return "written back and read differently (" + formato + ")";
  }
  return "";
}

}  // namespace vartenos::fuzz

VARTENOS_ALVO_FUZZ(wav_file)
