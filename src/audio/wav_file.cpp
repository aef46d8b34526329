#include "audio/wav_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vartenos {

namespace {

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void Poe32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void Poe16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}

}  // namespace

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
    pos += 8 + tam + (tam & 1);
  }
  error = tem_fmt ? "has no data chunk" : "has no format chunk";
  return false;
}

bool LerArquivo(const std::string& path, std::vector<uint8_t>& out, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = path + ": cannot open: " + std::strerror(errno);
    return false;
  }
  out.clear();
  uint8_t buf[65536];
  size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + got);
  const bool falhou = std::ferror(f);
  std::fclose(f);
  if (falhou) {
    error = path + ": cannot read";
    return false;
  }
  return true;
}

bool EscreverArquivo(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    error = path + ": cannot create: " + std::strerror(errno);
    return false;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) {
    error = path + ": cannot write";
    return false;
  }
  return true;
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
  v.insert(v.end(), {'R', 'I', 'F', 'F'});
  Poe32(v, 36 + dados);
  v.insert(v.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Poe32(v, 16);
  Poe16(v, 1);
  Poe16(v, static_cast<uint16_t>(som.canais));
  Poe32(v, static_cast<uint32_t>(som.taxa));
  Poe32(v, static_cast<uint32_t>(som.taxa) * bloco);
  Poe16(v, bloco);
  Poe16(v, 16);
  v.insert(v.end(), {'d', 'a', 't', 'a'});
  Poe32(v, dados);
  for (int16_t s : som.amostras) Poe16(v, static_cast<uint16_t>(s));
  return v;
}

bool EscreverArquivoWav(const std::string& path, const SomPcm& som, std::string& error) {
  return EscreverArquivo(path, BytesWav(som), error);
}

}  // namespace vartenos
