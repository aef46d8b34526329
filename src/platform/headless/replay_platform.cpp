#include "platform/headless/replay_platform.h"

#include <cstdio>

namespace vartenos {

std::string DescreverRegistro(const Registro& r) {
  const std::string t = std::to_string(r.valor);
  switch (r.tipo) {
    case Registro::Relogio:
      return "a clock reading (" + t + ")";
    case Registro::Resposta:
      return std::string("a sound device answer (") + (r.valor ? "playing" : "not playing") + ")";
    case Registro::Tecla:
      return std::string(r.tecla == 'd'   ? "key down "
                         : r.tecla == 'u' ? "key up "
                                          : "key press ") +
             std::to_string(r.codigo) + " at " + t;
    case Registro::Foco:
      return "focus lost at " + t;
    case Registro::Fechar:
      return "window closed at " + t;
    case Registro::Timers:
      return "timers at " + t;
    case Registro::FimDeEspera:
      return "the end of a pass over the events";
    case Registro::Quadro:
      return "the state after present " + std::to_string(r.quadro);
    case Registro::Fim:
      return "the end after " + std::to_string(r.quadro) + " presents";
  }
  return "?";
}

PlataformaReproducao::PlataformaReproducao(const Gravacao& gravacao, EntradasDoQuadro& entradas)
    : g_(gravacao), entradas_(entradas) {}

int PlataformaReproducao::Linha() const {
  return i_ < g_.registros.size() ? g_.registros[i_].linha
                                  : (g_.registros.empty() ? 0 : g_.registros.back().linha + 1);
}

void PlataformaReproducao::Desvio(const char* pedido, const Registro& r) {
  throw DesvioDaGravacao(presents_, "present " + std::to_string(presents_) + ": the game asked for " +
                                        pedido + ", but line " + std::to_string(r.linha) +
                                        " of the recording holds " + DescreverRegistro(r));
}

const Registro& PlataformaReproducao::Proximo(const char* pedido, Registro::Tipo esperado) {
  if (i_ >= g_.registros.size()) throw FimDaGravacao{false, Linha()};
  const Registro& r = g_.registros[i_];
  if (r.tipo == Registro::Fim) throw FimDaGravacao{true, r.linha};
  if (r.tipo != esperado) Desvio(pedido, r);
  ++i_;
  return r;
}

int32_t PlataformaReproducao::TickCount() {
  clock_ = Proximo("a clock reading", Registro::Relogio).valor;
  return clock_;
}

bool PlataformaReproducao::RespostaDoSom(bool) {
  return Proximo("a sound device answer", Registro::Resposta).valor != 0;
}

const Registro& PlataformaReproducao::Quadro(int64_t n) {
  const Registro& r = Proximo("the state after a present", Registro::Quadro);
  if (r.quadro != n) Desvio(("the state after present " + std::to_string(n)).c_str(), r);
  presents_ = n + 1;
  return r;
}

void PlataformaReproducao::Entregar(EventSink& sink) {
  // The events of one pass, as the session delivered them, up to the pass's end.
  for (;;) {
    if (i_ >= g_.registros.size()) throw FimDaGravacao{false, Linha()};
    const Registro& r = g_.registros[i_];
    if (r.tipo == Registro::FimDeEspera) {
      ++i_;
      return;
    }
    if (r.tipo == Registro::Fim) throw FimDaGravacao{true, r.linha};
    const bool tecla = r.tipo == Registro::Tecla;
    if (!tecla && r.tipo != Registro::Foco && r.tipo != Registro::Fechar && r.tipo != Registro::Timers)
      Desvio("the window events", r);
    ++i_;
    clock_ = r.valor;
    const char tipo = tecla                        ? r.tecla
                      : r.tipo == Registro::Foco   ? 'f'
                      : r.tipo == Registro::Fechar ? 'x'
                                                   : 't';
    entradas_.Anotar(tipo, r.valor, tecla ? r.codigo : -1);
    const auto codigo = static_cast<int16_t>(r.codigo);
    switch (tipo) {
      case 'd':
        sink.KeyDown(codigo);
        break;
      case 'u':
        sink.KeyUp(codigo);
        break;
      case 'p':
        sink.KeyPress(codigo);
        break;
      case 'f':
        sink.FocusLost();
        break;
      case 'x':
        sink.CloseRequested();
        break;
      default:
        sink.FireTimers(r.valor);
        break;
    }
  }
}

void PlataformaReproducao::MessageBox(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "message box \"%s\": %s\n", title.c_str(), text.c_str());
}

}  // namespace vartenos
