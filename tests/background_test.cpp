// The falling star field and the galaxies at the bottom edge.
#include <gtest/gtest.h>

#include "platform/headless/headless_platform.h"
#include "shell/form1.h"

namespace vartenos {
namespace {

TEST(Fundo, AStarAtTheBottomRowStaysAFrameAndAGalaxyIsDrawn481Times) {
  HeadlessPlatform plataforma;
  Form1 form(plataforma, VARTENOS_BUILD_DATA, nullptr);
  form.Form_Load("/sa /sp");

  // A star reaching exactly 480 is kept (and drawn off the surface); past it, it starts again.
  Estrela& e = form.Estrelas[0];
  e = Estrela{10, 479, true, 1};
  form.Atualizar_Fundo();
  EXPECT_TRUE(e.Ativo);
  EXPECT_EQ(e.Y, 480);
  form.Atualizar_Fundo();
  EXPECT_FALSE(e.Ativo);
  form.Atualizar_Fundo();
  EXPECT_TRUE(e.Ativo);
  EXPECT_EQ(e.Y, 0);

  // A galaxy is drawn before it moves, from row 0 to row 480: 481 frames, the last 26 of them
  // (rows 455 to 480) too low for the whole cell, so nothing shows there.
  form.Galaxias[0] = Galaxia{100, 0, true, 1, 0};
  int quadros = 0;
  int vistos = 0;
  while (form.Galaxias[0].Ativo && quadros < 1000) {
    form.backbuffer.BltColorFill(form.Rect_Tela, 0);
    const int32_t y = static_cast<int32_t>(form.Galaxias[0].Y);
    form.Atualizar_Galaxias();
    bool visto = false;
    for (int32_t x = 100; x < 134 && !visto && y < 480; ++x) {
      for (int32_t yy = y; yy < std::min(480, y + 26) && !visto; ++yy)
        visto = form.backbuffer.Pixel(x, yy) != 0;
    }
    vistos += visto ? 1 : 0;
    ++quadros;
  }
  EXPECT_EQ(quadros, 481);
  EXPECT_EQ(vistos, 455);
}

}  // namespace
}  // namespace vartenos
