#include "sim/record.h"

#include "platform/fatal_error.h"

namespace vartenos::sim {

EstadoDoQuadro::EstadoDoQuadro(const Form1& form, const Coletor& coletor, EntradasDoQuadro& entradas)
    : form_(form), coletor_(coletor), entradas_(entradas) {}

uint64_t EstadoDoQuadro::Calcular(int64_t n) {
  LerQuadro(n, form_, coletor_, true, hash_);
  const uint64_t h = hash_.Fechar(entradas_.Texto());
  entradas_.Limpar();
  return h;
}

SessaoGravada::SessaoGravada(Platform& base, const std::string& path, const std::string& data_dir,
                             const std::string& command_line) {
  std::vector<ArquivoDeDados> dados;
  std::string error;
  if (!ResumirDados(data_dir, dados, error)) throw FatalError(error);
  gravador_ = std::make_unique<GravadorDeSessao>(path, command_line, dados);
  plataforma_ = std::make_unique<PlataformaGravadora>(base, *gravador_, entradas_);
}

SessaoGravada::~SessaoGravada() { gravador_->Fim(n_); }

void SessaoGravada::Ligar(Form1& form, Coletor* coletor) {
  if (coletor != nullptr) coletor_ = coletor;
  estado_ = std::make_unique<EstadoDoQuadro>(form, *coletor_, entradas_);
  form.Registrar_Texto(coletor_);
  form.Registrar_Audio(coletor_);
  form.Observar_Apresentacao(this);
}

void SessaoGravada::Presented(const Surface& surface) {
  const uint64_t h = estado_->Calcular(n_);
  gravador_->Quadro(n_, h, estado_->Hash().Mudancas());
  if (depois_ != nullptr) depois_->Presented(surface);
  coletor_->Limpar();
  plataforma_->Apresentado(n_);
  ++n_;
}

}  // namespace vartenos::sim
