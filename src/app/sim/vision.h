// The computer pilot's eyes: finds the ship, the enemies, the enemy shots and the extras in a presented
// picture by their looks, the way a player who knows the sprites spots them. It reads pixels only: it
// knows nothing of the game's tables, so what is hidden under another sprite, blinking or not yet
// wholly on screen is not seen.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "display/sprites.h"
#include "display/surface.h"

namespace vartenos::sim {

// One sprite seen on screen: its top-left corner and its cell in its sheet (the enemy's kind, the
// extra's kind, the ship's animation cell).
struct Visto {
  int16_t x = 0;
  int16_t y = 0;
  uint8_t celula = 0;
  uint8_t acerto = 0;  // how many of the sampled pixels matched, out of 32
};

struct Cena {
  static constexpr size_t kMaxInimigos = 160;
  static constexpr size_t kMaxTiros = 64;
  static constexpr size_t kMaxExtras = 8;

  bool nave_visivel = false;
  Visto nave;
  std::array<Visto, kMaxInimigos> inimigos{};
  size_t n_inimigos = 0;
  std::array<Visto, kMaxTiros> tiros{};  // enemy shots
  size_t n_tiros = 0;
  std::array<Visto, kMaxExtras> extras{};
  size_t n_extras = 0;
};

class Visao {
 public:
  // What the pilot looks for, in the data directory's sprite sheets. Returns false with
  // "FILE: problem" in `error`.
  bool Carregar(const std::string& data_dir, std::string& error);
  // Looks at a 640 x 480 picture.
  void Olhar(const Surface& tela, Cena& cena) const;

 private:
  enum Grupo : uint8_t { Nave, Inimigo, TiroInimigo, Extra };
  struct Pixel {
    int8_t x, y;
    uint16_t cor;
  };
  struct Modelo {
    Grupo grupo;
    uint8_t celula;
    int8_t w, h;
    std::vector<Pixel> amostra;  // up to 32 opaque pixels spread over the sprite
  };
  struct Ancora {
    uint16_t modelo;
    int8_t x, y;  // where the anchor colour lies in the sprite
  };

  bool CarregarFolha(const std::string& path, Grupo grupo, const Sprite& sprite, std::string& error);
  void EscolherAncoras();
  uint8_t Conferir(const Surface& tela, const Modelo& m, int32_t ox, int32_t oy) const;

  std::vector<Modelo> modelos_;
  std::vector<std::vector<Pixel>> opacos_;  // every opaque pixel of every model
  std::vector<Ancora> ancoras_;
  std::vector<int32_t> primeira_ancora_;  // by colour: index in ancoras_ or -1; runs of one colour
  std::vector<uint16_t> n_ancoras_;       // by colour
};

}  // namespace vartenos::sim
