// The drawing rules the game's pictures rest on: all-or-nothing fast blits, the black colour key,
// the scaling blit, fills and the flipping chain.
#include <gtest/gtest.h>

#include "display/surface.h"

namespace vartenos {
namespace {

constexpr uint16_t kBranco = Rgb565(255, 255, 255);

Surface Folha(int32_t w, int32_t h, uint16_t p, bool chave) {
  Surface s;
  s.Create(w, h);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) s.SetPixel(x, y, p);
  }
  if (chave) s.SetColorKey(DDCKEY_SRCBLT, 0, 0);
  return s;
}

int Pintados(const Surface& s) {
  int n = 0;
  for (int32_t y = 0; y < s.Height(); ++y) {
    for (int32_t x = 0; x < s.Width(); ++x) n += s.Pixel(x, y) != 0;
  }
  return n;
}

TEST(BltFast, SpriteStickingOutOfTheScreenByOnePixelIsNotDrawnAtAll) {
  Surface tela;
  tela.Create(640, 480);
  const Surface nave = Folha(90, 35, kBranco, true);
  const RECT celula{0, 0, 30, 35};
  tela.BltFast(611, 100, nave, celula, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  EXPECT_EQ(Pintados(tela), 0);
  tela.BltFast(610, 100, nave, celula, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  EXPECT_EQ(Pintados(tela), 30 * 35);
  // Off the top, the left and the bottom edges likewise.
  Surface outra;
  outra.Create(640, 480);
  outra.BltFast(-1, 0, nave, celula, DDBLTFAST_WAIT);
  outra.BltFast(0, -1, nave, celula, DDBLTFAST_WAIT);
  outra.BltFast(0, 446, nave, celula, DDBLTFAST_WAIT);
  EXPECT_EQ(Pintados(outra), 0);
  outra.BltFast(0, 445, nave, celula, DDBLTFAST_WAIT);
  EXPECT_EQ(Pintados(outra), 30 * 35);
}

TEST(BltFast, StarOnTheLastColumnAndRowOnly) {
  Surface tela;
  tela.Create(640, 480);
  const Surface estrela = Folha(1, 1, kBranco, false);
  const RECT r{0, 0, 1, 1};
  tela.BltFast(640, 10, estrela, r, DDBLTFAST_WAIT);
  tela.BltFast(10, 480, estrela, r, DDBLTFAST_WAIT);
  EXPECT_EQ(Pintados(tela), 0);
  tela.BltFast(639, 479, estrela, r, DDBLTFAST_WAIT);
  EXPECT_EQ(tela.Pixel(639, 479), kBranco);
}

TEST(BltFast, CellBeyondTheSheetDrawsNothing) {
  // The ship's protection cycle asks for cells 3 to 7 of a three-cell sheet: that is its blinking.
  Surface tela;
  tela.Create(640, 480);
  const Surface nave = Folha(90, 35, kBranco, true);
  for (int cell = 3; cell <= 7; ++cell) {
    tela.BltFast(300, 400, nave, RECT{30 * cell, 0, 30 * cell + 30, 35},
                 DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  }
  tela.BltFast(300, 400, nave, RECT{-1, 0, 29, 35}, DDBLTFAST_WAIT);
  EXPECT_EQ(Pintados(tela), 0);
  tela.BltFast(300, 400, nave, RECT{60, 0, 90, 35}, DDBLTFAST_WAIT);
  EXPECT_EQ(Pintados(tela), 30 * 35);
}

TEST(BltFast, ColourKeySkipsBlackAndNearBlackOnlyWhenAskedAndKeyed) {
  Surface fundo = Folha(4, 1, kBranco, false);
  Surface folha;
  folha.Create(4, 1);
  folha.SetPixel(0, 0, Rgb565(0, 0, 0));
  folha.SetPixel(1, 0, Rgb565(7, 3, 7));  // stored as 0 in 16 bits: transparent too
  folha.SetPixel(2, 0, Rgb565(8, 0, 0));  // the first visible step of red
  folha.SetPixel(3, 0, Rgb565(255, 0, 0));
  const RECT r{0, 0, 4, 1};

  // Not keyed: the black pixels are drawn black, as on the extras sheet.
  fundo.BltFast(0, 0, folha, r, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  EXPECT_EQ(fundo.Pixel(0, 0), 0);
  EXPECT_EQ(fundo.Pixel(1, 0), 0);

  // Keyed but the blit does not ask for the key: every pixel is copied.
  fundo = Folha(4, 1, kBranco, false);
  folha.SetColorKey(DDCKEY_SRCBLT, 0, 0);
  fundo.BltFast(0, 0, folha, r, DDBLTFAST_WAIT);
  EXPECT_EQ(fundo.Pixel(0, 0), 0);

  // Keyed and asked: the background shows through both near-black pixels.
  fundo = Folha(4, 1, kBranco, false);
  fundo.BltFast(0, 0, folha, r, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  EXPECT_EQ(fundo.Pixel(0, 0), kBranco);
  EXPECT_EQ(fundo.Pixel(1, 0), kBranco);
  EXPECT_EQ(fundo.Pixel(2, 0), Rgb565(8, 0, 0));
  EXPECT_EQ(fundo.Pixel(3, 0), Rgb565(255, 0, 0));
}

TEST(Blt, ScalesIntoTheTargetAndClipsToTheSurface) {
  Surface origem;
  origem.Create(2, 2);
  origem.SetPixel(0, 0, 1);
  origem.SetPixel(1, 0, 2);
  origem.SetPixel(0, 1, 3);
  origem.SetPixel(1, 1, 4);
  Surface alvo;
  alvo.Create(8, 8);
  alvo.Blt(RECT{2, 2, 6, 6}, origem, RECT{0, 0, 2, 2}, DDBLT_WAIT);
  EXPECT_EQ(alvo.Pixel(2, 2), 1);
  EXPECT_EQ(alvo.Pixel(5, 2), 2);
  EXPECT_EQ(alvo.Pixel(2, 5), 3);
  EXPECT_EQ(alvo.Pixel(5, 5), 4);
  EXPECT_EQ(alvo.Pixel(1, 1), 0);
  EXPECT_EQ(alvo.Pixel(6, 6), 0);
  // A target larger than the surface is clipped, not refused (the zoom's last steps).
  alvo.Blt(RECT{-4, -4, 12, 12}, origem, RECT{0, 0, 2, 2}, DDBLT_WAIT);
  EXPECT_EQ(alvo.Pixel(0, 0), 1);
  EXPECT_EQ(alvo.Pixel(7, 7), 4);
}

TEST(Surface, FillUsesTheGameColourPackingAndFlipSwapsTheChain) {
  Surface primary;
  primary.Create(4, 4);
  Surface back;
  back.Create(4, 4);
  primary.AttachBackBuffer(&back);
  back.BltColorFill(RECT{0, 0, 4, 4}, 0xFF0000);  // blue: red + 256 green + 65536 blue
  EXPECT_EQ(back.Pixel(3, 3), Rgb565(0, 0, 255));
  back.BltColorFill(RECT{-5, -5, 100, 1}, 0xFF);  // red, clipped
  EXPECT_EQ(back.Pixel(0, 0), Rgb565(255, 0, 0));
  primary.Flip(nullptr, DDFLIP_WAIT);
  EXPECT_EQ(primary.Pixel(0, 0), Rgb565(255, 0, 0));
  EXPECT_EQ(primary.Pixel(3, 3), Rgb565(0, 0, 255));
  EXPECT_EQ(back.Pixel(0, 0), 0);
}

TEST(Surface, EveryChangeOfTheScreenSurfaceIsAPresent) {
  struct Contador : Presenter {
    int n = 0;
    void Presented(const Surface&) override { ++n; }
  } contador;
  Surface primary;
  primary.Create(8, 8);
  Surface back;
  back.Create(8, 8);
  primary.AttachBackBuffer(&back);
  primary.SetPresenter(&contador);
  primary.BltFast(0, 0, back, RECT{0, 0, 8, 8}, DDBLTFAST_WAIT);
  primary.Blt(RECT{0, 0, 4, 4}, back, RECT{0, 0, 8, 8}, DDBLT_WAIT);
  primary.Flip(nullptr, DDFLIP_WAIT);
  back.BltFast(0, 0, primary, RECT{0, 0, 8, 8}, DDBLTFAST_WAIT);  // not on screen
  EXPECT_EQ(contador.n, 3);
}

TEST(Surface, TextIsRecordedWithFontAndColour) {
  struct Registro : TextLog {
    TextoDesenhado ultimo;
    void Drawn(const TextoDesenhado& t) override { ultimo = t; }
  } registro;
  Surface s;
  s.Create(8, 8);
  s.SetTextLog(&registro);
  s.SetFont(StdFont{"Arial", 11, true});
  s.SetForeColor(0xFF0000);
  s.DrawText(700, -20, "Vidas: 6", false);  // text ignores the blit rules
  EXPECT_EQ(registro.ultimo.x, 700);
  EXPECT_EQ(registro.ultimo.y, -20);
  EXPECT_EQ(registro.ultimo.texto, "Vidas: 6");
  EXPECT_EQ(registro.ultimo.tamanho, 11);
  EXPECT_TRUE(registro.ultimo.negrito);
  EXPECT_EQ(registro.ultimo.cor, 0xFF0000);
}

}  // namespace
}  // namespace vartenos
