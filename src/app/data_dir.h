// Finding the data directory: VARTENOS_DATA, the data/ folder beside the executable (the build
// tree), ../share/vartenos/ relative to the executable (../../share/vartenos/ for the runner in
// libexec/vartenos/), then the installed data directory.
#pragma once

#include <string>

namespace vartenos {

// The folder, ending in '/', that holds the game's data files; empty when none does, with the
// paths that were tried in `tried`.
std::string EncontrarPastaDados(const char* argv0, std::string& tried);

// The folder that holds the running executable.
std::string PastaDoExecutavel(const char* argv0);

}  // namespace vartenos
