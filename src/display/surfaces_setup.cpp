// Creating the display surfaces and loading the fifteen sprite sheets at start-up.
#include "display/sprites.h"
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
    const Sprite* sprite;  // nullptr: the size the description record holds from the sheet before
    bool chave;
  };
  // In loading order. The one description record is reused, so the credits title is created with the
  // size the title left in it (both are 491 x 99).
  const Folha folhas[] = {
      {&Surf_Nave, "Nave.BMP", &kSpriteNave, true},
      {&Surf_Inimigos, "Inimigos.BMP", &kSpriteInimigo, true},
      {&Surf_Estrela, "Estrela.BMP", &kSpriteEstrela, false},
      {&Surf_Titulo, "Título.BMP", &kSpriteTitulo, true},
      {&Surf_Titulo2, "Título2.BMP", nullptr, true},
      {&Surf_Galaxias, "Galáxias.BMP", &kSpriteGalaxia, true},
      {&Surf_Tiro_Inimigo, "Tiro_Inimigo.BMP", &kSpriteTiroInimigo, true},
      {&Surf_Laser, "Laser.BMP", &kSpriteLaser, true},
      {&Surf_Laser2, "Laser2.BMP", &kSpriteLaser2, true},
      {&Surf_Laser3, "Laser3.BMP", &kSpriteEscudo, true},
      {&Surf_Extras, "Extras.BMP", &kSpriteExtra, false},
      {&Surf_Laser4, "Laser4.BMP", &kSpriteLaser4, false},
      {&Surf_Laser5, "Laser5.BMP", &kSpriteLaser5, true},
      {&Surf_Laser6, "Laser6.BMP", &kSpriteLaser6, true},
      {&Surf_Explosao, "Explosão.BMP", &kSpriteExplosao, true},
  };
  for (const Folha& f : folhas) {
    ddsd.lFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    ddsd.ddsCaps.lCaps = DDSCAPS_OFFSCREENPLAIN;
    if (f.sprite != nullptr) {
      ddsd.lWidth = f.sprite->LarguraDaFolha();
      ddsd.lHeight = f.sprite->altura;
    }
    dd->CreateSurfaceFromFile(Pasta_Dados() + f.arquivo, ddsd, *f.surf);
    if (f.chave) f.surf->SetColorKey(DDCKEY_SRCBLT, 0, 0);
  }
}

}  // namespace vartenos
