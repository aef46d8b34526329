// A game's session as a recording keeps it: the platform that notes every outside reading, and the
// state hash written after every present. The desktop game turns it on with VARTENOS_RECORD=FILE;
// `vartenos-sim --replay FILE` checks a replay against it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/recording.h"
#include "sim/state_hash.h"
#include "sim/trace.h"

namespace vartenos::sim {

// The state of one present as the recording hashes it: every field with the stars, and the inputs
// delivered since the previous present.
class EstadoDoQuadro {
 public:
  EstadoDoQuadro(const Form1& form, const Coletor& coletor, EntradasDoQuadro& entradas);
  // Hashes present `n` and forgets its inputs.
  uint64_t Calcular(int64_t n);
  const HashDeEstado& Hash() const { return hash_; }

 private:
  const Form1& form_;
  const Coletor& coletor_;
  EntradasDoQuadro& entradas_;
  HashDeEstado hash_;
};

// Records the session of the game given to Ligar on `base`, into `path`.
class SessaoGravada : public Presenter {
 public:
  // Throws FatalError naming the file when the data directory cannot be read or the recording cannot
  // be created.
  SessaoGravada(Platform& base, const std::string& path, const std::string& data_dir,
                const std::string& command_line);
  ~SessaoGravada() override;
  // The platform to run the game on.
  Platform& Plataforma() { return *plataforma_; }
  // Hooks the recording into the game. `coletor`: the texts and sound calls are collected there
  // (the runner's trace shares them) instead of in the session's own collector.
  void Ligar(Form1& form, Coletor* coletor = nullptr);
  // Another observer of the presents, called after the recording's own work (the runner's trace).
  void Seguir(Presenter* depois) { depois_ = depois; }
  void Presented(const Surface& surface) override;

 private:
  std::unique_ptr<GravadorDeSessao> gravador_;
  EntradasDoQuadro entradas_;
  std::unique_ptr<PlataformaGravadora> plataforma_;
  Coletor proprio_;
  Coletor* coletor_ = &proprio_;
  std::unique_ptr<EstadoDoQuadro> estado_;
  Presenter* depois_ = nullptr;
  int64_t n_ = 0;
};

}  // namespace vartenos::sim
