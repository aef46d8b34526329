#include "app/watch_replay.h"

#include <cstdio>
#include <exception>
#include <string>

#include "app/data_dir.h"
#include "display/font_ttf.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/watched_replay.h"
#include "shell/form1.h"
#include "sim/replay_check.h"

namespace vartenos {

namespace {

// Checks each present against the recording as the showing goes.
class Conferente : public Presenter {
 public:
  Conferente(sim::ConferenciaDaGravacao& conferencia, sim::Coletor& coletor)
      : conferencia_(conferencia), coletor_(coletor) {}
  void Presented(const Surface&) override {
    conferencia_.Comparar(n_++);
    coletor_.Limpar();
  }
  int64_t Presents() const { return n_; }

 private:
  sim::ConferenciaDaGravacao& conferencia_;
  sim::Coletor& coletor_;
  int64_t n_ = 0;
};

// Said on standard error and in a message box: a viewer started from a launcher sees it too.
int Recusar(SdlPlatform* janela, const std::string& texto, int status) {
  std::fprintf(stderr, "vartenos: %s\n", texto.c_str());
  if (janela != nullptr) {
    janela->MessageBox("Vartenos", texto);
  } else {
    SdlPlatform::MostrarFalha("Vartenos", texto);
  }
  return status;
}

}  // namespace

int AssistirGravacao(const char* path, const char* argv0) {
  std::string tried;
  const std::string data_dir = EncontrarPastaDados(argv0, tried);
  if (data_dir.empty()) return Recusar(nullptr, "cannot find the data directory (tried: " + tried + ")", 2);
  Gravacao g;
  std::string error;
  if (!LerGravacao(path, g, error)) return Recusar(nullptr, error, 2);
  SdlPlatform janela;
  janela.DefinirIcone(data_dir + "Icone.bmp");
  // A recording made with other data would play another game: it is refused, not shown wrongly.
  if (const std::string problema = sim::ConferirDados(g, path, data_dir); !problema.empty())
    return Recusar(&janela, problema, 2);

  EntradasDoQuadro entradas;
  PlataformaReproducao gravacao(g, entradas);
  PlataformaAssistida plataforma(janela, gravacao);
  Form1 form(plataforma, data_dir, CriarRasterizador());
  sim::Coletor coletor;
  sim::EstadoDoQuadro estado(form, coletor, entradas);
  sim::ConferenciaDaGravacao conferencia(gravacao, estado);
  Conferente conferente(conferencia, coletor);
  form.Registrar_Texto(&coletor);
  form.Registrar_Audio(&coletor);
  form.Observar_Apresentacao(&conferente);
  try {
    form.Executar(g.linha_de_comando);
  } catch (const ReproducaoInterrompida&) {
    std::printf("stopped at present %lld\n", static_cast<long long>(conferente.Presents()));
    return 0;
  } catch (const FimDaGravacao& fim) {
    if (!fim.completa)
      return Recusar(
          &janela, std::string(path) + ":" + std::to_string(fim.linha) + ": the recording is cut short here",
          2);
  } catch (const DesvioDaGravacao& d) {
    return Recusar(&janela, std::string(path) + ": the replay departed from the recording at " + d.what(), 1);
  }
  std::printf("replayed %lld presents\n", static_cast<long long>(conferente.Presents()));
  return 0;
}

}  // namespace vartenos
