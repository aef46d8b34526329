#include "sim_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vartenos::testes {

std::string LerArquivo(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string PastaTemporaria() {
  std::string modelo = "/tmp/vartenos-test-XXXXXX";
  if (mkdtemp(modelo.data()) == nullptr) return "/tmp";
  return modelo;
}

std::string PastaDadosCom(const std::map<std::string, std::vector<uint8_t>>& arquivos) {
  namespace fs = std::filesystem;
  const std::string dir = PastaTemporaria();
  for (const auto& f : fs::directory_iterator(VARTENOS_BUILD_DATA)) {
    fs::create_symlink(f.path(), fs::path(dir) / f.path().filename());
  }
  for (const auto& [nome, bytes] : arquivos) {
    fs::remove(fs::path(dir) / nome);
    std::ofstream(dir + "/" + nome, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  return dir;
}

Execucao RodarSim(const std::string& args, const std::string& script, bool with_trace) {
  const std::string dir = PastaTemporaria();
  std::string cmd = std::string(VARTENOS_SIM) + " --data " + VARTENOS_BUILD_DATA + " " + args;
  if (!script.empty()) {
    std::ofstream(dir + "/script.txt") << script;
    cmd += " --script " + dir + "/script.txt";
  }
  if (with_trace) cmd += " --trace " + dir + "/trace.jsonl";
  cmd += " >" + dir + "/out.txt 2>" + dir + "/err.txt";
  Execucao e;
  const int raw = std::system(cmd.c_str());
  e.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  e.saida = LerArquivo(dir + "/out.txt");
  e.erros = LerArquivo(dir + "/err.txt");
  if (with_trace) {
    std::ifstream in(dir + "/trace.jsonl");
    std::string line;
    while (std::getline(in, line)) e.trace.push_back(line);
  }
  std::system(("rm -rf " + dir).c_str());
  return e;
}

}  // namespace vartenos::testes
