// The text rasteriser. Every text of the game is "Arial"; we draw it with Liberation Sans, which has
// the same metrics, so the menu and status lines keep the widths and positions they were laid out for.
//
// Glyphs are rendered once by SDL_ttf into an alpha bitmap and kept, per font size, bold flag and
// character, so that the status line redrawn every frame costs only the blending and allocates nothing
// once its characters have been seen.
#include "display/font_ttf.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/fatal_error.h"

namespace vartenos {

namespace {

bool ArquivoExiste(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// The regular face beside a bold one ("...Sans-Bold.ttf" -> "...Sans-Regular.ttf"); empty if there is none.
std::string FaceRegular(const std::string& bold_path) {
  const std::string::size_type at = bold_path.rfind("-Bold");
  if (at == std::string::npos) return {};
  std::string regular = bold_path;
  regular.replace(at, 5, "-Regular");
  return ArquivoExiste(regular) ? regular : std::string();
}

// Decodes one UTF-8 character starting at `i` and advances `i`. A byte that does not start a valid
// sequence is taken as a Latin-1 character by itself, so text in the old 8-bit encoding still shows.
uint32_t ProximoCaractere(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  int extra = 0;
  uint32_t cp = 0;
  if (b0 < 0x80) {
    ++i;
    return b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    extra = 1;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3;
    cp = b0 & 0x07;
  } else {
    ++i;
    return b0;
  }
  if (i + static_cast<size_t>(extra) >= s.size()) {  // cut short at the end of the text
    ++i;
    return b0;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return b0;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  const uint32_t minimo[4] = {0, 0x80, 0x800, 0x10000};
  if (cp < minimo[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return b0;
  }
  i += static_cast<size_t>(extra) + 1;
  return cp;
}

// One rendered character: its coverage bitmap (offset into the font's pool) and where it sits
// relative to the pen position at the top of the text box.
struct Glifo {
  bool carregado = false;
  int16_t desloc_x = 0;  // left edge of the bitmap relative to the pen
  int16_t largura = 0;
  int16_t altura = 0;
  int16_t avanco = 0;
  uint32_t inicio = 0;  // first byte of the bitmap in the pool
};

// One face at one pixel size.
struct FonteAberta {
  TTF_Font* ttf = nullptr;
  int pontos = 0;
  bool negrito = false;
  std::array<Glifo, 256> latin1{};
  std::unordered_map<uint32_t, Glifo> outros;
  std::vector<uint8_t> cobertura;
};

class RasterizadorTtf final : public TextRenderer {
 public:
  RasterizadorTtf(std::string bold_path, std::string regular_path)
      : bold_path_(std::move(bold_path)), regular_path_(std::move(regular_path)) {}

  ~RasterizadorTtf() override {
    for (FonteAberta& f : fontes_) {
      if (f.ttf != nullptr) TTF_CloseFont(f.ttf);
    }
    TTF_Quit();
  }

  RasterizadorTtf(const RasterizadorTtf&) = delete;
  RasterizadorTtf& operator=(const RasterizadorTtf&) = delete;

  void Draw(Surface& target, int32_t x, int32_t y, std::string_view text, const StdFont& font,
            int32_t color) override {
    if (!target.Valid() || text.empty()) return;
    FonteAberta& f = Fonte(font);
    const auto c = static_cast<uint32_t>(color);
    const int cr = static_cast<int>(c & 0xFF);
    const int cg = static_cast<int>((c >> 8) & 0xFF);
    const int cb = static_cast<int>((c >> 16) & 0xFF);

    // Characters follow one another by their whole-pixel advances, without pair kerning, as the
    // game's text was laid out on Windows.
    int64_t pen = x;
    size_t i = 0;
    while (i < text.size()) {
      const uint32_t cp = ProximoCaractere(text, i);
      const Glifo& g = Carregar(f, cp);
      Compor(target, f, g, pen + g.desloc_x, y, cr, cg, cb);
      pen += g.avanco;
      // Anything further right than this can never land on a surface.
      if (pen > static_cast<int64_t>(target.Width()) + 1024) break;
    }
  }

 private:
  // The open face for this size and weight, opened on first use.
  FonteAberta& Fonte(const StdFont& font) {
    const float tamanho = std::isfinite(font.Size) ? font.Size : 8.0f;
    const int pontos = static_cast<int>(std::clamp(std::nearbyint(tamanho), 1.0f, 400.0f));
    const bool negrito = font.Bold || regular_path_.empty();
    for (FonteAberta& f : fontes_) {
      if (f.ttf != nullptr && f.pontos == pontos && f.negrito == negrito) return f;
    }
    // A free slot, or else the oldest one is reused (the game uses far fewer sizes than slots).
    FonteAberta* slot = nullptr;
    for (FonteAberta& f : fontes_) {
      if (f.ttf == nullptr) {
        slot = &f;
        break;
      }
    }
    if (slot == nullptr) {
      slot = &fontes_[proximo_reuso_];
      proximo_reuso_ = (proximo_reuso_ + 1) % fontes_.size();
      TTF_CloseFont(slot->ttf);
      *slot = FonteAberta{};
    }
    const std::string& path = negrito ? bold_path_ : regular_path_;
    // Points at 96 dots per inch, as the game's text was sized on its display.
    TTF_Font* ttf = TTF_OpenFontDPI(path.c_str(), pontos, 96, 96);
    if (ttf == nullptr) throw FatalError(path + ": " + TTF_GetError());
    TTF_SetFontKerning(ttf, 0);
    slot->ttf = ttf;
    slot->pontos = pontos;
    slot->negrito = negrito;
    return *slot;
  }

  const Glifo& Carregar(FonteAberta& f, uint32_t cp) {
    Glifo* g = nullptr;
    if (cp < f.latin1.size()) {
      g = &f.latin1[cp];
    } else {
      g = &f.outros[cp];
    }
    if (g->carregado) return *g;
    g->carregado = true;
    int minx = 0, maxx = 0, miny = 0, maxy = 0, avanco = 0;
    if (TTF_GlyphMetrics32(f.ttf, cp, &minx, &maxx, &miny, &maxy, &avanco) != 0) return *g;
    g->avanco = static_cast<int16_t>(avanco);
    SDL_Surface* s = TTF_RenderGlyph32_Blended(f.ttf, cp, SDL_Color{255, 255, 255, 255});
    if (s == nullptr) return *g;  // a blank character (space) renders nothing
    SDL_Surface* argb = s;
    if (s->format->format != SDL_PIXELFORMAT_ARGB8888) {
      argb = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
      SDL_FreeSurface(s);
      if (argb == nullptr) return *g;
    }
    // The rendered box begins at the pen, or further left when the glyph reaches behind it ('j').
    g->desloc_x = static_cast<int16_t>(std::min(minx, 0));
    g->largura = static_cast<int16_t>(argb->w);
    g->altura = static_cast<int16_t>(argb->h);
    g->inicio = static_cast<uint32_t>(f.cobertura.size());
    f.cobertura.resize(f.cobertura.size() + static_cast<size_t>(argb->w) * static_cast<size_t>(argb->h));
    SDL_LockSurface(argb);
    for (int row = 0; row < argb->h; ++row) {
      const auto* src = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                          static_cast<ptrdiff_t>(row) * argb->pitch);
      uint8_t* dst = &f.cobertura[g->inicio + static_cast<size_t>(row) * argb->w];
      for (int col = 0; col < argb->w; ++col) dst[col] = static_cast<uint8_t>(src[col] >> 24);
    }
    SDL_UnlockSurface(argb);
    SDL_FreeSurface(argb);
    return *g;
  }

  // Blends the glyph's coverage in the text colour over what is already on the surface. Text is
  // clipped at the edges, unlike sprites, which are drawn whole or not at all.
  static void Compor(Surface& target, const FonteAberta& f, const Glifo& g, int64_t gx, int64_t gy, int cr,
                     int cg, int cb) {
    if (g.largura == 0 || g.altura == 0) return;
    const int64_t x0 = std::max<int64_t>(gx, 0);
    const int64_t x1 = std::min<int64_t>(gx + g.largura, target.Width());
    const int64_t y0 = std::max<int64_t>(gy, 0);
    const int64_t y1 = std::min<int64_t>(gy + g.altura, target.Height());
    if (x0 >= x1 || y0 >= y1) return;
    const uint16_t cheio =
        Rgb565(static_cast<uint8_t>(cr), static_cast<uint8_t>(cg), static_cast<uint8_t>(cb));
    for (int64_t py = y0; py < y1; ++py) {
      const uint8_t* a = &f.cobertura[g.inicio + static_cast<size_t>(py - gy) * g.largura];
      uint16_t* d = target.Pixels() + static_cast<size_t>(py) * target.Width();
      for (int64_t px = x0; px < x1; ++px) {
        const int alfa = a[px - gx];
        if (alfa == 0) continue;
        if (alfa == 255) {
          d[px] = cheio;
          continue;
        }
        uint8_t r = 0, gg = 0, b = 0;
        Rgb888(d[px], r, gg, b);
        const int inv = 255 - alfa;
        d[px] = Rgb565(static_cast<uint8_t>((cr * alfa + r * inv + 127) / 255),
                       static_cast<uint8_t>((cg * alfa + gg * inv + 127) / 255),
                       static_cast<uint8_t>((cb * alfa + b * inv + 127) / 255));
      }
    }
  }

  std::string bold_path_;
  std::string regular_path_;
  std::array<FonteAberta, 16> fontes_{};
  size_t proximo_reuso_ = 0;
};

}  // namespace

std::string EncontrarFonte(std::string& tried) {
  std::string candidates[3];
  int n = 0;
  if (const char* env = std::getenv("VARTENOS_FONT"); env != nullptr && *env != '\0') candidates[n++] = env;
  candidates[n++] = "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf";
  candidates[n++] = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf";
  tried.clear();
  for (int i = 0; i < n; ++i) {
    if (!tried.empty()) tried += ", ";
    tried += candidates[i];
    if (ArquivoExiste(candidates[i])) return candidates[i];
  }
  return {};
}

std::unique_ptr<TextRenderer> CriarRasterizador() {
  std::string tried;
  const std::string path = EncontrarFonte(tried);
  if (path.empty()) {
    throw FatalError("no font file found (tried: " + tried +
                     "); install fonts-liberation2 or set VARTENOS_FONT to a TrueType file");
  }
  if (TTF_Init() != 0) throw FatalError(std::string("cannot start the font library: ") + TTF_GetError());
  // Open the face once now, so that a damaged or wrong file is reported at start-up, naming it.
  TTF_Font* probe = TTF_OpenFontDPI(path.c_str(), 12, 96, 96);
  if (probe == nullptr) {
    const std::string reason = TTF_GetError();
    TTF_Quit();
    throw FatalError(path + ": " + reason);
  }
  TTF_CloseFont(probe);
  return std::make_unique<RasterizadorTtf>(path, FaceRegular(path));
}

}  // namespace vartenos
