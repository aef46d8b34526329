// Reading and writing the game's WAV files: RIFF PCM, 8 or 16 bits, mono or stereo.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/byte_files.h"

namespace vartenos {

struct SomPcm {
  int32_t taxa = 22050;           // frames per second
  int16_t canais = 2;             // 1 or 2
  std::vector<int16_t> amostras;  // interleaved, canais per frame
  int64_t Quadros() const { return canais ? static_cast<int64_t>(amostras.size()) / canais : 0; }
};

// Parses a WAV file held in memory. On failure returns false with the problem in `error`
// (without the file name; the caller adds it).
bool LerWav(const uint8_t* dados, size_t tamanho, SomPcm& som, std::string& error);
// Reads a WAV file; `error` names the file.
bool LerArquivoWav(const std::string& path, SomPcm& som, std::string& error);
// The bytes of a 16-bit PCM WAV file.
std::vector<uint8_t> BytesWav(const SomPcm& som);
bool EscreverArquivoWav(const std::string& path, const SomPcm& som, std::string& error);

}  // namespace vartenos
