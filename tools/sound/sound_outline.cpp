// Placeholder until the sound effects are composed.
#include "assets.h"

namespace vartenos::assets {
bool GerarSons(const Pastas&, std::string&) { return true; }
}  // namespace vartenos::assets
