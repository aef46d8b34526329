#include "audio/wav_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/byte_files.h"

namespace vartenos {

bool LerWav(const uint8_t* d, size_t n, SomPcm& som, std::string& error) {
  if (n < 12 || std::memcmp(d, "RIFF", 4) != 0 || std::memcmp(d + 8, "WAVE", 4) != 0) {
    error = "not a WAV file (no RIFF/WAVE header)";
    return false;
  }
  bool tem_fmt = false;
  int bits = 0;
  size_t pos = 12;
  while (pos + 8 <= n) {
    const uint32_t tam = Le32(d + pos + 4);
    const uint8_t* corpo = d + pos + 8;
    const size_t resta = n - pos - 8;
    if (std::memcmp(d + pos, "fmt ", 4) == 0) {
      if (tam < 16 || resta < 16) {
        error = "the format chunk is too short";
        return false;
      }
      const uint16_t tag = Le16(corpo);
      som.canais = static_cast<int16_t>(Le16(corpo + 2));
      som.taxa = static_cast<int32_t>(Le32(corpo + 4));
      bits = Le16(corpo + 14);
      if (tag != 1) {
        error = "not PCM (format tag " + std::to_string(tag) + ")";
        return false;
      }
      if (som.canais != 1 && som.canais != 2) {
        error = std::to_string(som.canais) + " channels (only mono and stereo are read)";
        return false;
      }
      if (bits != 8 && bits != 16) {
        error = std::to_string(bits) + " bits per sample (only 8 and 16 are read)";
        return false;
      }
      if (som.taxa < 4000 || som.taxa > 192000) {
        error = "sample rate " + std::to_string(som.taxa) + " Hz is out of range";
        return false;
      }
      tem_fmt = true;
    } else if (std::memcmp(d + pos, "data", 4) == 0) {
      if (!tem_fmt) {
        error = "the data chunk comes before the format chunk";
        return false;
      }
      const size_t bytes = tam > resta ? resta : tam;  // a truncated file keeps what it has
      const size_t por_amostra = bits / 8;
      const size_t amostras = bytes / por_amostra / som.canais * som.canais;
      som.amostras.resize(amostras);
      for (size_t i = 0; i < amostras; ++i) {
        som.amostras[i] = bits == 16 ? static_cast<int16_t>(Le16(corpo + 2 * i))
                                     : static_cast<int16_t>((corpo[i] - 128) * 256);
      }
      if (amostras == 0) {
        error = "holds no samples";
        return false;
      }
      return true;
    }
    // In 64 bits: a chunk size near 4 GiB must not wrap around to a step of nothing.
    pos += 8 + static_cast<size_t>(tam) + (tam & 1);
  }
  error = tem_fmt ? "has no data chunk" : "has no format chunk";
  return false;
}

bool LerArquivoWav(const std::string& path, SomPcm& som, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!LerArquivo(path, bytes, error)) return false;
  if (!LerWav(bytes.data(), bytes.size(), som, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

std::vector<uint8_t> BytesWav(const SomPcm& som) {
  std::vector<uint8_t> v;
  const uint32_t dados = static_cast<uint32_t>(som.amostras.size() * 2);
  const uint16_t bloco = static_cast<uint16_t>(som.canais * 2);
  v.reserve(44 + dados);
  PoeTexto(v, "RIFF");
  PoeLe32(v, 36 + dados);
  PoeTexto(v, "WAVEfmt ");
  PoeLe32(v, 16);
  PoeLe16(v, 1);
  PoeLe16(v, static_cast<uint16_t>(som.canais));
  PoeLe32(v, static_cast<uint32_t>(som.taxa));
  PoeLe32(v, static_cast<uint32_t>(som.taxa) * bloco);
  PoeLe16(v, bloco);
  PoeLe16(v, 16);
  PoeTexto(v, "data");
  PoeLe32(v, dados);
  for (int16_t s : som.amostras) PoeLe16(v, static_cast<uint16_t>(s));
  return v;
}

bool EscreverArquivoWav(const std::string& path, const SomPcm& som, std::string& error) {
  return EscreverArquivo(path, BytesWav(som), error);
}

}  // namespace vartenos
