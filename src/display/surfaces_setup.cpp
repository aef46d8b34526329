// Creating the display surfaces and loading the fifteen sprite sheets at start-up.
#include "shell/form1.h"

namespace vartenos {

void Form1::Criar_Superficies() {
  // The primary surface with one back buffer in a flipping chain.
  ddsd.lFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  ddsd.ddsCaps.lCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  ddsd.lBackBufferCount = 1;
  dd->CreateSurface(ddsd, primary);
  ddscaps.lCaps = DDSCAPS_BACKBUFFER | DDSCAPS_FLIP;
  dd->GetAttachedSurface(primary, ddscaps, backbuffer);
  primary.SetTextLog(registro_texto_);
  backbuffer.SetTextLog(registro_texto_);

  struct Folha {
    Surface* surf;
    const char* arquivo;
    int32_t w, h;
    bool chave;
  };
  // In loading order. The one description record is reused, so the credits title is created with the
  // size the title left in it (both are 491 x 99).
  const Folha folhas[] = {
      {&Surf_Nave, "Nave.BMP", 90, 35, true},
      {&Surf_Inimigos, "Inimigos.BMP", 608, 24, true},
      {&Surf_Estrela, "Estrela.BMP", 1, 1, false},
      {&Surf_Titulo, "Título.BMP", 491, 99, true},
      {&Surf_Titulo2, "Título2.BMP", 0, 0, true},
      {&Surf_Galaxias, "Galáxias.BMP", 68, 26, true},
      {&Surf_Tiro_Inimigo, "Tiro_Inimigo.BMP", 10, 10, true},
      {&Surf_Laser, "Laser.BMP", 4, 10, true},
      {&Surf_Laser2, "Laser2.BMP", 44, 18, true},
      {&Surf_Laser3, "Laser3.BMP", 16, 16, true},
      {&Surf_Extras, "Extras.BMP", 144, 16, false},
      {&Surf_Laser4, "Laser4.BMP", 6, 12, false},
      {&Surf_Laser5, "Laser5.BMP", 30, 10, true},
      {&Surf_Laser6, "Laser6.BMP", 24, 15, true},
      {&Surf_Explosao, "Explosão.BMP", 180, 34, true},
  };
  for (const Folha& f : folhas) {
    ddsd.lFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    ddsd.ddsCaps.lCaps = DDSCAPS_OFFSCREENPLAIN;
    if (f.w > 0) {
      ddsd.lWidth = f.w;
      ddsd.lHeight = f.h;
    }
    dd->CreateSurfaceFromFile(Pasta_Dados() + f.arquivo, ddsd, *f.surf);
    if (f.chave) f.surf->SetColorKey(DDCKEY_SRCBLT, 0, 0);
  }
}

}  // namespace vartenos
