// The player's five weapons and the pool of 80 shots they share.
#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

namespace {

constexpr int32_t kComChave = DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT;

// The lowest free slot of the pool, or nullptr when all 80 are flying.
Tiro* Vaga(std::array<Tiro, 80>& tiros) {
  for (Tiro& t : tiros) {
    if (!t.Ativo) return &t;
  }
  return nullptr;
}

}  // namespace

void Form1::Preenche_Vetor_Tiro(double XN, float& YN) {
  // The counters only move while fire is held; releasing Space keeps them where they are.
  if (!Tecla_Tiro) return;
  const double X = XN;
  const float Y = YN;

  // Main laser: a volley every 5th frame, one to three beams. Each beam plays the laser sound,
  // which does not restart while it is still sounding.
  Cadencia_Laser = Cadencia_Laser + 1;
  if (Cadencia_Laser == 5) {
    for (int32_t j = 1; j <= Nivel_Laser; ++j) {
      Tiro* t = Vaga(Tiros);
      if (t == nullptr) continue;
      double x = X;
      if (Nivel_Laser == 2) {
        x = j == 1 ? X + 13 : X - 13;
      } else if (Nivel_Laser == 3) {
        x = j == 1 ? X : (j == 2 ? X - 13 : X + 13);
      }
      t->X = static_cast<float>(x);
      t->Y = Y;
      t->Ativo = true;
      t->Tipo = 1;
      SomTiro.Play(0);
    }
    Cadencia_Laser = 0;
  }

  // Side shots: every 7th frame one flies left and one right from the same point; the sound is
  // restarted for each, twice in the frame.
  if (Tem_Laser2) {
    Cadencia_Laser2 = Cadencia_Laser2 + 1;
    if (Cadencia_Laser2 == 7) {
      for (int32_t d = 0; d <= 1; ++d) {
        Tiro* t = Vaga(Tiros);
        if (t == nullptr) continue;
        t->Ativo = true;
        t->Direcao = static_cast<float>(d);
        t->Tipo = 2;
        t->X = static_cast<float>(X);
        t->Y = Y + 10;
        SomArma3.SetCurrentPosition(0);
        SomArma3.Play(0);
      }
      Cadencia_Laser2 = 0;
    }
  }

  // Narrow fast shot: every 8th frame; a full pool loses the volley but the count starts over.
  if (Tem_Laser4) {
    Cadencia_Laser4 = Cadencia_Laser4 + 1;
    if (Cadencia_Laser4 == 8) {
      if (Tiro* t = Vaga(Tiros)) {
        t->Ativo = true;
        t->Tipo = 3;
        t->X = static_cast<float>(X);
        t->Y = Y;
        SomArma3b.SetCurrentPosition(2000);
        SomArma3b.Play(0);
      }
      Cadencia_Laser4 = 0;
    }
  }

  // Steerable wide shot: every 11th frame, its direction fixed by the arrow held at the moment it
  // is fired (Left wins over Right). A full pool keeps the count, so it fires in the first frame a
  // slot is free.
  if (Tem_Laser5) {
    Cadencia_Laser5 = Cadencia_Laser5 + 1;
    if (Cadencia_Laser5 > 10) {
      if (Tiro* t = Vaga(Tiros)) {
        t->X = static_cast<float>(X - 12);
        t->Y = Y;
        t->Ativo = true;
        t->Tipo = 4;
        t->Direcao = Tecla_Esquerda ? 0.0f : (Tecla_Direita ? 1.0f : 2.0f);
        SomArma2.SetCurrentPosition(0);
        SomArma2.Play(0);
        Cadencia_Laser5 = 0;
      }
    }
  }

  // Pulsing shot: every 15th frame; a full pool loses the volley but the count starts over.
  if (Tem_Laser6) {
    Cadencia_Laser6 = Cadencia_Laser6 + 1;
    if (Cadencia_Laser6 == 15) {
      if (Tiro* t = Vaga(Tiros)) {
        t->X = static_cast<float>(X - 3);
        t->Y = Y;
        t->Ativo = true;
        t->Tipo = 5;
        t->Direcao = 0;
        SomArma1.SetCurrentPosition(0);
        SomArma1.Play(0);
      }
      Cadencia_Laser6 = 0;
    }
  }
}

void Form1::Atualizar_Tiro() {
  // Each shot is drawn where it stands, then moved, then retired if its rule says it has left the
  // screen: a shot is always seen once where it was fired, and once more at its last position.
  for (Tiro& t : Tiros) {
    if (!t.Ativo) continue;
    const int32_t x = Arredondar(t.X);
    const int32_t y = Arredondar(t.Y);
    if (t.Tipo == 1) {
      backbuffer.BltFast(x, y, Surf_Laser, RECT{0, 0, 4, 10}, kComChave);
      t.Y = t.Y - 12;
      if (t.Y < 0) t.Ativo = false;
    } else if (t.Tipo == 2) {
      const int32_t esquerda = Arredondar(22.0f * t.Direcao);
      backbuffer.BltFast(x, y, Surf_Laser2, RECT{esquerda, 0, esquerda + 22, 18}, kComChave);
      if (t.Direcao == 0) {
        t.X = t.X - 11;
        if (t.X < 0) t.Ativo = false;
      } else if (t.Direcao == 1) {
        t.X = t.X + 11;
        if (t.X > 640) t.Ativo = false;
      }
    } else if (t.Tipo == 3) {
      // The narrow shot has no colour key: its sheet is drawn opaque.
      backbuffer.BltFast(x, y, Surf_Laser4, RECT{0, 0, 6, 12}, DDBLTFAST_WAIT);
      t.Y = t.Y - 14;
      if (t.Y < 0) t.Ativo = false;
    } else if (t.Tipo == 4) {
      backbuffer.BltFast(x, y, Surf_Laser5, RECT{0, 0, 30, 10}, kComChave);
      if (t.Direcao == 2) {
        t.Y = t.Y - 11;
      } else if (t.Direcao == 0) {
        t.X = t.X - 9;
        t.Y = t.Y - 11;
      } else if (t.Direcao == 1) {
        t.X = t.X + 9;
        t.Y = t.Y - 11;
      }
      if (t.X < 0 || t.X > 640 || t.Y < 0 || t.Y > 480) t.Ativo = false;
    } else if (t.Tipo == 5) {
      // Thirteen-frame pulse: cell 0 for counts 0 to 6, cell 1 for 7 to 12.
      const int32_t esquerda = Arredondar(12.0f * (t.Direcao > 6 ? 1.0f : 0.0f));
      backbuffer.BltFast(x, y, Surf_Laser6, RECT{esquerda, 0, esquerda + 12, 15}, kComChave);
      t.Direcao = t.Direcao + 1;
      if (t.Direcao > 12) t.Direcao = 0;
      t.Y = t.Y - 18;
      if (t.Y < 0) t.Ativo = false;
    }
  }
}

}  // namespace vartenos
