#include "platform/watched_replay.h"

namespace vartenos {

void PlataformaAssistida::Acompanhar(int32_t gravado) {
  // The recorded time, set against the window's clock when the showing began: each frame is shown
  // when as much real time has passed as it had in the session.
  if (!iniciado_) {
    iniciado_ = true;
    real0_ = janela_.TickCount();
    gravado0_ = gravado;
  }
  janela_.WaitUntil(real0_ + (gravado - gravado0_), espectador_);
  if (espectador_.parar) throw ReproducaoInterrompida{};
}

void PlataformaAssistida::DoEvents(EventSink& sink) {
  janela_.DoEvents(espectador_);
  if (espectador_.parar) throw ReproducaoInterrompida{};
  gravacao_.DoEvents(sink);
}

void PlataformaAssistida::WaitUntil(int32_t deadline, EventSink& sink) {
  gravacao_.WaitUntil(deadline, sink);
  Acompanhar(deadline);
}

void PlataformaAssistida::WaitAnyEvent(EventSink& sink) {
  gravacao_.WaitAnyEvent(sink);
  Acompanhar(gravacao_.RelogioDoSom());
}

}  // namespace vartenos
