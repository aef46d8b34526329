// The drawing rules the game's pictures rest on: all-or-nothing fast blits, the black colour key,
// the scaling blit, fills and the flipping chain.
#include <gtest/gtest.h>

#include "display/surface.h"

namespace vartenos {
namespace {

constexpr uint16_t kBranco = Rgb565(255, 255, 255);

Surface Folha(int32_t w, int32_t h, uint16_t p = kBranco, bool chave = true) {
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

TEST(BltFast, AnythingOffTheScreenOrOffTheSheetByOnePixelIsNotDrawnAtAll) {
  const Surface nave = Folha(90, 35);  // three 30 x 35 cells
  // Screen x, y; the cell's left edge on the sheet. The ship's protection cycle asks for cells 3 to 7 of
  // its three-cell sheet: that is its blinking.
  const int32_t casos[][4] = {{611, 100, 0, 0},  {610, 100, 0, 1}, {-1, 0, 0, 0},     {0, -1, 0, 0},
                              {0, 446, 0, 0},    {0, 445, 0, 1},   {300, 400, 90, 0}, {300, 400, 210, 0},
                              {300, 400, -1, 0}, {300, 400, 60, 1}};
  for (const auto& [x, y, esquerda, desenha] : casos) {
    Surface tela;
    tela.Create(640, 480);
    tela.BltFast(x, y, nave, RECT{esquerda, 0, esquerda + 30, 35}, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    EXPECT_EQ(Pintados(tela), desenha * 30 * 35) << x << "," << y << " cell from " << esquerda;
  }
  // A one-pixel star on the last column and row.
  Surface tela = Folha(640, 480, 0, false);
  tela.BltFast(639, 479, Folha(1, 1, kBranco, false), RECT{0, 0, 1, 1}, DDBLTFAST_WAIT);
  EXPECT_EQ(tela.Pixel(639, 479), kBranco);
}

TEST(BltFast, ColourKeySkipsBlackAndNearBlackOnlyWhenAskedAndKeyed) {
  Surface folha;
  folha.Create(4, 1);
  folha.SetPixel(0, 0, Rgb565(0, 0, 0));
  folha.SetPixel(1, 0, Rgb565(7, 3, 7));  // stored as 0 in 16 bits: transparent too
  folha.SetPixel(2, 0, Rgb565(8, 0, 0));  // the first visible step of red
  folha.SetPixel(3, 0, Rgb565(255, 0, 0));
  const auto desenhar = [&](int32_t flags) {
    Surface fundo = Folha(4, 1, kBranco, false);
    fundo.BltFast(0, 0, folha, RECT{0, 0, 4, 1}, flags);
    return std::vector<uint16_t>{fundo.Pixel(0, 0), fundo.Pixel(1, 0), fundo.Pixel(2, 0), fundo.Pixel(3, 0)};
  };
  const std::vector<uint16_t> copiado = {0, 0, Rgb565(8, 0, 0), Rgb565(255, 0, 0)};
  // Not keyed: the black pixels are drawn black, as on the extras sheet.
  EXPECT_EQ(desenhar(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), copiado);
  folha.SetColorKey(DDCKEY_SRCBLT, 0, 0);
  // Keyed, but the blit does not ask for the key.
  EXPECT_EQ(desenhar(DDBLTFAST_WAIT), copiado);
  EXPECT_EQ(desenhar(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT),
            (std::vector<uint16_t>{kBranco, kBranco, Rgb565(8, 0, 0), Rgb565(255, 0, 0)}));
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
  for (const auto& [x, y, p] : {std::tuple{2, 2, 1}, {5, 2, 2}, {2, 5, 3}, {5, 5, 4}, {1, 1, 0}, {6, 6, 0}})
    EXPECT_EQ(alvo.Pixel(x, y), p) << x << "," << y;
  // A target larger than the surface is clipped, not refused (the zoom's last steps).
  alvo.Blt(RECT{-4, -4, 12, 12}, origem, RECT{0, 0, 2, 2}, DDBLT_WAIT);
  EXPECT_EQ(alvo.Pixel(0, 0), 1);
  EXPECT_EQ(alvo.Pixel(7, 7), 4);
}

TEST(Surface, FillFlipAndEveryChangeOfTheScreenIsAPresent) {
  struct Contador : Presenter {
    int n = 0;
    void Presented(const Surface&) override { ++n; }
  } contador;
  Surface primary, back;
  primary.Create(4, 4);
  back.Create(4, 4);
  primary.AttachBackBuffer(&back);
  primary.SetPresenter(&contador);
  back.BltColorFill(RECT{0, 0, 4, 4}, 0xFF0000);  // blue: red + 256 green + 65536 blue
  back.BltColorFill(RECT{-5, -5, 100, 1}, 0xFF);  // red, clipped
  EXPECT_EQ(contador.n, 0);                       // the back buffer is not on screen
  primary.Flip(nullptr, DDFLIP_WAIT);
  EXPECT_EQ(primary.Pixel(0, 0), Rgb565(255, 0, 0));
  EXPECT_EQ(primary.Pixel(3, 3), Rgb565(0, 0, 255));
  EXPECT_EQ(back.Pixel(0, 0), 0);
  primary.BltFast(0, 0, back, RECT{0, 0, 4, 4}, DDBLTFAST_WAIT);
  primary.Blt(RECT{0, 0, 2, 2}, back, RECT{0, 0, 4, 4}, DDBLT_WAIT);
  EXPECT_EQ(contador.n, 3);
}

TEST(Surface, EveryDrawingMovesTheVersionAndARepeatedFrameLeavesThePixelsButStillPresents) {
  struct Contador : Presenter, TextLog {
    int presentes = 0, textos = 0;
    void Presented(const Surface&) override { ++presentes; }
    void Drawn(const TextoDesenhado&) override { ++textos; }
  } c;
  Surface primary, back;
  primary.Create(4, 4);
  back.Create(4, 4);
  const Surface folha = Folha(2, 2);
  primary.AttachBackBuffer(&back);
  primary.SetPresenter(&c);
  back.SetTextLog(&c);
  const auto muda = [&](auto desenho) {
    const uint64_t antes = primary.Versao() + back.Versao();
    desenho();
    return primary.Versao() + back.Versao() != antes;
  };
  EXPECT_TRUE(muda([&] { back.BltColorFill(RECT{0, 0, 4, 4}, 0xFF); }));
  EXPECT_FALSE(muda([&] { back.BltColorFill(RECT{5, 5, 9, 9}, 0xFF); }));  // wholly off the surface
  EXPECT_TRUE(muda([&] { primary.BltFast(1, 1, folha, RECT{0, 0, 2, 2}, DDBLTFAST_WAIT); }));
  EXPECT_FALSE(muda([&] { primary.BltFast(3, 3, folha, RECT{0, 0, 2, 2}, DDBLTFAST_WAIT); }));
  EXPECT_TRUE(muda([&] { primary.Blt(RECT{0, 0, 1, 1}, folha, RECT{0, 0, 2, 2}, DDBLT_WAIT); }));
  EXPECT_TRUE(muda([&] { primary.Flip(nullptr, DDFLIP_WAIT); }));
  EXPECT_TRUE(muda([&] { back.SetPixel(0, 0, 1); }));

  const std::vector<uint16_t> antes(primary.Pixels(), primary.Pixels() + 16);
  const int presentes = c.presentes;
  primary.Repetir(true);
  back.Repetir(true);
  EXPECT_FALSE(muda([&] {
    back.BltColorFill(RECT{0, 0, 4, 4}, 0xFF0000);
    back.DrawText(0, 0, "Pausa", false);
    primary.BltFast(0, 0, folha, RECT{0, 0, 2, 2}, DDBLTFAST_WAIT);
    primary.Blt(RECT{0, 0, 4, 4}, folha, RECT{0, 0, 2, 2}, DDBLT_WAIT);
    primary.Flip(nullptr, DDFLIP_WAIT);
  }));
  EXPECT_EQ(std::vector<uint16_t>(primary.Pixels(), primary.Pixels() + 16), antes);
  EXPECT_EQ(c.presentes, presentes + 3);
  EXPECT_EQ(c.textos, 1);
}

TEST(Surface, TheScreensExpansionOfEverySixteenBitColourMatchesTheOneByOneExpansion) {
  std::vector<uint16_t> todas(65536);
  for (size_t i = 0; i < todas.size(); ++i) todas[i] = static_cast<uint16_t>(i);
  std::vector<uint32_t> argb(todas.size());
  ParaArgb8888(todas.data(), argb.data(), todas.size());
  for (size_t i = 0; i < todas.size(); ++i) {
    uint8_t r = 0, g = 0, b = 0;
    Rgb888(todas[i], r, g, b);
    ASSERT_EQ(argb[i], 0xFF000000u | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b) << i;
  }
}

TEST(Surface, TextIgnoresTheBlitRulesAndIsRecordedWithFontAndColour) {
  struct Registro : TextLog {
    TextoDesenhado ultimo;
    void Drawn(const TextoDesenhado& t) override { ultimo = t; }
  } r;
  Surface s;
  s.Create(8, 8);
  s.SetTextLog(&r);
  s.SetFont(StdFont{"Arial", 11, true});
  s.SetForeColor(0xFF0000);
  s.DrawText(700, -20, "Vidas: 6", false);
  EXPECT_EQ(
      std::tie(r.ultimo.x, r.ultimo.y, r.ultimo.texto, r.ultimo.tamanho, r.ultimo.negrito, r.ultimo.cor),
      std::make_tuple(700, -20, std::string("Vidas: 6"), 11.0f, true, 0xFF0000));
}

}  // namespace
}  // namespace vartenos
