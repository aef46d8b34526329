#include "phases/phase_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "platform/byte_files.h"
#include "platform/fatal_error.h"
#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

namespace {

// Byte offsets of the values inside an entry (slot n begins at 20·(n - 1)).
constexpr size_t kPadrao = 0, kTipo = 20, kInicio = 40, kQuantidade = 60, kParametro = 80, kAtira = 100,
                 kTemExtra = 120, kPortador = 140, kTipoExtra = 160, kInvertida = 180;

float LeFloat(const uint8_t* p) {
  const uint32_t u = Le32(p);
  float v;
  std::memcpy(&v, &u, sizeof v);
  return v;
}
int32_t LeInt32(const uint8_t* p) { return static_cast<int32_t>(Le32(p)); }
int16_t LeInt16(const uint8_t* p) { return static_cast<int16_t>(Le16(p)); }

void PoeU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PoeFloat(uint8_t* p, float v) {
  uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  PoeU32(p, u);
}
void PoeInt32(uint8_t* p, int32_t v) { PoeU32(p, static_cast<uint32_t>(v)); }
void PoeInt16(uint8_t* p, int16_t v) {
  const auto u = static_cast<uint16_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
}

void CodificarEntrada(const Entrada_Formacao& e, uint8_t* p) {
  std::memset(p, 0, kBytesEntradaFase);
  PoeFloat(p + kPadrao, e.Padrao);
  PoeFloat(p + kTipo, e.Tipo);
  PoeInt32(p + kInicio, e.Inicio);
  PoeInt32(p + kQuantidade, e.Quantidade);
  PoeFloat(p + kParametro, e.Parametro);
  PoeFloat(p + kAtira, e.Atira);
  PoeInt16(p + kTemExtra, e.Tem_Extra);
  PoeFloat(p + kPortador, e.Portador_Extra);
  PoeFloat(p + kTipoExtra, e.Tipo_Extra);
  PoeInt16(p + kInvertida, e.Invertida);
}

// Int(Rnd × n + add). The product is taken in double: a 24-bit random number times a small whole
// number is exact there, so Int(Rnd × 7 + 1) can never reach 8 by rounding.
double Sorteio(const std::function<float()>& Rnd, double n, double add = 0) {
  return Int(static_cast<double>(Rnd()) * n + add);
}

}  // namespace

std::string NomeArquivoFase(unsigned fase) { return "Fase" + std::to_string(fase) + ".FAS"; }

bool DecodificarFase(const uint8_t* data, size_t size, const std::string& name, Fase_Formacoes& out,
                     std::string& error) {
  if (size < kTamanhoMinimoFase) {
    error = name + ": " + std::to_string(size) + " bytes, at least " + std::to_string(kTamanhoMinimoFase) +
            " needed";
    return false;
  }
  for (size_t i = 0; i < out.size(); ++i) {
    const uint8_t* p = data + i * kBytesEntradaFase;
    Entrada_Formacao e;
    e.Padrao = LeFloat(p + kPadrao);
    e.Tipo = LeFloat(p + kTipo);
    e.Inicio = LeInt32(p + kInicio);
    e.Quantidade = LeInt32(p + kQuantidade);
    e.Parametro = LeFloat(p + kParametro);
    e.Atira = LeFloat(p + kAtira);
    e.Tem_Extra = LeInt16(p + kTemExtra);
    e.Portador_Extra = LeFloat(p + kPortador);
    e.Tipo_Extra = LeFloat(p + kTipoExtra);
    e.Invertida = LeInt16(p + kInvertida);
    e.Iniciada = false;
    out[i] = e;
  }
  return true;
}

std::vector<uint8_t> CodificarFase(const Fase_Formacoes& formacoes) {
  std::vector<uint8_t> bytes(kTamanhoFase);
  for (size_t i = 0; i < formacoes.size(); ++i)
    CodificarEntrada(formacoes[i], bytes.data() + i * kBytesEntradaFase);
  return bytes;
}

bool LerFase(const std::string& path, const std::string& name, Fase_Formacoes& out, std::string& error) {
  // Read with the system calls into a buffer on the stack: loading a phase at every new game allocates
  // nothing. Only the first 8762 bytes are ever read; a longer file (or a device) is not read to its end.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = name + ": " + (errno == ENOENT ? std::string("not found") : std::strerror(errno));
    return false;
  }
  std::array<uint8_t, kTamanhoMinimoFase> bytes;
  size_t got = 0;
  int erro = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) erro = errno;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (erro != 0) {
    error = name + ": " + std::strerror(erro);
    return false;
  }
  return DecodificarFase(bytes.data(), got, name, out, error);
}

std::vector<uint8_t> AutorarFase5(const std::function<float()>& Rnd, Fase_Formacoes& F) {
  std::vector<uint8_t> bytes(kTamanhoFase);
  uint8_t c = 0;
  for (size_t i = 0; i < F.size(); ++i) {
    Entrada_Formacao& e = F[i];
    e.Padrao = static_cast<float>(Sorteio(Rnd, 7, 1));
    e.Tipo = static_cast<float>(Sorteio(Rnd, 16));
    if (static_cast<double>(Rnd()) * 100 < 2) e.Tipo = 30;
    e.Inicio = i == 0 ? 3 : F[i - 1].Inicio + 10 + static_cast<int32_t>(Sorteio(Rnd, 18));
    if (i > 3) {
      // Grouping: this entry joins the one before it, or the two or three before it are pulled
      // together too. Those were written already; only the array in memory sees their new start.
      const auto r = static_cast<int32_t>(Sorteio(Rnd, 125));
      if (r >= 0 && r <= 9) {
        e.Inicio = F[i - 1].Inicio;
      } else if (r >= 21 && r <= 24) {
        F[i - 1].Inicio = F[i - 2].Inicio;
        e.Inicio = F[i - 1].Inicio;
      } else if (r >= 26 && r <= 29) {
        F[i - 2].Inicio = F[i - 3].Inicio;
        F[i - 1].Inicio = F[i - 2].Inicio;
        e.Inicio = F[i - 1].Inicio;
      }
    }
    if (e.Padrao == 3) {
      e.Quantidade = 15;
      e.Invertida = Sorteio(Rnd, 100) < 30 ? -1 : 0;
    } else {
      e.Quantidade = static_cast<int32_t>(Sorteio(Rnd, 17, 1)) + 3;
    }
    e.Atira = Sorteio(Rnd, 1000) > 100 ? 1.0f : 0.0f;
    e.Tem_Extra = Sorteio(Rnd, 1000) < 200 ? -1 : 0;
    if (++c == 6) {
      c = 0;
      e.Tem_Extra = -1;
    }
    if (e.Tem_Extra == -1) {
      e.Portador_Extra = static_cast<float>(Sorteio(Rnd, e.Quantidade));
      e.Tipo_Extra = static_cast<float>(Sorteio(Rnd, 9));
    }
    const auto extra_fixo = [&](float tipo) {
      e.Tem_Extra = -1;
      e.Portador_Extra = static_cast<float>(Sorteio(Rnd, e.Quantidade));
      e.Tipo_Extra = tipo;
    };
    if (i == 0 || i == 1) extra_fixo(7);
    if (i == 10 || i == 20 || i == 30) {
      extra_fixo(6);
    } else if (i == 15) {
      extra_fixo(8);
    }
    switch (static_cast<int>(e.Padrao)) {
      case 1:
        e.Parametro = 1;
        break;
      case 2:
        e.Parametro = static_cast<float>(Sorteio(Rnd, 4, 1));
        break;
      case 3:
        e.Parametro = static_cast<float>(Sorteio(Rnd, 10, 1));
        break;
      case 4:
      case 7:
        e.Parametro = static_cast<float>(Sorteio(Rnd, 2, 1));
        break;
      default:  // 5 and 6
        e.Parametro = static_cast<float>(Sorteio(Rnd, 3, 1));
        break;
    }
    e.Iniciada = false;
    CodificarEntrada(e, bytes.data() + i * kBytesEntradaFase);
  }
  return bytes;
}

bool Form1::Preenche_Vetor_Fases(uint8_t& Fase) {
  const std::string nome = NomeArquivoFase(Fase);
  Fase_Formacoes lidas{};
  std::string error;
  if (!LerFase(Pasta_Dados() + nome, nome, lidas, error)) {
    // Nothing of the game state changes: the caller goes back to the menu with the scores intact.
    platform_.MessageBox("Vartenos", error);
    return false;
  }
  Formacoes = lidas;
  Formacoes_Carregadas = static_cast<int32_t>(Formacoes.size());
  return true;
}

void Form1::Preenche_Arquivo_Fases() {
  Formacoes = {};
  Randomize();
  const std::vector<uint8_t> bytes = AutorarFase5([this] { return Rnd(); }, Formacoes);
  std::string error;
  if (!EscreverArquivo(Pasta_Dados() + NomeArquivoFase(5), bytes, error)) throw FatalError(error);
}

}  // namespace vartenos
