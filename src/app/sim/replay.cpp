#include "sim/replay.h"

#include <exception>

#include "display/font_ttf.h"

namespace vartenos::sim {

int StatusDeSaida(const Desfecho& d) {
  switch (d.como) {
    case Desfecho::Tocada:
    case Desfecho::Interrompida:
      return 0;
    case Desfecho::Desvio:
    case Desfecho::Erro:
      return 1;
    case Desfecho::Cortada:
    case Desfecho::Recusada:
      return 2;
  }
  return 1;
}

std::optional<Desfecho> AbrirGravacao(const std::string& path, const std::string& data_dir, Gravacao& g) {
  std::string problema;
  // A recording made with other data would play another game: it is refused, not played wrongly.
  if (!LerGravacao(path, g, problema) || !(problema = ConferirDados(g, path, data_dir)).empty())
    return Desfecho{Desfecho::Recusada, 0, problema};
  return std::nullopt;
}

Reproducao::Reproducao(const Gravacao& g, std::string path, const std::string& data_dir, Platform* janela)
    : g_(g),
      path_(std::move(path)),
      gravacao_(g, entradas_),
      janela_(janela != nullptr ? std::make_unique<PlataformaAssistida>(*janela, gravacao_) : nullptr),
      form_(janela_ ? static_cast<Platform&>(*janela_) : gravacao_, data_dir, CriarRasterizador()),
      estado_(form_, coletor_, entradas_),
      conferencia_(gravacao_, estado_) {
  form_.Registrar_Texto(&coletor_);
  form_.Registrar_Audio(&coletor_);
  form_.Observar_Apresentacao(this);
}

Reproducao::~Reproducao() = default;

void Reproducao::Presented(const Surface& surface) {
  if (seguinte_ != nullptr) seguinte_->Presented(surface);
  conferencia_.Comparar(n_++);
  coletor_.Limpar();
}

Desfecho Reproducao::Acabou(Desfecho::Como como, std::string mensagem) const {
  return Desfecho{como, gravacao_.Presents(), std::move(mensagem)};
}

Desfecho Reproducao::Tocar() {
  try {
    form_.Executar(g_.linha_de_comando);
    // The game ended by itself: so must the recording, here.
    if (!gravacao_.NoFim()) {
      return Desfecho{Desfecho::Desvio, n_,
                      path_ + ": present " + std::to_string(n_) +
                          ": the game ended, but the recording goes on at line " +
                          std::to_string(gravacao_.Linha())};
    }
  } catch (const FimDaGravacao& fim) {
    if (!fim.completa)
      return Acabou(Desfecho::Cortada, path_ + ":" + std::to_string(fim.linha) +
                                           ": the recording is cut short here (no end line)");
  } catch (const ReproducaoInterrompida&) {
    return Desfecho{Desfecho::Interrompida, n_, ""};
  } catch (const DesvioDaGravacao& d) {
    return Desfecho{Desfecho::Desvio, d.present, path_ + ": " + d.what()};
  } catch (const std::exception& e) {
    return Acabou(Desfecho::Erro, e.what());
  }
  return Acabou(Desfecho::Tocada);
}

}  // namespace vartenos::sim
