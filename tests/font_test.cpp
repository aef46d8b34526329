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

struct Caixa {
  int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;  // inclusive; empty when x0 > x1
  int pixels = 0;
  bool Vazia() const { return pixels == 0; }
  int Altura() const { return y1 - y0 + 1; }
};

// The box of every pixel that differs from `fundo`.
Caixa Tinta(const Surface& s, uint16_t fundo = 0) {
  Caixa c;
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      if (s.Pixel(x, y) == fundo) continue;
      c.x0 = std::min(c.x0, x);
      c.y0 = std::min(c.y0, y);
      c.x1 = std::max(c.x1, x);
      c.y1 = std::max(c.y1, y);
      ++c.pixels;
    }
  }
  return c;
}

StdFont Arial(float size, bool bold = true) { return StdFont{"Arial", size, bold}; }

class FonteTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { rasterizador_ = CriarRasterizador().release(); }
  static void TearDownTestSuite() {
    delete rasterizador_;
    rasterizador_ = nullptr;
  }

  static Surface Preta(int w = 320, int h = 120) {
    Surface s;
    s.Create(w, h);
    return s;
  }
  static Caixa Desenhar(Surface& s, int x, int y, const std::string& texto, const StdFont& f,
                        int32_t cor = 0xFFFFFF) {
    rasterizador_->Draw(s, x, y, texto, f, cor);
    return Tinta(s);
  }

  static TextRenderer* rasterizador_;
};

TextRenderer* FonteTest::rasterizador_ = nullptr;

TEST_F(FonteTest, InkLiesInTheTextBoxBelowAndRightOfThePoint) {
  Surface s = Preta();
  const Caixa c = Desenhar(s, 40, 30, "Música", Arial(18));
  ASSERT_FALSE(c.Vazia());
  // (x, y) is the top-left of the text box: ink starts just right of x and below y (the box's
  // top holds the line's ascent space above the capitals), and a six-letter word at 18 points
  // stays within a few dozen pixels of it.
  EXPECT_GE(c.x0, 40);
  EXPECT_LE(c.x0, 44);
  EXPECT_GE(c.y0, 30);
  EXPECT_LE(c.y0, 38);
  EXPECT_LT(c.x1, 40 + 110);
  EXPECT_LT(c.y1, 30 + 30);
}

TEST_F(FonteTest, FullCoverageIsTheRequestedColourAndEdgesBlendWithTheBackground) {
  const int32_t laranja = 0x0080FF;  // red 255, green 128, blue 0 (red + 256 * green + 65536 * blue)
  const uint16_t fundo = Rgb565(0, 0, 255);
  Surface s = Preta();
  s.BltColorFill(RECT{0, 0, s.Width(), s.Height()}, 0xFF0000);  // blue
  rasterizador_->Draw(s, 10, 10, "VARTENOS", Arial(25), laranja);

  int cheios = 0, mesclados = 0;
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      const uint16_t p = s.Pixel(x, y);
      if (p == fundo) continue;
      if (p == CorParaPixel(laranja)) {
        ++cheios;
        continue;
      }
      // An edge pixel lies between the background and the text colour: the red of the text grows
      // as the blue of the background fades (to within the 5-bit steps of the pixel format).
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

TEST_F(FonteTest, BiggerSizesGiveTallerInkAndBoldGivesMoreInk) {
  Surface pequena = Preta(), grande = Preta(), regular = Preta();
  const Caixa p = Desenhar(pequena, 5, 5, "Hx", Arial(10));
  const Caixa g = Desenhar(grande, 5, 5, "Hx", Arial(25));
  ASSERT_FALSE(p.Vazia());
  ASSERT_FALSE(g.Vazia());
  EXPECT_GT(g.Altura(), p.Altura() * 2);
  // Half points are rounded: 14.4 draws as 14.
  Surface a = Preta(), b = Preta();
  rasterizador_->Draw(a, 5, 5, "Pausa", Arial(14.4f), 0xFFFFFF);
  rasterizador_->Draw(b, 5, 5, "Pausa", Arial(14), 0xFFFFFF);
  EXPECT_TRUE(std::equal(a.Pixels(), a.Pixels() + a.Width() * a.Height(), b.Pixels()));

  const Caixa r = Desenhar(regular, 5, 5, "Hx", Arial(25, false));
  EXPECT_LT(r.pixels, g.pixels);
}

TEST_F(FonteTest, AccentedLettersAreOneCharacterWithTheirAccent) {
  Surface u = Preta(), u_agudo = Preta(), latin1 = Preta();
  const Caixa cu = Desenhar(u, 5, 5, "u", Arial(18));
  const Caixa ca = Desenhar(u_agudo, 5, 5, "\xC3\xBA", Arial(18));  // "ú" in UTF-8
  EXPECT_LT(ca.y0, cu.y0 - 3);                                      // the accent rises above the letter
  EXPECT_GT(ca.pixels, cu.pixels);

  // "Créditos" is as wide as "Creditos": é is one character, not two.
  Surface com = Preta(), sem = Preta();
  const Caixa cc = Desenhar(com, 5, 5,
                            "Cr\xC3\xA9"
                            "ditos",
                            Arial(14));
  const Caixa cs = Desenhar(sem, 5, 5, "Creditos", Arial(14));
  EXPECT_EQ(cc.x0, cs.x0);
  EXPECT_EQ(cc.x1, cs.x1);

  // A lone Latin-1 byte (text saved in the old 8-bit encoding) still draws the same letter.
  Desenhar(latin1, 5, 5, "\xFA", Arial(18));
  EXPECT_TRUE(
      std::equal(latin1.Pixels(), latin1.Pixels() + latin1.Width() * latin1.Height(), u_agudo.Pixels()));
}

TEST_F(FonteTest, DrawingTheSameTextAgainGivesTheSamePixels) {
  // The second drawing comes from the glyph cache; it must match the first, fresh one.
  Surface a = Preta(), b = Preta();
  rasterizador_->Draw(a, 7, 9, "Pontos: 12345 Vidas: 3", Arial(12), 0x00FFFF);
  rasterizador_->Draw(b, 7, 9, "Pontos: 12345 Vidas: 3", Arial(12), 0x00FFFF);
  EXPECT_TRUE(std::equal(a.Pixels(), a.Pixels() + a.Width() * a.Height(), b.Pixels()));
  // Other sizes in between do not disturb what is cached for this one.
  Surface c = Preta(), d = Preta();
  rasterizador_->Draw(c, 7, 9, "Pontos: 12345", Arial(30), 0xFFFFFF);
  rasterizador_->Draw(c, 7, 9, "Pontos: 12345 Vidas: 3", Arial(12, false), 0xFFFFFF);
  rasterizador_->Draw(d, 7, 9, "Pontos: 12345 Vidas: 3", Arial(12), 0x00FFFF);
  EXPECT_TRUE(std::equal(a.Pixels(), a.Pixels() + a.Width() * a.Height(), d.Pixels()));
}

TEST_F(FonteTest, TextIsClippedAtTheSurfaceEdgesNotDroppedWhole) {
  Surface s = Preta(100, 40);
  // Half off the left and top: the visible part is still drawn (text is not all-or-nothing).
  const Caixa c = Desenhar(s, -12, -8, "WWWW", Arial(18));
  ASSERT_FALSE(c.Vazia());
  EXPECT_EQ(c.x0, 0);
  EXPECT_EQ(c.y0, 0);

  Surface t = Preta(100, 40);
  const Caixa d = Desenhar(t, 90, 30, "WWWW", Arial(18));
  ASSERT_FALSE(d.Vazia());
  EXPECT_EQ(d.x1, 99);

  // Far away in every direction, and a size of nothing: no ink, no crash.
  Surface u = Preta(100, 40);
  const std::pair<int32_t, int32_t> longe[] = {{INT32_MIN, 0}, {INT32_MAX, 0}, {0, INT32_MIN},
                                               {0, INT32_MAX}, {-5000, 5000},  {INT32_MAX, INT32_MAX}};
  for (const auto& [x, y] : longe) rasterizador_->Draw(u, x, y, "Fim de jogo", Arial(18), 0xFFFFFF);
  rasterizador_->Draw(u, 200, 10, "fora", Arial(0), 0xFFFFFF);
  rasterizador_->Draw(u, 10, 10, "", Arial(18), 0xFFFFFF);
  EXPECT_TRUE(Tinta(u).Vazia());
  Surface vazia;
  rasterizador_->Draw(vazia, 0, 0, "nada", Arial(18), 0xFFFFFF);
}

TEST_F(FonteTest, BrokenUtf8DoesNotReadPastTheText) {
  Surface s = Preta();
  // A sequence cut short at the end, a stray continuation byte, an overlong form.
  for (const char* t : {"abc\xC3", "\xE2\x82", "\x80x", "\xC0\xAF", "ok\xF4\x90\x80\x80"}) {
    rasterizador_->Draw(s, 5, 5, t, Arial(14), 0xFFFFFF);
  }
  EXPECT_FALSE(Tinta(s).Vazia());
}

// Restores an environment variable when the test ends.
class VariavelDeAmbiente {
 public:
  VariavelDeAmbiente(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name); old != nullptr) {
      old_ = old;
      had_ = true;
    }
    setenv(name, value.c_str(), 1);
  }
  ~VariavelDeAmbiente() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(FonteArquivo, TheEnvironmentVariableComesFirstAndMissingFilesAreSkipped) {
  {
    VariavelDeAmbiente v("VARTENOS_FONT", "/nao/existe/fonte.ttf");
    std::string tried;
    const std::string path = EncontrarFonte(tried);
    EXPECT_EQ(tried.rfind("/nao/existe/fonte.ttf", 0), 0u) << tried;
    EXPECT_NE(path, "/nao/existe/fonte.ttf");
    EXPECT_NE(path.find("LiberationSans-Bold.ttf"), std::string::npos);
  }
  const std::string own = VARTENOS_SOURCE_DIR "/CMakeLists.txt";  // exists, but is no font
  VariavelDeAmbiente v("VARTENOS_FONT", own);
  std::string tried;
  EXPECT_EQ(EncontrarFonte(tried), own);
}

TEST(FonteArquivo, AFileThatIsNoFontIsReportedByName) {
  const std::string own = VARTENOS_SOURCE_DIR "/CMakeLists.txt";
  VariavelDeAmbiente v("VARTENOS_FONT", own);
  try {
    CriarRasterizador();
    FAIL() << "a text file was accepted as a font";
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(own + ": ", 0), 0u) << e.what();
  }
}

}  // namespace
}  // namespace vartenos
