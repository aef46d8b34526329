#include "sim/planning.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vartenos::sim {

// The target: the enemy whose column the ship reaches soonest, the lowest first, where the enemy will be
// when a shot gets there. Shots only go up: when nothing is left above the ship, it goes below an enemy
// that stays low on the screen, if it fits there.
void Planejador::Escolher_Alvo(const Situacao& s, const Trilhas& trilhas) {
  double melhor = std::numeric_limits<double>::max();
  int32_t alvo = -1;
  altura_alvo_ = 0;
  double zona_l = 0, zona_r = 0;  // how far the target's box swings, for going round it
  for (int abaixo = 0; abaixo < 2 && alvo < 0; ++abaixo) {
    for (size_t i = 0; i < trilhas.n_inimigos; ++i) {
      const Trilha& e = trilhas.inimigos[i];
      const Trilha::Balanco& b = e.balanco;
      const double y_tiro = abaixo ? e.y + kInimigoA + 6 : s.nave_y;
      if (e.sumido > 0 || e.y + kInimigoA > y_tiro - 4 || y_tiro > kNaveMaxY || (abaixo && e.deriva_y > 0.3))
        continue;
      // A swaying enemy is aimed at in the middle of its swing, which its box always covers.
      const double t = (y_tiro - (e.y + kInimigoA)) / 12 + 1;
      double cx = b.meio + e.deriva_x * t + kInimigoL / 2;
      // One that swings or circles stays where it has been: its drift is not followed past that.
      if (b.amplitude > 10 || e.giro != 0) cx = std::clamp(cx, b.min + kInimigoL / 2, b.max + kInimigoL / 2);
      if (cx < 4 || cx > 636) continue;
      const double c = std::abs(cx - (s.nave_x + 15)) / s.velocidade + (y_tiro - e.y) / 20;
      // Stay on the one chosen; a hunter first, as it never leaves.
      const double preferencia = (std::abs(cx - alvo_x_) < 20 ? 0.7 : 1.0) * (e.caca >= 10 ? 0.5 : 1.0);
      if (c * preferencia < melhor) {
        melhor = c * preferencia;
        alvo = static_cast<int32_t>(std::lround(cx));
        altura_alvo_ = abaixo ? y_tiro : 0;
        zona_l = b.meio - b.amplitude - 8;
        zona_r = b.meio + kInimigoL + b.amplitude + 8;
      }
    }
  }
  alvo_x_ = alvo;
  // Above a target that holds low, the ship first goes down beside its swing, on the nearer side that
  // has room, and lines up from below.
  desvio_x_ = -1;
  if (altura_alvo_ > 0 && s.nave_y < altura_alvo_ - 12) {
    const double esquerda = zona_l - kNaveL - 6, direita = zona_r + 6;
    const bool cabe_esquerda = esquerda >= 0, cabe_direita = direita <= kNaveMaxX;
    if (s.nave_x + kNaveL <= zona_l || s.nave_x >= zona_r)
      desvio_x_ = s.nave_x;
    else if (cabe_esquerda && (!cabe_direita || s.nave_x - esquerda < direita - s.nave_x))
      desvio_x_ = esquerda;
    else if (cabe_direita)
      desvio_x_ = direita;
    desvio_y_ = std::min(altura_alvo_ + 8, kNaveMaxY);
  }
}

Plano Planejador::Escolher(const Previsao& p, int8_t dx_agora, int8_t dy_agora) const {
  // The ways to fly the next second: one direction for a moment, then another (or the same).
  Plano melhor{0, 0, 0, 0, 0};
  double menor = std::numeric_limits<double>::max();
  for (int8_t dx = -1; dx <= 1; ++dx) {
    for (int8_t dy = -1; dy <= 1; ++dy) {
      for (int8_t quadros : {static_cast<int8_t>(4), static_cast<int8_t>(12)}) {
        for (int8_t dx2 = -1; dx2 <= 1; ++dx2) {
          for (int8_t dy2 = -1; dy2 <= 1; ++dy2) {
            const Plano plano{dx, dy, quadros, dx2, dy2};
            // A small nudge towards the keys already held keeps the ship from dithering.
            const double c = Avaliar(p, plano, menor) + ((dx == dx_agora && dy == dy_agora) ? 0 : 2);
            if (c < menor) {
              menor = c;
              melhor = plano;
            }
          }
        }
      }
    }
  }
  return melhor;
}

double Planejador::Avaliar(const Previsao& p, const Plano& plano, double limite) const {
  const Situacao& s = p.s;
  // Where the plan puts the ship at each frame, for the hunters to chase below: first where the keys
  // already on their way take it, then the plan.
  Posicoes px = p.base_x, py = p.base_y;
  double x = px[static_cast<size_t>(s.espera - 1)], y = py[static_cast<size_t>(s.espera - 1)];
  double custo = 0, x_perto = x;
  bool apanha = false;
  for (int t = s.espera; t <= s.Fim(); ++t) {
    const int passo = t - s.espera + 1;  // frames into the plan
    const int8_t dx = passo <= plano.quadros ? plano.dx : plano.dx2;
    const int8_t dy = passo <= plano.quadros ? plano.dy : plano.dy2;
    x = std::clamp(x + dx * s.velocidade, 0.0, kNaveMaxX);
    y = std::clamp(y + dy * s.velocidade, 0.0, kNaveMaxY);
    px[static_cast<size_t>(t)] = x;
    py[static_cast<size_t>(t)] = y;
    if (passo == 12) x_perto = x;
    // A plan already worse than the best so far is dropped (nothing below takes off more than this).
    if (custo - (200 + 2 * p.ameacas.Premio_Abate(s)) > limite) return custo;
    const double peso = 2.0 - static_cast<double>(passo) / s.horizonte;
    // Where enemies come in unseen: a row flying in from the right at one of its three heights,
    // anything dropping in from above. Along the bottom edge, shots are unseen for their last frames.
    if (s.invencivel <= 3) {
      const bool fileira = x > 572 && ((y > 385 && y < 444) || (y > 285 && y < 344) || (y > 155 && y < 214));
      if (fileira || y < 25) custo += 6 * peso;
      if (y > 435) custo += 2 * peso;
    }
    const Caixa nave = CaixaDaNave(x, y);
    for (size_t i = 0; i < p.ameacas.N_Colados(); ++i)
      if (std::abs(y - s.nave_y) > 0.5 && nave.Cruza(p.ameacas.Colado(i))) return Com_Acerto(custo, peso);
    for (size_t i = 0; i < p.ameacas.N_Caixas(t); ++i) {
      const Caixa& c = p.ameacas.Em(t, i);
      if (nave.Cruza(c)) return Com_Acerto(custo, peso);
      if (nave.Cruza(c.Alargada(10))) custo += 8 * peso;
    }
    for (size_t i = 0; i < p.cena.n_extras; ++i) {
      const Visto& e = p.cena.extras[i];
      if (nave.Cruza(Caixa::De(e.x, e.y + t, kExtraL, kExtraL))) apanha = true;
    }
  }
  // The hunters chase the ship along this plan; while it is protected, it lines up under them.
  if (p.ameacas.Tem_Cacadores() && p.ameacas.Cacadores_Alcancam(s, px, py, custo)) return custo;
  return Custo_Do_Fim(p, x, y, x_perto, apanha, custo);
}

double Planejador::Custo_Do_Fim(const Previsao& p, double x, double y, double x_perto, bool apanha,
                                double custo) const {
  const Situacao& s = p.s;
  // Staying under an enemy that comes down is a hit put off: the sooner it arrives, the worse.
  for (size_t i = 0; i < p.trilhas.n_inimigos; ++i) {
    const Trilha& e = p.trilhas.inimigos[i];
    if (!p.ameacas.Segue(i) || e.deriva_y < 0.3 || s.invencivel > 8) continue;
    const Ameacas::Destino& d = p.ameacas.Destino_De(i);
    const double chegada = (y - (d.y + kInimigoA)) / e.deriva_y;
    if (chegada < 0 || x + kNaveL < d.x - d.folga - 10 || x > d.x + kInimigoL + d.folga + 10) continue;
    custo += 400 * std::exp(-chegada / 30);
  }
  // Off the paths enemies keep flying.
  custo += 4 * (p.trafego.Em(x_perto, y) + p.trafego.Em(x, y));
  // Above a target that holds low, it first goes down beside it.
  if (desvio_x_ >= 0) return custo + std::abs(x - desvio_x_) + std::abs(y - desvio_y_);
  // Lining up: the main laser leaves from the ship's middle.
  if (alvo_x_ >= 0) custo += std::abs(x_perto + 15 - alvo_x_) + std::abs(x + 15 - alvo_x_);
  // An extra in reach is worth a detour: the ship waits under it as it falls.
  double extra = std::numeric_limits<double>::max();
  for (size_t i = 0; i < p.cena.n_extras; ++i) {
    const Visto& e = p.cena.extras[i];
    if (e.y + s.Fim() > 470) continue;
    extra =
        std::min(extra, std::abs(x + 15 - (e.x + kExtraL / 2)) + std::max(0.0, y - (e.y + s.Fim())) * 0.3);
  }
  if (extra < std::numeric_limits<double>::max()) custo += 3.0 * extra;
  if (apanha) custo -= 200;
  // The ship keeps low, where shots from above take longest to come, and below the enemy it hunts;
  // protected for long (the invincibility extra), it goes hunting higher up.
  const double altura = s.invencivel > 8 ? 300 : std::max<double>(altura_preferida_, altura_alvo_);
  custo += 0.6 * std::abs(y - altura);
  // The edges leave no way out sideways.
  if (x < 20 || x > kNaveMaxX - 20) custo += 30;
  return custo;
}

}  // namespace vartenos::sim
