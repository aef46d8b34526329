// The headless runner's trace: one JSON object per present with the whole game state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "audio/call_log.h"
#include "display/surface.h"
#include "shell/form1.h"

namespace vartenos::sim {

// Collects what happened between two presents: texts drawn, effect-slot and music calls.
class Coletor : public TextLog, public AudioCallLog {
 public:
  Coletor();
  void Drawn(const TextoDesenhado& t) override;
  void Som(std::string_view call) override;
  void Musica(std::string_view call) override;
  void Limpar();

  std::vector<TextoDesenhado> textos;
  size_t n_textos = 0;
  std::vector<std::string> sons;
  size_t n_sons = 0;
  std::vector<std::string> musica;
  size_t n_musica = 0;
};

// Appends the JSON line for present `n` (without the newline) to `out`. With `campos`, notes there the
// offset in `out` at which each top-level field's name starts.
void EscreverLinha(std::string& out, int64_t n, const Form1& f, const Coletor& c, bool estrelas,
                   std::vector<uint32_t>* campos = nullptr);

// Appends a number in the shortest form that reads back to the same value.
void Numero(std::string& out, double v);
void Numero(std::string& out, float v);
void Numero(std::string& out, int64_t v);

}  // namespace vartenos::sim
