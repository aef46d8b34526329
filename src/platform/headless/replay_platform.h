// Plays a recording back: the clock readings, events and sound answers come from the recording,
// in the order the game took them, with no window and no sound device. Where the game asks for
// something other than what the recording holds next, the replay has departed from the session.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/platform.h"
#include "platform/recording.h"

namespace vartenos {

// The replay departed from the recording; what() says where and how.
class DesvioDaGravacao : public std::runtime_error {
 public:
  DesvioDaGravacao(int64_t present, const std::string& what) : std::runtime_error(what), present(present) {}
  int64_t present;
};

// The replay reached the end of the recording: `completa` false when the recording was cut short.
struct FimDaGravacao {
  bool completa;
  int linha;
};

class PlataformaReproducao : public Platform {
 public:
  PlataformaReproducao(const Gravacao& gravacao, EntradasDoQuadro& entradas);

  int32_t TickCount() override;
  int32_t RelogioDoSom() override { return clock_; }
  bool RespostaDoSom(bool resposta) override;
  void OpenDisplay() override {}
  void CloseDisplay() override {}
  void Present(const Surface&) override {}
  void DoEvents(EventSink& sink) override { Entregar(sink); }
  void WaitUntil(int32_t, EventSink& sink) override { Entregar(sink); }
  void WaitAnyEvent(EventSink& sink) override { Entregar(sink); }
  void MessageBox(const std::string& title, const std::string& text) override;
  AudioOutput* Audio() override { return nullptr; }

  // The state line recorded after present `n`; throws DesvioDaGravacao when the recording holds
  // something else there.
  const Registro& Quadro(int64_t n);
  // Where the replay stands: the next line of the recording, and presents checked so far.
  int Linha() const;
  int64_t Presents() const { return presents_; }
  // True when all the recording's session has been replayed: only its end line is left.
  bool NoFim() const { return i_ >= g_.registros.size() || g_.registros[i_].tipo == Registro::Fim; }

 private:
  const Registro& Proximo(const char* pedido, Registro::Tipo esperado);
  void Entregar(EventSink& sink);
  [[noreturn]] void Desvio(const char* pedido, const Registro& r);

  const Gravacao& g_;
  EntradasDoQuadro& entradas_;
  size_t i_ = 0;
  int32_t clock_ = 0;
  int64_t presents_ = 0;
};

// One line of a recording in words, for messages.
std::string DescreverRegistro(const Registro& r);

}  // namespace vartenos
