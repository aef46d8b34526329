#include "shell/form1.h"

#include <algorithm>

namespace vartenos {

const char* NomeTela(Tela t) {
  switch (t) {
    case Tela::Nenhuma:
      return "";
    case Tela::Menu:
      return "Menu";
    case Tela::Main:
      return "Main";
    case Tela::Pausa_AP:
      return "Pausa_AP";
    case Tela::Muda_Fase:
      return "Muda_Fase";
    case Tela::Fim_De_Jogo:
      return "Fim_De_Jogo";
    case Tela::Creditos:
      return "Creditos";
    case Tela::Sair:
      return "Sair";
  }
  return "";
}

Form1::Form1(Platform& platform, std::string data_dir, std::unique_ptr<TextRenderer> text)
    : platform_(platform), data_dir_(std::move(data_dir)), texto_(std::move(text)) {
  if (!data_dir_.empty() && data_dir_.back() != '/') data_dir_ += '/';
}

Form1::~Form1() = default;

void Form1::Executar(const std::string& command_line) {
  Form_Load(command_line);
  // Form_Load ends by entering the menu; from there the screens hand over to one another until the
  // window is closed ("Sair" or the window's close request).
  Tela proxima = Leaving() ? Tela::Sair : Tela::Menu;
  while (proxima != Tela::Sair) {
    pedido_ = Tela::Nenhuma;
    proxima = Rodar_Tela(proxima);
    if (pedido_ == Tela::Sair) proxima = Tela::Sair;
  }
  Form_Unload();
}

Tela Form1::Rodar_Tela(Tela t) {
  switch (t) {
    case Tela::Menu:
      return Menu();
    case Tela::Main:
      return Main();
    case Tela::Pausa_AP:
      return Pausa_AP();
    case Tela::Muda_Fase:
      return Muda_Fase();
    case Tela::Fim_De_Jogo:
      return Fim_De_Jogo();
    case Tela::Creditos:
      return Creditos();
    case Tela::Nenhuma:
    case Tela::Sair:
      break;
  }
  return Tela::Menu;
}

void Form1::Pedir_Tela(Tela t) {
  // Quitting wins over any other request.
  if (pedido_ != Tela::Sair) pedido_ = t;
}

void Form1::Randomize() {
  // Seeded from the platform's millisecond clock: different on every real run, reproducible on
  // the headless platform's virtual clock.
  gerador_.Semear(static_cast<uint32_t>(dx != nullptr ? dx->TickCount() : platform_.TickCount()));
}

int32_t Form1::Iniciar_Quadro(const char* tela) {
  tela_atual_ = tela;
  inicio_quadro_ = dx->TickCount();
  quadro_anotado_ = true;
  return inicio_quadro_;
}

void Form1::Esperar_Quadro(int32_t inicio) {
  // The frame lasts at least 25 ms; events (keys, timer ticks) are processed at least once even when
  // drawing took longer. The platform sleeps until the deadline rather than spinning.
  dx->WaitUntil(inicio + 25, *this);
  quadro_anotado_ = false;
}

void Form1::CloseRequested() { Pedir_Tela(Tela::Sair); }

int32_t Form1::NextTimerDue() const { return std::min({Timer1.Due(), Timer2.Due(), Timer3.Due()}); }

void Form1::FireTimers(int32_t now) {
  if (Timer1.Take(now)) Timer1_Timer();
  if (Timer2.Take(now)) Timer2_Timer();
  if (Timer3.Take(now)) Timer3_Timer();
}

void Form1::Presented(const Surface& surface) {
  if (!quadro_anotado_) inicio_quadro_ = platform_.TickCount();
  platform_.Present(surface);
  if (observador_ != nullptr) observador_->Presented(surface);
}

}  // namespace vartenos
