// The computer pilot of `vartenos-sim --bot SEED`: a player who starts a new game from the menu and
// plays it to the closing screen or to game over. It sees what a player sees, the picture (through
// `Visao`) and the texts drawn into it, and acts only through keys. It never reads or writes the game's
// state. How fast it reacts, how steady its hands are, how much it follows at once and how far it looks
// ahead is its skill (`Habilidade`): the machine decides from the frame just presented and its keys land
// before the next one; the human levels see each picture late and press keys off by a few milliseconds.
//
// `Placar` is the referee beside it: it reads the game's state after every present to report how the
// game went, phase by phase, and tells the pilot nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/headless/headless_platform.h"
#include "shell/form1.h"
#include "sim/trace.h"
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
  static constexpr size_t kMaxTrilhas = 64;
  static constexpr size_t kMaxInimigos = Cena::kMaxInimigos;

  // Something seen in earlier pictures too, with its motion.
  struct Trilha {
    double x = 0, y = 0;      // last seen (or foreseen, while hidden) top-left corner
    double vx = 0, vy = 0;    // pixels per frame
    double vxs = 0, vys = 0;  // the motion smoothed over the last second: where a swaying enemy drifts
    double cx = 0, amp = 0;   // the middle of its sway and how far it swings from it
    double giro = 0;          // radians its heading turns each frame, for one flying a curve
    double fx = 0, fy = 0, ffolga = 0;  // where it will be at the end of the look-ahead
    std::array<int16_t, 24> hx{};       // its last sightings across, oldest at ih when full
    uint8_t nh = 0, ih = 0;
    int16_t hx_min = 0, hx_max = 0;  // how far across those sightings reach
    double x0 = 0, y0 = 0;           // first seen, for a shot's exact line
    int32_t caca = 0;                // how long it has flown straight at the ship: a hunter
    int32_t visto = 0;               // frames seen
    int32_t idade = 0;               // frames since first seen
    int32_t sumido = 0;              // frames since last seen
  };
  // A way to fly the look-ahead: arrows (dx, dy: -1, 0, 1) held for `quadros` frames, then others.
  struct Plano {
    int8_t dx, dy;
    int8_t quadros;
    int8_t dx2, dy2;
  };
  struct Caixa {
    double x1, y1, x2, y2;
  };
  static constexpr int kHorizonte = 40;  // frames the pilot looks ahead at most: one second
  // The frames it foresees: its keys still on their way, then the look-ahead.
  static constexpr int kMaxQuadros = 80;
  static constexpr size_t kMaxAmeacas = 96;

  Tela LerTextos(const Coletor& textos);
  void NoMenu(HeadlessPlatform& p, int32_t agora);
  void NoJogo(HeadlessPlatform& p, int32_t agora);
  static void Balanco(Trilha& tr, double x);
  void Seguir(Trilha* trilhas, size_t& n, const Visto* vistos, size_t n_vistos, double raio, bool tiro);
  void Prever_Ameacas();
  // The shots and enemies it follows: all, or the nearest its skill can keep an eye on.
  void Escolher_Seguidos();
  // The last frame it foresees: its keys on their way, then the look-ahead.
  int Fim() const { return espera_ + horizonte_ - 1; }
  void Guardar(int t, double x, double y, double l, double a, double folga, double folga_y);
  // The cost of flying `plano`: a hit foreseen, near misses, and how well it lines up, picks up and
  // keeps its place. Stops counting once it passes `limite`.
  double Avaliar(const Plano& plano, double limite) const;
  using Posicoes = std::array<double, kMaxQuadros + 1>;
  bool Cacadores_Alcancam(const Posicoes& px, const Posicoes& py, double& custo) const;
  // What a hunter shot down in a plan is worth: protected, the ship's task is to shoot down the hunters
  // that gather on it before they can hit it.
  double Premio_Abate() const { return protegido_ >= horizonte_ ? 150 : 25; }
  void Escolher(HeadlessPlatform& p, int32_t agora);
  void Segurar(HeadlessPlatform& p, int32_t t, int16_t vk, bool segurar);
  // A key of the play field pressed or let go now, landing when this pilot's hands get it there.
  void Mover_Tecla(HeadlessPlatform& p, int32_t agora, size_t k, bool segurar);
  // The arrows held in the frame that starts at `t`, as this pilot pressed them.
  void Setas_Em(int32_t t, int8_t& dx, int8_t& dy) const;
  // Where its keys already on their way take the ship before new ones can land.
  void Prever_Nave(int32_t agora);
  void Lembrar_Setas(int32_t agora, int8_t dx, int8_t dy);
  double Normal();
  void Tocar(HeadlessPlatform& p, int32_t t, int16_t vk, int16_t ch);
  int32_t Entre(int32_t min, int32_t max) { return sorteio_.Entre(min, max); }

  const Visao& visao_;
  Xorshift sorteio_;
  Cena cena_;
  Tela tela_ = Tela::Outra;
  Tela tela_anterior_ = Tela::Outra;
  int32_t proxima_ = 0;  // the clock before which no new decision is made on the menu screens
  bool terminou_ = false;

  // What the pilot knows of its own game, all read from the screen.
  int fase_ = 1;
  int32_t invencivel_ = 0;  // seconds of protection shown ("Inv: N"), 0 when none
  bool menu_novo_jogo_ = false;
  double nave_x_ = 300, nave_y_ = 400;
  double nave_antes_x_ = 300, nave_antes_y_ = 400;  // in the picture before, where hunters flew to
  double velocidade_ = 3;
  int8_t dx_ = 0, dy_ = 0;  // the arrows held since the last decision

  // Where an enemy will be in 1 to kHorizonte frames (index t), and how far off the guess may be.
  struct Rumo {
    std::array<double, kMaxQuadros + 1> x, y, folga, folga_y;
  };
  void Prever(const Trilha& e, Rumo& r) const;
  double Rastro(double x, double y) const;

  // Where enemies have been of late, in cells of 8 x 8 pixels: the paths they fly again.
  static constexpr int kCelula = 8;
  std::array<float, (640 / kCelula) * (480 / kCelula)> rastro_{};
  Rumo rumo_;

  std::array<std::array<Caixa, kMaxAmeacas>, kMaxQuadros + 1> ameacas_{};
  std::array<size_t, kMaxQuadros + 1> n_ameacas_{};
  std::array<Trilha, kMaxInimigos> inimigos_{};
  size_t n_inimigos_ = 0;
  static constexpr size_t kMaxCacadores = 24;
  std::array<uint8_t, kMaxCacadores> cacadores_{};  // the hunters among the enemies
  size_t n_cacadores_ = 0;
  std::array<Caixa, 8> colados_{};  // enemies lying harmlessly on the ship, level with it
  size_t n_colados_ = 0;
  int protegido_ = 0;  // frames ahead in which nothing can hit the ship
  std::array<Trilha, kMaxTrilhas> tiros_{};
  size_t n_tiros_ = 0;
  int32_t alvo_x_ = -1;                  // the column the pilot is lining up on
  double altura_alvo_ = 0;               // how low it must fly to shoot its target from below
  double desvio_x_ = -1, desvio_y_ = 0;  // where to go down beside that target first
  std::array<bool, 5> tecla_{};          // left, up, right, down, space held

  // Its small choices, from the seed.
  int32_t altura_preferida_;
  int32_t reacao_ms_;

  // Its skill, and what its hands have done.
  Habilidade habilidade_;
  Xorshift maos_;   // the errors of its hands, apart from its choices
  int horizonte_;   // frames it looks ahead
  int espera_ = 1;  // the first frame that keys pressed now can reach
  struct Setas {
    int32_t t;  // when they land
    int8_t dx, dy;
  };
  std::array<Setas, 64> setas_{};  // the arrows it chose, newest at the end, oldest dropped
  size_t n_setas_ = 0;
  std::array<int32_t, 5> chegada_{};  // when each key's last change lands: a key's changes keep their order
  Posicoes base_x_{}, base_y_{};      // where the ship goes before new keys land
  std::array<bool, kMaxInimigos> seguido_{};  // enemies it follows
  std::array<bool, kMaxTrilhas> tiro_seguido_{};
};

// The referee: how a game went, read from the game's state after each present.
class Placar {
 public:
  struct Fase {
    int32_t inicio_ms = -1;
    int32_t ultimo_ms = -1;  // the last frame of play seen in the phase
    int32_t fim_ms = -1;     // the phase-complete screen
    int32_t vidas_perdidas = 0;
    int32_t extras = 0;
    int32_t inimigos_destruidos = 0;
  };
  void Observar(const Form1& form, int32_t agora);
  // One JSON line.
  std::string Json(uint32_t semente) const;

 private:
  void Relatar_Perda(const Form1& form, int fase, int32_t agora) const;
  std::array<Fase, 5> fases_{};
  int fases_completas_ = 0;
  bool final_ = false;
  bool em_jogo_ = false;
  bool fim_de_jogo_ = false;
  int32_t pontos_ = 0;
  float vidas_ = 0;
  std::array<bool, 150> inimigo_ativo_{};
  std::array<bool, 3> extra_ativo_{};
  std::array<bool, 51> tiro_ativo_{};
};

}  // namespace vartenos::sim
