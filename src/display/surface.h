// Drawing surfaces in the 16-bit RGB565 format of the game's display mode, and the drawing
// operations every screen uses: the all-or-nothing fast blit, the scaling blit, the colour fill and text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vartenos {

// left, top, right, bottom; right = left + width, bottom = top + height.
struct RECT {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
};

// Blit flags, with the values the game passes.
constexpr int32_t DDBLTFAST_SRCCOLORKEY = 1;
constexpr int32_t DDBLTFAST_WAIT = 16;
constexpr int32_t DDBLT_WAIT = 16777216;
constexpr int32_t DDFLIP_WAIT = 1;
constexpr int32_t DDCKEY_SRCBLT = 8;

// The one font object the game shares between all its text: name, size in points, bold.
struct StdFont {
  std::string Name;
  float Size = 8;
  bool Bold = false;
};

class Surface;

// Called after every change of a surface that is on screen (the primary surface): a present.
class Presenter {
 public:
  virtual ~Presenter() = default;
  virtual void Presented(const Surface& surface) = 0;
};

// Draws text onto a surface. The display's rasteriser implements it; tests may substitute their own.
class TextRenderer {
 public:
  virtual ~TextRenderer() = default;
  // `color` is packed red + 256 * green + 65536 * blue.
  virtual void Draw(Surface& target, int32_t x, int32_t y, std::string_view text, const StdFont& font,
                    int32_t color) = 0;
};

// Every DrawText call, for the headless runner's trace.
struct TextoDesenhado {
  int32_t x = 0;
  int32_t y = 0;
  std::string texto;
  float tamanho = 0;
  bool negrito = false;
  int32_t cor = 0;
};

class TextLog {
 public:
  virtual ~TextLog() = default;
  virtual void Drawn(const TextoDesenhado& t) = 0;
};

// Packs 8-bit components into RGB565 the way a 16-bit display stores them (truncating the low bits).
constexpr uint16_t Rgb565(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}
// Expands RGB565 back to 8-bit components (replicating the top bits into the low ones).
void Rgb888(uint16_t p, uint8_t& r, uint8_t& g, uint8_t& b);
// The same expansion for a run of pixels, into opaque 32-bit 0xAARRGGBB: what a screen takes without
// converting again.
void ParaArgb8888(const uint16_t* de, uint32_t* para, size_t n);
// A game colour (red + 256 * green + 65536 * blue) as RGB565.
uint16_t CorParaPixel(int32_t color);

class Surface {
 public:
  Surface() = default;

  void Create(int32_t width, int32_t height);
  void Release();
  bool Valid() const { return width_ > 0; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // Handing out a writable pointer counts as a change of the picture.
  uint16_t* Pixels() {
    ++versao_;
    return pixels_.data();
  }
  const uint16_t* Pixels() const { return pixels_.data(); }
  uint16_t Pixel(int32_t x, int32_t y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  void SetPixel(int32_t x, int32_t y, uint16_t p) {
    ++versao_;
    pixels_[static_cast<size_t>(y) * width_ + x] = p;
  }
  // Goes up with every change of the pixels: an unchanged number means an unchanged picture, which
  // is far cheaper to see than comparing the pixels.
  uint64_t Versao() const { return versao_; }

  // While set, drawing leaves the pixels as they are, for a caller that knows they already hold what
  // it is about to draw: presents and the text log are still reported, as if it had drawn.
  void Repetir(bool repetir) { repetindo_ = repetir; }

  // Source colour key: pixels stored as 0 (every colour whose components are all below the 16-bit
  // format's first step) are skipped by blits that ask for the key.
  void SetColorKey(int32_t flags, int32_t low, int32_t high);
  bool HasColorKey() const { return color_key_; }

  // Copies `src_rect` of `src` to (x, y) unscaled. All or nothing: if the source rectangle is not
  // wholly inside `src` or the target rectangle not wholly inside this surface, nothing is drawn.
  void BltFast(int32_t x, int32_t y, const Surface& src, const RECT& src_rect, int32_t flags);
  // Scales `src_rect` of `src` into `dst_rect` (nearest neighbour), clipped to this surface.
  void Blt(const RECT& dst_rect, const Surface& src, const RECT& src_rect, int32_t flags);
  // Fills the rectangle (clipped to the surface) with a game colour.
  void BltColorFill(const RECT& rect, int32_t color);

  // Text: the font and colour stay selected until the next call sets them.
  void SetFont(const StdFont& font) { font_ = font; }
  void SetForeColor(int32_t color) { fore_color_ = color; }
  // Draws `text` with its top-left corner at (x, y). Text is not subject to the blit rules.
  void DrawText(int32_t x, int32_t y, std::string_view text, bool at_current_position);

  void SetTextRenderer(TextRenderer* renderer) { renderer_ = renderer; }
  void SetTextLog(TextLog* log) { log_ = log; }

  // Makes `back` the back buffer of this surface's flipping chain.
  void AttachBackBuffer(Surface* back) { attached_ = back; }
  // Swaps this surface with its attached back buffer, as a two-surface flipping chain does.
  void Flip(Surface* target, int32_t flags);

  // The surface is shown on screen: every change to it is reported to `presenter`.
  void SetPresenter(Presenter* presenter) { presenter_ = presenter; }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint16_t> pixels_;
  bool color_key_ = false;
  uint64_t versao_ = 0;
  bool repetindo_ = false;
  StdFont font_;
  int32_t fore_color_ = 0;
  TextRenderer* renderer_ = nullptr;
  TextLog* log_ = nullptr;
  TextoDesenhado logged_;
  Surface* attached_ = nullptr;
  Presenter* presenter_ = nullptr;
};

}  // namespace vartenos
