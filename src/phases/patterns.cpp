// The seven movement patterns. Every angle is a plain number handed to sine and cosine as radians,
// 90, 225 and 360 included.
#include <cmath>

#include "shell/form1.h"

namespace vartenos {

namespace {

// The advancing angle: tested before the step, so it can pass 360 by less than a step before it
// falls back to 0 (a visible jump on the curves).
void Avancar(double& angulo, double passo) {
  if (angulo < 360) {
    angulo = angulo + passo;
  } else {
    angulo = 0;
  }
}

struct Elipse {
  double rx, ry, cx, cy;
  float limite;
};

// Pattern 3's ellipses by variant; any other variant flies the first.
constexpr Elipse kElipses[10] = {
    {200, 200, 300, 230, 260}, {100, 200, 300, 230, 260}, {290, 200, 300, 230, 260},
    {250, 100, 300, 230, 260}, {100, 180, 500, 230, 475}, {100, 180, 100, 230, 100},
    {90, 90, 500, 330, 460},   {90, 90, 100, 330, 85},    {90, 90, 100, 100, 85},
    {90, 90, 500, 100, 460},
};

}  // namespace

void Form1::Formacao1(int32_t& Ini) {
  Inimigo& e = Inimigos[Ini];
  e.Y = e.Y + Velocidade_Formacao1;
  if (e.Y > 480) e.Ativo = false;
}

void Form1::Formacao2(int32_t& Ini) {
  Inimigo& e = Inimigos[Ini];
  const double passo = e.Parametro == 1   ? 0.5
                       : e.Parametro == 2 ? 0.1
                       : e.Parametro == 3 ? 0.05
                       : e.Parametro == 4 ? 0.9
                                          : 0;
  e.X = e.X + 5 * std::cos(e.Angulo);
  e.Y = e.Y + Velocidade_Formacao2;
  Avancar(e.Angulo, passo);
  if (e.Y > 480) e.Ativo = false;
}

void Form1::Formacao3(int32_t& Ini) {
  Inimigo& e = Inimigos[Ini];
  const int variante = e.Parametro >= 1 && e.Parametro <= 10 && e.Parametro == std::floor(e.Parametro)
                           ? static_cast<int>(e.Parametro) - 1
                           : 0;
  const Elipse& el = kElipses[variante];
  // The row flies in at 3 pixels a frame until it reaches its entry limit.
  if (static_cast<float>(e.X) > el.limite && !e.Em_Circulo) {
    e.X = e.X - 3;
    return;
  }
  e.Em_Circulo = true;
  if (e.Invertido == 0) {
    e.X = el.cx + std::cos(e.Angulo) * el.rx;
    e.Y = std::sin(e.Angulo) * el.ry + el.cy;
  } else {
    // Sine and cosine swapped: the same ellipse, run the other way round.
    e.X = el.cx + std::sin(e.Angulo) * el.rx;
    e.Y = std::cos(e.Angulo) * el.ry + el.cy;
  }
  Avancar(e.Angulo, Velocidade_Formacao3);
}

void Form1::Formacao4(int32_t& Ini) {
  Inimigo& e = Inimigos[Ini];
  if (e.Parametro == 1) {
    e.X = e.X + Velocidade_Formacao4;
  } else {
    e.X = e.X - Velocidade_Formacao4;
  }
  e.Y = e.Y + Velocidade_Formacao4;
  // No test of the left edge: enemies flying left leave by the bottom.
  if (e.X > 640) {
    e.Ativo = false;
  } else if (e.Y > 480) {
    e.Ativo = false;
  }
}

void Form1::Formacao5(int32_t& Ini) {
  Inimigo& e = Inimigos[Ini];
  if (e.X < 350 && !e.Em_Circulo) {
    e.X = e.X + 3;
    e.Y = std::sin(e.Angulo) * Raio_Y_Formacao5 + 230;
    return;
  }
  e.Em_Circulo = true;
  // The radii are shared: every circling enemy makes them breathe once per frame.
  const double v = Velocidade_Formacao5;
  if (e.Parametro == 1) {
    if (Crescendo_Formacao5) {
      Raio_X_Formacao5 = Raio_X_Formacao5 + v;
      Raio_Y_Formacao5 = Raio_Y_Formacao5 + v;
      if (Raio_X_Formacao5 >= 300) Crescendo_Formacao5 = false;
      if (Raio_Y_Formacao5 >= 300) Crescendo_Formacao5 = false;
    } else {
      Raio_X_Formacao5 = Raio_X_Formacao5 - v;
      Raio_Y_Formacao5 = Raio_Y_Formacao5 - v;
      if (Raio_X_Formacao5 <= 60) Crescendo_Formacao5 = true;
      if (Raio_Y_Formacao5 <= 60) Crescendo_Formacao5 = true;
    }
  } else if (e.Parametro == 2) {
    if (Crescendo_Formacao5) {
      Raio_X_Formacao5 = Raio_X_Formacao5 + v;
      if (Raio_X_Formacao5 >= 400) Crescendo_Formacao5 = false;
    } else {
      Raio_X_Formacao5 = Raio_X_Formacao5 - v;
      if (Raio_X_Formacao5 <= 60) Crescendo_Formacao5 = true;
    }
  } else if (e.Parametro == 3) {
    if (Crescendo_Formacao5) {
      Raio_Y_Formacao5 = Raio_Y_Formacao5 + v;
      if (Raio_Y_Formacao5 >= 500) Crescendo_Formacao5 = false;
    } else {
      Raio_Y_Formacao5 = Raio_Y_Formacao5 - v;
      if (Raio_Y_Formacao5 <= 60) Crescendo_Formacao5 = true;
    }
  }
  e.X = std::cos(e.Angulo) * Raio_X_Formacao5 + 300;
  e.Y = std::sin(e.Angulo) * Raio_Y_Formacao5 + 230;
  Avancar(e.Angulo, 0.05);
}

void Form1::Formacao6(int32_t& Ini) {
  Inimigo& e = Inimigos[Ini];
  const double parada = e.Parametro == 1 ? 100 : (e.Parametro == 2 ? 380 : 228);
  if (e.Y < parada) {
    e.Y = e.Y + 1;
    return;
  }
  // Swaying 20 pixels either side of where it came down, from the phase it was given at spawn.
  e.X = std::sin(e.Angulo) * 20 + e.X_Origem;
  Avancar(e.Angulo, Velocidade_Formacao6);
}

void Form1::Formacao7(int32_t& Ini) {
  Inimigo& e = Inimigos[Ini];
  // Behind the game-over screen the hunters give up and drift off the bottom.
  if (Em_Fim_De_Jogo) {
    e.Y = e.Y + 1;
    if (e.Y > 480) e.Ativo = false;
    return;
  }
  if (e.Parametro == 1) {
    // Chase the ship's corner at the pattern's speed, from above or from below.
    e.Angulo = GetAngle(e.X, e.Y, Nave_X, Nave_Y);
    const double v = Velocidade_Formacao7;
    if (e.Y < Nave_Y) {
      e.X = e.X - std::sin(e.Angulo) * v;
      e.Y = std::cos(e.Angulo) * v + e.Y;
    } else if (e.Y > Nave_Y) {
      e.X = std::sin(e.Angulo) * v + e.X;
      e.Y = e.Y - std::cos(e.Angulo) * v;
    }
  } else if (e.Parametro == 2) {
    // Dive one pixel a frame towards the ship's column at the bottom edge.
    double fundo = 485;
    e.Angulo = GetAngle(e.X, e.Y, Nave_X, fundo);
    e.X = e.X - std::sin(e.Angulo) * 1;
    e.Y = std::cos(e.Angulo) * 1 + e.Y;
    if (e.Y > 480) e.Ativo = false;
  }
}

}  // namespace vartenos
