// The pause screen: the last picture with "Pausa" over it, the phase and invincibility clocks
// stopped until P is pressed again.
#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

Tela Form1::Pausa_AP() {
  tela_atual_ = "Pausa_AP";
  Timer1.Enabled(false);
  // A running protection is frozen: its remaining seconds become Timer2's next interval.
  if (Timer2.Enabled()) {
    Inter = Tempo_Invencivel * 1000.0;
    Timer2.Enabled(false);
    Timer3.Enabled(false);
    Pausa2 = true;
  }

  // Over the last game frame, in the colour the status display left selected.
  Fonte.Size = 30;
  backbuffer.SetFont(Fonte);
  backbuffer.DrawText(250, 210, "Pausa", false);
  primary.Flip(nullptr, DDFLIP_WAIT);

  // Every key keeps its effect while paused (Esc included, which ends the game on resuming).
  while (Pausa) {
    dx->WaitAnyEvent(*this);
    if (pedido_ != Tela::Nenhuma) return pedido_;
  }

  Quadros_No_Segundo = 0;
  Timer1.Enabled(true);
  if (Pausa2) {
    if (Tempo_Invencivel == 0) {
      // The display had already run out while the protection still counted: an interval of 0
      // would never tick, so the protection ends here instead of lasting for ever.
      Nave_Invencivel = false;
      Nave_Ultimo_Quadro = 2;
      Timer2.Enabled(false);
      Timer3.Enabled(false);
    } else {
      Timer2.Interval(Arredondar(Inter));
      Timer2.Enabled(true);
      Timer3.Enabled(true);
    }
    Pausa2 = false;
  }
  return Tela::Main;
}

}  // namespace vartenos
