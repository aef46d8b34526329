// The computer pilot's eyes on pictures drawn here from the built sprite sheets: each sprite is found
// where it stands and as what it is; one partly off the picture or mostly hidden is not seen, one with
// a little hidden still is.
#include "sim/vision.h"

#include <gtest/gtest.h>

#include <string>

#include "display/image_files.h"
#include "display/sprites.h"
#include "display/surface.h"

namespace vartenos::testes {
namespace {

class Olhos : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string erro;
    ASSERT_TRUE(visao_.Carregar(VARTENOS_BUILD_DATA, erro)) << erro;
    for (auto [folha, arquivo] : {std::pair{&nave_, "Nave.BMP"}, std::pair{&inimigos_, "Inimigos.BMP"},
                                  std::pair{&tiro_, "Tiro_Inimigo.BMP"}, std::pair{&extras_, "Extras.BMP"}}) {
      ASSERT_TRUE(LerBmp(std::string(VARTENOS_BUILD_DATA) + "/" + arquivo, *folha, erro)) << erro;
    }
    tela_.Create(kLarguraTela, kAlturaTela);
  }

  // Draws cell `celula` of a sheet with its top-left corner at (x, y), black as the colour key and
  // clipped to the picture, as a sprite sticking out of an edge would look.
  void Desenhar(const ImagemRgb& folha, const Sprite& s, int celula, int x, int y) {
    for (int j = 0; j < s.altura; ++j) {
      for (int i = 0; i < s.largura; ++i) {
        const uint8_t* p = folha.At(celula * s.largura + i, j);
        const uint16_t cor = Rgb565(p[0], p[1], p[2]);
        if (cor != 0 && x + i >= 0 && y + j >= 0 && x + i < tela_.Width() && y + j < tela_.Height())
          tela_.SetPixel(x + i, y + j, cor);
      }
    }
  }
  void Apagar(int x, int y, int w, int h) {
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) tela_.SetPixel(i, j, 0);
  }
  sim::Cena Olhar() {
    sim::Cena cena;
    visao_.Olhar(tela_, cena);
    return cena;
  }

  sim::Visao visao_;
  ImagemRgb nave_, inimigos_, tiro_, extras_;
  Surface tela_;
};

TEST_F(Olhos, SeeEachSpriteOnceWhereItStandsAndAsWhatItIs) {
  Desenhar(nave_, kSpriteNave, 2, 305, 410);
  Desenhar(inimigos_, kSpriteInimigo, 5, 100, 50);
  // Two enemies of a formation side by side, and one touching the picture's right and bottom edges.
  Desenhar(inimigos_, kSpriteInimigo, 11, 200, 60);
  Desenhar(inimigos_, kSpriteInimigo, 11, 200 + kSpriteInimigo.largura, 60);
  Desenhar(inimigos_, kSpriteInimigo, 0, kLarguraTela - kSpriteInimigo.largura,
           kAlturaTela - kSpriteInimigo.altura);
  Desenhar(tiro_, kSpriteTiroInimigo, 0, 150, 300);
  Desenhar(extras_, kSpriteExtra, 3, 420, 200);
  for (int k = 0; k < 40; ++k) tela_.SetPixel(13 * k + 7, 11 * k + 3, Rgb565(255, 255, 255));  // stars
  const sim::Cena cena = Olhar();
  ASSERT_TRUE(cena.nave_visivel);
  EXPECT_EQ(cena.nave.x, 305);
  EXPECT_EQ(cena.nave.y, 410);
  EXPECT_EQ(cena.nave.celula, 2);
  ASSERT_EQ(cena.n_inimigos, 4u);
  auto inimigo = [&](int x, int y) {
    for (size_t i = 0; i < cena.n_inimigos; ++i)
      if (cena.inimigos[i].x == x && cena.inimigos[i].y == y)
        return static_cast<int>(cena.inimigos[i].celula);
    return -1;
  };
  EXPECT_EQ(inimigo(100, 50), 5);
  EXPECT_EQ(inimigo(200, 60), 11);
  EXPECT_EQ(inimigo(200 + kSpriteInimigo.largura, 60), 11);
  EXPECT_EQ(inimigo(kLarguraTela - kSpriteInimigo.largura, kAlturaTela - kSpriteInimigo.altura), 0);
  ASSERT_EQ(cena.n_tiros, 1u);
  EXPECT_EQ(cena.tiros[0].x, 150);
  EXPECT_EQ(cena.tiros[0].y, 300);
  ASSERT_EQ(cena.n_extras, 1u);
  EXPECT_EQ(cena.extras[0].celula, 3);
  EXPECT_EQ(cena.extras[0].x, 420);
}

TEST_F(Olhos, MissWhatIsPartlyOffThePictureOrMostlyHidden) {
  // Past the right edge by one column, above the top by one row, a shot half past the bottom.
  Desenhar(inimigos_, kSpriteInimigo, 3, kLarguraTela - kSpriteInimigo.largura + 1, 100);
  Desenhar(inimigos_, kSpriteInimigo, 3, 300, -1);
  Desenhar(tiro_, kSpriteTiroInimigo, 0, 200, kAlturaTela - 5);
  Desenhar(nave_, kSpriteNave, 0, -4, 300);
  sim::Cena cena = Olhar();
  EXPECT_FALSE(cena.nave_visivel);
  EXPECT_EQ(cena.n_inimigos, 0u);
  EXPECT_EQ(cena.n_tiros, 0u);

  // Under a shot or an explosion: with its top quarter hidden an enemy is still seen, with its top
  // two thirds hidden it is not.
  tela_.Create(kLarguraTela, kAlturaTela);
  Desenhar(inimigos_, kSpriteInimigo, 7, 100, 100);
  Apagar(100, 100, kSpriteInimigo.largura, kSpriteInimigo.altura / 4);
  Desenhar(inimigos_, kSpriteInimigo, 7, 300, 100);
  Apagar(300, 100, kSpriteInimigo.largura, kSpriteInimigo.altura * 2 / 3);
  cena = Olhar();
  ASSERT_EQ(cena.n_inimigos, 1u);
  EXPECT_EQ(cena.inimigos[0].x, 100);
  EXPECT_LT(cena.inimigos[0].acerto, 32);

  // A picture of another size is not the game's: nothing is looked for in it.
  tela_.Create(320, 240);
  Desenhar(nave_, kSpriteNave, 0, 10, 10);
  EXPECT_FALSE(Olhar().nave_visivel);
}

}  // namespace
}  // namespace vartenos::testes
