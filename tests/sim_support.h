// Running vartenos-sim from the tests and reading its trace.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vartenos::testes {

struct Execucao {
  int status = -1;                 // exit status
  std::string saida;               // standard output
  std::string erros;               // standard error
  std::vector<std::string> trace;  // one JSON line per present
};

// Runs vartenos-sim with `args` (already quoted for the shell) and, when `script` is not empty, a
// script file holding it. Writes the trace to a temporary file and reads it back.
Execucao RodarSim(const std::string& args, const std::string& script = "", bool with_trace = true);

std::string LerArquivo(const std::string& path);
// A temporary data directory: the built data files, with `arquivos` (name -> bytes) written over them.
std::string PastaDadosCom(const std::map<std::string, std::vector<uint8_t>>& arquivos);
std::string PastaTemporaria();

}  // namespace vartenos::testes
