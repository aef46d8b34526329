// Keyboard handlers and the three timers. They only set flags and counters (and switch sound and
// music); the screens read them between frames.
#include <string_view>

#include "platform/keys.h"
#include "shell/form1.h"

namespace vartenos {

namespace {

// The menu selection wraps round: above 1 is 5, below 5 is 1.
int32_t Acima(int32_t opcao) { return opcao - 1 < 1 ? 5 : opcao - 1; }
int32_t Abaixo(int32_t opcao) { return opcao + 1 > 5 ? 1 : opcao + 1; }

}  // namespace

void Form1::Alternar_Som() {
  if (Som_Ligado) {
    Sem_Som();
    Som_Ligado = false;
  } else {
    Com_Som();
    Som_Ligado = true;
  }
}

void Form1::Form_KeyDown(int16_t KeyCode, int16_t /*Shift*/) {
  switch (KeyCode) {
    case VK_UP:
      // The menu selection moves on every screen; the menu resets it when it opens.
      Tecla_Cima = true;
      Opcao_Menu = Acima(Opcao_Menu);
      break;
    case VK_DOWN:
      Tecla_Baixo = true;
      Opcao_Menu = Abaixo(Opcao_Menu);
      break;
    case VK_LEFT:
      Tecla_Esquerda = true;
      break;
    case VK_RIGHT:
      Tecla_Direita = true;
      break;
    case VK_SPACE:
      Tecla_Tiro = true;
      break;
    default:
      break;
  }
}

void Form1::Form_KeyUp(int16_t KeyCode, int16_t /*Shift*/) {
  switch (KeyCode) {
    case VK_UP:
      Tecla_Cima = false;
      break;
    case VK_DOWN:
      Tecla_Baixo = false;
      break;
    case VK_LEFT:
      Tecla_Esquerda = false;
      break;
    case VK_RIGHT:
      Tecla_Direita = false;
      break;
    case VK_SPACE:
      Tecla_Tiro = false;
      break;
    default:
      break;
  }
}

void Form1::Form_KeyPress(int16_t KeyAscii) {
  switch (KeyAscii) {
    case VK_ESCAPE:
      Fim = true;
      break;
    case '8':
      if (Em_Menu == 1) Opcao_Menu = Acima(Opcao_Menu);
      break;
    case '2':
      if (Em_Menu == 1) Opcao_Menu = Abaixo(Opcao_Menu);
      break;
    case VK_SPACE:
      if (Em_Menu == 1) {
        switch (Opcao_Menu) {
          case 1:
            Iniciar_Jogo = true;
            break;
          case 2:
            Alternar_Som();
            break;
          case 3:
            // No music plays on the menu, so only the switch changes.
            Musica_Ligada = !Musica_Ligada;
            break;
          case 4:
            // The credits open here, inside the handler: a key typed right after the Space (an Esc
            // in the same frame) already acts on them.
            Fim = false;
            Pedir_Tela(Tela::Creditos);
            break;
          case 5:
            // Closing the window: Form_Unload runs and the program ends.
            Pedir_Tela(Tela::Sair);
            break;
          default:
            break;
        }
      }
      break;
    case kTeclaPausa:
    case Minuscula(kTeclaPausa):
      Pausa = !Pausa;
      break;
    case kTeclaSom:
    case Minuscula(kTeclaSom):
      Alternar_Som();
      break;
    case kTeclaMusica:
    case Minuscula(kTeclaMusica):
      if (Musica_Ligada) {
        Para_Midi();
        Musica_Ligada = false;
      } else {
        // The game loop starts the phase's music again at its next frame.
        Musica_Ligada = true;
      }
      break;
    case kTeclaFps:
    case Minuscula(kTeclaFps):
      Mostrar_FPS = !Mostrar_FPS;
      break;
    default:
      break;
  }
}

void Form1::Timer1_Timer() {
  Relogio_Fase = Relogio_Fase + 1;
  FPS = Quadros_No_Segundo;
  Quadros_No_Segundo = 0;
}

void Form1::Timer2_Timer() {
  Contagem_Invencivel = static_cast<int16_t>(Contagem_Invencivel - 1);
  if (Contagem_Invencivel == 0) {
    Nave_Ultimo_Quadro = 2;
    Nave_Invencivel = false;
    Timer2.Enabled(false);
  }
}

void Form1::Timer3_Timer() {
  // Clamped at 0: a countdown started from 0 stops instead of wrapping to 255.
  if (Tempo_Invencivel > 0) Tempo_Invencivel = static_cast<uint8_t>(Tempo_Invencivel - 1);
  if (Tempo_Invencivel == 0) Timer3.Enabled(false);
}

TouchTarget Form1::Touch(int x, int y) const {
  const std::string_view tela = Tela_Atual();
  TouchTarget t;
  if (tela == "Main") {
    t.kind = TouchTarget::Ship;
    t.ship_x = Nave_X;
    t.ship_y = Nave_Y;
    t.ship_speed = Nave_Velocidade;
  } else if (tela == "Menu" && Em_Menu == 1) {
    t.kind = TouchTarget::Menu;
    t.item = Item_Do_Menu(x, y);
    t.selected = (Opcao_Menu >= 1 && Opcao_Menu <= 4) ? Opcao_Menu : 5;
  } else if (tela == "Abertura" || tela == "Creditos" || tela == "Muda_Fase" || tela == "Fim_De_Jogo") {
    t.kind = TouchTarget::Closes;
  }
  return t;
}

// Switching to another window pauses a game in progress, as P would (one of our departures).
void Form1::FocusLost() {
  if (!Pausa && std::string_view(Tela_Atual()) == "Main") Form_KeyPress(kTeclaPausa);
}

}  // namespace vartenos
