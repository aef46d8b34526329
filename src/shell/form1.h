// Form1: the game's one window object. It holds the whole game state, field by field in the order the
// game declares it, and every procedure of the game as a member function. Each procedure is defined in
// the folder of its subsystem (shell/, display/, audio/, combat/, phases/, screens/).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/call_log.h"
#include "audio/music.h"
#include "audio/sound.h"
#include "combat/combat_records.h"
#include "display/directdraw.h"
#include "display/surface.h"
#include "phases/phase_records.h"
#include "platform/platform.h"
#include "screens/background_records.h"
#include "shell/random.h"
#include "shell/timer.h"

namespace vartenos {

// The screens. Each screen procedure runs its loop and returns the screen that comes next; one
// dispatcher runs them in turn, so the call depth stays the same however many games are played.
enum class Tela { Nenhuma, Menu, Main, Pausa_AP, Muda_Fase, Fim_De_Jogo, Creditos, Sair };

const char* NomeTela(Tela t);

class Form1 : public EventSink, public Presenter {
 public:
  // `data_dir` ends with a slash; `text` draws the text (nullptr: text is only recorded).
  Form1(Platform& platform, std::string data_dir, std::unique_ptr<TextRenderer> text);
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Runs the whole program: Form_Load, the screens until the window is closed, Form_Unload.
  void Executar(const std::string& command_line);

  // ----- The game state, in declaration order -----
  DirectMusicPerformance perf;
  DirectMusicSegment seg;
  DirectMusicSegmentState segstate;
  DirectMusicLoader loader;
  bool Pausa = false;
  bool Pausa2 = false;
  double Inter = 0;
  bool Fim = false;
  Platform* dx = nullptr;
  std::unique_ptr<DirectDraw7> dd;
  Surface primary, backbuffer;
  Surface Surf_Nave, Surf_Titulo, Surf_Titulo2, Surf_Estrela, Surf_Inimigos, Surf_Tiro_Inimigo, Surf_Laser,
      Surf_Galaxias, Surf_Laser2, Surf_Laser3, Surf_Laser4, Surf_Laser5, Surf_Laser6, Surf_Extras,
      Surf_Explosao;
  DDSURFACEDESC2 ddsd;
  DDSCAPS2 ddscaps;
  RECT Rect_Tela;
  RECT Rect_Inimigo;
  std::array<Estrela, 270> Estrelas{};
  std::array<Inimigo, 150> Inimigos{};
  std::array<Tiro, 80> Tiros{};
  // Formacoes holds the 40 entries of the phase loaded last; Formacoes_Carregadas says how many
  // are loaded (0 before the first phase is read).
  std::array<Entrada_Formacao, 40> Formacoes{};
  int32_t Formacoes_Carregadas = 0;
  std::array<Galaxia, 3> Galaxias{};
  std::array<Extra, 3> Extras{};
  std::array<Escudo, 3> Escudos{};
  std::array<Explosao, 16> Explosoes{};
  std::array<Tiro_Inimigo, 51> Tiros_Inimigos{};
  bool Em_Fim_De_Jogo = false;
  bool Modo_Extras = false;
  int16_t Contagem_Invencivel = 0;
  bool Mostrar_Abertura = false;
  bool Pular_Efeito = false;
  DirectSound ds;
  DirectSoundBuffer SomTiro, SomArma1, SomArma2, SomArma3, SomArma3b, SomExplosao, SomExtras, SomVidasExtras;
  DSBUFFERDESC dsbd;
  WAVEFORMATEX wavefmt;
  float Limiar_Tiro_Inimigo = 0;
  double Velocidade_Tiro_Inimigo = 0;
  float Nivel_Laser = 0;
  bool Tem_Laser2 = false;
  bool Tem_Escudo = false;
  bool Tem_Laser4 = false;
  uint8_t Fase_Atual = 0;
  uint8_t Musica_Fase = 0;
  double Velocidade_Formacao1 = 0;
  double Velocidade_Formacao2 = 0;
  double Velocidade_Formacao3 = 0;
  double Velocidade_Formacao4 = 0;
  double Velocidade_Formacao5 = 0;
  double Velocidade_Formacao6 = 0;
  double Velocidade_Formacao7 = 0;
  bool Tem_Laser5 = false;
  bool Tem_Laser6 = false;
  uint8_t Em_Menu = 0;
  bool Som_Ligado = false;
  bool Musica_Ligada = false;
  double Nave_X = 0;
  double Nave_Y = 0;
  float Nave_Quadro = 0;
  float Nave_Ultimo_Quadro = 0;
  float Nave_Velocidade = 0;
  float Vidas = 0;
  int32_t Pontos = 0;
  bool Nave_Invencivel = false;
  uint8_t Tempo_Invencivel = 0;
  bool Iniciar_Jogo = false;
  int32_t Formacao_Atual = 0;
  bool Formacao_Encerrada = false;
  double Raio_X_Formacao5 = 0;
  bool Crescendo_Formacao5 = false;
  double Raio_Y_Formacao5 = 0;
  int32_t Penultimos_Pontos = 0;
  int32_t Ultimos_Pontos = 0;
  bool Mostrar_FPS = false;
  int32_t Relogio_Fase = 0;
  int32_t Cadencia_Laser = 0, Cadencia_Laser2 = 0, Cadencia_Laser4 = 0, Cadencia_Laser5 = 0,
          Cadencia_Laser6 = 0;
  bool Tecla_Esquerda = false, Tecla_Direita = false, Tecla_Cima = false, Tecla_Baixo = false;
  int32_t Quadros_No_Segundo = 0;
  int32_t FPS = 0;
  bool Fase_Completa = false;
  int32_t Opcao_Menu = 0;
  StdFont Fonte;
  bool Tecla_Tiro = false;

  // The window's three timers.
  Timer Timer1{true, 1000};
  Timer Timer2{false, 5000};
  Timer Timer3{false, 1000};

  // ----- Shell: start-up, shut-down, reset, game loop, input, timers -----
  void Form_Load(const std::string& command_line);
  void Form_Unload();
  void Reseta_Jogo();
  Tela Main();
  void Form_KeyDown(int16_t KeyCode, int16_t Shift);
  void Form_KeyUp(int16_t KeyCode, int16_t Shift);
  void Form_KeyPress(int16_t KeyAscii);
  void Timer1_Timer();
  void Timer2_Timer();
  void Timer3_Timer();
  // Sound effects on or off, with Sem_Som / Com_Som (the S key and the menu's sound item).
  void Alternar_Som();

  // The shared random generator: Rnd() on [0, 1), Randomize() seeds it from the clock.
  float Rnd() { return gerador_.Rnd(); }
  void Randomize();

  // ----- Display -----
  void Criar_Superficies();

  // ----- Audio -----
  void InitDirectSound();
  void Sem_Som();
  void Com_Som();
  void InicializaDM();
  void TocaMidi(const std::string& MidiString);
  void Para_Midi();
  void Liberar_Som();

  // ----- Combat: ship, weapons and shots, enemy shots, collisions, extras, shield, explosions -----
  void Atualizar_Nave();
  void Preenche_Vetor_Tiro(double XN, float& YN);
  void Atualizar_Tiro();
  void Atualizar_Escudo();
  void Atualizar_Tempo_Invencivel();
  static double GetAngle(double X1, double Y1, double X2, double& Y2);
  void Preenche_Vetor_Tiro_Inimigo(double X, float& Y);
  void Atualizar_Tiro_Inimigo();
  static bool Intersectrect(const RECT& Rect1, const RECT& Rect2);
  void Testa_Colisao();
  void Preenche_Vetor_Extra(double XE, double YE, float& Index);
  void Atualizar_Extras();
  void Testa_Colisao_Nave_Extra();
  void Preenche_Vetor_Explosao(double& XE, int32_t& YE);
  void Atualizar_Explosao();

  // ----- Phases: phase files, formation and phase sequencing, enemies, movement patterns -----
  // Loads phase `Fase` into Formacoes. A missing or short file loads nothing: the player is told which
  // file and what is wrong, and the result is false.
  bool Preenche_Vetor_Fases(uint8_t& Fase);
  // Generates phase 5 at random and writes Fase5.FAS into the data directory (a tool; the game never
  // calls it).
  void Preenche_Arquivo_Fases();
  void Inicia_Formacao();
  void Testa_Fim_Formacao();
  void Testa_Fim_Fase();
  void Atualizar_Inimigos();
  void Formacao1(int32_t& Ini);
  void Formacao2(int32_t& Ini);
  void Formacao3(int32_t& Ini);
  void Formacao4(int32_t& Ini);
  void Formacao5(int32_t& Ini);
  void Formacao6(int32_t& Ini);
  void Formacao7(int32_t& Ini);

  // ----- Screens -----
  Tela Menu();
  Tela Pausa_AP();
  Tela Creditos();
  Tela Muda_Fase();
  Tela Fim_De_Jogo();
  void Abertura(const std::string& Texto, int32_t& X, int32_t& Y, uint8_t& Tamanho);
  void Efeito_Abertura();
  void Atualizar_Fundo();
  void Atualizar_Galaxias();
  void Atualizar_FPS();
  void Atualizar_Dados_Nave();

  // ----- Running the screens (not part of the game state) -----
  // The screen procedure that is drawing, for the runner's trace.
  const char* Tela_Atual() const { return tela_atual_; }
  // The start time the running frame noted (the clock at the present where a screen notes none).
  int32_t Inicio_Do_Quadro() const { return inicio_quadro_; }
  // Observes every present (the headless runner writes its trace there).
  void Observar_Apresentacao(Presenter* observer) { observador_ = observer; }
  const std::string& Pasta_Dados() const { return data_dir_; }
  // Records every call on the effect slots and the music (the headless runner's trace); may be null.
  void Registrar_Audio(AudioCallLog* log) { registro_audio_ = log; }
  AudioCallLog* Registro_Audio() const { return registro_audio_; }
  // Records every text drawn (the headless runner's trace); may be null.
  void Registrar_Texto(TextLog* log) { registro_texto_ = log; }
  Platform& Plataforma() { return platform_; }
  const Gerador& Gerador_Aleatorio() const { return gerador_; }

  // EventSink
  void KeyDown(int16_t vk) override { Form_KeyDown(vk, 0); }
  void KeyUp(int16_t vk) override { Form_KeyUp(vk, 0); }
  void KeyPress(int16_t ch) override { Form_KeyPress(ch); }
  void CloseRequested() override;
  void FocusLost() override;
  TouchTarget Touch(int x, int y) const override;
  int32_t NextTimerDue() const override;
  void FireTimers(int32_t now) override;
  bool Leaving() const override { return pedido_ == Tela::Sair; }

  // Presenter
  void Presented(const Surface& surface) override;

 private:
  // Notes the start of a frame of screen `tela`.
  int32_t Iniciar_Quadro(const char* tela);
  // Waits out the rest of a 25 ms frame that began at `inicio`, processing events at least once.
  void Esperar_Quadro(int32_t inicio);
  // A screen asked from inside a frame or a key handler (credits, game over, quitting): the running
  // loop ends at once and the dispatcher goes there.
  void Pedir_Tela(Tela t);
  Tela Rodar_Tela(Tela t);
  // Rasterises the glyphs of the in-game status texts ahead of play.
  void Preparar_Letras();
  // The menu item drawn at (x, y) of the picture, with some room around it for a finger; 0 for none.
  static int32_t Item_Do_Menu(int x, int y);
  // Draws the 270 stars where they stand, without moving them.
  void Desenhar_Estrelas_Paradas();

  // What a menu frame is drawn from. While the player does nothing the menu draws the same picture
  // forty times a second; a frame whose inputs match the last one's only presents it again.
  struct QuadroDoMenu {
    bool valido = false;
    int32_t penultimos = 0;
    int32_t ultimos = 0;
    bool som = false;
    bool musica = false;
    int32_t selecionado = 0;
    uint64_t titulo = 0;
    uint64_t estrela = 0;
    uint64_t back = 0;
    uint64_t prim = 0;
    std::array<Estrela, 270> estrelas{};
    bool operator==(const QuadroDoMenu&) const = default;
  };

  Platform& platform_;
  std::string data_dir_;
  std::unique_ptr<TextRenderer> texto_;
  Gerador gerador_;
  const char* tela_atual_ = "";
  int32_t inicio_quadro_ = 0;
  bool quadro_anotado_ = false;
  Tela pedido_ = Tela::Nenhuma;
  // The last phase file asked for was loaded (a new game or the next phase may start).
  bool fase_carregada_ = false;
  Presenter* observador_ = nullptr;
  AudioCallLog* registro_audio_ = nullptr;
  TextLog* registro_texto_ = nullptr;
  QuadroDoMenu menu_anterior_;
};

}  // namespace vartenos
