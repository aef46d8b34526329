// What happened between two presents, as the game told it: the texts drawn into the picture, the effect
// slots and the music calls. The trace writes it out; the computer pilot reads the texts, as a player
// reads the screen.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "audio/call_log.h"
#include "display/surface.h"

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

}  // namespace vartenos::sim
