// Start-up and shut-down of the window.
#include <algorithm>
#include <cctype>

#include "screens/texts.h"
#include "shell/form1.h"
#include "shell/numbers.h"

namespace vartenos {

namespace {

std::string Minusculas(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

bool Contem(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

}  // namespace

void Form1::Form_Load(const std::string& command_line) {
  // Defaults, before the command line is read: intro on, zoom skipped, no extras, no frame counter.
  Mostrar_Abertura = true;
  Pular_Efeito = true;
  Modo_Extras = false;
  Mostrar_FPS = false;

  // The window and its timers exist from here; Timer1 starts counting its first second now.
  Timer1.SetClock(&platform_);
  Timer2.SetClock(&platform_);
  Timer3.SetClock(&platform_);

  // The switches are found anywhere in the lower-cased command line, even inside longer words.
  if (!command_line.empty()) {
    const std::string cmd = Minusculas(command_line);
    const bool sa = Contem(cmd, "/sa");
    const bool sp = Contem(cmd, "/sp");
    const bool extras = Contem(cmd, "/extras");
    if (sa || sp || extras) {
      if (sa) Mostrar_Abertura = false;
      if (sp) {
        Mostrar_Abertura = false;
        Pular_Efeito = false;
      }
      if (sa && sp) {
        Mostrar_Abertura = false;
        Pular_Efeito = true;
      }
      if (extras) Modo_Extras = true;
    } else {
      platform_.MessageBox("Orbex", command_line + ": Parâmetro inválido.");
    }
  }

  // The whole screen, the source of every present.
  Rect_Tela = RECT{0, 0, 640, 480};

  // The display, its two surfaces and the fifteen sprite sheets.
  dx = &platform_;
  dd = std::make_unique<DirectDraw7>(platform_, texto_.get(), this);
  dd->SetCooperativeLevel(DDSCL_FULLSCREEN_EXCLUSIVE);
  dd->SetDisplayMode(640, 480, 16, 0, 0);
  Criar_Superficies();
  Preparar_Letras();

  // The star field, from the generator before it is ever seeded: the same field on every run.
  for (Estrela& e : Estrelas) {
    e.X = Int(Rnd() * 640.0f);
    e.Y = Int(Rnd() * 480.0f);
    e.Ativo = true;
    e.Velocidade = Rnd() * 2.0f;
  }

  // Sound effects and music, both on from the start.
  InitDirectSound();
  InicializaDM();
  Som_Ligado = true;
  Musica_Ligada = true;

  // The intro: three fading lines and the zoom into the menu picture; "/sp" alone shows only the zoom.
  if (Mostrar_Abertura) {
    struct Linha {
      std::string texto;
      int32_t x, y;
      uint8_t tamanho;
    } linhas[] = {
        {"Quindar apresenta:", 175, 200, 18}, {"VARTENOS", 90, 200, 25}, {kLinhaAvisoPonto, 170, 200, 14}};
    for (Linha& l : linhas) {
      Abertura(l.texto, l.x, l.y, l.tamanho);
      if (Leaving()) return;
    }
    Efeito_Abertura();
  }
  if (!Pular_Efeito) Efeito_Abertura();

  // The menu follows (the dispatcher enters it).
  tela_atual_ = "Menu";
}

void Form1::Preparar_Letras() {
  // The status texts change during play (score, lives, frame counter, "Inv: "): their glyphs are
  // drawn once here, off screen, so that a game never allocates to draw them for the first time.
  if (!texto_) return;
  Surface rascunho;
  rascunho.Create(640, 60);
  for (const float tamanho : {8.0f, 11.0f}) {
    texto_->Draw(rascunho, 0, 0, "0123456789-. Vidas: FPS Inv", StdFont{"Arial", tamanho, true}, 0);
  }
}

void Form1::Form_Unload() {
  if (dd) {
    dd->RestoreDisplayMode();
    dd->SetCooperativeLevel(DDSCL_NORMAL);
  }
  // Released in the order the game has always released them; the music objects are left alone.
  Liberar_Som();
  for (Surface* s : {&Surf_Titulo, &Surf_Titulo2}) s->Release();
  for (Surface* s : {&Surf_Explosao, &Surf_Laser6, &Surf_Laser5, &Surf_Laser4, &Surf_Extras, &Surf_Laser3,
                     &Surf_Laser2, &Surf_Laser, &Surf_Tiro_Inimigo, &Surf_Inimigos, &Surf_Galaxias,
                     &Surf_Estrela, &Surf_Nave, &backbuffer, &primary}) {
    s->Release();
  }
  dd.reset();
  dx = nullptr;
}

}  // namespace vartenos
