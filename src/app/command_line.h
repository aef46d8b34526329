// What the desktop game does with its command line before the game starts: "--version" and "--help"
// alone print and exit, as players and packagers expect of a program; anywhere else in a command
// line they are just words, and the game treats the whole line as it always does (its switches found
// anywhere, or the invalid-switch box).
#pragma once

#include <cstring>
#include <string>

namespace vartenos {

enum class PedidoDeLinha { Jogar, Versao, Ajuda };

inline PedidoDeLinha LerPedido(int argc, const char* const* argv) {
  if (argc == 2 && argv[1] != nullptr) {
    if (std::strcmp(argv[1], "--version") == 0) return PedidoDeLinha::Versao;
    if (std::strcmp(argv[1], "--help") == 0) return PedidoDeLinha::Ajuda;
  }
  return PedidoDeLinha::Jogar;
}

// The game's command line: the arguments after the program's name joined by single spaces.
inline std::string LinhaDeComando(int argc, const char* const* argv) {
  std::string linha;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) linha += ' ';
    linha += argv[i] != nullptr ? argv[i] : "";
  }
  return linha;
}

}  // namespace vartenos
