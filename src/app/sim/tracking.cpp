#include "sim/tracking.h"

#include <algorithm>
#include <cmath>

namespace vartenos::sim {

namespace {

// An enemy's last sightings across: the line they drift along and how far they swing about it. A
// swaying enemy is aimed at in the middle of its swing, where its box always is.
void Balancar(Trilha& tr, double x) {
  Trilha::Balanco& b = tr.balanco;
  const size_t tamanho = b.xs.size();
  b.xs[b.proxima] = static_cast<int16_t>(x);
  b.proxima = static_cast<uint8_t>((b.proxima + 1) % tamanho);
  if (b.n < tamanho) ++b.n;
  const size_t n = b.n;
  const size_t primeiro = (b.proxima + tamanho - n) % tamanho;
  const auto xs = [&](size_t k) { return b.xs[(primeiro + k) % tamanho]; };
  double media = 0;
  for (size_t k = 0; k < n; ++k) media += xs(k);
  media /= static_cast<double>(n);
  const double meio = static_cast<double>(n - 1) / 2;
  // The drift is the line that fits all the sightings best: two ends of a fast sway would make one up.
  double sxy = 0, sxx = 0;
  for (size_t k = 0; k < n; ++k) {
    sxy += (static_cast<double>(k) - meio) * (xs(k) - media);
    sxx += (static_cast<double>(k) - meio) * (static_cast<double>(k) - meio);
  }
  tr.deriva_x = n >= 8 ? sxy / sxx : tr.vx;
  b.meio = media + tr.deriva_x * meio;
  b.min = b.max = xs(0);
  for (size_t k = 0; k < n; ++k) {
    b.min = std::min(b.min, xs(k));
    b.max = std::max(b.max, xs(k));
  }
  double amplitude = 0;
  for (size_t k = 0; k < n; ++k)
    amplitude = std::max(amplitude, std::abs(xs(k) - (media + tr.deriva_x * (k - meio))));
  b.amplitude = std::max(b.amplitude * 0.98, amplitude);
}

// An enemy seen again at (x, y): its speed, whether it flies a curve or hunts the ship, its sway.
void Mover_Inimigo(Trilha& tr, double x, double y, const Situacao& s) {
  const double vx = (x - tr.x) / (tr.sumido + 1), vy = (y - tr.y) / (tr.sumido + 1);
  // A steady turn of the heading is a curve; a heading that flips is a sway, not a curve.
  if (tr.visto >= 2 && std::hypot(vx, vy) > 2 && std::hypot(tr.vx, tr.vy) > 2) {
    const double giro = std::atan2(tr.vx * vy - tr.vy * vx, tr.vx * vx + tr.vy * vy);
    tr.giro = std::abs(giro) <= 0.3 ? 0.5 * tr.giro + 0.5 * giro : 0;
  } else {
    tr.giro = 0;
  }
  // A hunter steers for the ship's corner as it was a frame ago, at a steady speed.
  const double hx = s.nave_antes_x - tr.x, hy = s.nave_antes_y - tr.y, v = std::hypot(vx, vy);
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
  tr.deriva_y += (tr.vy - tr.deriva_y) * (tr.visto == 1 ? 1.0 : 0.3);
  Balancar(tr, x);
}

// A track started by a sighting nothing else took.
Trilha Nova_Trilha(const Visto& v, bool tiro, const Situacao& s) {
  Trilha tr;
  tr.x = tr.x0 = tr.balanco.meio = v.x;
  tr.balanco.xs[0] = tr.balanco.min = tr.balanco.max = v.x;
  tr.balanco.n = 1;
  tr.y = tr.y0 = v.y;
  tr.visto = 1;
  if (tiro) {
    // A new shot is aimed at where the ship was; its speed grows by half a pixel a phase.
    const double dx = s.nave_x + 15 - tr.x, dy = s.nave_y + 17 - tr.y;
    const double d = std::max(1.0, std::hypot(dx, dy));
    const double vel = 2.5 + 0.5 * (s.fase - 1);
    tr.vx = dx / d * vel;
    tr.vy = dy / d * vel;
  }
  return tr;
}

// Matches what is seen now to what was seen before: each track takes the nearest sighting within
// `raio` of where it was foreseen; sightings left over start new tracks (up to `max`), tracks unseen for
// a few frames are given up.
void Seguir_Todas(Trilha* trilhas, size_t& n, size_t max, const Visto* vistos, size_t n_vistos, double raio,
                  bool tiro, const Situacao& s) {
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
      Mover_Inimigo(tr, x, y, s);
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
  for (size_t j = 0; j < n_vistos && n < max; ++j)
    if (!usado[j]) trilhas[n++] = Nova_Trilha(vistos[j], tiro, s);
}

}  // namespace

void Trilhas::Seguir(const Cena& cena, const Situacao& s) {
  Seguir_Todas(tiros.data(), n_tiros, kMaxTiros, cena.tiros.data(), cena.n_tiros, 9, true, s);
  Seguir_Todas(inimigos.data(), n_inimigos, kMaxInimigos, cena.inimigos.data(), cena.n_inimigos, 26, false,
               s);
}

void Trafego::Anotar(const Cena& cena) {
  for (float& v : celulas_) v *= 0.985f;
  for (size_t i = 0; i < cena.n_inimigos; ++i) {
    const Visto& e = cena.inimigos[i];
    for (int cy = e.y / kCelula; cy <= (e.y + 23) / kCelula; ++cy)
      for (int cx = e.x / kCelula; cx <= (e.x + 37) / kCelula; ++cx)
        celulas_[static_cast<size_t>(cy * kColunas + cx)] += 0.05f;
  }
}

double Trafego::Em(double x, double y) const {
  double soma = 0;
  const int cx0 = static_cast<int>(x) / kCelula, cy0 = static_cast<int>(y) / kCelula;
  for (int cy = cy0; cy <= cy0 + 4 && cy < kLinhas; ++cy)
    for (int cx = cx0; cx <= cx0 + 3 && cx < kColunas; ++cx)
      soma += celulas_[static_cast<size_t>(cy * kColunas + cx)];
  return soma;
}

}  // namespace vartenos::sim
