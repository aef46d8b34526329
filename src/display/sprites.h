// The game's sprites: each sheet is one row of cells of the same size, the sprite's animation frames
// or kinds side by side. The loader sizes the sheets from these; whoever looks at the picture (the
// computer pilot's eyes) finds the sprites by them.
#pragma once

#include <cstdint>

namespace vartenos {

// The picture the game draws, in pixels.
constexpr int32_t kLarguraTela = 640;
constexpr int32_t kAlturaTela = 480;

struct Sprite {
  int32_t largura;  // one cell
  int32_t altura;
  int32_t celulas;  // cells in the sheet's row
  constexpr int32_t LarguraDaFolha() const { return largura * celulas; }
};

constexpr Sprite kSpriteNave{30, 35, 3};         // three frames of the engine's flame
constexpr Sprite kSpriteInimigo{38, 24, 16};     // sixteen kinds of enemy
constexpr Sprite kSpriteEstrela{1, 1, 1};        // a star of the star field
constexpr Sprite kSpriteTitulo{491, 99, 1};      // the title, and its second form on the credits
constexpr Sprite kSpriteGalaxia{34, 26, 2};      // two galaxies
constexpr Sprite kSpriteTiroInimigo{10, 10, 1};  // an enemy's shot
constexpr Sprite kSpriteLaser{4, 10, 1};         // the main laser's beam
constexpr Sprite kSpriteLaser2{22, 18, 2};       // the side shots, flying left and right
constexpr Sprite kSpriteEscudo{16, 16, 1};       // an orb of the shield
constexpr Sprite kSpriteExtra{16, 16, 9};        // nine kinds of extra
constexpr Sprite kSpriteLaser4{6, 12, 1};
constexpr Sprite kSpriteLaser5{30, 10, 1};
constexpr Sprite kSpriteLaser6{12, 15, 2};
constexpr Sprite kSpriteExplosao{36, 34, 5};  // five frames of an explosion

}  // namespace vartenos
