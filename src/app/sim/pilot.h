// The computer pilot of `vartenos-sim --bot SEED`: a player who starts a new game from the menu and
// plays it to the closing screen or to game over. It sees what a player sees, the picture (through
// `Visao`) and the texts drawn into it, and acts only through keys. It never reads or writes the game's
// state. How fast it reacts, how steady its hands are, how much it follows at once and how far it looks
// ahead is its skill (`Habilidade`): the machine decides from the frame just presented and its keys land
// before the next one; the human levels see each picture late and press keys off by a few milliseconds.
//
// Its pieces: what it sees (vision.h), what it remembers of what it saw (tracking.h), what it foresees
// could hit it (threats.h) and how it chooses where to fly (planning.h). The referee beside it, which does
// read the game's state, is referee.h.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/headless/headless_platform.h"
#include "sim/collector.h"
#include "sim/pilot_basics.h"
#include "sim/planning.h"
#include "sim/threats.h"
#include "sim/tracking.h"
#include "sim/vision.h"
#include "sim/xorshift.h"

namespace vartenos::sim {

// A pilot's skill: the figures of a player's eyes and hands.
struct Habilidade {
  int32_t atraso_ms = 0;    // how late it sees each picture: its keys land this much after the picture
  int32_t desvio_ms = 0;    // each key lands off by a normal error of this standard deviation
  int32_t ameacas = 0;      // follows at most this many shots and enemies, the nearest (0: all of them)
  int32_t olhar_ms = 1000;  // how far ahead it looks
};
// "maquina", "experiente", "regular", "novato", or the four figures "ATRASO/DESVIO/AMEACAS/OLHAR" (ms, ms,
// a count with 0 for all, ms up to 1000). Returns false with the reason in `erro`.
bool LerHabilidade(const std::string& texto, Habilidade& h, std::string& erro);

class Piloto {
 public:
  Piloto(uint32_t semente, const Visao& visao, const Habilidade& habilidade = {});
  // Looks at a presented picture and the texts drawn into it, and schedules the next keys.
  void Agir(const Surface& tela, const Coletor& textos, HeadlessPlatform& p);
  // The closing screen or the game-over screen has been seen: the pilot has closed the window.
  bool Terminou() const { return terminou_; }

 private:
  enum class Tela : uint8_t { Outra, Menu, Jogo, Pausa, FaseCompleta, Final, FimDeJogo };

  // The screens.
  Tela LerTextos(const Coletor& textos);
  void NoMenu(HeadlessPlatform& p, int32_t agora);
  void NoJogo(HeadlessPlatform& p, int32_t agora);
  // Foresees, chooses the way to fly and presses the arrows for it.
  void Decidir(HeadlessPlatform& p, int32_t agora);

  // The hands.
  void Segurar(HeadlessPlatform& p, int32_t t, int16_t vk, bool segurar);
  // A key of the play field pressed or let go now, landing when this pilot's hands get it there.
  void Mover_Tecla(HeadlessPlatform& p, int32_t agora, size_t k, bool segurar);
  // A key struck and let go, as a keyboard gives it.
  void Tocar(HeadlessPlatform& p, int32_t t, int16_t vk, int16_t ch);
  // The arrows held in the frame that starts at `t`, as this pilot pressed them.
  void Setas_Em(int32_t t, int8_t& dx, int8_t& dy) const;
  void Lembrar_Setas(int32_t agora, int8_t dx, int8_t dy);
  // Where its keys already on their way take the ship before new ones can land.
  void Prever_Nave(int32_t agora);
  // A normal error of the hands, standard deviation 1.
  double Normal();
  int32_t Entre(int32_t min, int32_t max) { return sorteio_.Entre(min, max); }

  const Visao& visao_;
  Xorshift sorteio_;  // its small choices, from the seed
  Cena cena_;
  Tela tela_ = Tela::Outra;
  Tela tela_anterior_ = Tela::Outra;
  int32_t proxima_ = 0;  // the clock before which no new decision is made on the menu screens
  bool terminou_ = false;
  bool menu_novo_jogo_ = false;

  // What the pilot knows of its own game, all read from the screen, and what it makes of it.
  Situacao situacao_;
  Trilhas trilhas_;
  Trafego trafego_;
  Ameacas ameacas_;
  Planejador planejador_{0};
  int8_t dx_ = 0, dy_ = 0;       // the arrows held since the last decision
  std::array<bool, 5> tecla_{};  // left, up, right, down, space held

  // Its skill, and what its hands have done.
  Habilidade habilidade_;
  int32_t reacao_ms_;
  Xorshift maos_;  // the errors of its hands, apart from its choices
  struct Setas {
    int32_t t;  // when they land
    int8_t dx, dy;
  };
  std::array<Setas, 64> setas_{};  // the arrows it chose, newest at the end, oldest dropped
  size_t n_setas_ = 0;
  std::array<int32_t, 5> chegada_{};  // when each key's last change lands: a key's changes keep their order
  Posicoes base_x_{}, base_y_{};      // where the ship goes before new keys land
};

}  // namespace vartenos::sim
