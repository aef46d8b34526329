// A tiny 3 x 5 pixel font for the labels of the contact sheet.
#pragma once

#include <string>

#include "art/art_source.h"

namespace vartenos::art {

// Draws UTF-8 `texto` with its top-left at (x, y), each font pixel `escala` x `escala`. Letters are shown
// as capitals; Portuguese accents (acute, grave, circumflex, tilde, cedilla) are drawn as marks.
// Returns the width drawn in pixels.
int EscreverTexto(Pixels& p, int x, int y, const std::string& texto, uint32_t cor, int escala);
// The width that EscreverTexto would use.
int LarguraTexto(const std::string& texto, int escala);
constexpr int kAlturaTexto = 8;  // font rows including the accent rows, before scaling

}  // namespace vartenos::art
