// The text rasteriser: where the ink lands, its colour and blending, sizes, accents, the glyph
// cache, clipping at the surface edges, and the font file being found or reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "display/font_ttf.h"
#include "display/surface.h"
#include "platform/fatal_error.h"

namespace vartenos {
namespace {

// The box of every pixel that is not black; empty when no pixel is lit.
struct Caixa {
  int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;  // inclusive
  int pixels = 0;
};

Caixa Tinta(const Surface& s) {
  Caixa c;
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      if (s.Pixel(x, y) == 0) continue;
      c = {std::min(c.x0, x), std::min(c.y0, y), std::max(c.x1, x), std::max(c.y1, y), c.pixels + 1};
    }
  }
  return c;
}

bool Iguais(const Surface& a, const Surface& b) {
  return std::equal(a.Pixels(), a.Pixels() + a.Width() * a.Height(), b.Pixels());
}

StdFont Arial(float size, bool bold = true) { return StdFont{"Arial", size, bold}; }

class FonteTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { rasterizador_ = CriarRasterizador().release(); }
  static void TearDownTestSuite() { delete rasterizador_; }
  // The text drawn in white (or `cor`) on a black surface of 320 x 120 (or w x h).
  static Surface Desenho(int x, int y, const std::string& texto, const StdFont& f, int32_t cor = 0xFFFFFF,
                         int w = 320, int h = 120) {
    Surface s;
    s.Create(w, h);
    rasterizador_->Draw(s, x, y, texto, f, cor);
    return s;
  }
  static TextRenderer* rasterizador_;
};

TextRenderer* FonteTest::rasterizador_ = nullptr;

TEST_F(FonteTest, InkLiesInTheTextBoxBelowAndRightOfThePoint) {
  const Caixa c = Tinta(Desenho(40, 30, "Música", Arial(18)));
  // (x, y) is the top-left of the text box: ink starts just right of x and below y (the box's top holds
  // the line's ascent space above the capitals), and a six-letter word at 18 points stays within a few
  // dozen pixels of it.
  EXPECT_TRUE(c.x0 >= 40 && c.x0 <= 44 && c.x1 < 40 + 110) << c.x0 << ".." << c.x1;
  EXPECT_TRUE(c.y0 >= 30 && c.y0 <= 38 && c.y1 < 30 + 30) << c.y0 << ".." << c.y1;
}

TEST_F(FonteTest, FullCoverageIsTheRequestedColourAndEdgesBlendWithTheBackground) {
  const int32_t laranja = 0x0080FF;  // red 255, green 128, blue 0 (red + 256 * green + 65536 * blue)
  Surface s;
  s.Create(320, 120);
  s.BltColorFill(RECT{0, 0, s.Width(), s.Height()}, 0xFF0000);  // blue
  rasterizador_->Draw(s, 10, 10, "VARTENOS", Arial(25), laranja);
  int cheios = 0, mesclados = 0;
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      const uint16_t p = s.Pixel(x, y);
      if (p == Rgb565(0, 0, 255)) continue;
      if (p == CorParaPixel(laranja)) {
        ++cheios;
        continue;
      }
      // An edge pixel lies between the background and the text colour: the red of the text grows as
      // the blue of the background fades (to within the 5-bit steps of the pixel format).
      uint8_t r = 0, g = 0, b = 0;
      Rgb888(p, r, g, b);
      ++mesclados;
      EXPECT_LE(g, 130) << x << "," << y;
      EXPECT_NEAR(r + b, 255, 16) << x << "," << y;
    }
  }
  EXPECT_GT(cheios, 300);
  EXPECT_GT(mesclados, 50);  // anti-aliased, not a hard threshold
}

TEST_F(FonteTest, SizesBoldAndAccentsShapeTheInk) {
  const Caixa pequena = Tinta(Desenho(5, 5, "Hx", Arial(10))), grande = Tinta(Desenho(5, 5, "Hx", Arial(25)));
  EXPECT_GT(grande.y1 - grande.y0 + 1, (pequena.y1 - pequena.y0 + 1) * 2);
  EXPECT_LT(Tinta(Desenho(5, 5, "Hx", Arial(25, false))).pixels, grande.pixels);
  // Half points are rounded: 14.4 draws as 14.
  EXPECT_TRUE(Iguais(Desenho(5, 5, "Pausa", Arial(14.4f)), Desenho(5, 5, "Pausa", Arial(14))));
  // The accent rises above the letter.
  const Surface u_agudo = Desenho(5, 5, "\xC3\xBA", Arial(18));  // "ú" in UTF-8
  const Caixa u = Tinta(Desenho(5, 5, "u", Arial(18))), ua = Tinta(u_agudo);
  EXPECT_LT(ua.y0, u.y0 - 3);
  EXPECT_GT(ua.pixels, u.pixels);
  // "Créditos" is as wide as "Creditos": é is one character, not two.
  const Caixa com = Tinta(Desenho(5, 5,
                                  "Cr\xC3\xA9"
                                  "ditos",
                                  Arial(14))),
              sem = Tinta(Desenho(5, 5, "Creditos", Arial(14)));
  EXPECT_EQ(std::pair(com.x0, com.x1), std::pair(sem.x0, sem.x1));
  // A lone Latin-1 byte (text saved in the old 8-bit encoding) still draws the same letter.
  EXPECT_TRUE(Iguais(Desenho(5, 5, "\xFA", Arial(18)), u_agudo));
}

TEST_F(FonteTest, DrawingTheSameTextAgainGivesTheSamePixels) {
  // The second drawing comes from the glyph cache; other sizes in between do not disturb it.
  const Surface a = Desenho(7, 9, "Pontos: 12345 Vidas: 3", Arial(12), 0x00FFFF);
  EXPECT_TRUE(Iguais(a, Desenho(7, 9, "Pontos: 12345 Vidas: 3", Arial(12), 0x00FFFF)));
  Desenho(7, 9, "Pontos: 12345", Arial(30));
  Desenho(7, 9, "Pontos: 12345 Vidas: 3", Arial(12, false));
  EXPECT_TRUE(Iguais(a, Desenho(7, 9, "Pontos: 12345 Vidas: 3", Arial(12), 0x00FFFF)));
}

TEST_F(FonteTest, TextIsClippedAtTheSurfaceEdgesNotDroppedWholeAndNothingBreaksIt) {
  // Half off the left and top, or off the right: the visible part is still drawn (text is not
  // all-or-nothing).
  const Caixa c = Tinta(Desenho(-12, -8, "WWWW", Arial(18), 0xFFFFFF, 100, 40));
  EXPECT_EQ(std::pair(c.x0, c.y0), std::pair(0, 0));
  EXPECT_EQ(Tinta(Desenho(90, 30, "WWWW", Arial(18), 0xFFFFFF, 100, 40)).x1, 99);
  // Far away in every direction, a size of nothing, no text: no ink, no crash.
  Surface u;
  u.Create(100, 40);
  const std::pair<int32_t, int32_t> longe[] = {{INT32_MIN, 0}, {INT32_MAX, 0}, {0, INT32_MIN},
                                               {0, INT32_MAX}, {-5000, 5000},  {INT32_MAX, INT32_MAX}};
  for (const auto& [x, y] : longe) rasterizador_->Draw(u, x, y, "Fim de jogo", Arial(18), 0xFFFFFF);
  rasterizador_->Draw(u, 200, 10, "fora", Arial(0), 0xFFFFFF);
  rasterizador_->Draw(u, 10, 10, "", Arial(18), 0xFFFFFF);
  EXPECT_EQ(Tinta(u).pixels, 0);
  Surface vazia;
  rasterizador_->Draw(vazia, 0, 0, "nada", Arial(18), 0xFFFFFF);
  // Broken UTF-8 (cut short at the end, a stray continuation byte, an overlong form) does not read past
  // the text.
  for (const char* t : {"abc\xC3", "\xE2\x82", "\x80x", "\xC0\xAF", "ok\xF4\x90\x80\x80"}) {
    rasterizador_->Draw(u, 5, 5, t, Arial(14), 0xFFFFFF);
  }
  EXPECT_GT(Tinta(u).pixels, 0);
}

TEST(FonteArquivo, TheEnvironmentVariableComesFirstAndAFileThatIsNoFontIsNamed) {
  const char* antes = std::getenv("VARTENOS_FONT");
  const std::string guardada = antes ? antes : "";
  setenv("VARTENOS_FONT", "/nao/existe/fonte.ttf", 1);
  std::string tried;
  const std::string path = EncontrarFonte(tried);
  EXPECT_EQ(tried.rfind("/nao/existe/fonte.ttf", 0), 0u) << tried;  // tried first, then skipped
  EXPECT_NE(path.find("LiberationSans-Bold.ttf"), std::string::npos) << path;
  const std::string own = VARTENOS_SOURCE_DIR "/CMakeLists.txt";  // exists, but is no font
  setenv("VARTENOS_FONT", own.c_str(), 1);
  EXPECT_EQ(EncontrarFonte(tried), own);
  try {
    CriarRasterizador();
    ADD_FAILURE() << "a text file was accepted as a font";
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(own + ": ", 0), 0u) << e.what();
  }
  antes ? setenv("VARTENOS_FONT", guardada.c_str(), 1) : unsetenv("VARTENOS_FONT");
}

}  // namespace
}  // namespace vartenos
