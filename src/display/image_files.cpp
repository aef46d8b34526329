#include "display/image_files.h"

#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/byte_files.h"

namespace vartenos {

bool LerBmp(const std::string& path, ImagemRgb& out, std::string& error) {
  std::vector<uint8_t> d;
  if (!LerArquivo(path, d, error)) return false;
  if (!LerBmpBytes(d, out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

bool LerBmpBytes(const std::vector<uint8_t>& d, ImagemRgb& out, std::string& error) {
  if (d.size() < 54 || d[0] != 'B' || d[1] != 'M') {
    error = "not a BMP file";
    return false;
  }
  const uint32_t offset = Le32(&d[10]);
  const uint32_t header = Le32(&d[14]);
  if (header < 40) {
    error = "unsupported BMP header (OS/2 bitmaps are not read)";
    return false;
  }
  const int32_t w = static_cast<int32_t>(Le32(&d[18]));
  const int32_t h_raw = static_cast<int32_t>(Le32(&d[22]));
  const uint16_t bpp = Le16(&d[28]);
  const uint32_t compression = Le32(&d[30]);
  uint32_t colors = Le32(&d[46]);
  if (compression != 0 && !(compression == 3 && bpp == 32)) {
    error = "compressed BMP files are not supported";
    return false;
  }
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) {
    error = "unsupported bits per pixel: " + std::to_string(bpp);
    return false;
  }
  if (w <= 0 || h_raw == 0 || w > 16384 || h_raw > 16384 || h_raw < -16384) {
    error = "bad picture size";
    return false;
  }
  const bool top_down = h_raw < 0;
  const int32_t h = top_down ? -h_raw : h_raw;
  const size_t stride = ((static_cast<size_t>(w) * bpp + 31) / 32) * 4;
  if (offset > d.size() || d.size() - offset < stride * h) {
    error = "the file is shorter than its picture";
    return false;
  }
  std::array<uint8_t, 256 * 3> pal{};
  if (bpp <= 8) {
    if (colors == 0 || colors > (1u << bpp)) colors = 1u << bpp;
    const size_t pal_at = 14 + header;
    if (pal_at + colors * 4 > offset) {
      error = "the palette is cut short";
      return false;
    }
    for (uint32_t i = 0; i < colors; ++i) {
      pal[i * 3 + 0] = d[pal_at + i * 4 + 2];
      pal[i * 3 + 1] = d[pal_at + i * 4 + 1];
      pal[i * 3 + 2] = d[pal_at + i * 4 + 0];
    }
  }
  out.Create(w, h);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = &d[offset + stride * static_cast<size_t>(top_down ? y : h - 1 - y)];
    for (int32_t x = 0; x < w; ++x) {
      uint8_t* p = out.At(x, y);
      if (bpp == 24 || bpp == 32) {
        const uint8_t* s = row + static_cast<size_t>(x) * (bpp / 8);
        p[0] = s[2];
        p[1] = s[1];
        p[2] = s[0];
      } else {
        const int per_byte = 8 / bpp;
        const uint8_t byte = row[x / per_byte];
        const int shift = (per_byte - 1 - x % per_byte) * bpp;
        const int index = (byte >> shift) & ((1 << bpp) - 1);
        std::memcpy(p, &pal[index * 3], 3);
      }
    }
  }
  return true;
}

std::vector<uint8_t> BytesBmp(const ImagemRgb& img) {
  const size_t stride = ((static_cast<size_t>(img.width) * 3 + 3) / 4) * 4;
  const auto size = static_cast<uint32_t>(54 + stride * img.height);
  std::vector<uint8_t> d;
  d.reserve(size);
  d.push_back('B');
  d.push_back('M');
  PoeLe32(d, size);
  PoeLe32(d, 0);
  PoeLe32(d, 54);
  PoeLe32(d, 40);
  PoeLe32(d, static_cast<uint32_t>(img.width));
  PoeLe32(d, static_cast<uint32_t>(img.height));
  PoeLe16(d, 1);
  PoeLe16(d, 24);
  PoeLe32(d, 0);
  PoeLe32(d, static_cast<uint32_t>(stride * img.height));
  PoeLe32(d, 2835);
  PoeLe32(d, 2835);
  PoeLe32(d, 0);
  PoeLe32(d, 0);
  for (int32_t y = img.height - 1; y >= 0; --y) {
    for (int32_t x = 0; x < img.width; ++x) {
      const uint8_t* p = img.At(x, y);
      d.push_back(p[2]);
      d.push_back(p[1]);
      d.push_back(p[0]);
    }
    for (size_t pad = static_cast<size_t>(img.width) * 3; pad < stride; ++pad) d.push_back(0);
  }
  return d;
}

bool EscreverBmp(const std::string& path, const ImagemRgb& img, std::string& error) {
  return EscreverArquivo(path, BytesBmp(img), error);
}

bool EscreverPng(const std::string& path, const ImagemRgb& img, std::string& error) {
  std::vector<uint8_t> raw;
  raw.reserve((static_cast<size_t>(img.width) * 3 + 1) * img.height);
  for (int32_t y = 0; y < img.height; ++y) {
    raw.push_back(0);  // no filter
    const uint8_t* row = img.At(0, y);
    raw.insert(raw.end(), row, row + static_cast<size_t>(img.width) * 3);
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packed_size);
  if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) {
    error = path + ": cannot compress the picture";
    return false;
  }
  packed.resize(packed_size);

  std::vector<uint8_t> d = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto chunk = [&d](const char* type, const std::vector<uint8_t>& body) {
    PoeBe32(d, static_cast<uint32_t>(body.size()));
    const size_t start = d.size();
    d.insert(d.end(), type, type + 4);
    d.insert(d.end(), body.begin(), body.end());
    const uLong crc = crc32(0, &d[start], static_cast<uInt>(d.size() - start));
    PoeBe32(d, static_cast<uint32_t>(crc));
  };
  std::vector<uint8_t> ihdr;
  PoeBe32(ihdr, static_cast<uint32_t>(img.width));
  PoeBe32(ihdr, static_cast<uint32_t>(img.height));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  chunk("IHDR", ihdr);
  chunk("IDAT", packed);
  chunk("IEND", {});
  return EscreverArquivo(path, d, error);
}

}  // namespace vartenos
