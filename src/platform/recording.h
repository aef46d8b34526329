// Recording a session: everything the game reads from the outside world that can change its course
// — every clock reading the game takes, every key, focus, close and timer event with the clock at
// its delivery, every answer of the sound device the game acts on, the command line and the data
// files — plus a hash of the whole game state after every present. A recording played back on the
// headless platform retraces the session present by present. The format is text, one record a line;
// docs/headless.md describes it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vartenos {

inline constexpr int kVersaoGravacao = 1;
inline constexpr const char* kAssinaturaGravacao = "vartenos-recording";

// The 64-bit hash of the recording's state lines and data files: eight bytes at a time, each mixed in
// by a multiply and a shift, so hashing a present's whole state stays a small part of a frame.
inline uint64_t Hash64(std::string_view bytes, uint64_t h = 0x243f6a8885a308d3ull) {
  constexpr uint64_t kMul = 0x9e3779b97f4a7c15ull;
  const char* p = bytes.data();
  size_t n = bytes.size();
  h ^= n * kMul;
  while (n >= 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    h = (h ^ w) * kMul;
    h ^= h >> 29;
    p += 8;
    n -= 8;
  }
  uint64_t w = 0;
  if (n > 0) std::memcpy(&w, p, n);
  h = (h ^ w ^ (static_cast<uint64_t>(n) << 56)) * kMul;
  h ^= h >> 32;
  return h;
}

struct ArquivoDeDados {
  std::string nome;
  uint64_t tamanho = 0;
  uint64_t hash = 0;
};

// The data directory's regular files, sorted by name, each with its size and hash. False with
// "DIR: problem" in `error` when the directory cannot be read.
bool ResumirDados(const std::string& pasta, std::vector<ArquivoDeDados>& out, std::string& error);

// One line of a recording's body.
struct Registro {
  enum Tipo : uint8_t {
    Relogio,      // c VALUE: the game read the clock
    Resposta,     // a 0|1: the sound device answered
    Tecla,        // d T VK, u T VK, p T CODE: a key went down, came up, typed a character
    Foco,         // f T: the window lost the keyboard focus
    Fechar,       // x T: the window is being closed
    Timers,       // t T: the timers due at T fired
    FimDeEspera,  // w: the end of one pass over the window events
    Quadro,       // h N HASH [FIELD=HASH]...: after present N, the state's hash
    Fim,          // end N: the session ended after N presents
  };
  Tipo tipo = Relogio;
  char tecla = 0;  // 'd', 'u' or 'p' for Tecla
  int32_t valor = 0;
  int32_t codigo = 0;
  int64_t quadro = 0;
  uint64_t hash = 0;
  // For Quadro: the fields whose hash changed since the previous present, as name and hash.
  std::vector<std::pair<std::string, uint64_t>> campos;
  int linha = 0;  // line number in the file, for messages
};

struct Gravacao {
  int versao = 0;
  std::string linha_de_comando;
  std::vector<ArquivoDeDados> dados;
  std::vector<Registro> registros;
  bool completa = false;  // ends with its "end" line
};

// Reads a whole recording. A damaged line, a wrong signature or version gives false with
// "NAME:LINE: problem" in `error`. A recording cut short (no "end" line, as after a crash) reads
// with `completa` false.
bool LerGravacaoTexto(std::string_view text, const std::string& name, Gravacao& out, std::string& error);
bool LerGravacao(const std::string& path, Gravacao& out, std::string& error);

// Writes a recording as the session goes. Every line is written at once; the file is flushed after
// each present so a session that ends abruptly keeps all it had shown.
class GravadorDeSessao {
 public:
  // Throws FatalError naming the file when it cannot be created.
  GravadorDeSessao(const std::string& path, const std::string& linha_de_comando,
                   const std::vector<ArquivoDeDados>& dados);
  ~GravadorDeSessao();
  GravadorDeSessao(const GravadorDeSessao&) = delete;
  GravadorDeSessao& operator=(const GravadorDeSessao&) = delete;

  void Relogio(int32_t v);
  void Resposta(bool v);
  void Tecla(char tipo, int32_t t, int32_t codigo);
  void Evento(char tipo, int32_t t);  // 'f', 'x' or 't'
  void FimDeEspera();
  // `campos`: " NAME=HASH..." already formatted (may be empty).
  void Quadro(int64_t n, uint64_t hash, std::string_view campos);
  void Fim(int64_t presents);

 private:
  std::FILE* f_ = nullptr;
  std::string path_;
  bool fim_ = false;
};

// The inputs delivered to the game since the last present, as short text lines ("d 1234 32"):
// part of each present's state hash, so a key that arrives at another time shows as a different
// state at the present that follows it.
class EntradasDoQuadro {
 public:
  EntradasDoQuadro() { texto_.reserve(4096); }
  void Anotar(char tipo, int32_t t, int32_t codigo = -1);
  const std::string& Texto() const { return texto_; }
  void Limpar() { texto_.clear(); }

 private:
  std::string texto_;
};

// A platform that passes everything to another one and writes what the game read into a recording.
class PlataformaGravadora : public Platform {
 public:
  PlataformaGravadora(Platform& base, GravadorDeSessao& gravador, EntradasDoQuadro& entradas);

  int32_t TickCount() override;
  int32_t RelogioDoSom() override { return base_.RelogioDoSom(); }
  bool RespostaDoSom(bool resposta) override;
  void OpenDisplay() override { base_.OpenDisplay(); }
  void CloseDisplay() override;
  void Present(const Surface& primary) override { base_.Present(primary); }
  void DoEvents(EventSink& sink) override;
  void WaitUntil(int32_t deadline, EventSink& sink) override;
  void WaitAnyEvent(EventSink& sink) override;
  void MessageBox(const std::string& title, const std::string& text) override {
    base_.MessageBox(title, text);
  }
  AudioOutput* Audio() override { return base_.Audio(); }

  // Called after each present with its number: the session's end line counts them.
  void Apresentado(int64_t n) { presents_ = n + 1; }

 private:
  class Ouvinte;
  Platform& base_;
  GravadorDeSessao& gravador_;
  EntradasDoQuadro& entradas_;
  int64_t presents_ = 0;
};

}  // namespace vartenos
