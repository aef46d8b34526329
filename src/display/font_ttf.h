// The text rasteriser: "Arial" is drawn with Liberation Sans Bold (metrically the same as Arial),
// sizes in points at 96 DPI, anti-aliased, on a transparent background, glyphs cached.
#pragma once

#include <memory>
#include <string>

#include "display/surface.h"

namespace vartenos {

// Where the font file is looked for, first the environment variable VARTENOS_FONT.
std::string EncontrarFonte(std::string& tried);

// Creates the rasteriser. Throws FatalError naming the font file when it cannot be opened.
std::unique_ptr<TextRenderer> CriarRasterizador();

}  // namespace vartenos
