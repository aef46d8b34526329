// The status display (score and lives) and the frame counter, drawn over the scene every frame.
#include <cstdio>

#include "shell/decimal.h"
#include "shell/form1.h"

namespace vartenos {

namespace {

constexpr int32_t kAzul = 0xFF0000;

}  // namespace

void Form1::Atualizar_Dados_Nave() {
  Fonte.Name = "Arial";
  Fonte.Size = 8;
  Fonte.Bold = true;
  backbuffer.SetFont(Fonte);
  backbuffer.SetForeColor(kAzul);
  // The lives are a float shown in its shortest form: 3 reads "3".
  char texto[32] = "Vidas: ";
  *DecimalCurto(texto + 7, texto + sizeof texto - 1, Vidas) = '\0';
  backbuffer.DrawText(585, 450, texto, false);

  Fonte.Size = 11;
  backbuffer.SetFont(Fonte);
  std::snprintf(texto, sizeof texto, "%d", Pontos);
  backbuffer.DrawText(5, 10, texto, false);
}

void Form1::Atualizar_FPS() {
  if (!Mostrar_FPS) return;
  Fonte.Size = 8;
  Fonte.Name = "Arial";
  Fonte.Bold = true;
  backbuffer.SetFont(Fonte);
  backbuffer.SetForeColor(kAzul);
  char texto[32];
  std::snprintf(texto, sizeof texto, "FPS: %d", FPS);
  backbuffer.DrawText(5, 450, texto, false);
}

}  // namespace vartenos
