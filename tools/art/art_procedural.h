// The pictures that are easier to describe by a rule than by a grid: the explosion, the galaxies, the two
// title logos, the frames of the extra tiles.
#pragma once

#include "art/art_source.h"

namespace vartenos::art {

// Five 36 x 34 cells, side by side: a white flash, the fireball growing and reddening, then smoke.
Pixels Explosao();
// Two 34 x 26 cells: a two-armed spiral seen at a slant, and a smooth elliptical one.
Pixels Galaxias();
// The 491 x 99 logo "VARTENOS": chrome letters over a sunset band (menu) or molten letters with a
// glowing rim (credits).
Pixels Titulo(bool creditos);
// An opaque 16 x 16 capsule for one extra, with a bevelled rim in `cor`; the icon goes on top.
Pixels MolduraExtra(uint32_t cor);

}  // namespace vartenos::art
