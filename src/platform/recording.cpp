#include "platform/recording.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/fatal_error.h"

namespace vartenos {

bool ResumirDados(const std::string& pasta, std::vector<ArquivoDeDados>& out, std::string& error) {
  namespace fs = std::filesystem;
  out.clear();
  std::error_code ec;
  for (fs::directory_iterator it(pasta, ec), end; !ec && it != end; it.increment(ec)) {
    // Regular files only, and not the build's hidden stamp files.
    if (!it->is_regular_file(ec) || it->path().filename().string().front() == '.') continue;
    std::ifstream in(it->path(), std::ios::binary);
    if (!in) {
      error = it->path().string() + ": cannot read it";
      return false;
    }
    ArquivoDeDados a;
    a.nome = it->path().filename().string();
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string bytes = ss.str();
    a.tamanho = bytes.size();
    a.hash = Hash64(bytes);
    out.push_back(std::move(a));
  }
  if (ec) {
    error = pasta + ": cannot list the data directory: " + ec.message();
    return false;
  }
  std::sort(out.begin(), out.end(),
            [](const ArquivoDeDados& a, const ArquivoDeDados& b) { return a.nome < b.nome; });
  return true;
}

// Reading

namespace {

// Splits a line into words separated by single spaces; the first word is the record's kind.
class Palavras {
 public:
  explicit Palavras(std::string_view s) : s_(s) {}
  bool Proxima(std::string_view& w) {
    if (pos_ >= s_.size()) return false;
    const size_t fim = std::min(s_.find(' ', pos_), s_.size());
    w = s_.substr(pos_, fim - pos_);
    pos_ = fim + 1;
    return !w.empty();
  }
  bool Acabou() const { return pos_ >= s_.size(); }
  std::string_view Resto() const { return pos_ >= s_.size() ? std::string_view() : s_.substr(pos_); }

 private:
  std::string_view s_;
  size_t pos_ = 0;
};

template <typename T>
bool Inteiro(std::string_view w, T& v, int base = 10) {
  if (w.empty()) return false;
  const auto r = std::from_chars(w.data(), w.data() + w.size(), v, base);
  return r.ec == std::errc() && r.ptr == w.data() + w.size();
}

bool Hash(std::string_view w, uint64_t& v) { return w.size() == 16 && Inteiro(w, v, 16); }

}  // namespace

bool LerGravacaoTexto(std::string_view text, const std::string& name, Gravacao& out, std::string& error) {
  out = Gravacao{};
  int n = 0;
  size_t pos = 0;
  bool no_corpo = false;
  auto falha = [&](const std::string& problema) {
    error = name + ":" + std::to_string(n) + ": " + problema;
    return false;
  };
  while (pos < text.size()) {
    size_t fim = text.find('\n', pos);
    if (fim == std::string_view::npos) {
      // A last line without its newline was being written when the session stopped.
      ++n;
      return falha("the last line is cut short");
    }
    std::string_view linha = text.substr(pos, fim - pos);
    pos = fim + 1;
    ++n;
    if (out.completa) return falha("text after the end line");
    Palavras p(linha);
    std::string_view tipo;
    if (!p.Proxima(tipo)) return falha("empty line");
    if (n == 1) {
      std::string_view v;
      if (tipo != kAssinaturaGravacao || !p.Proxima(v) || !Inteiro(v, out.versao) || !p.Acabou())
        return falha(std::string("not a Vartenos recording (expected \"") + kAssinaturaGravacao + " " +
                     std::to_string(kVersaoGravacao) + "\")");
      if (out.versao != kVersaoGravacao)
        return falha("recording format version " + std::to_string(out.versao) +
                     "; this program reads version " + std::to_string(kVersaoGravacao));
      continue;
    }
    if (!no_corpo) {
      if (tipo == "args") {
        out.linha_de_comando = std::string(p.Resto());
      } else if (tipo == "data") {
        ArquivoDeDados a;
        std::string_view nome, tam, h;
        if (!p.Proxima(nome) || !p.Proxima(tam) || !p.Proxima(h) || !p.Acabou() || !Inteiro(tam, a.tamanho) ||
            !Hash(h, a.hash))
          return falha("expected \"data NAME SIZE HASH\"");
        a.nome = std::string(nome);
        out.dados.push_back(std::move(a));
      } else if (tipo == "start" && p.Acabou()) {
        no_corpo = true;
      } else {
        return falha("unexpected line in the header: \"" + std::string(linha.substr(0, 60)) + "\"");
      }
      continue;
    }
    Registro r;
    r.linha = n;
    std::string_view a, b;
    bool ok = false;
    if (tipo == "c") {
      r.tipo = Registro::Relogio;
      ok = p.Proxima(a) && Inteiro(a, r.valor) && p.Acabou();
    } else if (tipo == "a") {
      r.tipo = Registro::Resposta;
      ok = p.Proxima(a) && (a == "0" || a == "1") && p.Acabou();
      r.valor = a == "1";
    } else if (tipo == "d" || tipo == "u" || tipo == "p") {
      r.tipo = Registro::Tecla;
      r.tecla = tipo[0];
      ok = p.Proxima(a) && Inteiro(a, r.valor) && p.Proxima(b) && Inteiro(b, r.codigo) && r.codigo >= 0 &&
           r.codigo <= 32767 && p.Acabou();
    } else if (tipo == "f" || tipo == "x" || tipo == "t") {
      r.tipo = tipo == "f" ? Registro::Foco : tipo == "x" ? Registro::Fechar : Registro::Timers;
      ok = p.Proxima(a) && Inteiro(a, r.valor) && p.Acabou();
    } else if (tipo == "w") {
      r.tipo = Registro::FimDeEspera;
      ok = p.Acabou();
    } else if (tipo == "h") {
      r.tipo = Registro::Quadro;
      ok = p.Proxima(a) && Inteiro(a, r.quadro) && r.quadro >= 0 && p.Proxima(b) && Hash(b, r.hash);
      std::string_view campo;
      while (ok && p.Proxima(campo)) {
        const size_t igual = campo.rfind('=');
        uint64_t h = 0;
        ok = igual != std::string_view::npos && igual > 0 && Hash(campo.substr(igual + 1), h);
        if (ok) r.campos.emplace_back(std::string(campo.substr(0, igual)), h);
      }
      ok = ok && p.Acabou();
    } else if (tipo == "end") {
      r.tipo = Registro::Fim;
      ok = p.Proxima(a) && Inteiro(a, r.quadro) && r.quadro >= 0 && p.Acabou();
      out.completa = ok;
    } else {
      return falha("unknown record \"" + std::string(linha.substr(0, 60)) + "\"");
    }
    if (!ok) return falha("damaged record \"" + std::string(linha.substr(0, 60)) + "\"");
    out.registros.push_back(std::move(r));
  }
  if (n == 0) return falha("empty file, not a Vartenos recording");
  if (!no_corpo) return falha("the header has no \"start\" line");
  return true;
}

bool LerGravacao(const std::string& path, Gravacao& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open the recording: " + std::strerror(errno);
    return false;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  return LerGravacaoTexto(ss.str(), path, out, error);
}

// Writing

GravadorDeSessao::GravadorDeSessao(const std::string& path, const std::string& linha_de_comando,
                                   const std::vector<ArquivoDeDados>& dados)
    : path_(path) {
  f_ = std::fopen(path.c_str(), "wb");
  if (f_ == nullptr) throw FatalError(path + ": cannot create the recording: " + std::strerror(errno));
  // A big buffer: most presents then cost no system call but the flush.
  std::setvbuf(f_, nullptr, _IOFBF, 1 << 16);
  std::fprintf(f_, "%s %d\nargs %s\n", kAssinaturaGravacao, kVersaoGravacao, linha_de_comando.c_str());
  for (const ArquivoDeDados& a : dados)
    std::fprintf(f_, "data %s %" PRIu64 " %016" PRIx64 "\n", a.nome.c_str(), a.tamanho, a.hash);
  std::fputs("start\n", f_);
  std::fflush(f_);
}

GravadorDeSessao::~GravadorDeSessao() {
  if (f_ != nullptr) std::fclose(f_);
}

// After the end line nothing more is written: the game is closing and what it still reads no longer
// shows on the screen.
void GravadorDeSessao::Relogio(int32_t v) {
  if (!fim_) std::fprintf(f_, "c %d\n", v);
}
void GravadorDeSessao::Resposta(bool v) {
  if (!fim_) std::fputs(v ? "a 1\n" : "a 0\n", f_);
}
void GravadorDeSessao::Tecla(char tipo, int32_t t, int32_t codigo) {
  if (!fim_) std::fprintf(f_, "%c %d %d\n", tipo, t, codigo);
}
void GravadorDeSessao::Evento(char tipo, int32_t t) {
  if (!fim_) std::fprintf(f_, "%c %d\n", tipo, t);
}
void GravadorDeSessao::FimDeEspera() {
  if (!fim_) std::fputs("w\n", f_);
}

void GravadorDeSessao::Quadro(int64_t n, uint64_t hash, std::string_view campos) {
  if (fim_) return;
  std::fprintf(f_, "h %" PRId64 " %016" PRIx64, n, hash);
  std::fwrite(campos.data(), 1, campos.size(), f_);
  std::fputc('\n', f_);
  std::fflush(f_);
}

void GravadorDeSessao::Fim(int64_t presents) {
  if (fim_) return;
  fim_ = true;
  std::fprintf(f_, "end %" PRId64 "\n", presents);
  if (std::fflush(f_) != 0) std::fprintf(stderr, "vartenos: %s: cannot write the recording\n", path_.c_str());
}

void EntradasDoQuadro::Anotar(char tipo, int32_t t, int32_t codigo) {
  char buf[40];
  const int n = codigo >= 0 ? std::snprintf(buf, sizeof buf, "%c %d %d;", tipo, t, codigo)
                            : std::snprintf(buf, sizeof buf, "%c %d;", tipo, t);
  texto_.append(buf, static_cast<size_t>(n));
}

// The recording platform

// Stands between the real platform and the game while events are delivered, noting each one.
class PlataformaGravadora::Ouvinte : public EventSink {
 public:
  Ouvinte(PlataformaGravadora& p, EventSink& sink) : p_(p), sink_(sink) {}
  void KeyDown(int16_t vk) override { Tecla('d', vk), sink_.KeyDown(vk); }
  void KeyUp(int16_t vk) override { Tecla('u', vk), sink_.KeyUp(vk); }
  void KeyPress(int16_t ch) override { Tecla('p', ch), sink_.KeyPress(ch); }
  void CloseRequested() override {
    Evento('x', p_.base_.TickCount());
    sink_.CloseRequested();
  }
  void FocusLost() override {
    Evento('f', p_.base_.TickCount());
    sink_.FocusLost();
  }
  TouchTarget Touch(int x, int y) const override { return sink_.Touch(x, y); }
  int32_t NextTimerDue() const override { return sink_.NextTimerDue(); }
  void FireTimers(int32_t now) override {
    Evento('t', now);
    sink_.FireTimers(now);
  }
  bool Leaving() const override { return sink_.Leaving(); }

 private:
  void Tecla(char tipo, int16_t codigo) {
    const int32_t t = p_.base_.TickCount();
    p_.gravador_.Tecla(tipo, t, codigo);
    p_.entradas_.Anotar(tipo, t, codigo);
  }
  void Evento(char tipo, int32_t t) {
    p_.gravador_.Evento(tipo, t);
    p_.entradas_.Anotar(tipo, t);
  }
  PlataformaGravadora& p_;
  EventSink& sink_;
};

PlataformaGravadora::PlataformaGravadora(Platform& base, GravadorDeSessao& gravador,
                                         EntradasDoQuadro& entradas)
    : base_(base), gravador_(gravador), entradas_(entradas) {}

int32_t PlataformaGravadora::TickCount() {
  const int32_t v = base_.TickCount();
  gravador_.Relogio(v);
  return v;
}

bool PlataformaGravadora::RespostaDoSom(bool resposta) {
  const bool r = base_.RespostaDoSom(resposta);
  gravador_.Resposta(r);
  return r;
}

void PlataformaGravadora::CloseDisplay() {
  // Closing the window may end the process at once: the recording is finished first.
  gravador_.Fim(presents_);
  base_.CloseDisplay();
}

void PlataformaGravadora::DoEvents(EventSink& sink) {
  Ouvinte o(*this, sink);
  base_.DoEvents(o);
  gravador_.FimDeEspera();
}

void PlataformaGravadora::WaitUntil(int32_t deadline, EventSink& sink) {
  Ouvinte o(*this, sink);
  base_.WaitUntil(deadline, o);
  gravador_.FimDeEspera();
}

void PlataformaGravadora::WaitAnyEvent(EventSink& sink) {
  Ouvinte o(*this, sink);
  base_.WaitAnyEvent(o);
  gravador_.FimDeEspera();
}

}  // namespace vartenos
