#include "audio/midi_file.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/byte_files.h"

namespace vartenos {

namespace {

struct Andamento {
  int64_t tick;
  int32_t us_por_seminima;
};

constexpr size_t kMaxAndamentos = 2048;
// Far beyond any real piece (at 960 ticks a quarter note and 300 beats a minute, more than 100 days),
// and small enough that every duration below is worked out without overflow.
constexpr int64_t kMaxTicks = int64_t{1} << 36;

// Reads a variable-length quantity at `p`; false when it runs past `fim` or is longer than 4 bytes.
bool LerVlq(const uint8_t*& p, const uint8_t* fim, uint32_t& v) {
  v = 0;
  for (int i = 0; i < 4; ++i) {
    if (p >= fim) return false;
    const uint8_t b = *p++;
    v = (v << 7) | (b & 0x7F);
    if (!(b & 0x80)) return true;
  }
  return false;
}

}  // namespace

namespace {

// The tempo changes of every track, in the order they were read.
struct Andamentos {
  std::array<Andamento, kMaxAndamentos>& lista;
  size_t n = 0;
};

// The header chunk: format, number of tracks and time division. Returns its length, 0 on error.
uint32_t LerCabecalhoMidi(const uint8_t* d, size_t n, InfoMidi& info, std::string& error) {
  if (n < 14 || std::memcmp(d, "MThd", 4) != 0) {
    error = "not a standard MIDI file (no MThd header)";
    return 0;
  }
  const uint32_t tam_cab = Be32(d + 4);
  if (tam_cab < 6 || 8 + static_cast<size_t>(tam_cab) > n) {
    error = "the MIDI header is damaged";
    return 0;
  }
  info.formato = (d[8] << 8) | d[9];
  info.trilhas = (d[10] << 8) | d[11];
  info.divisao = static_cast<int16_t>((d[12] << 8) | d[13]);
  if (info.formato > 2 || info.trilhas == 0 || info.divisao == 0) {
    error = "unsupported MIDI header (format " + std::to_string(info.formato) + ", " +
            std::to_string(info.trilhas) + " tracks)";
    return 0;
  }
  return tam_cab;
}

// One track's events from `p` to `fim`: counts its notes, notes its tempo changes and sets `tick` to
// its length. Track `t` (from 0) is named in the error.
bool LerTrilhaMidi(int t, const uint8_t* p, const uint8_t* fim, InfoMidi& info, Andamentos& andamentos,
                   int64_t& tick, std::string& error) {
  tick = 0;
  uint8_t corrente = 0;  // running status
  bool acabou = false;
  while (p < fim && !acabou) {
    uint32_t delta;
    if (!LerVlq(p, fim, delta)) break;
    tick += delta;
    if (tick > kMaxTicks) {
      error = "track " + std::to_string(t + 1) + " lasts more than " + std::to_string(kMaxTicks) + " ticks";
      return false;
    }
    if (p >= fim) break;
    uint8_t st = *p;
    if (st & 0x80) {
      ++p;
    } else {
      if (!corrente) {
        error = "track " + std::to_string(t + 1) + " has data without a status byte";
        return false;
      }
      st = corrente;
    }
    if (st == 0xFF) {
      if (p >= fim) break;
      const uint8_t tipo = *p++;
      uint32_t len;
      if (!LerVlq(p, fim, len) || len > static_cast<uint32_t>(fim - p)) break;
      if (tipo == 0x51 && len == 3) {
        if (andamentos.n == kMaxAndamentos) {
          error = "more than " + std::to_string(kMaxAndamentos) + " tempo changes";
          return false;
        }
        andamentos.lista[andamentos.n++] = {tick, static_cast<int32_t>((p[0] << 16) | (p[1] << 8) | p[2])};
      }
      if (tipo == 0x2F) acabou = true;
      p += len;
    } else if (st == 0xF0 || st == 0xF7) {
      uint32_t len;
      if (!LerVlq(p, fim, len) || len > static_cast<uint32_t>(fim - p)) break;
      p += len;
    } else if (st >= 0xF0) {
      // System common/real-time bytes have no business in a file; skip the byte.
    } else {
      corrente = st;
      const int dados = (st & 0xF0) == 0xC0 || (st & 0xF0) == 0xD0 ? 1 : 2;
      if (fim - p < dados) break;
      if ((st & 0xF0) == 0x90 && p[1] > 0) ++info.notas;
      p += dados;
    }
  }
  if (!acabou) {
    error = "track " + std::to_string(t + 1) + " is cut short (no end-of-track event)";
    return false;
  }
  return true;
}

// The piece's length in microseconds, from its ticks and the tempo map (or SMPTE frames).
bool CalcularDuracao(InfoMidi& info, Andamentos& andamentos, std::string& error) {
  const int16_t divisao = info.divisao;
  if (divisao < 0) {
    const int fps = -(divisao >> 8);
    const int por_quadro = divisao & 0xFF;
    if (por_quadro == 0) {
      error = "the MIDI header gives SMPTE timing with no ticks per frame";
      return false;
    }
    info.duracao_us = info.ticks * 1000000 / (static_cast<int64_t>(fps == 29 ? 30 : fps) * por_quadro);
    return true;
  }
  auto& lista = andamentos.lista;
  std::stable_sort(lista.begin(), lista.begin() + andamentos.n,
                   [](const Andamento& a, const Andamento& b) { return a.tick < b.tick; });
  // 500,000 us per quarter note (120 beats a minute) until the first tempo change.
  int64_t us = 0, tick = 0, por_seminima = 500000;
  for (size_t i = 0; i < andamentos.n && lista[i].tick < info.ticks; ++i) {
    us += (lista[i].tick - tick) * por_seminima / divisao;
    tick = lista[i].tick;
    por_seminima = lista[i].us_por_seminima;
  }
  us += (info.ticks - tick) * por_seminima / divisao;
  info.duracao_us = us;
  return true;
}

}  // namespace

bool AnalisarMidi(const uint8_t* d, size_t n, InfoMidi& info, std::string& error) {
  info = InfoMidi{};
  const uint32_t tam_cab = LerCabecalhoMidi(d, n, info, error);
  if (tam_cab == 0) return false;
  static thread_local std::array<Andamento, kMaxAndamentos> lista;
  Andamentos andamentos{lista};
  size_t pos = 8 + tam_cab;
  for (int t = 0; t < info.trilhas; ++t) {
    if (pos + 8 > n || std::memcmp(d + pos, "MTrk", 4) != 0) {
      error = "track " + std::to_string(t + 1) + " is missing or has no MTrk header";
      return false;
    }
    const uint32_t tam = Be32(d + pos + 4);
    if (pos + 8 + static_cast<size_t>(tam) > n) {
      error = "track " + std::to_string(t + 1) + " runs past the end of the file";
      return false;
    }
    int64_t tick = 0;
    if (!LerTrilhaMidi(t, d + pos + 8, d + pos + 8 + tam, info, andamentos, tick, error)) return false;
    info.ticks = std::max(info.ticks, tick);
    pos += 8 + tam;
  }
  return CalcularDuracao(info, andamentos, error);
}

void PercorrerMensagensMidi(const uint8_t* d, size_t n, const MensagemMidi& mensagem) {
  if (d == nullptr || n < 14 || std::memcmp(d, "MThd", 4) != 0) return;
  size_t pos = 8 + static_cast<size_t>(Be32(d + 4));
  int trilha = 0;
  while (pos + 8 <= n) {
    const size_t inicio = pos + 8;
    const size_t fim = std::min(n, inicio + Be32(d + pos + 4));
    const bool eh_trilha = std::memcmp(d + pos, "MTrk", 4) == 0;
    pos = fim;
    if (!eh_trilha) continue;
    size_t i = inicio;
    uint8_t status = 0;
    uint32_t tick = 0;
    const auto vlq = [&] {
      uint32_t v = 0;
      while (i < fim) {
        const uint8_t b = d[i++];
        v = (v << 7) | (b & 0x7F);
        if ((b & 0x80) == 0) break;
      }
      return v;
    };
    while (i < fim) {
      tick += vlq();
      if (i >= fim) break;
      if (d[i] & 0x80) {
        status = d[i++];
      } else if (status == 0) {
        break;  // data without a status: the rest of the track cannot be read
      }
      if (status == 0xFF) {
        if (i >= fim) break;
        ++i;  // meta type
        i += vlq();
        status = 0;
        continue;
      }
      if (status == 0xF0 || status == 0xF7) {
        i += vlq();
        status = 0;
        continue;
      }
      const int tipo = status & 0xF0;
      const size_t dados = (tipo == 0xC0 || tipo == 0xD0) ? 1 : 2;
      if (i + dados > fim) break;
      mensagem(tick, trilha, status, d[i], dados == 2 ? d[i + 1] : uint8_t{0});
      i += dados;
    }
    ++trilha;
  }
}

}  // namespace vartenos
