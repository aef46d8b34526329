#include "sim/trace.h"

#include <charconv>
#include <cmath>
#include <type_traits>

#include "shell/decimal.h"

namespace vartenos::sim {

namespace {

template <typename T>
void Flutuante(std::string& out, T v) {
  if (!std::isfinite(v)) {
    out += "null";
    return;
  }
  char buf[kDecimalCurtoMaximo];
  out.append(buf, DecimalCurto(buf, buf + sizeof buf, v));
}

void Texto(std::string& out, std::string_view s) {
  out += '"';
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  out += '"';
}

// Writes the fields of the present one by one into `out`, each top-level field's value handed to the
// reader as soon as it is written; the fields of a table's records go into the table's value as
// `"name":value,`.
struct Escritor {
  LeitorDoQuadro& leitor;
  std::string out;  // the value of the top-level field being written
  size_t k = 0;     // the number of the next top-level field
  int dentro = 0;   // records being written: their fields are not top-level

  // A top-level field whose value `valor` writes into `out`.
  template <typename Valor>
  void Campo(const char* name, Valor&& valor) {
    out.clear();
    valor();
    leitor.Campo(k++, name, out);
  }
  void V(bool v) { out += v ? "true" : "false"; }
  template <typename Inteiro>
  requires std::is_integral_v<Inteiro>
  void V(Inteiro v) { Numero(out, static_cast<int64_t>(v)); }
  template <typename Real>
  requires std::is_floating_point_v<Real>
  void V(Real v) { Numero(out, v); }
  void V(const RECT& r) {
    out += "{\"Left\":";
    Numero(out, static_cast<int64_t>(r.Left));
    out += ",\"Top\":";
    Numero(out, static_cast<int64_t>(r.Top));
    out += ",\"Right\":";
    Numero(out, static_cast<int64_t>(r.Right));
    out += ",\"Bottom\":";
    Numero(out, static_cast<int64_t>(r.Bottom));
    out += '}';
  }
  template <typename T>
  void F(const char* name, const T& v) {
    if (dentro == 0) {
      Campo(name, [&] { V(v); });
      return;
    }
    out += '"';
    out += name;
    out += "\":";
    V(v);
    out += ',';
  }
  void Fim() {
    if (!out.empty() && out.back() == ',') out.pop_back();
  }
};

void Registro(Escritor& w, const Estrela& e) {
  w.F("X", e.X);
  w.F("Y", e.Y);
  w.F("Ativo", e.Ativo);
  w.F("Velocidade", e.Velocidade);
}
void Registro(Escritor& w, const Galaxia& g) {
  w.F("X", g.X);
  w.F("Y", g.Y);
  w.F("Ativo", g.Ativo);
  w.F("Velocidade", g.Velocidade);
  w.F("Quadro", g.Quadro);
}
void Registro(Escritor& w, const Tiro& t) {
  w.F("X", t.X);
  w.F("Y", t.Y);
  w.F("Ativo", t.Ativo);
  w.F("Direcao", t.Direcao);
  w.F("Tipo", t.Tipo);
}
void Registro(Escritor& w, const Tiro_Inimigo& t) {
  w.F("X", t.X);
  w.F("Y", t.Y);
  w.F("Angulo", t.Angulo);
  w.F("Ativo", t.Ativo);
  w.F("Sobe", t.Sobe);
}
void Registro(Escritor& w, const Extra& e) {
  w.F("X", e.X);
  w.F("Y", e.Y);
  w.F("Ativo", e.Ativo);
  w.F("Tipo", e.Tipo);
}
void Registro(Escritor& w, const Escudo& e) {
  w.F("X", e.X);
  w.F("Y", e.Y);
  w.F("Angulo", e.Angulo);
}
void Registro(Escritor& w, const Explosao& e) {
  w.F("X", e.X);
  w.F("Y", e.Y);
  w.F("Ativo", e.Ativo);
  w.F("Quadro", e.Quadro);
}
void Registro(Escritor& w, const Entrada_Formacao& e) {
  w.F("Tipo", e.Tipo);
  w.F("Padrao", e.Padrao);
  w.F("Inicio", e.Inicio);
  w.F("Quantidade", e.Quantidade);
  w.F("Iniciada", e.Iniciada);
  w.F("Parametro", e.Parametro);
  w.F("Invertida", e.Invertida);
  w.F("Atira", e.Atira);
  w.F("Tem_Extra", e.Tem_Extra);
  w.F("Tipo_Extra", e.Tipo_Extra);
  w.F("Portador_Extra", e.Portador_Extra);
}
void Registro(Escritor& w, const Inimigo& e) {
  w.F("X", e.X);
  w.F("Y", e.Y);
  w.F("Ativo", e.Ativo);
  w.F("Angulo", e.Angulo);
  w.F("Padrao", e.Padrao);
  w.F("Tipo", e.Tipo);
  w.F("Parametro", e.Parametro);
  w.F("Em_Circulo", e.Em_Circulo);
  w.F("Invertido", e.Invertido);
  w.F("Atira", e.Atira);
  w.F("X_Origem", e.X_Origem);
  w.F("Tem_Extra", e.Tem_Extra);
  w.F("Tipo_Extra", e.Tipo_Extra);
  w.F("Energia", e.Energia);
}

template <typename T>
bool Ativo(const T& r) {
  if constexpr (requires { r.Ativo; }) {
    return r.Ativo;
  } else {
    return true;
  }
}

// A table: with `so_ativos`, only the records in use, each with its index as "i".
template <typename Tabela>
void Tabela_(Escritor& w, const char* name, const Tabela& t, size_t n, bool so_ativos) {
  w.Campo(name, [&] {
    w.out += '[';
    for (size_t i = 0; i < n; ++i) {
      if (so_ativos && !Ativo(t[i])) continue;
      w.out += '{';
      ++w.dentro;
      w.F("i", static_cast<int32_t>(i));
      Registro(w, t[i]);
      --w.dentro;
      w.Fim();
      w.out += "},";
    }
    w.Fim();
    w.out += ']';
  });
}

void Temporizador(Escritor& w, const char* name, const Timer& t) {
  w.Campo(name, [&] {
    w.out += "{\"Enabled\":";
    w.out += t.Enabled() ? "true" : "false";
    w.out += ",\"Interval\":";
    Numero(w.out, static_cast<int64_t>(t.Interval()));
    w.out += '}';
  });
}

}  // namespace

void Numero(std::string& out, double v) { Flutuante(out, v); }
void Numero(std::string& out, float v) { Flutuante(out, v); }
void Numero(std::string& out, int64_t v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

namespace {

// The scalar fields of the game state, in declaration order.
void Escalares(Escritor& w, const Form1& f) {
  w.F("Pausa", f.Pausa);
  w.F("Pausa2", f.Pausa2);
  w.F("Inter", f.Inter);
  w.F("Fim", f.Fim);
  w.F("Rect_Tela", f.Rect_Tela);
  w.F("Rect_Inimigo", f.Rect_Inimigo);
  w.F("Em_Fim_De_Jogo", f.Em_Fim_De_Jogo);
  w.F("Modo_Extras", f.Modo_Extras);
  w.F("Contagem_Invencivel", f.Contagem_Invencivel);
  w.F("Mostrar_Abertura", f.Mostrar_Abertura);
  w.F("Pular_Efeito", f.Pular_Efeito);
  w.F("Limiar_Tiro_Inimigo", f.Limiar_Tiro_Inimigo);
  w.F("Velocidade_Tiro_Inimigo", f.Velocidade_Tiro_Inimigo);
  w.F("Nivel_Laser", f.Nivel_Laser);
  w.F("Tem_Laser2", f.Tem_Laser2);
  w.F("Tem_Escudo", f.Tem_Escudo);
  w.F("Tem_Laser4", f.Tem_Laser4);
  w.F("Fase_Atual", f.Fase_Atual);
  w.F("Musica_Fase", f.Musica_Fase);
  w.F("Velocidade_Formacao1", f.Velocidade_Formacao1);
  w.F("Velocidade_Formacao2", f.Velocidade_Formacao2);
  w.F("Velocidade_Formacao3", f.Velocidade_Formacao3);
  w.F("Velocidade_Formacao4", f.Velocidade_Formacao4);
  w.F("Velocidade_Formacao5", f.Velocidade_Formacao5);
  w.F("Velocidade_Formacao6", f.Velocidade_Formacao6);
  w.F("Velocidade_Formacao7", f.Velocidade_Formacao7);
  w.F("Tem_Laser5", f.Tem_Laser5);
  w.F("Tem_Laser6", f.Tem_Laser6);
  w.F("Em_Menu", f.Em_Menu);
  w.F("Som_Ligado", f.Som_Ligado);
  w.F("Musica_Ligada", f.Musica_Ligada);
  w.F("Nave_X", f.Nave_X);
  w.F("Nave_Y", f.Nave_Y);
  w.F("Nave_Quadro", f.Nave_Quadro);
  w.F("Nave_Ultimo_Quadro", f.Nave_Ultimo_Quadro);
  w.F("Nave_Velocidade", f.Nave_Velocidade);
  w.F("Vidas", f.Vidas);
  w.F("Pontos", f.Pontos);
  w.F("Nave_Invencivel", f.Nave_Invencivel);
  w.F("Tempo_Invencivel", f.Tempo_Invencivel);
  w.F("Iniciar_Jogo", f.Iniciar_Jogo);
  w.F("Formacao_Atual", f.Formacao_Atual);
  w.F("Formacao_Encerrada", f.Formacao_Encerrada);
  w.F("Raio_X_Formacao5", f.Raio_X_Formacao5);
  w.F("Crescendo_Formacao5", f.Crescendo_Formacao5);
  w.F("Raio_Y_Formacao5", f.Raio_Y_Formacao5);
  w.F("Penultimos_Pontos", f.Penultimos_Pontos);
  w.F("Ultimos_Pontos", f.Ultimos_Pontos);
  w.F("Mostrar_FPS", f.Mostrar_FPS);
  w.F("Relogio_Fase", f.Relogio_Fase);
  w.F("Cadencia_Laser", f.Cadencia_Laser);
  w.F("Cadencia_Laser2", f.Cadencia_Laser2);
  w.F("Cadencia_Laser4", f.Cadencia_Laser4);
  w.F("Cadencia_Laser5", f.Cadencia_Laser5);
  w.F("Cadencia_Laser6", f.Cadencia_Laser6);
  w.F("Tecla_Esquerda", f.Tecla_Esquerda);
  w.F("Tecla_Direita", f.Tecla_Direita);
  w.F("Tecla_Cima", f.Tecla_Cima);
  w.F("Tecla_Baixo", f.Tecla_Baixo);
  w.F("Quadros_No_Segundo", f.Quadros_No_Segundo);
  w.F("FPS", f.FPS);
  w.F("Fase_Completa", f.Fase_Completa);
  w.F("Opcao_Menu", f.Opcao_Menu);
  w.F("Tecla_Tiro", f.Tecla_Tiro);
}

void Tabelas(Escritor& w, const Form1& f, bool estrelas) {
  Tabela_(w, "Inimigos", f.Inimigos, f.Inimigos.size(), true);
  Tabela_(w, "Tiros", f.Tiros, f.Tiros.size(), true);
  Tabela_(w, "Tiros_Inimigos", f.Tiros_Inimigos, f.Tiros_Inimigos.size(), true);
  Tabela_(w, "Extras", f.Extras, f.Extras.size(), true);
  Tabela_(w, "Explosoes", f.Explosoes, f.Explosoes.size(), true);
  Tabela_(w, "Galaxias", f.Galaxias, f.Galaxias.size(), true);
  Tabela_(w, "Escudos", f.Escudos, f.Escudos.size(), false);
  Tabela_(w, "Formacoes", f.Formacoes, static_cast<size_t>(f.Formacoes_Carregadas), false);
  if (estrelas) Tabela_(w, "Estrelas", f.Estrelas, f.Estrelas.size(), false);
}

void Temporizadores(Escritor& w, const Form1& f) {
  Temporizador(w, "Timer1", f.Timer1);
  Temporizador(w, "Timer2", f.Timer2);
  Temporizador(w, "Timer3", f.Timer3);
}

// The texts drawn in the frame, with where, how big and in which colour.
void Textos(Escritor& w, const Coletor& c) {
  w.Campo("textos", [&] {
    std::string& out = w.out;
    out += '[';
    for (size_t i = 0; i < c.n_textos; ++i) {
      const TextoDesenhado& t = c.textos[i];
      out += "{\"x\":";
      Numero(out, static_cast<int64_t>(t.x));
      out += ",\"y\":";
      Numero(out, static_cast<int64_t>(t.y));
      out += ",\"texto\":";
      Texto(out, t.texto);
      out += ",\"tamanho\":";
      Numero(out, t.tamanho);
      out += ",\"negrito\":";
      out += t.negrito ? "true" : "false";
      out += ",\"cor\":";
      Numero(out, static_cast<int64_t>(t.cor));
      out += "},";
    }
    w.Fim();
    out += ']';
  });
}

// The audio calls of the frame, one list for the effects and one for the music.
void Chamadas(Escritor& w, const char* name, const std::vector<std::string>& chamadas, size_t n) {
  w.Campo(name, [&] {
    w.out += '[';
    for (size_t i = 0; i < n; ++i) {
      Texto(w.out, chamadas[i]);
      w.out += ',';
    }
    w.Fim();
    w.out += ']';
  });
}

// The JSON line: each field as "NAME":VALUE, in order, in one object.
class LinhaJson : public LeitorDoQuadro {
 public:
  explicit LinhaJson(std::string& out) : out_(out) {}
  void Campo(size_t k, std::string_view nome, std::string_view valor) override {
    out_ += k == 0 ? '{' : ',';
    out_ += '"';
    out_ += nome;
    out_ += "\":";
    out_ += valor;
  }

 private:
  std::string& out_;
};

}  // namespace

void LerQuadro(int64_t n, const Form1& f, const Coletor& c, bool estrelas, LeitorDoQuadro& leitor) {
  Escritor w{leitor, {}};
  w.out.reserve(1 << 14);
  w.Campo("n", [&] { Numero(w.out, n); });
  w.F("t", f.Inicio_Do_Quadro());
  w.Campo("tela", [&] { Texto(w.out, f.Tela_Atual()); });
  Escalares(w, f);
  Tabelas(w, f, estrelas);
  Temporizadores(w, f);
  Textos(w, c);
  Chamadas(w, "sons", c.sons, c.n_sons);
  Chamadas(w, "musica", c.musica, c.n_musica);
}

void EscreverLinha(std::string& out, int64_t n, const Form1& f, const Coletor& c, bool estrelas) {
  LinhaJson linha(out);
  LerQuadro(n, f, c, estrelas, linha);
  out += '}';
}

}  // namespace vartenos::sim
