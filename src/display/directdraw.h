// The display device of the game, `dd`: display mode, the primary surface with its back buffer,
// and the sprite sheets loaded from the BMP files of the data directory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "display/surface.h"
#include "platform/platform.h"

namespace vartenos {

struct DDSCAPS2 {
  int32_t lCaps = 0;
};

struct DDSURFACEDESC2 {
  int32_t lFlags = 0;
  int32_t lHeight = 0;
  int32_t lWidth = 0;
  DDSCAPS2 ddsCaps;
  int32_t lBackBufferCount = 0;
};

constexpr int32_t DDSCL_NORMAL = 8;
constexpr int32_t DDSCL_FULLSCREEN_EXCLUSIVE = 17;
constexpr int32_t DDSD_CAPS = 1;
constexpr int32_t DDSD_HEIGHT = 2;
constexpr int32_t DDSD_WIDTH = 4;
constexpr int32_t DDSD_BACKBUFFERCOUNT = 32;
constexpr int32_t DDSCAPS_BACKBUFFER = 4;
constexpr int32_t DDSCAPS_COMPLEX = 8;
constexpr int32_t DDSCAPS_FLIP = 16;
constexpr int32_t DDSCAPS_OFFSCREENPLAIN = 64;
constexpr int32_t DDSCAPS_PRIMARYSURFACE = 512;

class DirectDraw7 {
 public:
  DirectDraw7(Platform& platform, TextRenderer* text, Presenter* presenter);

  void SetCooperativeLevel(int32_t flags) { cooperative_level_ = flags; }
  // 640 x 480 x 16 is the only mode the game asks for; it opens the platform's display.
  void SetDisplayMode(int32_t width, int32_t height, int32_t bpp, int32_t refresh, int32_t flags);
  void RestoreDisplayMode();

  // The primary surface (640 x 480) of a one-back-buffer flipping chain.
  void CreateSurface(const DDSURFACEDESC2& desc, Surface& primary);
  void GetAttachedSurface(Surface& primary, const DDSCAPS2& caps, Surface& backbuffer);
  // Loads a BMP file into a surface of exactly the described size (the picture is stretched to fit).
  // Throws FatalError naming the file when it is missing or unreadable.
  void CreateSurfaceFromFile(const std::string& path, const DDSURFACEDESC2& desc, Surface& out);

  int32_t CooperativeLevel() const { return cooperative_level_; }
  bool DisplayOpen() const { return display_open_; }

 private:
  Platform& platform_;
  TextRenderer* text_;
  Presenter* presenter_;
  int32_t cooperative_level_ = DDSCL_NORMAL;
  bool display_open_ = false;
};

struct ImagemRgb;
// Fills `out` (already created at its size) with `img` stretched to fit by nearest neighbour.
void EsticarImagem(const ImagemRgb& img, Surface& out);

}  // namespace vartenos
