// Any bytes as a sprite sheet: read as the game reads its BMP files, stretched onto surfaces of the
// sizes the game asks for, and written back and read again.
#include <vector>

#include "display/directdraw.h"
#include "display/image_files.h"
#include "fuzz_target.h"

namespace vartenos::fuzz {

std::string Exercitar_bmp_file(const uint8_t* data, size_t size) {
  ImagemRgb img;
  std::string error;
  if (!LerBmpBytes(std::vector<uint8_t>(data, data + size), img, error)) {
    return error.empty() ? "refused without saying why" : "";
  }
  const std::string tamanho = std::to_string(img.width) + " x " + std::to_string(img.height);
  if (img.width < 1 || img.height < 1 || img.width > 16384 || img.height > 16384) return "read as " + tamanho;
  if (img.rgb.size() != static_cast<size_t>(img.width) * img.height * 3)
    return "pixels do not fill " + tamanho;
  // A one-pixel star, a small sprite sheet, and a sheet wider than the picture.
  for (const auto& [w, h] : {std::pair{1, 1}, {90, 35}, {491, 3}}) {
    Surface s;
    s.Create(w, h);
    EsticarImagem(img, s);
  }
  ImagemRgb volta;
  if (!LerBmpBytes(BytesBmp(img), volta, error)) return "the picture written back is refused: " + error;
  if (volta.width != img.width || volta.height != img.height || volta.rgb != img.rgb) {
    return "the picture written back reads differently (" + tamanho + ")";
  }
  return "";
}

}  // namespace vartenos::fuzz

VARTENOS_ALVO_FUZZ(bmp_file)
