#include "app/data_dir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vartenos {

namespace fs = std::filesystem;

std::string PastaDoExecutavel(const char* argv0) {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) exe = fs::absolute(argv0 != nullptr ? argv0 : ".", ec);
  return exe.parent_path().string();
}

std::string EncontrarPastaDados(const char* argv0, std::string& tried) {
  std::string candidates[5];
  int n = 0;
  const char* env = std::getenv("VARTENOS_DATA");
  const bool escolhida = env != nullptr && *env != '\0';
  if (escolhida) candidates[n++] = env;
  const std::string exe_dir = PastaDoExecutavel(argv0);
  candidates[n++] = exe_dir + "/data";
  candidates[n++] = exe_dir + "/../share/vartenos";
  // The headless runner is installed in libexec/vartenos/.
  candidates[n++] = exe_dir + "/../../share/vartenos";
#ifdef VARTENOS_INSTALLED_DATA
  candidates[n++] = VARTENOS_INSTALLED_DATA;
#else
  candidates[n++] = "/usr/local/share/vartenos";
#endif
  tried.clear();
  for (int i = 0; i < n; ++i) {
    std::error_code ec;
    if (fs::is_regular_file(fs::path(candidates[i]) / "Nave.BMP", ec)) {
      std::string dir = candidates[i];
      if (dir.back() != '/') dir += '/';
      return dir;
    }
    // A folder asked for by name and holding no game is a mistake to point out, not to look past.
    if (i == 0 && escolhida) {
      tried = "VARTENOS_DATA=" + candidates[i] + ", which holds no Nave.BMP";
      return {};
    }
    if (!tried.empty()) tried += ", ";
    tried += candidates[i];
  }
  return {};
}

}  // namespace vartenos
