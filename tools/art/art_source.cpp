// Parsing of the palette and of the sprite grids in data/art/.
#include "art/art_source.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace vartenos::art {

namespace {

std::string Aparar(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
  return s.substr(a, b - a);
}

std::vector<std::string> Linhas(const std::string& texto) {
  std::vector<std::string> linhas;
  std::string atual;
  for (char c : texto) {
    if (c == '\n') {
      linhas.push_back(atual);
      atual.clear();
    } else if (c != '\r') {
      atual += c;
    }
  }
  if (!atual.empty()) linhas.push_back(atual);
  return linhas;
}

std::string Onde(const std::string& nome, size_t linha) { return nome + ":" + std::to_string(linha) + ": "; }

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "#RRGGBB" or a palette name. A colour whose components are all below 8 would be taken for the
// transparent black once the sheet is stored in 16 bits, so such colours are refused outright.
bool LerCor(const std::string& valor, const Paleta* paleta, uint32_t& cor, std::string& erro) {
  if (!valor.empty() && valor[0] == '#') {
    if (valor.size() != 7) {
      erro = "colour '" + valor + "' is not of the form #RRGGBB";
      return false;
    }
    int v[6];
    for (int i = 0; i < 6; ++i) {
      v[i] = Hex(valor[1 + i]);
      if (v[i] < 0) {
        erro = "colour '" + valor + "' is not of the form #RRGGBB";
        return false;
      }
    }
    cor = Rgb(v[0] * 16 + v[1], v[2] * 16 + v[3], v[4] * 16 + v[5]);
  } else if (paleta != nullptr) {
    auto it = paleta->find(valor);
    if (it == paleta->end()) {
      erro = "unknown palette colour '" + valor + "'";
      return false;
    }
    cor = it->second;
  } else {
    erro = "colour '" + valor + "' is not of the form #RRGGBB";
    return false;
  }
  if (R(cor) < 8 && G(cor) < 8 && B(cor) < 8) {
    erro = "colour '" + valor + "' is too close to black: it would turn transparent";
    return false;
  }
  return true;
}

bool LerInteiro(const std::string& s, int& v) {
  if (s.empty() || s.size() > 5) return false;
  v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  return true;
}

}  // namespace

bool LerTexto(const std::string& path, std::string& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open the file";
    return false;
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return true;
}

bool LerPaletaTexto(const std::string& nome, const std::string& texto, Paleta& out, std::string& error) {
  const std::vector<std::string> linhas = Linhas(texto);
  for (size_t i = 0; i < linhas.size(); ++i) {
    const std::string l = Aparar(linhas[i]);
    if (l.empty() || l[0] == '#') continue;
    const size_t eq = l.find('=');
    if (eq == std::string::npos) {
      error = Onde(nome, i + 1) + "expected 'name = #RRGGBB'";
      return false;
    }
    const std::string chave = Aparar(l.substr(0, eq));
    const std::string valor = Aparar(l.substr(eq + 1));
    if (chave.empty() || chave.find_first_of(" \t#") != std::string::npos) {
      error = Onde(nome, i + 1) + "bad colour name '" + chave + "'";
      return false;
    }
    uint32_t cor = 0;
    std::string erro;
    if (!LerCor(valor, nullptr, cor, erro)) {
      error = Onde(nome, i + 1) + erro;
      return false;
    }
    if (out.count(chave) != 0) {
      error = Onde(nome, i + 1) + "colour '" + chave + "' is defined twice";
      return false;
    }
    out[chave] = cor;
  }
  return true;
}

bool LerPaleta(const std::string& path, Paleta& out, std::string& error) {
  std::string texto;
  return LerTexto(path, texto, error) && LerPaletaTexto(path, texto, out, error);
}

namespace {

// A legend, "C = colour, D = transparent, ...": one character for each colour. Returns the problem,
// empty when there is none.
std::string LerLegenda(const std::string& valor, const Paleta& paleta, std::map<char, uint32_t>& legenda) {
  std::stringstream ss(valor);
  std::string item;
  while (std::getline(ss, item, ',')) {
    item = Aparar(item);
    const size_t eq = item.find('=');
    const std::string letra = eq == std::string::npos ? "" : Aparar(item.substr(0, eq));
    if (letra.size() != 1 || letra[0] == ' ') {
      return "legend entry '" + item + "' must be 'C = colour' with one character C";
    }
    const std::string cor_txt = Aparar(item.substr(eq + 1));
    uint32_t cor = 0;
    if (cor_txt != "transparent") {
      std::string erro;
      if (!LerCor(cor_txt, &paleta, cor, erro)) return erro;
    }
    if (legenda.count(letra[0]) != 0) return "character '" + letra + "' is in the legend twice";
    legenda[letra[0]] = cor;
  }
  return "";
}

// The rows of a sprite from line `i` on, into `out` (already of its size); with `espelho` each row is
// the left half, mirrored to the right.
bool LerLinhasDoSprite(const std::string& nome, const std::vector<std::string>& linhas, size_t i,
                       const std::map<char, uint32_t>& legenda, bool espelho, Pixels& out,
                       std::string& error) {
  const int w = out.w, h = out.h;
  const int largura = espelho ? (w + 1) / 2 : w;
  int y = 0;
  for (; i < linhas.size() && y < h; ++i, ++y) {
    std::string l = linhas[i];
    while (!l.empty() && (l.back() == '\r' || l.back() == ' ')) l.pop_back();
    if (static_cast<int>(l.size()) != largura) {
      error = Onde(nome, i + 1) + "row has " + std::to_string(l.size()) + " characters, expected " +
              std::to_string(largura) + (espelho ? " (the left half of a mirrored sprite)" : "");
      return false;
    }
    for (int x = 0; x < largura; ++x) {
      auto it = legenda.find(l[x]);
      if (it == legenda.end()) {
        error = Onde(nome, i + 1) + "character '" + std::string(1, l[x]) + "' in column " +
                std::to_string(x + 1) + " is not in the legend";
        return false;
      }
      out.Set(x, y, it->second);
      if (espelho) out.Set(w - 1 - x, y, it->second);
    }
  }
  if (y < h) {
    error = Onde(nome, linhas.size()) + "expected " + std::to_string(h) + " rows, found " + std::to_string(y);
    return false;
  }
  for (; i < linhas.size(); ++i) {
    if (!Aparar(linhas[i]).empty()) {
      error = Onde(nome, i + 1) + "more rows than the size says (" + std::to_string(h) + ")";
      return false;
    }
  }
  return true;
}

}  // namespace

bool LerSpriteTexto(const std::string& nome, const std::string& texto, const Paleta& paleta, Pixels& out,
                    std::string& error) {
  const std::vector<std::string> linhas = Linhas(texto);
  int w = 0, h = 0;
  bool espelho = false, luz = false;
  std::map<char, uint32_t> legenda;
  size_t i = 0;
  bool achou_rows = false;
  for (; i < linhas.size(); ++i) {
    const std::string l = Aparar(linhas[i]);
    if (l.empty() || l[0] == '#') continue;
    const size_t dp = l.find(':');
    if (dp == std::string::npos) {
      error = Onde(nome, i + 1) + "expected 'key: value' (size, mirror, light, legend or rows)";
      return false;
    }
    const std::string chave = Aparar(l.substr(0, dp));
    const std::string valor = Aparar(l.substr(dp + 1));
    if (chave == "size") {
      const size_t sp = valor.find_first_of(" \t");
      if (sp == std::string::npos || !LerInteiro(Aparar(valor.substr(0, sp)), w) ||
          !LerInteiro(Aparar(valor.substr(sp)), h) || w < 1 || h < 1 || w > 1024 || h > 1024) {
        error = Onde(nome, i + 1) + "size must be two whole numbers 'W H' from 1 to 1024";
        return false;
      }
    } else if (chave == "mirror" || chave == "light") {
      const bool sim = valor == "yes" || valor == "top-left";
      if (!sim && valor != "no") {
        error = Onde(nome, i + 1) + "'" + chave + "' must be " +
                (chave == "mirror" ? "yes or no" : "top-left or no");
        return false;
      }
      (chave == "mirror" ? espelho : luz) = sim;
    } else if (chave == "legend") {
      if (std::string problema = LerLegenda(valor, paleta, legenda); !problema.empty()) {
        error = Onde(nome, i + 1) + problema;
        return false;
      }
    } else if (chave == "rows") {
      achou_rows = true;
      ++i;
      break;
    } else {
      error = Onde(nome, i + 1) + "unknown key '" + chave + "'";
      return false;
    }
  }
  if (w == 0) {
    error = Onde(nome, 1) + "no 'size:' line";
    return false;
  }
  if (!achou_rows) {
    error = Onde(nome, linhas.size()) + "no 'rows:' line";
    return false;
  }
  out.Create(w, h);
  if (!LerLinhasDoSprite(nome, linhas, i, legenda, espelho, out, error)) return false;
  if (luz) IluminarCantoSuperiorEsquerdo(out);
  return true;
}

bool LerSprite(const std::string& path, const Paleta& paleta, Pixels& out, std::string& error) {
  std::string texto;
  return LerTexto(path, texto, error) && LerSpriteTexto(path, texto, paleta, out, error);
}

namespace {

uint32_t Misturar(uint32_t c, int alvo, int pct) {
  auto m = [&](int v) { return v + (alvo - v) * pct / 100; };
  return Rgb(m(R(c)), m(G(c)), m(B(c)));
}

}  // namespace

void IluminarCantoSuperiorEsquerdo(Pixels& p) {
  const Pixels orig = p;
  for (int y = 0; y < p.h; ++y) {
    for (int x = 0; x < p.w; ++x) {
      const uint32_t c = orig.Get(x, y);
      if (c == 0) continue;
      const bool luz = orig.Get(x - 1, y) == 0 || orig.Get(x, y - 1) == 0;
      const bool sombra = orig.Get(x + 1, y) == 0 || orig.Get(x, y + 1) == 0;
      if (luz && !sombra) {
        p.Set(x, y, Misturar(c, 255, 30));
      } else if (sombra && !luz) {
        uint32_t d = Misturar(c, 0, 30);
        // Keep shaded edges well clear of the transparent black.
        if (std::max({R(d), G(d), B(d)}) < 24) d = c;
        p.Set(x, y, d);
      }
    }
  }
}

}  // namespace vartenos::art
