#include "sim/threats.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vartenos::sim {

void Prever_Rumo(const Trilha& e, int fim, Rumo& r) {
  double x = e.x, y = e.y, vx = e.vx, vy = e.vy;
  const double c = std::cos(e.giro), s = std::sin(e.giro);
  r.x[0] = x;
  r.y[0] = y;
  r.folga[0] = r.folga_y[0] = 3;
  for (int t = 1; t <= fim; ++t) {
    if (e.giro != 0) {
      const double nx = vx * c - vy * s;
      vy = vx * s + vy * c;
      vx = nx;
    } else if (t > 6) {
      vx = e.deriva_x;
      vy = e.deriva_y;
    }
    x += vx;
    y += vy;
    const size_t i = static_cast<size_t>(t);
    r.x[i] = x;
    r.y[i] = y;
    r.folga[i] = e.giro != 0 ? 3 + 0.4 * t
                             : 3 + std::min(e.balanco.amplitude, 30.0) * std::min(1.0, t / 10.0) + 0.25 * t;
    r.folga_y[i] = e.giro != 0 ? r.folga[i] : 3 + 0.25 * t;
  }
}

// Every shot and enemy that can come within the ship's reach by frame `t`: a ship that can move
// `velocidade` a frame, and a little more.
void Ameacas::Guardar(const Situacao& s, int t, double x, double y, double l, double a, double folga,
                      double folga_y) {
  const size_t k = static_cast<size_t>(t);
  const double alcance = s.velocidade * t + 60;
  const Caixa caixa = Caixa::De(x, y, l, a).Alargada(folga, folga_y);
  if (!caixa.Toca(CaixaDaNave(s.nave_x, s.nave_y).Alargada(alcance)) || n_caixas_[k] >= kMaxPorQuadro) return;
  caixas_[k][n_caixas_[k]++] = caixa;
}

void Ameacas::Escolher_Seguidos(const Situacao& s, const Trilhas& trilhas, int32_t maximo) {
  seguido_.fill(true);
  tiro_seguido_.fill(true);
  const size_t n_tiros = trilhas.n_tiros, n_inimigos = trilhas.n_inimigos;
  const size_t limite = static_cast<size_t>(maximo), n = n_tiros + n_inimigos;
  if (limite == 0 || n <= limite) return;
  constexpr size_t kMaxTiros = Trilhas::kMaxTiros;
  std::array<std::pair<double, size_t>, kMaxTiros + Trilhas::kMaxInimigos> perto;
  const double cx = s.nave_x + kNaveL / 2, cy = s.nave_y + kNaveA / 2;
  for (size_t i = 0; i < n_tiros; ++i) {
    const Trilha& t = trilhas.tiros[i];
    perto[i] = {std::hypot(t.x + kTiroL / 2 - cx, t.y + kTiroL / 2 - cy), i};
  }
  for (size_t i = 0; i < n_inimigos; ++i) {
    const Trilha& e = trilhas.inimigos[i];
    perto[n_tiros + i] = {std::hypot(e.x + kInimigoL / 2 - cx, e.y + kInimigoA / 2 - cy), kMaxTiros + i};
  }
  std::nth_element(perto.begin(), perto.begin() + static_cast<std::ptrdiff_t>(limite),
                   perto.begin() + static_cast<std::ptrdiff_t>(n));
  seguido_.fill(false);
  tiro_seguido_.fill(false);
  for (size_t k = 0; k < limite; ++k) {
    const size_t i = perto[k].second;
    if (i < kMaxTiros)
      tiro_seguido_[i] = true;
    else
      seguido_[i - kMaxTiros] = true;
  }
}

void Ameacas::Prever(const Situacao& s, const Trilhas& trilhas, int32_t limite) {
  // Hits cannot happen while the ship is protected; in the last seconds of its protection it already
  // flies as if it had none, to be somewhere safe when it runs out.
  const int protegido = s.invencivel > 3 ? (s.invencivel - 1) * 40 : 0;
  protegido_ = protegido;
  n_caixas_.fill(0);
  Escolher_Seguidos(s, trilhas, limite);
  // Frames before its new keys land are the same whatever it chooses now: they are not weighed.
  const int inicio = std::max(protegido + 1, s.espera);
  for (int t = inicio; t <= s.Fim(); ++t) {
    for (size_t i = 0; i < trilhas.n_tiros; ++i) {
      if (!tiro_seguido_[i]) continue;
      const Trilha& tiro = trilhas.tiros[i];
      const double folga = tiro.visto >= 2 ? 2 : 4;
      Guardar(s, t, tiro.x + tiro.vx * t, tiro.y + tiro.vy * t, kTiroL, kTiroL, folga, folga);
    }
  }
  n_cacadores_ = 0;
  n_colados_ = 0;
  for (size_t i = 0; i < trilhas.n_inimigos; ++i)
    if (seguido_[i]) Prever_Inimigo(s, trilhas.inimigos[i], i, inicio);
}

void Ameacas::Prever_Inimigo(const Situacao& s, const Trilha& e, size_t i, int inicio) {
  // An enemy seen lying on the ship, level with its top, and no life lost: boxes with the same top edge
  // do not meet. It is harmless while the ship keeps its height; the ship slides out from under it.
  if (protegido_ == 0 && e.sumido == 0 && std::abs(e.y - s.nave_y) < 0.5 && e.x < s.nave_x + kNaveL &&
      s.nave_x < e.x + kInimigoL && n_colados_ < colados_.size()) {
    colados_[n_colados_++] = Caixa::De(e.x, e.y, kInimigoL, kInimigoA);
    destino_[i] = {e.x, e.y, 0};
    return;
  }
  if (e.caca >= 10 && n_cacadores_ < kMaxCacadores) {
    // Where a hunter goes depends on where the ship goes: each plan chases it itself.
    cacadores_[n_cacadores_++] = {e.x, e.y, std::hypot(e.vx, e.vy)};
    destino_[i] = {e.x, e.y, 40};
    return;
  }
  Prever_Rumo(e, s.Fim(), rumo_);
  for (int t = inicio; t <= s.Fim(); ++t) {
    const size_t k = static_cast<size_t>(t);
    Guardar(s, t, rumo_.x[k], rumo_.y[k], kInimigoL, kInimigoA, rumo_.folga[k], rumo_.folga_y[k]);
  }
  const size_t fim = static_cast<size_t>(s.Fim());
  destino_[i] = {rumo_.x[fim], rumo_.y[fim], rumo_.folga[fim]};
}

// The hunters chase the ship along the plan's positions, as fast as they flew. A hunter cannot be
// outrun for long, but it comes straight at the ship: one that stays above it, in the main laser's line,
// long enough for four hits is shot down, and a plan that does so is worth a little.
bool Ameacas::Cacadores_Alcancam(const Situacao& s, const Posicoes& px, const Posicoes& py,
                                 double& custo) const {
  std::array<double, kMaxCacadores> hx{}, hy{};
  std::array<int, kMaxCacadores> fogo{};
  std::array<bool, kMaxCacadores> abatido{};
  int abatidos = 0;
  for (size_t k = 0; k < n_cacadores_; ++k) {
    hx[k] = cacadores_[k].x;
    hy[k] = cacadores_[k].y;
  }
  for (int t = 1; t <= s.Fim(); ++t) {
    const size_t i = static_cast<size_t>(t);
    const double peso = 2.0 - static_cast<double>(t - s.espera + 1) / s.horizonte;
    // Each hunter steps towards where the ship was, then the ship moves on.
    for (size_t k = 0; k < n_cacadores_; ++k) {
      const double ax = px[i - 1] - hx[k], ay = py[i - 1] - hy[k], d = std::hypot(ax, ay);
      if (d > 0.5) {
        hx[k] += ax / d * cacadores_[k].v;
        hy[k] += ay / d * cacadores_[k].v;
      }
    }
    const double cx = px[i], cy = py[i];
    const Caixa nave = CaixaDaNave(cx, cy);
    for (size_t k = 0; k < n_cacadores_; ++k) {
      if (abatido[k]) continue;
      // The beam leaves the ship's top edge 13 pixels in and climbs 12 pixels a frame, a shot every five.
      if (hx[k] < cx + 17 && hx[k] + kInimigoL > cx + 13 && hy[k] + 2 < cy &&
          ++fogo[k] >= 18 + (cy - hy[k] - kInimigoA) / 12) {
        abatido[k] = true;
        if (abatidos++ < 2) custo -= Premio_Abate(s);
        continue;
      }
      if (t <= protegido_ || t < s.espera) continue;
      const Caixa perto = Caixa::De(hx[k], hy[k], kInimigoL, kInimigoA).Alargada(3 + 0.2 * t);
      if (nave.Cruza(perto)) {
        custo = Com_Acerto(custo, peso);
        return true;
      }
      if (nave.Cruza(perto.Alargada(20))) custo += 8 * peso;
    }
  }
  return false;
}

}  // namespace vartenos::sim
