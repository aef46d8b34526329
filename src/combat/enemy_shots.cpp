// Enemy shots: aimed at the ship's centre when fired, then straight on at the phase's shot speed.
#include <cmath>

#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

double Form1::GetAngle(double X1, double Y1, double X2, double& Y2) {
  // No quadrant correction: the caller knows whether the target lies above or below. Both
  // differences, and their quotient, are single precision.
  const float dx = static_cast<float>(X2 - X1);
  const float dy = static_cast<float>(Y1 - Y2);
  if (dy == 0) return 0;
  return std::atan(static_cast<double>(dx / dy));
}

void Form1::Preenche_Vetor_Tiro_Inimigo(double X, float& Y) {
  Tiro_Inimigo* vaga = nullptr;
  for (Tiro_Inimigo& t : Tiros_Inimigos) {
    if (!t.Ativo) {
      vaga = &t;
      break;
    }
  }
  if (vaga == nullptr) return;
  Tiro_Inimigo& t = *vaga;
  t.X = X;
  t.Y = Y;
  double centro_y = Nave_Y + 17;
  t.Angulo = GetAngle(X, Y, Nave_X + 15, centro_y);
  t.Ativo = true;
  // The sense is decided by the ship's top edge, not its centre.
  t.Sobe = !(static_cast<float>(Nave_Y) > Y);
  // Nothing is fired from exactly the height of the ship's top edge.
  if (Y - Nave_Y == 0) t.Ativo = false;
}

void Form1::Atualizar_Tiro_Inimigo() {
  const double v = Velocidade_Tiro_Inimigo;
  for (Tiro_Inimigo& t : Tiros_Inimigos) {
    if (!t.Ativo) continue;
    if (!t.Sobe) {
      t.X = t.X - std::sin(t.Angulo) * v;
      t.Y = t.Y + std::cos(t.Angulo) * v;
    } else {
      t.X = t.X + std::sin(t.Angulo) * v;
      t.Y = t.Y - std::cos(t.Angulo) * v;
    }
    // Drawn at its new position; near the right and bottom edges it flies on unseen.
    backbuffer.BltFast(Arredondar(t.X), Arredondar(t.Y), Surf_Tiro_Inimigo, RECT{0, 0, 10, 10},
                       DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    if (t.X > 640) {
      t.Ativo = false;
    } else if (t.X < 0) {
      t.Ativo = false;
    } else if (t.Y > 480) {
      t.Ativo = false;
    } else if (t.Y < 0) {
      t.Ativo = false;
    }
  }
}

}  // namespace vartenos
