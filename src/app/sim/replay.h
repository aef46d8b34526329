// A recording played back and checked present by present: the same runner for the headless runner
// (`vartenos-sim --replay`) and the game's window (`vartenos --replay`), which differ only in where the
// picture, the sound and the pace go.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/watched_replay.h"
#include "shell/form1.h"
#include "sim/record.h"
#include "sim/replay_check.h"
#include "sim/trace.h"

namespace vartenos::sim {

// How a replay ended.
struct Desfecho {
  enum Como {
    Tocada,        // played to the recording's end, every present as recorded
    Interrompida,  // the viewer stopped the showing (Esc, or closing the window)
    Desvio,        // the game departed from the recording at present `presents`
    Cortada,       // the recording stops without its end line: played as far as it goes
    Recusada,      // not played: the file is not a readable recording, or its data are not ours
    Erro,          // the game itself failed (a damaged data file, no display)
  };
  Como como = Tocada;
  int64_t presents = 0;  // presents checked; with Desvio, the present that differs
  std::string mensagem;  // for all but Tocada and Interrompida: what went wrong, naming the file
};

// The exit status of a replay, the same for both programs: 0 played or stopped by the viewer, 1 a
// departure or a failure of the game, 2 a recording that cannot be played (or not to its end).
int StatusDeSaida(const Desfecho& d);

// Reads the recording at `path` into `g` and checks that `data_dir` holds, byte for byte, the data it
// was made with. Nothing when it may be played; otherwise the Recusada that says why.
std::optional<Desfecho> AbrirGravacao(const std::string& path, const std::string& data_dir, Gravacao& g);

class Reproducao : private Presenter {
 public:
  // The game on the recording `g` (read from `path`) and `data_dir`. With `janela`, shown in that
  // window at the recorded pace, with sound and music; Esc there stops it.
  Reproducao(const Gravacao& g, std::string path, const std::string& data_dir, Platform* janela = nullptr);
  ~Reproducao() override;

  const Form1& Jogo() const { return form_; }
  const Coletor& Textos() const { return coletor_; }
  // Another observer of every present, called before the present is checked (the runner's trace).
  void Seguir(Presenter* seguinte) { seguinte_ = seguinte; }
  // Plays the recording through; never throws.
  Desfecho Tocar();

 private:
  void Presented(const Surface& surface) override;
  Desfecho Acabou(Desfecho::Como como, std::string mensagem = "") const;

  const Gravacao& g_;
  const std::string path_;
  EntradasDoQuadro entradas_;
  PlataformaReproducao gravacao_;
  std::unique_ptr<PlataformaAssistida> janela_;
  Form1 form_;
  Coletor coletor_;
  EstadoDoQuadro estado_;
  ConferenciaDaGravacao conferencia_;
  Presenter* seguinte_ = nullptr;
  int64_t n_ = 0;
};

}  // namespace vartenos::sim
