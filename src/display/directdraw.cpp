#include "display/directdraw.h"

#include "display/image_files.h"
#include "platform/fatal_error.h"

namespace vartenos {

DirectDraw7::DirectDraw7(Platform& platform, TextRenderer* text, Presenter* presenter)
    : platform_(platform), text_(text), presenter_(presenter) {}

void DirectDraw7::SetDisplayMode(int32_t width, int32_t height, int32_t bpp, int32_t /*refresh*/,
                                 int32_t /*flags*/) {
  if (width != 640 || height != 480 || bpp != 16) {
    throw FatalError("display mode " + std::to_string(width) + " x " + std::to_string(height) + " x " +
                     std::to_string(bpp) + " is not supported");
  }
  platform_.OpenDisplay();
  display_open_ = true;
}

void DirectDraw7::RestoreDisplayMode() {
  if (display_open_) platform_.CloseDisplay();
  display_open_ = false;
}

void DirectDraw7::CreateSurface(const DDSURFACEDESC2& /*desc*/, Surface& primary) {
  primary.Create(640, 480);
  primary.SetTextRenderer(text_);
  primary.SetPresenter(presenter_);
}

void DirectDraw7::GetAttachedSurface(Surface& primary, const DDSCAPS2& /*caps*/, Surface& backbuffer) {
  backbuffer.Create(primary.Width(), primary.Height());
  backbuffer.SetTextRenderer(text_);
  primary.AttachBackBuffer(&backbuffer);
}

void DirectDraw7::CreateSurfaceFromFile(const std::string& path, const DDSURFACEDESC2& desc, Surface& out) {
  ImagemRgb img;
  std::string error;
  if (!LerBmp(path, img, error)) throw FatalError(error);
  const int32_t w = desc.lWidth > 0 ? desc.lWidth : img.width;
  const int32_t h = desc.lHeight > 0 ? desc.lHeight : img.height;
  out.Create(w, h);
  out.SetTextRenderer(text_);
  EsticarImagem(img, out);
}

void EsticarImagem(const ImagemRgb& img, Surface& out) {
  // Fitted to the surface's size by nearest neighbour, as a bitmap loaded at a given size is stretched.
  const int32_t w = out.Width();
  const int32_t h = out.Height();
  for (int32_t y = 0; y < h; ++y) {
    const int32_t sy = static_cast<int32_t>(static_cast<int64_t>(y) * img.height / h);
    for (int32_t x = 0; x < w; ++x) {
      const int32_t sx = static_cast<int32_t>(static_cast<int64_t>(x) * img.width / w);
      const uint8_t* p = img.At(sx, sy);
      out.SetPixel(x, y, Rgb565(p[0], p[1], p[2]));
    }
  }
}

}  // namespace vartenos
