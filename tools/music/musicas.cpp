// The seven pieces of music, written as standard MIDI files from the scores in data/music/*.txt.
//
// A score is plain text: the instruments (one MIDI channel each, General MIDI programs, drums on
// channel 10), then sections of bars with their chord symbols and, for each instrument, either written
// notes, a rhythm of chord tones (bass lines, arpeggios), a rhythm of whole chords (pads, stabs) or a
// drum pattern as an x-string, and finally the form, the order in which the sections play. Any mistake
// is reported as FILE:LINE: problem. The file ends exactly at the end of its last bar, so a piece that
// the game restarts at its end loops without a gap.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "assets.h"
#include "audio/wav_file.h"

namespace vartenos::assets {

namespace {

constexpr int kTicksSeminima = 480;
constexpr int kTicksPasso = kTicksSeminima / 4;  // one step = a sixteenth note

struct Canal {
  std::string nome;
  int canal = 0;  // 0-based
  int programa = 0, volume = 100, pan = 64, reverb = 40;
};

struct Acorde {
  bool vazio = true;
  int raiz = 0;           // pitch class of the root
  int baixo = -1;         // pitch class of a slash bass, or -1
  std::vector<int> tons;  // intervals above the root: third, fifth, and any seventh or ninth
  int terca = 4, quinta = 7, setima = 10;
};

struct Nota {
  int64_t inicio, fim;  // ticks
  int canal, tecla, velocidade;
};

struct Controle {
  int64_t tick;  // relative to the section's start
  int canal, numero, valor;
};

struct Secao {
  std::string nome;
  int linha = 0;
  int compassos = 0;
  int transpor = 0;
  int andamento = 0;      // 0: the piece's own
  int andamento_fim = 0;  // a tempo the section glides to, beat by beat (0: none)
  // One chord per step of the section.
  std::vector<Acorde> acordes;
  std::vector<Nota> notas;  // ticks relative to the section's start
  std::vector<Controle> controles;
};

struct Trecho {
  int secao;
  int transpor;  // semitones for this playing of the section ("A+2" in the form); drums stay
};

struct Partitura {
  std::string arquivo;
  int andamento = 120;
  int compasso = 4;  // beats per bar
  std::vector<Canal> canais;
  std::vector<Secao> secoes;
  std::vector<Trecho> forma;
  std::string fonte;    // the score's path, for messages
  int linha_forma = 0;  // the line of the form
};

class Erro {
 public:
  Erro(std::string path, int linha, std::string msg)
      : texto(path + ":" + std::to_string(linha) + ": " + msg) {}
  std::string texto;
};

// "c4" is middle C (60); '#' sharpens, 'b' flattens.
bool Tecla(const std::string& nome, int& tecla) {
  static const int kSemitom[] = {9, 11, 0, 2, 4, 5, 7};
  if (nome.size() < 2) return false;
  const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(nome[0])));
  if (l < 'a' || l > 'g') return false;
  int s = kSemitom[l - 'a'];
  size_t i = 1;
  while (i < nome.size() && (nome[i] == '#' || nome[i] == 'b')) s += nome[i++] == '#' ? 1 : -1;
  if (i >= nome.size()) return false;
  int oitava = 0;
  bool neg = false;
  if (nome[i] == '-') neg = true, ++i;
  if (i >= nome.size()) return false;
  for (; i < nome.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(nome[i]))) return false;
    oitava = oitava * 10 + (nome[i] - '0');
  }
  if (neg) oitava = -oitava;
  tecla = 12 * (oitava + 1) + s;
  return tecla >= 0 && tecla <= 127;
}

// Chord symbols: root [#|b], then quality: (major), m, 7, maj7, m7, m7b5, dim, dim7, aug, sus2, sus4,
// 7sus4, 5, add9, m9, 9, 6, m6; an optional /BASS.
bool LerAcorde(const std::string& simbolo, Acorde& a) {
  a = Acorde{};
  if (simbolo == "-" || simbolo == "N.C.") return true;
  std::string s = simbolo, baixo;
  if (const size_t barra = s.find('/'); barra != std::string::npos) {
    baixo = s.substr(barra + 1);
    s.resize(barra);
  }
  auto classe = [](const std::string& t, size_t& i, int& pc) {
    static const int kSemitom[] = {9, 11, 0, 2, 4, 5, 7};
    if (i >= t.size() || t[i] < 'A' || t[i] > 'G') return false;
    pc = kSemitom[t[i++] - 'A'];
    if (i < t.size() && (t[i] == '#' || t[i] == 'b')) pc += t[i++] == '#' ? 1 : -1;
    pc = (pc + 12) % 12;
    return true;
  };
  size_t i = 0;
  if (!classe(s, i, a.raiz)) return false;
  const std::string q = s.substr(i);
  static const std::map<std::string, std::vector<int>> kQualidades = {
      {"", {4, 7}},       {"m", {3, 7}},        {"7", {4, 7, 10}},      {"maj7", {4, 7, 11}},
      {"m7", {3, 7, 10}}, {"m7b5", {3, 6, 10}}, {"dim", {3, 6}},        {"dim7", {3, 6, 9}},
      {"aug", {4, 8}},    {"sus2", {2, 7}},     {"sus4", {5, 7}},       {"7sus4", {5, 7, 10}},
      {"5", {7}},         {"add9", {4, 7, 14}}, {"m9", {3, 7, 10, 14}}, {"9", {4, 7, 10, 14}},
      {"6", {4, 7, 9}},   {"m6", {3, 7, 9}},    {"madd9", {3, 7, 14}},  {"maj9", {4, 7, 11, 14}}};
  const auto it = kQualidades.find(q);
  if (it == kQualidades.end()) return false;
  a.tons = it->second;
  a.vazio = false;
  a.terca = a.tons.size() > 1 ? a.tons[0] : 0;  // a power chord's "third" is its root
  a.quinta = 7;
  a.setima = 10;
  for (int t : a.tons) {
    if (t == 6 || t == 8) a.quinta = t;
    if (t == 7) a.quinta = 7;
    if (t >= 9 && t <= 11) a.setima = t;
  }
  if (q == "m7b5" || q == "dim" || q == "dim7") a.quinta = 6;
  if (q == "aug") a.quinta = 8;
  if (!baixo.empty()) {
    size_t j = 0;
    if (!classe(baixo, j, a.baixo) || j != baixo.size()) return false;
  }
  return true;
}

// The interval above the root a degree character stands for, or false.
bool Grau(char c, const Acorde& a, int& intervalo, bool& usa_baixo) {
  usa_baixo = false;
  switch (c) {
    case '0':
      intervalo = a.quinta - 12;
      return true;  // the fifth below
    case '1':
      intervalo = 0;
      usa_baixo = true;
      return true;
    case '2':
      intervalo = 2;
      return true;
    case '3':
      intervalo = a.terca;
      return true;
    case '4':
      intervalo = 5;
      return true;
    case '5':
      intervalo = a.quinta;
      return true;
    case '6':
      intervalo = 9;
      return true;
    case '7':
      intervalo = a.setima;
      return true;
    case '8':
      intervalo = 12;
      usa_baixo = true;
      return true;
    case '9':
      intervalo = 14;
      return true;
    default:
      return false;
  }
}

// Duration tokens: w h q e s (whole to sixteenth), a trailing '.' adds half; or a number of sixteenths.
bool Duracao(const std::string& t, int& passos) {
  if (t.empty()) return false;
  if (std::isdigit(static_cast<unsigned char>(t[0]))) {
    passos = 0;
    for (char c : t) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return false;
      passos = passos * 10 + (c - '0');
    }
    return passos > 0;
  }
  static const std::map<char, int> kLetras = {{'w', 16}, {'h', 8}, {'q', 4}, {'e', 2}, {'s', 1}};
  const auto it = kLetras.find(t[0]);
  if (it == kLetras.end()) return false;
  passos = it->second;
  if (t.size() == 2 && t[1] == '.' && passos > 1)
    passos += passos / 2;
  else if (t.size() != 1)
    return false;
  return true;
}

int Tambor(const std::string& nome) {
  static const std::map<std::string, int> kTambores = {
      {"kick", 36},     {"kick2", 35},    {"snare", 38},   {"snare2", 40},   {"rim", 37},    {"clap", 39},
      {"hat", 42},      {"pedalhat", 44}, {"openhat", 46}, {"crash", 49},    {"crash2", 57}, {"ride", 51},
      {"ridebell", 53}, {"splash", 55},   {"tom1", 50},    {"tom2", 48},     {"tom3", 47},   {"tom4", 45},
      {"tom5", 43},     {"tom6", 41},     {"tamb", 54},    {"cowbell", 56},  {"shaker", 70}, {"cabasa", 69},
      {"timbale", 65},  {"conga", 63},    {"bongo", 61},   {"triangle", 81}, {"chimes", 84}};
  const auto it = kTambores.find(nome);
  return it == kTambores.end() ? -1 : it->second;
}

class Leitor {
 public:
  explicit Leitor(std::string path) : path_(std::move(path)) {}

  Partitura Ler() {
    std::ifstream in(path_);
    if (!in) throw Erro(path_, 0, "cannot open");
    std::string linha;
    while (std::getline(in, linha)) {
      ++n_;
      if (const size_t h = linha.find('#');
          h != std::string::npos && (h == 0 || std::isspace(static_cast<unsigned char>(linha[h - 1])))) {
        linha.resize(h);
      }
      std::istringstream ss(linha);
      std::vector<std::string> t;
      for (std::string w; ss >> w;) t.push_back(w);
      if (!t.empty()) Linha(t);
    }
    Fechar();
    if (p_.arquivo.empty()) throw Erro(path_, n_, "no 'arquivo NAME.mid' line");
    if (p_.canais.empty()) throw Erro(path_, n_, "no instruments ('canal' lines)");
    if (p_.forma.empty()) throw Erro(path_, n_, "no 'forma' line");
    p_.fonte = path_;
    return p_;
  }

 private:
  [[noreturn]] void Falha(const std::string& m) { throw Erro(path_, n_, m); }

  int Inteiro(const std::string& s, int lo, int hi, const char* oque) {
    size_t usado = 0;
    int v = 0;
    try {
      v = std::stoi(s, &usado);
    } catch (...) {
      usado = 0;
    }
    if (usado != s.size() || v < lo || v > hi) {
      Falha(std::string("bad ") + oque + " '" + s + "' (" + std::to_string(lo) + " to " + std::to_string(hi) +
            ")");
    }
    return v;
  }

  const Canal& AcharCanal(const std::string& nome) {
    for (const Canal& c : p_.canais) {
      if (c.nome == nome) return c;
    }
    Falha("unknown instrument '" + nome + "' (declare it with 'canal')");
  }

  int Passos() const { return p_.compasso * 4; }

  void Linha(const std::vector<std::string>& t) {
    const std::string& cmd = t[0];
    if (cmd == "arquivo" && t.size() == 2) {
      p_.arquivo = t[1];
    } else if (cmd == "andamento" && t.size() == 2) {
      // "andamento 72>54" inside a section: from 72 to 54 beat by beat across the section.
      const size_t seta = t[1].find('>');
      const int bpm = Inteiro(t[1].substr(0, seta), 30, 300, "tempo");
      if (seta != std::string::npos && !secao_) Falha("a tempo glide ('A>B') belongs inside a section");
      if (secao_) {
        secao_->andamento = bpm;
        if (seta != std::string::npos)
          secao_->andamento_fim = Inteiro(t[1].substr(seta + 1), 30, 300, "tempo");
      } else {
        p_.andamento = bpm;
      }
    } else if (cmd == "compasso" && t.size() == 2 && !secao_) {
      p_.compasso = Inteiro(t[1], 2, 7, "beats per bar");
    } else if (cmd == "canal" && (t.size() == 6 || t.size() == 7) && !secao_) {
      Canal c;
      c.nome = t[1];
      c.canal = Inteiro(t[2], 1, 16, "MIDI channel") - 1;
      c.programa = Inteiro(t[3], 1, 128, "program") - 1;
      c.volume = Inteiro(t[4], 0, 127, "volume");
      c.pan = Inteiro(t[5], 0, 127, "pan");
      if (t.size() == 7) c.reverb = Inteiro(t[6], 0, 127, "reverb");
      for (const Canal& o : p_.canais) {
        if (o.nome == c.nome || o.canal == c.canal)
          Falha("instrument '" + c.nome + "' or its channel is declared twice");
      }
      p_.canais.push_back(c);
    } else if (cmd == "secao" && t.size() == 2) {
      Fechar();
      for (const Secao& s : p_.secoes) {
        if (s.nome == t[1]) Falha("section '" + t[1] + "' is declared twice");
      }
      p_.secoes.push_back(Secao{});
      secao_ = &p_.secoes.back();
      secao_->nome = t[1];
      secao_->linha = n_;
      partes_.clear();
    } else if (cmd == "forma") {
      Fechar();
      if (t.size() < 2) Falha("the form names no section");
      p_.linha_forma = n_;
      for (size_t i = 1; i < t.size(); ++i) {
        // "A+2" plays section A two semitones up.
        std::string nome = t[i];
        int transpor = 0;
        if (const size_t sinal = nome.find_first_of("+-"); sinal != std::string::npos && sinal > 0) {
          transpor = Inteiro(nome.substr(sinal + (nome[sinal] == '+')), -12, 12, "transposition");
          nome.resize(sinal);
        }
        int achou = -1;
        for (size_t s = 0; s < p_.secoes.size(); ++s) {
          if (p_.secoes[s].nome == nome) achou = static_cast<int>(s);
        }
        if (achou < 0) Falha("the form names an unknown section '" + nome + "'");
        p_.forma.push_back({achou, transpor});
      }
    } else if (cmd == "transpor" && t.size() == 2 && secao_) {
      secao_->transpor = Inteiro(t[1], -24, 24, "transposition");
    } else if (cmd == "acordes" && secao_) {
      Acordes(t);
    } else if (secao_ && t.size() >= 2) {
      Parte(t);
    } else {
      Falha(
          "cannot read this line (arquivo, andamento, compasso, canal, secao, acordes, transpor, forma, or "
          "INSTRUMENT notas|graus|acorde|bateria inside a section)");
    }
  }

  void Acordes(const std::vector<std::string>& t) {
    if (!secao_->notas.empty() || !partes_.empty())
      Falha("the chords must come before the parts of a section");
    for (size_t i = 1; i < t.size(); ++i) {
      if (t[i] == "|") continue;
      std::vector<std::string> partes;
      std::stringstream ss(t[i]);
      for (std::string p; std::getline(ss, p, ',');) partes.push_back(p);
      if (t[i] == "%") {
        if (secao_->acordes.empty()) Falha("'%' repeats a bar, but there is none before it");
        std::vector<Acorde> ultimo(secao_->acordes.end() - Passos(), secao_->acordes.end());
        secao_->acordes.insert(secao_->acordes.end(), ultimo.begin(), ultimo.end());
        ++secao_->compassos;
        continue;
      }
      if (partes.empty() || Passos() % static_cast<int>(partes.size()) != 0) {
        Falha("bar '" + t[i] + "' cannot split its " + std::to_string(Passos()) +
              " steps evenly between its chords");
      }
      for (const std::string& p : partes) {
        Acorde a;
        if (!LerAcorde(p, a)) Falha("unknown chord '" + p + "'");
        for (int k = 0; k < Passos() / static_cast<int>(partes.size()); ++k) secao_->acordes.push_back(a);
      }
      ++secao_->compassos;
    }
  }

  // How a part plays, from its options: velocity (or a swell), the range chord tones fold into, the
  // bars a pattern plays in.
  struct Jeito {
    int total = 0;                             // sixteenths in the section
    int velocidade = 96, velocidade_fim = -1;  // "vel=60>100": a swell across the section
    int grave = 0, agudo = 127;                // "faixa=e2-b3": chord tones folded into that range
    std::vector<bool> compassos;               // bars the part plays in ("em=1,3")

    // The velocity at a step, following a swell if there is one.
    int VelEm(int p) const {
      if (velocidade_fim < 0) return velocidade;
      return static_cast<int>(
          std::lround(velocidade + (velocidade_fim - velocidade) * static_cast<double>(p) / total));
    }
    int Dobrar(int k) const {
      while (k < grave) k += 12;
      while (k > agudo) k -= 12;
      return k;
    }
    // A pattern's step `p`, or a rest in the bars the part leaves out.
    char Passo(const std::string& padrao, int p, int passos) const {
      return compassos[static_cast<size_t>(p / passos)] ? padrao[p % padrao.size()] : '.';
    }
  };

  void Parte(const std::vector<std::string>& t) {
    if (secao_->compassos == 0) Falha("a section needs its 'acordes' line (one chord per bar) first");
    const Canal& c = AcharCanal(t[0]);
    const std::string& tipo = t[1];
    std::vector<std::string> args(t.begin() + 2, t.end());
    Jeito j = LerOpcoes(tipo, args);
    if (tipo == "notas") {
      ParteNotas(c, args, j);
    } else if (tipo == "graus" || tipo == "acorde") {
      ParteAcordes(c, tipo, args, j);
    } else if (tipo == "bateria") {
      ParteBateria(c, args, j);
    } else if (tipo == "expressao") {
      ParteExpressao(c, args, j);
    } else {
      Falha("unknown part '" + tipo + "' (notas, graus, acorde, bateria or expressao)");
    }
  }

  // Takes the options (NAME=VALUE) off the end of a part's line.
  Jeito LerOpcoes(const std::string& tipo, std::vector<std::string>& args) {
    Jeito j;
    j.total = secao_->compassos * Passos();
    j.compassos.assign(static_cast<size_t>(secao_->compassos), true);
    while (!args.empty() && args.back().find('=') != std::string::npos) {
      const std::string op = args.back();
      args.pop_back();
      if (op.rfind("vel=", 0) == 0) {
        const size_t seta = op.find('>');
        j.velocidade = Inteiro(op.substr(4, seta == std::string::npos ? std::string::npos : seta - 4), 1, 127,
                               "velocity");
        if (seta != std::string::npos) j.velocidade_fim = Inteiro(op.substr(seta + 1), 1, 127, "velocity");
      } else if (op.rfind("faixa=", 0) == 0 && (tipo == "graus" || tipo == "acorde")) {
        const size_t traco = op.find('-', 7);
        if (traco == std::string::npos || !Tecla(op.substr(6, traco - 6), j.grave) ||
            !Tecla(op.substr(traco + 1), j.agudo) || j.agudo - j.grave < 11) {
          Falha("bad range '" + op + "' (faixa=LOW-HIGH, at least an octave apart, e.g. faixa=e2-b3)");
        }
      } else if (op.rfind("em=", 0) == 0 && tipo != "notas") {
        std::fill(j.compassos.begin(), j.compassos.end(), false);
        std::stringstream ss(op.substr(3));
        for (std::string b; std::getline(ss, b, ',');) {
          j.compassos[static_cast<size_t>(Inteiro(b, 1, secao_->compassos, "bar number") - 1)] = true;
        }
      } else {
        Falha("bad option '" + op + "' (vel=N or vel=N>M, faixa=LOW-HIGH, or em=BAR,BAR... for patterns)");
      }
    }
    return j;
  }

  // A pattern may be split with '|' for reading; it repeats for as long as the section lasts.
  std::string PadraoDe(const std::string& s) {
    std::string p;
    for (char ch : s) {
      if (ch != '|') p += ch;
    }
    if (p.empty()) Falha("an empty pattern");
    return p;
  }

  void Tocar(const Canal& c, int passo_ini, int passo_fim, int tecla, int vel) {
    if (tecla < 0 || tecla > 127) Falha("a note falls outside the MIDI range");
    secao_->notas.push_back({static_cast<int64_t>(passo_ini) * kTicksPasso,
                             static_cast<int64_t>(passo_fim) * kTicksPasso, c.canal, tecla, vel});
  }

  // A written line of notes: NOTE:DURATION, chords joined with '+', rests as r.
  void ParteNotas(const Canal& c, const std::vector<std::string>& args, const Jeito& j) {
    int& pos = partes_[c.nome].first;
    partes_[c.nome].second = n_;
    for (const std::string& tok : args) {
      const size_t dp = tok.find(':');
      if (dp == std::string::npos) Falha("bad note '" + tok + "' (expected NOTE:DURATION, e.g. e5:q or r:h)");
      std::string dur = tok.substr(dp + 1);
      // A played line, not a machine: the first beat of a bar leans in, the third less, notes off the
      // beat fall back; '!' accents a note, '?' plays it softly.
      const int no_compasso = pos % Passos();
      int vel = j.VelEm(pos) + (no_compasso == 0              ? 8
                                : no_compasso == Passos() / 2 ? 4
                                : no_compasso % 4 == 0        ? 0
                                : no_compasso % 2 == 0        ? -5
                                                              : -8);
      if (!dur.empty() && dur.back() == '!') vel += 20, dur.pop_back();
      if (!dur.empty() && dur.back() == '?') vel -= 24, dur.pop_back();
      vel = std::clamp(vel, 1, 127);
      int passos;
      if (!Duracao(dur, passos)) Falha("bad duration in '" + tok + "' (w h q e s, a dot, or sixteenths)");
      const std::string alturas = tok.substr(0, dp);
      if (alturas != "r") {
        std::stringstream ss(alturas);
        for (std::string a; std::getline(ss, a, '+');) {
          int tecla;
          if (!Tecla(a, tecla)) Falha("bad pitch '" + a + "' in '" + tok + "' (e.g. c4, f#5, bb3, or r)");
          Tocar(c, pos, pos + passos, tecla + secao_->transpor, vel);
        }
      }
      pos += passos;
      if (pos > j.total)
        Falha("the notes of '" + c.nome + "' run past the section's " + std::to_string(secao_->compassos) +
              " bars");
    }
  }

  // Chord tones by degree ("graus") or whole chords ("acorde") in a rhythm, following the chords.
  void ParteAcordes(const Canal& c, const std::string& tipo, const std::vector<std::string>& args,
                    const Jeito& j) {
    if (args.size() != 2) Falha("expected: INSTRUMENT " + tipo + " OCTAVE PATTERN [vel=N]");
    const int oitava = Inteiro(args[0], 0, 8, "octave");
    const std::string padrao = PadraoDe(args[1]);
    const int base = 12 * (oitava + 1);
    const int tr = secao_->transpor;
    int ini = -1;
    std::vector<int> teclas;
    int vel = j.velocidade;
    auto soltar = [&](int passo) {
      for (int k : teclas) Tocar(c, ini, passo, k, vel);
      teclas.clear();
      ini = -1;
    };
    for (int p = 0; p < j.total; ++p) {
      const char ch = j.Passo(padrao, p, Passos());
      if (ch == '-') continue;
      soltar(p);
      if (ch == '.') continue;
      const Acorde& a = secao_->acordes[p];
      if (a.vazio) continue;
      const int raiz = (a.raiz + tr + 120) % 12;
      if (tipo == "graus") {
        int intervalo;
        bool usa_baixo;
        if (!Grau(ch, a, intervalo, usa_baixo))
          Falha(std::string("bad degree '") + ch + "' (0-9, '-' hold, '.' rest)");
        const int r = usa_baixo && a.baixo >= 0 ? (a.baixo + tr + 120) % 12 : raiz;
        // A range moves the chord's root into it; the tone keeps its interval above that root.
        teclas.push_back(j.Dobrar(base + r) + intervalo);
        vel = j.VelEm(p);
      } else {
        if (ch != 'x' && ch != 'X')
          Falha(std::string("bad chord stroke '") + ch + "' (x, X accent, '-' hold, '.' rest)");
        // A close voicing around the middle of the octave, so chords move smoothly from one to the next.
        const int centro = base + 6;
        std::vector<int> tons = {0};
        tons.insert(tons.end(), a.tons.begin(), a.tons.end());
        for (int iv : tons) {
          int k = base + (raiz + iv) % 12;
          while (k < centro - 6) k += 12;
          while (k > centro + 5) k -= 12;
          k = j.Dobrar(k);
          if (std::find(teclas.begin(), teclas.end(), k) == teclas.end()) teclas.push_back(k);
        }
        vel = ch == 'X' ? std::min(127, j.VelEm(p) + 20) : j.VelEm(p);
      }
      ini = p;
    }
    soltar(j.total);
  }

  // One drum in a pattern of strokes.
  void ParteBateria(const Canal& c, const std::vector<std::string>& args, const Jeito& j) {
    if (args.size() != 2) Falha("expected: INSTRUMENT bateria DRUM PATTERN [vel=N]");
    const int tecla = Tambor(args[0]);
    if (tecla < 0) Falha("unknown drum '" + args[0] + "'");
    const std::string padrao = PadraoDe(args[1]);
    for (int p = 0; p < j.total; ++p) {
      const char ch = j.Passo(padrao, p, Passos());
      if (ch == '.') continue;
      int vel;
      if (ch == 'x')
        vel = j.VelEm(p);
      else if (ch == 'X')
        vel = std::min(127, j.VelEm(p) + 24);
      else if (ch == 'o')
        vel = j.VelEm(p) / 2;
      else
        Falha(std::string("bad drum stroke '") + ch + "' (x, X accent, o soft, '.' rest)");
      Tocar(c, p, p + 1, tecla, vel);
    }
  }

  // The channel's expression (controller 11), from one level to another across the section, an
  // eighth note at a time: swells and fades under held notes.
  void ParteExpressao(const Canal& c, const std::vector<std::string>& args, Jeito j) {
    if (args.size() != 1) Falha("expected: INSTRUMENT expressao LEVEL or LEVEL>LEVEL (0-127)");
    const size_t seta = args[0].find('>');
    j.velocidade = Inteiro(args[0].substr(0, seta), 0, 127, "expression");
    j.velocidade_fim =
        seta == std::string::npos ? j.velocidade : Inteiro(args[0].substr(seta + 1), 0, 127, "expression");
    int ultimo = -1;
    for (int p = 0; p < j.total; p += 2) {
      const int v = std::clamp(j.VelEm(p), 0, 127);
      if (v != ultimo) secao_->controles.push_back({static_cast<int64_t>(p) * kTicksPasso, c.canal, 11, v});
      ultimo = v;
    }
  }

  // Ends the open section: every written part must fill it exactly.
  void Fechar() {
    if (!secao_) return;
    const int total = secao_->compassos * Passos();
    for (const auto& [nome, parte] : partes_) {
      const auto [pos, linha] = parte;
      if (pos != total) {
        n_ = linha;  // the part's last line of notes
        Falha("in section '" + secao_->nome + "', the notes of '" + nome + "' fill " + std::to_string(pos) +
              " sixteenths of the " + std::to_string(total) + " its bars hold");
      }
    }
    if (secao_->compassos == 0) Falha("section '" + secao_->nome + "' has no bars");
    secao_ = nullptr;
  }

  std::string path_;
  int n_ = 0;
  Partitura p_;
  Secao* secao_ = nullptr;
  std::map<std::string, std::pair<int, int>> partes_;  // written notes: sixteenths filled, last line
};

// ---------------------------------------------------------------------------------------------------
// Writing the file

void Vlq(std::vector<uint8_t>& v, uint32_t x) {
  uint8_t b[5];
  int n = 0;
  b[n++] = x & 0x7F;
  while (x >>= 7) b[n++] = static_cast<uint8_t>((x & 0x7F) | 0x80);
  while (n) v.push_back(b[--n]);
}

struct Evento {
  int64_t tick;
  int ordem;  // at the same tick: set-up first, then note-offs, then note-ons
  std::vector<uint8_t> bytes;
};

void Trilha(std::vector<uint8_t>& out, std::vector<Evento> ev, int64_t fim) {
  std::stable_sort(ev.begin(), ev.end(), [](const Evento& a, const Evento& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.ordem < b.ordem;
  });
  std::vector<uint8_t> t;
  int64_t tick = 0;
  for (const Evento& e : ev) {
    Vlq(t, static_cast<uint32_t>(e.tick - tick));
    tick = e.tick;
    t.insert(t.end(), e.bytes.begin(), e.bytes.end());
  }
  Vlq(t, static_cast<uint32_t>(fim - tick));
  t.insert(t.end(), {0xFF, 0x2F, 0x00});
  out.insert(out.end(), {'M', 'T', 'r', 'k'});
  const uint32_t n = static_cast<uint32_t>(t.size());
  out.insert(out.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                         static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
  out.insert(out.end(), t.begin(), t.end());
}

Evento Meta(int64_t tick, uint8_t tipo, const std::vector<uint8_t>& dados) {
  Evento e{tick, 0, {0xFF, tipo}};
  Vlq(e.bytes, static_cast<uint32_t>(dados.size()));
  e.bytes.insert(e.bytes.end(), dados.begin(), dados.end());
  return e;
}

Evento Andamento(int64_t tick, int bpm) {
  const uint32_t us = 60000000u / static_cast<uint32_t>(bpm);
  return Meta(tick, 0x51,
              {static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
}

// The sections laid out in the order of the form: every note and controller at its tick, the tempo
// track, and where the piece ends.
struct Disposicao {
  std::vector<Nota> notas;
  std::vector<Controle> controles;
  std::vector<Evento> mestre;
  int64_t fim = 0;
};

Disposicao Dispor(const Partitura& p) {
  const int64_t compasso_ticks = static_cast<int64_t>(p.compasso) * kTicksSeminima;
  Disposicao r;
  r.mestre.push_back(Meta(0, 0x03, std::vector<uint8_t>(p.arquivo.begin(), p.arquivo.end())));
  r.mestre.push_back(Meta(0, 0x58, {static_cast<uint8_t>(p.compasso), 2, 24, 8}));
  r.mestre.push_back(Andamento(0, p.andamento));
  int64_t t = 0;
  int andamento = p.andamento;
  for (const Trecho& trecho : p.forma) {
    const Secao& sec = p.secoes[trecho.secao];
    const int novo = sec.andamento ? sec.andamento : p.andamento;
    if (novo != andamento) {
      r.mestre.push_back(Andamento(t, novo));
      andamento = novo;
    }
    if (sec.andamento_fim) {
      // A glide: a new tempo on every beat, the last beat at the target.
      const int batidas = sec.compassos * p.compasso;
      for (int b = 1; b < batidas; ++b) {
        const int bpm = static_cast<int>(std::lround(
            sec.andamento + (sec.andamento_fim - sec.andamento) * static_cast<double>(b) / (batidas - 1)));
        if (bpm != andamento) r.mestre.push_back(Andamento(t + b * kTicksSeminima, bpm));
        andamento = bpm;
      }
    }
    for (Nota n : sec.notas) {
      n.inicio += t;
      n.fim += t;
      if (n.canal != 9) n.tecla += trecho.transpor;
      if (n.tecla < 0 || n.tecla > 127)
        throw Erro(p.fonte, p.linha_forma,
                   "transposing '" + sec.nome + "' takes a note outside the MIDI range");
      r.notas.push_back(n);
    }
    for (Controle c : sec.controles) {
      c.tick += t;
      r.controles.push_back(c);
    }
    t += sec.compassos * compasso_ticks;
  }
  r.fim = t;
  return r;
}

// One instrument's track: its set-up, its controllers, its notes.
std::vector<Evento> EventosDoCanal(const Canal& c, const Disposicao& pecas) {
  const uint8_t ch = static_cast<uint8_t>(c.canal);
  std::vector<Evento> ev;
  ev.push_back(Meta(0, 0x03, std::vector<uint8_t>(c.nome.begin(), c.nome.end())));
  if (c.canal != 9) ev.push_back({0, 0, {static_cast<uint8_t>(0xC0 | ch), static_cast<uint8_t>(c.programa)}});
  for (auto [cc, v] : {std::pair<int, int>{121, 0}, {7, c.volume}, {10, c.pan}, {91, c.reverb}, {93, 0}}) {
    ev.push_back(
        {0, 0, {static_cast<uint8_t>(0xB0 | ch), static_cast<uint8_t>(cc), static_cast<uint8_t>(v)}});
  }
  for (const Controle& k : pecas.controles) {
    if (k.canal == c.canal) {
      ev.push_back(
          {k.tick,
           0,
           {static_cast<uint8_t>(0xB0 | ch), static_cast<uint8_t>(k.numero), static_cast<uint8_t>(k.valor)}});
    }
  }
  // Note-ons and note-offs, with a note that strikes a key already sounding on the channel ending the
  // earlier one first (otherwise the earlier note-off would cut the new note short).
  struct Ponto {
    int64_t tick;
    bool liga;
    int tecla, vel;
  };
  std::vector<Ponto> pontos;
  for (const Nota& n : pecas.notas) {
    if (n.canal != c.canal) continue;
    pontos.push_back({n.inicio, true, n.tecla, n.velocidade});
    pontos.push_back({n.fim, false, n.tecla, 0});
  }
  std::stable_sort(pontos.begin(), pontos.end(), [](const Ponto& a, const Ponto& b) {
    return a.tick != b.tick ? a.tick < b.tick : (!a.liga && b.liga);
  });
  int pendentes[128] = {};
  for (const Ponto& pt : pontos) {
    const uint8_t k = static_cast<uint8_t>(pt.tecla);
    if (pt.liga) {
      if (pendentes[k] > 0) ev.push_back({pt.tick, 1, {static_cast<uint8_t>(0x80 | ch), k, 0}});
      ++pendentes[k];
      ev.push_back({pt.tick, 2, {static_cast<uint8_t>(0x90 | ch), k, static_cast<uint8_t>(pt.vel)}});
    } else {
      if (--pendentes[k] == 0) ev.push_back({pt.tick, 1, {static_cast<uint8_t>(0x80 | ch), k, 0}});
    }
  }
  return ev;
}

std::vector<uint8_t> Midi(const Partitura& p) {
  const Disposicao d = Dispor(p);
  std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
  const uint16_t trilhas = static_cast<uint16_t>(p.canais.size() + 1);
  out.push_back(static_cast<uint8_t>(trilhas >> 8));
  out.push_back(static_cast<uint8_t>(trilhas));
  out.push_back(kTicksSeminima >> 8);
  out.push_back(kTicksSeminima & 0xFF);
  Trilha(out, d.mestre, d.fim);
  for (const Canal& c : p.canais) Trilha(out, EventosDoCanal(c, d), d.fim);
  return out;
}

}  // namespace

bool GerarMusicas(const Pastas& pastas, std::string& error) {
  namespace fs = std::filesystem;
  std::vector<std::string> fontes;
  std::error_code ec;
  for (fs::directory_iterator it(pastas.src + "/music", ec), fim; !ec && it != fim; it.increment(ec)) {
    if (it->path().extension() == ".txt") fontes.push_back(it->path().string());
  }
  if (ec) {
    error = pastas.src + "/music: cannot read the folder: " + ec.message();
    return false;
  }
  std::sort(fontes.begin(), fontes.end());
  for (const std::string& f : fontes) {
    try {
      const Partitura p = Leitor(f).Ler();
      if (!EscreverArquivo(pastas.out + "/" + p.arquivo, Midi(p), error)) return false;
    } catch (const Erro& e) {
      error = e.texto;
      return false;
    }
  }
  return true;
}

}  // namespace vartenos::assets
