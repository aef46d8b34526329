#include "platform/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vartenos {

namespace fs = std::filesystem;

namespace {

bool LerInteiro(const std::string& texto, int minimo, int maximo, int& out) {
  if (texto.empty() || texto.size() > 6) return false;
  int v = 0;
  for (char c : texto) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < minimo || v > maximo) return false;
  out = v;
  return true;
}

std::string SemEspacos(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return {};
  const size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

}  // namespace

std::string CaminhoPreferencias() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    return std::string(xdg) + "/vartenos/settings.conf";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return std::string(home) + "/.config/vartenos/settings.conf";
  }
  return {};
}

Preferencias LerPreferencias(const std::string& caminho, std::string& aviso) {
  aviso.clear();
  Preferencias p;
  std::error_code ec;
  if (caminho.empty() || !fs::exists(caminho, ec)) return p;
  std::ifstream in(caminho, std::ios::binary);
  if (!in) {
    aviso = caminho + ": cannot be read: " + std::strerror(errno);
    return p;
  }
  // A settings file is a few lines; anything much longer is not one.
  std::string texto(kMaximoPreferencias, '\0');
  in.read(texto.data(), static_cast<std::streamsize>(texto.size()));
  texto.resize(static_cast<size_t>(in.gcount()));
  return LerPreferenciasTexto(texto, caminho, aviso);
}

Preferencias LerPreferenciasTexto(const std::string& texto, const std::string& caminho, std::string& aviso) {
  aviso.clear();
  Preferencias p;
  std::istringstream linhas(texto.substr(0, kMaximoPreferencias));
  std::string linha;
  int numero = 0;
  while (std::getline(linhas, linha)) {
    ++numero;
    linha = SemEspacos(linha);
    if (linha.empty() || linha[0] == '#') continue;
    const size_t igual = linha.find('=');
    const std::string nome = igual == std::string::npos ? linha : SemEspacos(linha.substr(0, igual));
    const std::string valor =
        igual == std::string::npos ? std::string() : SemEspacos(linha.substr(igual + 1));
    bool ok = igual != std::string::npos;
    if (ok && nome == "fullscreen") {
      ok = valor == "0" || valor == "1";
      if (ok) p.tela_cheia = valor == "1";
    } else if (ok && nome == "window_width") {
      ok = LerInteiro(valor, Preferencias::kMinimo, Preferencias::kMaximo, p.largura_janela);
    } else if (ok && nome == "window_height") {
      ok = LerInteiro(valor, Preferencias::kMinimo, Preferencias::kMaximo, p.altura_janela);
    } else if (ok) {
      continue;  // a setting of a later version: kept out of the way, not an error
    }
    if (!ok && aviso.empty()) {
      aviso = caminho + ": line " + std::to_string(numero) + ": cannot read \"" + linha.substr(0, 40) +
              "\"; using the default";
    }
  }
  return p;
}

std::string TextoPreferencias(const Preferencias& p) {
  return "# Vartenos settings, written by the game (F11 or Alt+Enter switch full screen)\nfullscreen=" +
         std::to_string(p.tela_cheia ? 1 : 0) + "\nwindow_width=" + std::to_string(p.largura_janela) +
         "\nwindow_height=" + std::to_string(p.altura_janela) + "\n";
}

bool GravarPreferencias(const std::string& caminho, const Preferencias& p, std::string& erro) {
  if (caminho.empty()) {
    erro = "no folder for the settings (neither XDG_CONFIG_HOME nor HOME is set)";
    return false;
  }
  std::error_code ec;
  const fs::path arquivo(caminho);
  fs::create_directories(arquivo.parent_path(), ec);
  if (ec) {
    erro = arquivo.parent_path().string() + ": cannot create the folder: " + ec.message();
    return false;
  }
  const std::string temporario = caminho + ".new";
  {
    std::ofstream out(temporario, std::ios::binary | std::ios::trunc);
    if (!out) {
      erro = temporario + ": cannot be written: " + std::strerror(errno);
      return false;
    }
    out << TextoPreferencias(p);
    out.flush();
    if (!out) {
      erro = temporario + ": cannot be written";
      fs::remove(temporario, ec);
      return false;
    }
  }
  fs::rename(temporario, arquivo, ec);
  if (ec) {
    erro = caminho + ": cannot be replaced: " + ec.message();
    fs::remove(temporario, ec);
    return false;
  }
  return true;
}

}  // namespace vartenos
