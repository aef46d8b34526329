// Collisions: shots and shield orbs against enemies, enemies and enemy shots against the ship.
#include <cmath>

#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

namespace {

// Hit boxes of the player's shots by kind (width, height); the box of a kind is its sprite cell.
constexpr int32_t kTiroLargura[6] = {0, 4, 22, 6, 30, 12};
constexpr int32_t kTiroAltura[6] = {0, 10, 18, 12, 10, 15};
// Damage of a hit and score of the killing hit, by kind.
constexpr float kDano[6] = {0, 5, 8, 8, 5, 10};
constexpr int32_t kPontos[6] = {0, 50, 150, 100, 200, 500};

RECT Caixa(int32_t x, int32_t y, int32_t largura, int32_t altura) {
  return RECT{x, y, x + largura, y + altura};
}
// Most boxes take the floor of the position; the ship and the enemy shots against it round.
int32_t Piso(double v) { return static_cast<int32_t>(std::floor(v)); }

}  // namespace

bool Form1::Intersectrect(const RECT& Rect1, const RECT& Rect2) {
  // Strict comparisons only: rectangles touching along an edge do not meet, nor do two with the same
  // left edge, nor two with the same top and bottom.
  const int32_t l1 = Rect1.Left, t1 = Rect1.Top, r1 = Rect1.Right, b1 = Rect1.Bottom;
  const int32_t l2 = Rect2.Left, t2 = Rect2.Top, r2 = Rect2.Right, b2 = Rect2.Bottom;
  if (l1 < l2 && l2 < r1) {
    if ((t1 < b2 && b2 < b1) || (t1 < t2 && t2 < b1) || (t2 > t1 && b2 < b1) || (t2 < t1 && b2 > b1))
      return true;
  }
  if (l2 < l1 && l1 < r2) {
    if ((t2 < b1 && b1 < b2) || (t2 < t1 && t1 < b2) || (t1 > t2 && b1 < b2) || (t1 < t2 && b1 > b2))
      return true;
  }
  if (l1 > l2 && r1 < r2) {
    if ((t1 < t2 && t2 < b1) || (t1 < b2 && b2 < b1)) return true;
  }
  if (l2 > l1 && r2 < r1) {
    if ((t2 < t1 && t1 < b2) || (t2 < b1 && b1 < b2)) return true;
  }
  return false;
}

void Form1::Testa_Colisao() {
  auto matar = [this](Inimigo& e, int32_t pontos) {
    e.Ativo = false;
    Pontos = Pontos + pontos;
    double x = e.X;
    int32_t y = Arredondar(e.Y);
    Preenche_Vetor_Explosao(x, y);
    SomExplosao.SetCurrentPosition(0);
    SomExplosao.Play(0);
    if (e.Tem_Extra == -1) {
      float tipo = e.Tipo_Extra;
      Preenche_Vetor_Extra(e.X + 19, e.Y + 12, tipo);
      e.Tem_Extra = 0;
    }
  };
  auto nave = [this] { return Caixa(Arredondar(Nave_X), Arredondar(Nave_Y), 30, 35); };
  // Every power-up is lost with a life, and the ship blinks, protected, for five seconds.
  auto perder_vida = [this] {
    Tempo_Invencivel = 5;
    Contagem_Invencivel = 5;
    Timer3.Enabled(true);
    Nave_Invencivel = true;
    Timer2.Interval(1000);
    Timer2.Enabled(true);
    Nave_Ultimo_Quadro = 7;
    Tem_Escudo = false;
    Tem_Laser4 = false;
    Tem_Laser5 = false;
    Tem_Laser6 = false;
    Tem_Laser2 = false;
    Nivel_Laser = 1;
    Vidas = Vidas - 1;
    Nave_Velocidade = 3;
  };

  for (Inimigo& e : Inimigos) {
    // Tested once, at the start of the enemy's turn: every shot that meets it in this turn hits,
    // and a dead enemy hit again counts as killed again.
    if (!e.Ativo) continue;
    const RECT inimigo = Caixa(Piso(e.X), Piso(e.Y), 38, 24);

    for (Tiro& t : Tiros) {
      if (!t.Ativo) continue;
      const int tipo = t.Tipo >= 1 && t.Tipo <= 5 ? static_cast<int>(t.Tipo) : 0;
      const RECT tiro = Caixa(Piso(t.X), Piso(t.Y), kTiroLargura[tipo], kTiroAltura[tipo]);
      if (!Intersectrect(inimigo, tiro)) continue;
      e.Energia = e.Energia - kDano[tipo];
      if (e.Energia <= 0) matar(e, kPontos[tipo]);
      t.Ativo = false;
    }

    if (Tem_Escudo) {
      for (const Escudo& orbe : Escudos) {
        if (Intersectrect(inimigo, Caixa(Piso(orbe.X), Piso(orbe.Y), 16, 16))) matar(e, 100);
      }
    }

    // The ramming test runs even for an enemy killed a moment ago in this same turn.
    if (Intersectrect(nave(), inimigo) && !Nave_Invencivel) {
      perder_vida();
      // Destroyed as by a shot, but ramming scores nothing.
      matar(e, 0);
    }
  }

  // The orbs swallow enemy shots before the ship is tested.
  if (Tem_Escudo) {
    for (Tiro_Inimigo& t : Tiros_Inimigos) {
      if (!t.Ativo) continue;
      const RECT tiro = Caixa(Piso(t.X), Piso(t.Y), 10, 10);
      for (const Escudo& orbe : Escudos) {
        if (Intersectrect(Caixa(Piso(orbe.X), Piso(orbe.Y), 16, 16), tiro)) t.Ativo = false;
      }
    }
  }

  for (Tiro_Inimigo& t : Tiros_Inimigos) {
    if (!t.Ativo) continue;
    // While protected, a shot passes through the ship and flies on.
    if (Intersectrect(Caixa(Arredondar(t.X), Arredondar(t.Y), 10, 10), nave()) && !Nave_Invencivel) {
      perder_vida();
      t.Ativo = false;
      SomExplosao.SetCurrentPosition(0);
      SomExplosao.Play(0);
    }
  }
}

}  // namespace vartenos
