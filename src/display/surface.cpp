#include "display/surface.h"

#include <algorithm>
#include <cstring>

namespace vartenos {

void Rgb888(uint16_t p, uint8_t& r, uint8_t& g, uint8_t& b) {
  const int r5 = (p >> 11) & 31;
  const int g6 = (p >> 5) & 63;
  const int b5 = p & 31;
  r = static_cast<uint8_t>((r5 << 3) | (r5 >> 2));
  g = static_cast<uint8_t>((g6 << 2) | (g6 >> 4));
  b = static_cast<uint8_t>((b5 << 3) | (b5 >> 2));
}

namespace {

inline uint32_t UmParaArgb8888(uint32_t p) {
  const uint32_t r5 = p >> 11;
  const uint32_t g6 = (p >> 5) & 63;
  const uint32_t b5 = p & 31;
  return 0xFF000000u | (((r5 << 3) | (r5 >> 2)) << 16) | (((g6 << 2) | (g6 >> 4)) << 8) | (b5 << 3) |
         (b5 >> 2);
}

}  // namespace

// A whole picture goes through here forty times a second. Blocks of sixteen pixels let the compiler
// do them side by side; on processors that have the wider vector instructions a second copy uses them.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(__SANITIZE_ADDRESS__)
__attribute__((target_clones("avx2", "default")))
#endif
void ParaArgb8888(const uint16_t* de, uint32_t* para, size_t n) {
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    for (size_t k = 0; k < 16; ++k) para[i + k] = UmParaArgb8888(de[i + k]);
  }
  for (; i < n; ++i) para[i] = UmParaArgb8888(de[i]);
}

uint16_t CorParaPixel(int32_t color) {
  const auto c = static_cast<uint32_t>(color);
  return Rgb565(static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>((c >> 8) & 0xFF),
                static_cast<uint8_t>((c >> 16) & 0xFF));
}

void Surface::Create(int32_t width, int32_t height) {
  width_ = width;
  height_ = height;
  pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  color_key_ = false;
  ++versao_;
}

void Surface::Release() {
  width_ = 0;
  height_ = 0;
  std::vector<uint16_t>().swap(pixels_);
  color_key_ = false;
  ++versao_;
}

void Surface::SetColorKey(int32_t flags, int32_t low, int32_t high) {
  // The game only ever keys black (low = high = 0) for source blits.
  color_key_ = (flags & DDCKEY_SRCBLT) != 0 && low == 0 && high == 0;
}

namespace {

bool Inside(const RECT& r, int32_t width, int32_t height) {
  return r.Left >= 0 && r.Top >= 0 && r.Right <= width && r.Bottom <= height && r.Left <= r.Right &&
         r.Top <= r.Bottom;
}

}  // namespace

void Surface::BltFast(int32_t x, int32_t y, const Surface& src, const RECT& src_rect, int32_t flags) {
  if (!Valid() || !src.Valid()) return;
  if (!Inside(src_rect, src.width_, src.height_)) return;
  // The target rectangle in 64 bits, so that positions near the limits of int32 cannot wrap around.
  const int64_t w = src_rect.Right - src_rect.Left;
  int64_t h = src_rect.Bottom - src_rect.Top;
  if (x < 0 || y < 0 || x + w > width_ || y + h > height_) return;
  const bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) != 0 && src.color_key_;
  if (repetindo_) h = 0;
  if (h > 0 && w > 0) ++versao_;
  for (int64_t row = 0; row < h; ++row) {
    const uint16_t* s = &src.pixels_[static_cast<size_t>(src_rect.Top + row) * src.width_ + src_rect.Left];
    uint16_t* d = &pixels_[static_cast<size_t>(y + row) * width_ + x];
    if (keyed) {
      for (int64_t col = 0; col < w; ++col) {
        if (s[col] != 0) d[col] = s[col];
      }
    } else {
      std::copy(s, s + w, d);
    }
  }
  if (presenter_ != nullptr) presenter_->Presented(*this);
}

void Surface::Blt(const RECT& dst_rect, const Surface& src, const RECT& src_rect, int32_t /*flags*/) {
  if (!Valid() || !src.Valid()) return;
  if (!Inside(src_rect, src.width_, src.height_)) return;
  const int64_t dw = static_cast<int64_t>(dst_rect.Right) - dst_rect.Left;
  const int64_t dh = static_cast<int64_t>(dst_rect.Bottom) - dst_rect.Top;
  const int64_t sw = src_rect.Right - src_rect.Left;
  const int64_t sh = src_rect.Bottom - src_rect.Top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  const int64_t y0 = std::max<int64_t>(dst_rect.Top, 0);
  int64_t y1 = std::min<int64_t>(dst_rect.Bottom, height_);
  const int64_t x0 = std::max<int64_t>(dst_rect.Left, 0);
  const int64_t x1 = std::min<int64_t>(dst_rect.Right, width_);
  if (repetindo_) y1 = y0;
  if (y0 < y1 && x0 < x1) ++versao_;
  for (int64_t y = y0; y < y1; ++y) {
    const int64_t sy = src_rect.Top + (y - dst_rect.Top) * sh / dh;
    const uint16_t* s = &src.pixels_[static_cast<size_t>(sy) * src.width_];
    uint16_t* d = &pixels_[static_cast<size_t>(y) * width_];
    for (int64_t x = x0; x < x1; ++x) {
      d[x] = s[src_rect.Left + (x - dst_rect.Left) * sw / dw];
    }
  }
  if (presenter_ != nullptr) presenter_->Presented(*this);
}

void Surface::Flip(Surface* /*target*/, int32_t /*flags*/) {
  if (attached_ == nullptr || attached_->pixels_.size() != pixels_.size()) return;
  if (!repetindo_) {
    pixels_.swap(attached_->pixels_);
    ++versao_;
    ++attached_->versao_;
  }
  if (presenter_ != nullptr) presenter_->Presented(*this);
}

void Surface::BltColorFill(const RECT& rect, int32_t color) {
  if (!Valid()) return;
  const uint16_t p = CorParaPixel(color);
  const int32_t x0 = std::max(rect.Left, 0);
  const int32_t x1 = std::min(rect.Right, width_);
  const int32_t y0 = std::max(rect.Top, 0);
  const int32_t y1 = std::min(rect.Bottom, height_);
  if (x1 <= x0 || y1 <= y0 || repetindo_) return;
  ++versao_;
  // A colour whose two bytes are alike (black, white) is a plain byte fill, several times faster than
  // storing pixel by pixel; the whole width is one stretch of memory.
  const bool bytes_iguais = (p & 0xFF) == (p >> 8);
  if (bytes_iguais && x0 == 0 && x1 == width_) {
    std::memset(&pixels_[static_cast<size_t>(y0) * width_], p & 0xFF,
                sizeof(uint16_t) * static_cast<size_t>(y1 - y0) * static_cast<size_t>(width_));
    return;
  }
  for (int32_t y = y0; y < y1; ++y) {
    uint16_t* linha = &pixels_[static_cast<size_t>(y) * width_ + x0];
    if (bytes_iguais) {
      std::memset(linha, p & 0xFF, sizeof(uint16_t) * static_cast<size_t>(x1 - x0));
    } else {
      std::fill_n(linha, x1 - x0, p);
    }
  }
}

void Surface::DrawText(int32_t x, int32_t y, std::string_view text, bool /*at_current_position*/) {
  if (log_ != nullptr) {
    logged_.x = x;
    logged_.y = y;
    logged_.texto.assign(text);
    logged_.tamanho = font_.Size;
    logged_.negrito = font_.Bold;
    logged_.cor = fore_color_;
    log_->Drawn(logged_);
  }
  if (renderer_ != nullptr && !repetindo_) renderer_->Draw(*this, x, y, text, font_, fore_color_);
}

}  // namespace vartenos
