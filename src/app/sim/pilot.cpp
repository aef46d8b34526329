#include "sim/pilot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

namespace vartenos::sim {

namespace {

constexpr int16_t kEsc = 27;
constexpr int16_t kEspaco = 32;
constexpr int16_t kSetas[4] = {37, 38, 39, 40};  // left, up, right, down
constexpr int32_t kVermelho = 0x0000FF;          // the menu's selected item

// The ship's sprite, and how far it may go: the whole sprite stays on screen.
constexpr double kNaveL = 30, kNaveA = 35, kNaveMaxX = 610, kNaveMaxY = 445;
constexpr double kInimigoL = 38, kInimigoA = 24;
constexpr double kTiroL = 10;
constexpr double kExtraL = 16;

bool Comeca(const std::string& s, const char* prefixo) { return s.rfind(prefixo, 0) == 0; }

}  // namespace

bool LerHabilidade(const std::string& texto, Habilidade& h, std::string& erro) {
  // The levels that model people: how late they see, how far off their keys land, how many threats they
  // follow at once and how far ahead they look.
  if (texto == "maquina") {
    h = {};
  } else if (texto == "experiente") {
    h = {150, 20, 12, 1000};
  } else if (texto == "regular") {
    h = {220, 35, 8, 750};
  } else if (texto == "novato") {
    h = {300, 50, 5, 500};
  } else {
    Habilidade lida;
    char resto = 0;
    if (std::sscanf(texto.c_str(), "%d/%d/%d/%d%c", &lida.atraso_ms, &lida.desvio_ms, &lida.ameacas,
                    &lida.olhar_ms, &resto) != 4 ||
        lida.atraso_ms < 0 || lida.atraso_ms > 1000 || lida.desvio_ms < 0 || lida.desvio_ms > 200 ||
        lida.ameacas < 0 || lida.olhar_ms < 25 || lida.olhar_ms > 1000) {
      erro =
          "not a skill level (maquina, experiente, regular, novato, or DELAY/SIGMA/THREATS/LOOKAHEAD with "
          "0-1000 ms, 0-200 ms, a count (0 for all), 25-1000 ms): " +
          texto;
      return false;
    }
    h = lida;
  }
  return true;
}

Piloto::Piloto(uint32_t semente, const Visao& visao, const Habilidade& habilidade)
    : visao_(visao),
      sorteio_(semente * 2246822519u + 0x85ebca6bu),
      habilidade_(habilidade),
      maos_(semente * 3266489917u + 0x27d4eb2fu),
      horizonte_(std::clamp(habilidade.olhar_ms / 25, 1, kHorizonte)) {
  altura_preferida_ = Entre(395, 425);
  reacao_ms_ = Entre(1, 6);
  // Keys pressed after a picture reach the frames that start once they have landed, 25 ms apart.
  espera_ = std::max(1, (reacao_ms_ + habilidade_.atraso_ms + 24) / 25);
  if (espera_ + horizonte_ - 1 > kMaxQuadros) horizonte_ = kMaxQuadros - espera_ + 1;
}

// A normal error of the hands, standard deviation 1.
double Piloto::Normal() {
  const double u1 = (maos_.Sortear() + 1.0) / 4294967296.0, u2 = maos_.Sortear() / 4294967296.0;
  return std::sqrt(-2 * std::log(u1)) * std::cos(2 * 3.14159265358979323846 * u2);
}

void Piloto::Mover_Tecla(HeadlessPlatform& p, int32_t agora, size_t k, bool segurar) {
  int32_t t = agora + reacao_ms_ + habilidade_.atraso_ms;
  if (habilidade_.desvio_ms > 0) t += static_cast<int32_t>(std::lround(Normal() * habilidade_.desvio_ms));
  // A key cannot come up before it went down: each key's changes land in the order they were made.
  t = std::max({t, agora + 1, chegada_[k] + 1});
  chegada_[k] = t;
  Segurar(p, t, k < 4 ? kSetas[k] : kEspaco, segurar);
  tecla_[k] = segurar;
}

void Piloto::Lembrar_Setas(int32_t agora, int8_t dx, int8_t dy) {
  if (n_setas_ == setas_.size()) {
    std::copy(setas_.begin() + 1, setas_.end(), setas_.begin());
    --n_setas_;
  }
  setas_[n_setas_++] = {agora + reacao_ms_ + habilidade_.atraso_ms, dx, dy};
}

void Piloto::Setas_Em(int32_t t, int8_t& dx, int8_t& dy) const {
  dx = dy = 0;
  for (size_t i = n_setas_; i-- > 0;) {
    if (setas_[i].t <= t) {
      dx = setas_[i].dx;
      dy = setas_[i].dy;
      return;
    }
  }
}

void Piloto::Prever_Nave(int32_t agora) {
  base_x_[0] = nave_x_;
  base_y_[0] = nave_y_;
  for (int t = 1; t < espera_; ++t) {
    int8_t dx = 0, dy = 0;
    Setas_Em(agora + 25 * t, dx, dy);
    const size_t i = static_cast<size_t>(t);
    base_x_[i] = std::clamp(base_x_[i - 1] + dx * velocidade_, 0.0, kNaveMaxX);
    base_y_[i] = std::clamp(base_y_[i - 1] + dy * velocidade_, 0.0, kNaveMaxY);
  }
}

void Piloto::Segurar(HeadlessPlatform& p, int32_t t, int16_t vk, bool segurar) {
  p.Agendar({t, segurar ? EventoRoteiro::Down : EventoRoteiro::Up, vk});
  if (segurar && vk == kEspaco) p.Agendar({t, EventoRoteiro::Press, vk});
}

// A key struck and let go, as a keyboard gives it.
void Piloto::Tocar(HeadlessPlatform& p, int32_t t, int16_t vk, int16_t ch) {
  p.Agendar({t, EventoRoteiro::Down, vk});
  if (ch != 0) p.Agendar({t, EventoRoteiro::Press, ch});
  p.Agendar({t + Entre(60, 120), EventoRoteiro::Up, vk});
}

Piloto::Tela Piloto::LerTextos(const Coletor& textos) {
  Tela tela = Tela::Outra;
  invencivel_ = 0;
  menu_novo_jogo_ = false;
  for (size_t i = 0; i < textos.n_textos; ++i) {
    const TextoDesenhado& t = textos.textos[i];
    if (Comeca(t.texto, "Vidas: ")) {
      tela = Tela::Jogo;
    } else if (Comeca(t.texto, "Inv: ")) {
      invencivel_ = std::atoi(t.texto.c_str() + 5);
    } else if (t.texto == "Novo jogo" && t.y == 265) {
      tela = Tela::Menu;
      menu_novo_jogo_ = t.cor == kVermelho;
    } else if (t.texto == "Pausa") {
      tela = Tela::Pausa;
    } else if (Comeca(t.texto, "Fase ") && t.texto.find(" completa") != std::string::npos) {
      tela = Tela::FaseCompleta;
      fase_ = std::atoi(t.texto.c_str() + 5) + 1;
    } else if (Comeca(t.texto, "Parab")) {
      tela = Tela::Final;
    } else if (t.texto == "Fim de jogo.") {
      tela = Tela::FimDeJogo;
    }
  }
  return tela;
}

void Piloto::Agir(const Surface& tela, const Coletor& textos, HeadlessPlatform& p) {
  if (terminou_) return;
  const int32_t agora = p.TickCount();
  tela_anterior_ = tela_;
  tela_ = LerTextos(textos);
  const bool nova_tela = tela_ != tela_anterior_;
  if (nova_tela) proxima_ = agora + Entre(300, 700);  // a person takes in a new screen first

  if (tela_ != Tela::Jogo) {
    // Off the play field every held key comes up, as the hands leave the keys.
    for (size_t k = 0; k < tecla_.size(); ++k)
      if (tecla_[k]) Mover_Tecla(p, agora, k, false);
    if (dx_ != 0 || dy_ != 0) Lembrar_Setas(agora, 0, 0);
    dx_ = dy_ = 0;
    n_tiros_ = n_inimigos_ = 0;
    alvo_x_ = -1;
  }
  switch (tela_) {
    case Tela::Menu:
      NoMenu(p, agora);
      break;
    case Tela::Jogo:
      if (nova_tela) {
        // A game starts with every key up: fire goes down once the Space that chose the game is up.
        chegada_[4] = agora + 150 + habilidade_.atraso_ms;
        Segurar(p, chegada_[4], kEspaco, true);
        tecla_[4] = true;
      }
      visao_.Olhar(tela, cena_);
      NoJogo(p, agora);
      break;
    case Tela::Pausa:
      if (agora >= proxima_) {
        Tocar(p, agora + reacao_ms_ + habilidade_.atraso_ms, 80, 80);
        proxima_ = agora + 1000;
      }
      break;
    case Tela::FaseCompleta:
    case Tela::Outra:
      // The phase-complete screen and the intro's lines are left with Esc.
      if (agora >= proxima_) {
        Tocar(p, agora + reacao_ms_ + habilidade_.atraso_ms, kEsc, kEsc);
        proxima_ = agora + Entre(800, 1200);
      }
      break;
    case Tela::Final:
    case Tela::FimDeJogo:
      // The end of the game: the pilot reads the screen for a moment and closes the window.
      p.EncerrarEm(agora + 1000);
      terminou_ = true;
      break;
  }
}

void Piloto::NoMenu(HeadlessPlatform& p, int32_t agora) {
  if (agora < proxima_) return;
  if (menu_novo_jogo_) {
    Tocar(p, agora + reacao_ms_ + habilidade_.atraso_ms, kEspaco, kEspaco);
    nave_x_ = 300;
    nave_y_ = 400;
    velocidade_ = 3;
    fase_ = 1;
    n_setas_ = 0;
  } else {
    Tocar(p, agora + reacao_ms_ + habilidade_.atraso_ms, kSetas[1], 0);
  }
  proxima_ = agora + Entre(300, 500);
}

// An enemy's last 24 sightings across: the line they drift along and how far they swing about it. A
// swaying enemy is aimed at in the middle of its swing, where its box always is.
void Piloto::Balanco(Trilha& tr, double x) {
  tr.hx[tr.ih] = static_cast<int16_t>(x);
  tr.ih = static_cast<uint8_t>((tr.ih + 1) % tr.hx.size());
  if (tr.nh < tr.hx.size()) ++tr.nh;
  const size_t n = tr.nh;
  const size_t primeiro = (tr.ih + tr.hx.size() - n) % tr.hx.size();
  double media = 0;
  for (size_t k = 0; k < n; ++k) media += tr.hx[(primeiro + k) % tr.hx.size()];
  media /= static_cast<double>(n);
  const double meio = static_cast<double>(n - 1) / 2;
  // The drift is the line that fits all the sightings best: two ends of a fast sway would make one up.
  double sxy = 0, sxx = 0;
  for (size_t k = 0; k < n; ++k) {
    sxy += (static_cast<double>(k) - meio) * (tr.hx[(primeiro + k) % tr.hx.size()] - media);
    sxx += (static_cast<double>(k) - meio) * (static_cast<double>(k) - meio);
  }
  tr.vxs = n >= 8 ? sxy / sxx : tr.vx;
  tr.cx = media + tr.vxs * meio;
  tr.hx_min = tr.hx_max = tr.hx[primeiro];
  for (size_t k = 0; k < n; ++k) {
    tr.hx_min = std::min(tr.hx_min, tr.hx[(primeiro + k) % tr.hx.size()]);
    tr.hx_max = std::max(tr.hx_max, tr.hx[(primeiro + k) % tr.hx.size()]);
  }
  double amp = 0;
  for (size_t k = 0; k < n; ++k)
    amp = std::max(amp, std::abs(tr.hx[(primeiro + k) % tr.hx.size()] - (media + tr.vxs * (k - meio))));
  tr.amp = std::max(tr.amp * 0.98, amp);
}

// Matches what is seen now to what was seen before: each track takes the nearest sighting within
// `raio` of where it was foreseen; sightings left over start new tracks, tracks unseen for a few
// frames are given up.
void Piloto::Seguir(Trilha* trilhas, size_t& n, const Visto* vistos, size_t n_vistos, double raio,
                    bool tiro) {
  std::array<bool, Cena::kMaxInimigos> usado{};
  for (size_t i = 0; i < n; ++i) {
    Trilha& tr = trilhas[i];
    const double px = tr.x + tr.vx, py = tr.y + tr.vy;
    double melhor = raio * raio;
    size_t achado = n_vistos;
    for (size_t j = 0; j < n_vistos; ++j) {
      if (usado[j]) continue;
      const double d = (vistos[j].x - px) * (vistos[j].x - px) + (vistos[j].y - py) * (vistos[j].y - py);
      if (d < melhor) {
        melhor = d;
        achado = j;
      }
    }
    ++tr.idade;
    if (achado == n_vistos) {
      ++tr.sumido;
      tr.x = px;
      tr.y = py;
      continue;
    }
    usado[achado] = true;
    const double x = vistos[achado].x, y = vistos[achado].y;
    if (tiro) {
      // A shot flies a straight line at a steady speed: its first sighting and this one give it.
      tr.vx = (x - tr.x0) / tr.idade;
      tr.vy = (y - tr.y0) / tr.idade;
    } else {
      const double vx = (x - tr.x) / (tr.sumido + 1), vy = (y - tr.y) / (tr.sumido + 1);
      // A steady turn of the heading is a curve; a heading that flips is a sway, not a curve.
      if (tr.visto >= 2 && std::hypot(vx, vy) > 2 && std::hypot(tr.vx, tr.vy) > 2) {
        const double giro = std::atan2(tr.vx * vy - tr.vy * vx, tr.vx * vx + tr.vy * vy);
        tr.giro = std::abs(giro) <= 0.3 ? 0.5 * tr.giro + 0.5 * giro : 0;
      } else {
        tr.giro = 0;
      }
      // A hunter steers for the ship's corner as it was a frame ago, at a steady speed.
      const double hx = nave_antes_x_ - tr.x, hy = nave_antes_y_ - tr.y, v = std::hypot(vx, vy);
      const double d = std::hypot(hx, hy);
      if (v > 0.4 && v < 5 && d > 8 && (vx * hx + vy * hy) / (v * d) > 0.97) {
        tr.caca = std::min(tr.caca + 1, 30);
      } else if (d <= 8) {
        // Sitting on the ship's corner (it waits there while the ship is protected): still a hunter.
      } else {
        tr.caca = std::max(tr.caca - 3, 0);
      }
      tr.vx = vx;
      tr.vy = vy;
      tr.vys += (tr.vy - tr.vys) * (tr.visto == 1 ? 1.0 : 0.3);
      Balanco(tr, x);
    }
    tr.x = x;
    tr.y = y;
    tr.sumido = 0;
    ++tr.visto;
  }
  // Sprites partly off the picture are not drawn at all: a shot near the right or bottom edge, an
  // enemy coming in or going out, flies on unseen. Its track is kept while it is foreseen there.
  const double l = tiro ? kTiroL : kInimigoL, a = tiro ? kTiroL : kInimigoA;
  const auto escondido = [&](const Trilha& tr) {
    const bool na_tela = tr.x > -l && tr.y > -a && tr.x <= 640 && tr.y <= 480;
    return na_tela && (tr.x < 0 || tr.y < 0 || tr.x + l > 640 || tr.y + a > 480) && tr.sumido <= 80;
  };
  size_t m = 0;
  for (size_t i = 0; i < n; ++i)
    if (trilhas[i].sumido <= 3 || escondido(trilhas[i])) trilhas[m++] = trilhas[i];
  n = m;
  const size_t max = tiro ? kMaxTrilhas : kMaxInimigos;
  for (size_t j = 0; j < n_vistos && n < max; ++j) {
    if (usado[j]) continue;
    Trilha tr;
    tr.x = tr.x0 = tr.cx = vistos[j].x;
    tr.hx[0] = tr.hx_min = tr.hx_max = vistos[j].x;
    tr.nh = 1;
    tr.y = tr.y0 = vistos[j].y;
    tr.visto = 1;
    if (tiro) {
      // A new shot is aimed at where the ship was; its speed grows by half a pixel a phase.
      const double dx = nave_x_ + 15 - tr.x, dy = nave_y_ + 17 - tr.y;
      const double d = std::max(1.0, std::hypot(dx, dy));
      const double v = 2.5 + 0.5 * (fase_ - 1);
      tr.vx = dx / d * v;
      tr.vy = dy / d * v;
    }
    trilhas[n++] = tr;
  }
}

// Where an enemy will be: one flying a curve goes on turning as it did; any other goes on along its
// drift, and a swaying one may be anywhere in its swing: sideways, as a sway never moves it up or down.
void Piloto::Prever(const Trilha& e, Rumo& r) const {
  double x = e.x, y = e.y, vx = e.vx, vy = e.vy;
  const double c = std::cos(e.giro), s = std::sin(e.giro);
  r.x[0] = x;
  r.y[0] = y;
  r.folga[0] = r.folga_y[0] = 3;
  for (int t = 1; t <= Fim(); ++t) {
    if (e.giro != 0) {
      const double nx = vx * c - vy * s;
      vy = vx * s + vy * c;
      vx = nx;
    } else if (t > 6) {
      vx = e.vxs;
      vy = e.vys;
    }
    x += vx;
    y += vy;
    const size_t i = static_cast<size_t>(t);
    r.x[i] = x;
    r.y[i] = y;
    r.folga[i] = e.giro != 0 ? 3 + 0.4 * t : 3 + std::min(e.amp, 30.0) * std::min(1.0, t / 10.0) + 0.25 * t;
    r.folga_y[i] = e.giro != 0 ? r.folga[i] : 3 + 0.25 * t;
  }
}

// How much enemy traffic a ship's box at (x, y) lies in.
double Piloto::Rastro(double x, double y) const {
  constexpr int kColunas = 640 / kCelula;
  double soma = 0;
  const int cx0 = static_cast<int>(x) / kCelula, cy0 = static_cast<int>(y) / kCelula;
  for (int cy = cy0; cy <= cy0 + 4 && cy < 480 / kCelula; ++cy)
    for (int cx = cx0; cx <= cx0 + 3 && cx < kColunas; ++cx)
      soma += rastro_[static_cast<size_t>(cy * kColunas + cx)];
  return soma;
}

// What the pilot foresees for the look-ahead: at each frame, the boxes it must not touch (every shot
// and enemy that can come within the ship's reach by then, widened by how unsure the guess is).
void Piloto::Guardar(int t, double x, double y, double l, double a, double folga, double folga_y) {
  const size_t k = static_cast<size_t>(t);
  const double alcance = velocidade_ * t + 60;
  if (x + l + folga < nave_x_ - alcance || x - folga > nave_x_ + kNaveL + alcance ||
      y + a + folga_y < nave_y_ - alcance || y - folga_y > nave_y_ + kNaveA + alcance ||
      n_ameacas_[k] >= kMaxAmeacas)
    return;
  ameacas_[k][n_ameacas_[k]++] = {x - folga, y - folga_y, x + l + folga, y + a + folga_y};
}

void Piloto::Escolher_Seguidos() {
  seguido_.fill(true);
  tiro_seguido_.fill(true);
  const size_t limite = static_cast<size_t>(habilidade_.ameacas), n = n_tiros_ + n_inimigos_;
  if (limite == 0 || n <= limite) return;
  std::array<std::pair<double, size_t>, kMaxTrilhas + kMaxInimigos> perto;
  const double cx = nave_x_ + kNaveL / 2, cy = nave_y_ + kNaveA / 2;
  for (size_t i = 0; i < n_tiros_; ++i)
    perto[i] = {std::hypot(tiros_[i].x + kTiroL / 2 - cx, tiros_[i].y + kTiroL / 2 - cy), i};
  for (size_t i = 0; i < n_inimigos_; ++i) {
    const Trilha& e = inimigos_[i];
    perto[n_tiros_ + i] = {std::hypot(e.x + kInimigoL / 2 - cx, e.y + kInimigoA / 2 - cy), kMaxTrilhas + i};
  }
  std::nth_element(perto.begin(), perto.begin() + static_cast<std::ptrdiff_t>(limite),
                   perto.begin() + static_cast<std::ptrdiff_t>(n));
  seguido_.fill(false);
  tiro_seguido_.fill(false);
  for (size_t k = 0; k < limite; ++k) {
    const size_t i = perto[k].second;
    if (i < kMaxTrilhas)
      tiro_seguido_[i] = true;
    else
      seguido_[i - kMaxTrilhas] = true;
  }
}

void Piloto::Prever_Ameacas() {
  // Hits cannot happen while the ship is protected; in the last seconds of its protection it already
  // flies as if it had none, to be somewhere safe when it runs out.
  const int protegido = invencivel_ > 3 ? (invencivel_ - 1) * 40 : 0;
  protegido_ = protegido;
  n_ameacas_.fill(0);
  Escolher_Seguidos();
  // Frames before its new keys land are the same whatever it chooses now: they are not weighed.
  const int inicio = std::max(protegido + 1, espera_);
  for (int t = inicio; t <= Fim(); ++t) {
    for (size_t i = 0; i < n_tiros_; ++i) {
      if (!tiro_seguido_[i]) continue;
      const Trilha& s = tiros_[i];
      const double folga = s.visto >= 2 ? 2 : 4;
      Guardar(t, s.x + s.vx * t, s.y + s.vy * t, kTiroL, kTiroL, folga, folga);
    }
  }
  n_cacadores_ = 0;
  n_colados_ = 0;
  for (size_t i = 0; i < n_inimigos_; ++i) {
    if (!seguido_[i]) continue;
    Trilha& e = inimigos_[i];
    // An enemy seen lying on the ship, level with its top, and no life lost: boxes with the same top edge
    // do not meet. It is harmless while the ship keeps its height; the ship slides out from under it.
    if (protegido == 0 && e.sumido == 0 && std::abs(e.y - nave_y_) < 0.5 && e.x < nave_x_ + kNaveL &&
        nave_x_ < e.x + kInimigoL && n_colados_ < colados_.size()) {
      colados_[n_colados_++] = {e.x, e.y, e.x + kInimigoL, e.y + kInimigoA};
      e.fx = e.x;
      e.fy = e.y;
      e.ffolga = 0;
      continue;
    }
    if (e.caca >= 10 && n_cacadores_ < kMaxCacadores) {
      // Where a hunter goes depends on where the ship goes: each plan chases it itself.
      cacadores_[n_cacadores_++] = static_cast<uint8_t>(i);
      e.fx = e.x;
      e.fy = e.y;
      e.ffolga = 40;
      continue;
    }
    Prever(e, rumo_);
    for (int t = inicio; t <= Fim(); ++t) {
      const size_t k = static_cast<size_t>(t);
      Guardar(t, rumo_.x[k], rumo_.y[k], kInimigoL, kInimigoA, rumo_.folga[k], rumo_.folga_y[k]);
    }
    const size_t fim = static_cast<size_t>(Fim());
    e.fx = rumo_.x[fim];
    e.fy = rumo_.y[fim];
    e.ffolga = rumo_.folga[fim];
  }
}

// The hunters chase the ship along the plan's positions, as fast as they flew. True when one catches it
// after the ship's protection; near misses add to `custo` either way. A hunter cannot be outrun for long,
// but it comes straight at the ship: one that stays above it, in the main laser's line, long enough for
// four hits is shot down, and a plan that does so is worth a little.
bool Piloto::Cacadores_Alcancam(const Posicoes& px, const Posicoes& py, double& custo) const {
  std::array<double, kMaxCacadores> hx{}, hy{}, hv{};
  std::array<int, kMaxCacadores> fogo{};
  std::array<bool, kMaxCacadores> abatido{};
  int abatidos = 0;
  for (size_t k = 0; k < n_cacadores_; ++k) {
    const Trilha& e = inimigos_[cacadores_[k]];
    hx[k] = e.x;
    hy[k] = e.y;
    hv[k] = std::hypot(e.vx, e.vy);
  }
  for (int t = 1; t <= Fim(); ++t) {
    const size_t i = static_cast<size_t>(t);
    const double peso = 2.0 - static_cast<double>(t - espera_ + 1) / horizonte_;
    // Each hunter steps towards where the ship was, then the ship moves on.
    for (size_t k = 0; k < n_cacadores_; ++k) {
      const double ax = px[i - 1] - hx[k], ay = py[i - 1] - hy[k], d = std::hypot(ax, ay);
      if (d > 0.5) {
        hx[k] += ax / d * hv[k];
        hy[k] += ay / d * hv[k];
      }
    }
    const double cx = px[i], cy = py[i];
    for (size_t k = 0; k < n_cacadores_; ++k) {
      if (abatido[k]) continue;
      // The beam leaves the ship's top edge 13 pixels in and climbs 12 pixels a frame, a shot every five.
      if (hx[k] < cx + 17 && hx[k] + kInimigoL > cx + 13 && hy[k] + 2 < cy &&
          ++fogo[k] >= 18 + (cy - hy[k] - kInimigoA) / 12) {
        abatido[k] = true;
        if (abatidos++ < 2) custo -= Premio_Abate();
        continue;
      }
      if (t <= protegido_ || t < espera_) continue;
      const double m = 3 + 0.2 * t;
      if (cx < hx[k] + kInimigoL + m && hx[k] - m < cx + kNaveL && cy < hy[k] + kInimigoA + m &&
          hy[k] - m < cy + kNaveA) {
        custo = custo + 1000 * peso + 1000;
        return true;
      }
      if (cx < hx[k] + kInimigoL + m + 20 && hx[k] - m - 20 < cx + kNaveL &&
          cy < hy[k] + kInimigoA + m + 20 && hy[k] - m - 20 < cy + kNaveA)
        custo += 8 * peso;
    }
  }
  return false;
}

double Piloto::Avaliar(const Plano& plano, double limite) const {
  // Where the plan puts the ship at each frame, for the hunters to chase below: first where the keys
  // already on their way take it, then the plan.
  Posicoes px = base_x_, py = base_y_;
  double x = px[static_cast<size_t>(espera_ - 1)], y = py[static_cast<size_t>(espera_ - 1)];
  double custo = 0, x_perto = x;
  bool apanha = false;
  for (int t = espera_; t <= Fim(); ++t) {
    const int passo = t - espera_ + 1;  // frames into the plan
    const int8_t dx = passo <= plano.quadros ? plano.dx : plano.dx2;
    const int8_t dy = passo <= plano.quadros ? plano.dy : plano.dy2;
    x = std::clamp(x + dx * velocidade_, 0.0, kNaveMaxX);
    y = std::clamp(y + dy * velocidade_, 0.0, kNaveMaxY);
    px[static_cast<size_t>(t)] = x;
    py[static_cast<size_t>(t)] = y;
    if (passo == 12) x_perto = x;
    // A plan already worse than the best so far is dropped (nothing below takes off more than this).
    if (custo - (200 + 2 * Premio_Abate()) > limite) return custo;
    const double peso = 2.0 - static_cast<double>(passo) / horizonte_;
    // Where enemies come in unseen: a row flying in from the right at one of its three heights,
    // anything dropping in from above. Along the bottom edge, shots are unseen for their last frames.
    if (invencivel_ <= 3) {
      const bool fileira = x > 572 && ((y > 385 && y < 444) || (y > 285 && y < 344) || (y > 155 && y < 214));
      if (fileira || y < 25) custo += 6 * peso;
      if (y > 435) custo += 2 * peso;
    }
    for (size_t i = 0; i < n_colados_; ++i) {
      const Caixa& c = colados_[i];
      if (std::abs(y - nave_y_) > 0.5 && x < c.x2 && c.x1 < x + kNaveL && y < c.y2 && c.y1 < y + kNaveA)
        return custo + 1000 * peso + 1000;
    }
    const auto& lista = ameacas_[static_cast<size_t>(t)];
    for (size_t i = 0; i < n_ameacas_[static_cast<size_t>(t)]; ++i) {
      const Caixa& c = lista[i];
      if (x < c.x2 && c.x1 < x + kNaveL && y < c.y2 && c.y1 < y + kNaveA) return custo + 1000 * peso + 1000;
      if (x < c.x2 + 10 && c.x1 - 10 < x + kNaveL && y < c.y2 + 10 && c.y1 - 10 < y + kNaveA)
        custo += 8 * peso;
    }
    for (size_t i = 0; i < cena_.n_extras; ++i) {
      const Visto& e = cena_.extras[i];
      const double ey = e.y + t;
      if (x < e.x + kExtraL && e.x < x + kNaveL && y < ey + kExtraL && ey < y + kNaveA) apanha = true;
    }
  }
  // The hunters chase the ship along this plan; while it is protected, it lines up under them.
  if (n_cacadores_ > 0 && Cacadores_Alcancam(px, py, custo)) return custo;
  // Staying under an enemy that comes down is a hit put off: the sooner it arrives, the worse.
  for (size_t i = 0; i < n_inimigos_; ++i) {
    const Trilha& e = inimigos_[i];
    if (!seguido_[i] || e.vys < 0.3 || invencivel_ > 8) continue;
    const double ex = e.fx, ey = e.fy, folga = e.ffolga;
    const double chegada = (y - (ey + kInimigoA)) / e.vys;
    if (chegada < 0 || x + kNaveL < ex - folga - 10 || x > ex + kInimigoL + folga + 10) continue;
    custo += 400 * std::exp(-chegada / 30);
  }
  // Off the paths enemies keep flying.
  custo += 4 * (Rastro(x_perto, y) + Rastro(x, y));
  if (desvio_x_ >= 0) return custo + std::abs(x - desvio_x_) + std::abs(y - desvio_y_);
  // Lining up: the main laser leaves from the ship's middle.
  if (alvo_x_ >= 0) custo += std::abs(x_perto + 15 - alvo_x_) + std::abs(x + 15 - alvo_x_);
  // An extra in reach is worth a detour: the ship waits under it as it falls.
  double extra = std::numeric_limits<double>::max();
  for (size_t i = 0; i < cena_.n_extras; ++i) {
    const Visto& e = cena_.extras[i];
    if (e.y + Fim() > 470) continue;
    extra = std::min(extra, std::abs(x + 15 - (e.x + kExtraL / 2)) + std::max(0.0, y - (e.y + Fim())) * 0.3);
  }
  if (extra < std::numeric_limits<double>::max()) custo += 3.0 * extra;
  if (apanha) custo -= 200;
  // The ship keeps low, where shots from above take longest to come, and below the enemy it hunts;
  // protected for long (the invincibility extra), it goes hunting higher up.
  const double altura = invencivel_ > 8 ? 300 : std::max<double>(altura_preferida_, altura_alvo_);
  custo += 0.6 * std::abs(y - altura);
  // The edges leave no way out sideways.
  if (x < 20 || x > kNaveMaxX - 20) custo += 30;
  return custo;
}

void Piloto::Escolher(HeadlessPlatform& p, int32_t agora) {
  // The ways to fly the next second: one direction for a moment, then another (or the same).
  Prever_Nave(agora);
  Prever_Ameacas();
  Plano melhor{0, 0, 0, 0, 0};
  double menor = std::numeric_limits<double>::max();
  for (int8_t dx = -1; dx <= 1; ++dx) {
    for (int8_t dy = -1; dy <= 1; ++dy) {
      for (int8_t quadros : {static_cast<int8_t>(4), static_cast<int8_t>(12)}) {
        for (int8_t dx2 = -1; dx2 <= 1; ++dx2) {
          for (int8_t dy2 = -1; dy2 <= 1; ++dy2) {
            const Plano plano{dx, dy, quadros, dx2, dy2};
            // A small nudge towards the keys already held keeps the ship from dithering.
            const double c = Avaliar(plano, menor) + ((dx == dx_ && dy == dy_) ? 0 : 2);
            if (c < menor) {
              menor = c;
              melhor = plano;
            }
          }
        }
      }
    }
  }
  dx_ = melhor.dx;
  dy_ = melhor.dy;
  Lembrar_Setas(agora, dx_, dy_);
  const bool quer[5] = {dx_<0, dy_<0, dx_> 0, dy_> 0, true};
  for (size_t k = 0; k < tecla_.size(); ++k)
    if (quer[k] != tecla_[k]) Mover_Tecla(p, agora, k, quer[k]);
}

void Piloto::NoJogo(HeadlessPlatform& p, int32_t agora) {
  // Where the ship is: seen, or reckoned from the keys while it blinks.
  const double antes_x = nave_x_, antes_y = nave_y_;
  int8_t sx = 0, sy = 0;  // the arrows held in this picture's frame
  Setas_Em(agora, sx, sy);
  nave_x_ = std::clamp(nave_x_ + sx * velocidade_, 0.0, kNaveMaxX);
  nave_y_ = std::clamp(nave_y_ + sy * velocidade_, 0.0, kNaveMaxY);
  if (cena_.nave_visivel) {
    nave_x_ = cena_.nave.x;
    nave_y_ = cena_.nave.y;
    // Its speed shows in a free move sideways (speed extras add to it, a lost life takes them away).
    const double passo = std::abs(nave_x_ - antes_x);
    if (sx != 0 && nave_x_ > 0 && nave_x_ < kNaveMaxX && passo >= 1 && passo <= 8) velocidade_ = passo;
  }
  nave_antes_x_ = antes_x;
  nave_antes_y_ = antes_y;
  Seguir(tiros_.data(), n_tiros_, cena_.tiros.data(), cena_.n_tiros, 9, true);
  Seguir(inimigos_.data(), n_inimigos_, cena_.inimigos.data(), cena_.n_inimigos, 26, false);
  constexpr int kColunas = 640 / kCelula;
  for (float& v : rastro_) v *= 0.985f;
  for (size_t i = 0; i < cena_.n_inimigos; ++i) {
    const Visto& e = cena_.inimigos[i];
    for (int cy = e.y / kCelula; cy <= (e.y + 23) / kCelula; ++cy)
      for (int cx = e.x / kCelula; cx <= (e.x + 37) / kCelula; ++cx)
        rastro_[static_cast<size_t>(cy * kColunas + cx)] += 0.05f;
  }

  // The target: the enemy whose column the ship reaches soonest, the lowest first, where the enemy
  // will be when a shot gets there. Shots only go up: when nothing is left above the ship, it goes
  // below an enemy that stays low on the screen, if it fits there.
  double melhor = std::numeric_limits<double>::max();
  int32_t alvo = -1;
  altura_alvo_ = 0;
  double zona_l = 0, zona_r = 0;  // how far the target's box swings, for going round it
  for (int abaixo = 0; abaixo < 2 && alvo < 0; ++abaixo) {
    for (size_t i = 0; i < n_inimigos_; ++i) {
      const Trilha& e = inimigos_[i];
      const double y_tiro = abaixo ? e.y + kInimigoA + 6 : nave_y_;
      if (e.sumido > 0 || e.y + kInimigoA > y_tiro - 4 || y_tiro > kNaveMaxY || (abaixo && e.vys > 0.3))
        continue;
      // A swaying enemy is aimed at in the middle of its swing, which its box always covers.
      const double t = (y_tiro - (e.y + kInimigoA)) / 12 + 1;
      double cx = e.cx + e.vxs * t + kInimigoL / 2;
      // One that swings or circles stays where it has been: its drift is not followed past that.
      if (e.amp > 10 || e.giro != 0) cx = std::clamp(cx, e.hx_min + kInimigoL / 2, e.hx_max + kInimigoL / 2);
      if (cx < 4 || cx > 636) continue;
      const double c = std::abs(cx - (nave_x_ + 15)) / velocidade_ + (y_tiro - e.y) / 20;
      // Stay on the one chosen; a hunter first, as it never leaves.
      const double preferencia = (std::abs(cx - alvo_x_) < 20 ? 0.7 : 1.0) * (e.caca >= 10 ? 0.5 : 1.0);
      if (c * preferencia < melhor) {
        melhor = c * preferencia;
        alvo = static_cast<int32_t>(std::lround(cx));
        altura_alvo_ = abaixo ? y_tiro : 0;
        zona_l = e.cx - e.amp - 8;
        zona_r = e.cx + kInimigoL + e.amp + 8;
      }
    }
  }
  alvo_x_ = alvo;
  // Above a target that holds low, the ship first goes down beside its swing, on the nearer side that
  // has room, and lines up from below.
  desvio_x_ = -1;
  if (altura_alvo_ > 0 && nave_y_ < altura_alvo_ - 12) {
    const double esquerda = zona_l - kNaveL - 6, direita = zona_r + 6;
    const bool cabe_esquerda = esquerda >= 0, cabe_direita = direita <= kNaveMaxX;
    if (nave_x_ + kNaveL <= zona_l || nave_x_ >= zona_r)
      desvio_x_ = nave_x_;
    else if (cabe_esquerda && (!cabe_direita || nave_x_ - esquerda < direita - nave_x_))
      desvio_x_ = esquerda;
    else if (cabe_direita)
      desvio_x_ = direita;
    desvio_y_ = std::min(altura_alvo_ + 8, kNaveMaxY);
  }
  Escolher(p, agora);
}

void Placar::Observar(const Form1& form, int32_t agora) {
  // Read after every present: a view of the screen's name, not a copy of it.
  const std::string_view tela = form.Tela_Atual();
  const int f = form.Fase_Atual;
  if (tela == "Main" && f >= 1 && f <= 5) {
    Fase& fase = fases_[static_cast<size_t>(f - 1)];
    if (fase.inicio_ms < 0) fase.inicio_ms = agora;
    fase.ultimo_ms = agora;
    if (!em_jogo_) {
      vidas_ = form.Vidas;
      em_jogo_ = true;
    }
  }
  if (em_jogo_ && f >= 1 && f <= 5) {
    Fase& fase = fases_[static_cast<size_t>(f - 1)];
    if (form.Vidas < vidas_) {
      fase.vidas_perdidas += static_cast<int32_t>(vidas_ - form.Vidas);
      Relatar_Perda(form, f, agora);
    } else if (form.Em_Fim_De_Jogo && !fim_de_jogo_) {
      // The last life: the game-over screen shows "Vidas: 0" from its first frame, so the fall below
      // zero is never presented.
      ++fase.vidas_perdidas;
      Relatar_Perda(form, f, agora);
    }
    fim_de_jogo_ = form.Em_Fim_De_Jogo;
    vidas_ = form.Vidas;
    // A slot that was in use and is free now: an enemy that left past an edge keeps the position it
    // left from, beyond the screen; one destroyed keeps where it died.
    for (size_t i = 0; i < form.Inimigos.size(); ++i) {
      const Inimigo& e = form.Inimigos[i];
      if (inimigo_ativo_[i] && !e.Ativo && e.Y <= 480 && e.X <= 640) ++fase.inimigos_destruidos;
      inimigo_ativo_[i] = e.Ativo;
    }
    for (size_t i = 0; i < form.Tiros_Inimigos.size(); ++i) tiro_ativo_[i] = form.Tiros_Inimigos[i].Ativo;
    for (size_t i = 0; i < form.Extras.size(); ++i) {
      const Extra& x = form.Extras[i];
      if (extra_ativo_[i] && !x.Ativo && x.Y <= 480) ++fase.extras;
      extra_ativo_[i] = x.Ativo;
    }
    if (tela == "Muda_Fase" && fase.fim_ms < 0) {
      fase.fim_ms = agora;
      fases_completas_ = f;
      if (f == 5) final_ = true;
    }
  }
  if (f == 6) final_ = true;
  pontos_ = form.Pontos;
}

// What took a life, on standard error: the shot or enemy that went with it, near the ship. One that
// was drawn nowhere (partly off the picture) is marked unseen; nothing named means an enemy that came
// in and rammed in one frame.
void Placar::Relatar_Perda(const Form1& form, int fase, int32_t agora) const {
  const double nx = form.Nave_X, ny = form.Nave_Y;
  std::fprintf(stderr, "life lost: phase %d at %.2f s, ship at (%.0f, %.0f), speed %g:", fase, agora / 1000.0,
               nx, ny, static_cast<double>(form.Nave_Velocidade));
  for (size_t i = 0; i < form.Tiros_Inimigos.size(); ++i) {
    const Tiro_Inimigo& t = form.Tiros_Inimigos[i];
    if (tiro_ativo_[i] && !t.Ativo && std::abs(t.X - nx - 10) < 40 && std::abs(t.Y - ny - 12) < 40)
      std::fprintf(stderr, " shot at (%.0f, %.0f)%s", t.X, t.Y,
                   t.X + 10 > 640 || t.Y + 10 > 480 ? " unseen" : "");
  }
  for (size_t i = 0; i < form.Inimigos.size(); ++i) {
    const Inimigo& e = form.Inimigos[i];
    if (inimigo_ativo_[i] && !e.Ativo && std::abs(e.X - nx) < 45 && std::abs(e.Y - ny) < 45)
      std::fprintf(stderr, " pattern-%g enemy at (%.0f, %.0f)%s", static_cast<double>(e.Padrao), e.X, e.Y,
                   e.X < 0 || e.Y < 0 || e.X + 38 > 640 || e.Y + 24 > 480 ? " unseen" : "");
  }
  std::fprintf(stderr, "\n");
}

std::string Placar::Json(uint32_t semente) const {
  char buf[256];
  std::snprintf(buf, sizeof buf,
                "{\"seed\":%u,\"phases_cleared\":%d,\"reached_closing\":%s,\"score\":%d,\"lives_left\":%g,"
                "\"per_phase\":[",
                semente, fases_completas_, final_ ? "true" : "false", pontos_,
                std::max(0.0, static_cast<double>(vidas_)));
  std::string out = buf;
  bool primeira = true;
  for (size_t i = 0; i < fases_.size(); ++i) {
    const Fase& f = fases_[i];
    if (f.inicio_ms < 0) continue;
    const double segundos = ((f.fim_ms >= 0 ? f.fim_ms : f.ultimo_ms) - f.inicio_ms) / 1000.0;
    std::snprintf(buf, sizeof buf,
                  "%s{\"phase\":%zu,\"cleared\":%s,\"seconds\":%.1f,\"lives_lost\":%d,\"extras\":%d,"
                  "\"enemies_destroyed\":%d}",
                  primeira ? "" : ",", i + 1, f.fim_ms >= 0 ? "true" : "false", segundos, f.vidas_perdidas,
                  f.extras, f.inimigos_destruidos);
    out += buf;
    primeira = false;
  }
  out += "]}";
  return out;
}

}  // namespace vartenos::sim
