// Placeholder until the music is composed.
#include "assets.h"

namespace vartenos::assets {
bool GerarMusicas(const Pastas&, std::string&) { return true; }
}  // namespace vartenos::assets
