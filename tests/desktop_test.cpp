// The desktop layer's rules: which key each controller button, the stick and a finger give the game, where
// the picture goes for each window size and scaling mode, the settings file that survives anything, the
// "--version" / "--help" rule, and (on SDL's offscreen driver) that a whole-pixel picture is exactly
// the game's picture with black bars around it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "app/command_line.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/gamepad.h"
#include "platform/sdl/scaling.h"
#include "platform/sdl/touch.h"
#include "platform/settings.h"
#include "shell/form1.h"
#include "sim_support.h"
#include "test_support.h"

#ifdef VARTENOS_SDL_TESTS
#include "display/surface.h"
#include "platform/sdl/sdl_platform.h"
#endif
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

namespace vartenos {
namespace {

namespace fs = std::filesystem;

class Registro : public EventSink {
 public:
  void KeyDown(int16_t vk) override { log.push_back("down " + std::to_string(vk)); }
  void KeyUp(int16_t vk) override { log.push_back("up " + std::to_string(vk)); }
  void KeyPress(int16_t ch) override { log.push_back("press " + std::to_string(ch)); }
  void CloseRequested() override {}
  void FocusLost() override { log.push_back("focus lost"); }
  int32_t NextTimerDue() const override { return kNever; }
  void FireTimers(int32_t) override {}
  bool Leaving() const override { return false; }
  std::vector<std::string> Novas() {
    std::vector<std::string> v;
    v.swap(log);
    return v;
  }
  std::vector<std::string> log;
};

using Log = std::vector<std::string>;

// ---------------------------------------------------------------------------------------------------
// Game controllers

TEST(Controle, EachButtonGivesTheKeyOfItsJob) {
  struct Caso {
    SDL_GameControllerButton botao;
    int16_t tecla, caractere;
  };
  const Caso casos[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_UP, 38, 0},   {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 40, 0},
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 37, 0}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 39, 0},
      {SDL_CONTROLLER_BUTTON_A, 32, 32},     // fires, and chooses on the menu (Space)
      {SDL_CONTROLLER_BUTTON_START, 0, 80},  // pause (P)
      {SDL_CONTROLLER_BUTTON_BACK, 0, 27},   // Esc
      {SDL_CONTROLLER_BUTTON_B, 0, 27},      // Esc
      {SDL_CONTROLLER_BUTTON_X, 0, 0},          {SDL_CONTROLLER_BUTTON_GUIDE, 0, 0},
  };
  for (const Caso& c : casos) {
    const AcaoDoBotao a = AcaoDoBotaoDoControle(c.botao);
    EXPECT_EQ(a.tecla, c.tecla) << SDL_GameControllerGetStringForButton(c.botao);
    EXPECT_EQ(a.caractere, c.caractere) << SDL_GameControllerGetStringForButton(c.botao);
  }
}

TEST(Controle, ButtonsAsTheKeyboardWouldSendThem) {
  EstadoDoControle c;
  Registro r;
  c.Botao(SDL_CONTROLLER_BUTTON_A, true, r);
  c.Botao(SDL_CONTROLLER_BUTTON_A, false, r);
  EXPECT_EQ(r.Novas(), (Log{"down 32", "press 32", "up 32"}));
  c.Botao(SDL_CONTROLLER_BUTTON_START, true, r);
  c.Botao(SDL_CONTROLLER_BUTTON_START, false, r);
  c.Botao(SDL_CONTROLLER_BUTTON_B, true, r);
  EXPECT_EQ(r.Novas(), (Log{"press 80", "press 27"}));
  EXPECT_FALSE(c.Botao(SDL_CONTROLLER_BUTTON_Y, true, r));
  EXPECT_TRUE(r.Novas().empty());
}

TEST(Controle, StickAndDpadSteerAsOneKeyWithSomePlayInTheStick) {
  EstadoDoControle c;
  Registro r;
  c.Eixo(SDL_CONTROLLER_AXIS_LEFTX, 12000, r);  // not far enough
  EXPECT_TRUE(r.Novas().empty());
  c.Eixo(SDL_CONTROLLER_AXIS_LEFTX, 20000, r);
  EXPECT_EQ(r.Novas(), (Log{"down 39"}));
  c.Eixo(SDL_CONTROLLER_AXIS_LEFTX, 12000, r);  // back a little: still held
  c.Botao(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true, r);
  EXPECT_TRUE(r.Novas().empty());
  c.Eixo(SDL_CONTROLLER_AXIS_LEFTX, 0, r);  // the D-pad still holds it
  EXPECT_TRUE(r.Novas().empty());
  c.Botao(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false, r);
  EXPECT_EQ(r.Novas(), (Log{"up 39"}));
  // Straight from one side to the other, and up; the right stick and triggers do nothing.
  c.Eixo(SDL_CONTROLLER_AXIS_LEFTX, -32768, r);
  c.Eixo(SDL_CONTROLLER_AXIS_LEFTX, 32767, r);
  c.Eixo(SDL_CONTROLLER_AXIS_LEFTY, -30000, r);
  c.Eixo(SDL_CONTROLLER_AXIS_RIGHTX, 30000, r);
  c.Eixo(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 30000, r);
  EXPECT_EQ(r.Novas(), (Log{"down 37", "up 37", "down 39", "down 38"}));
  // Unplugged with directions and A held: they all go up.
  c.Botao(SDL_CONTROLLER_BUTTON_A, true, r);
  r.Novas();
  c.Soltar(r);
  EXPECT_EQ(r.Novas(), (Log{"up 32", "up 38", "up 39"}));
}

// ---------------------------------------------------------------------------------------------------
// Touch screens

// A screen for the fingers: a game whose ship moves 4 pixels a frame while an arrow is held, or
// another kind of screen.
class TelaDeToque : public Registro {
 public:
  TouchTarget Touch(int, int) const override {
    TouchTarget t;
    t.kind = tipo;
    t.ship_x = x;
    t.ship_y = y;
    t.ship_speed = 4;
    return t;
  }
  void KeyDown(int16_t vk) override {
    Registro::KeyDown(vk);
    if (vk >= VK_LEFT && vk <= VK_DOWN) setas[vk - VK_LEFT] = true;
  }
  void KeyUp(int16_t vk) override {
    Registro::KeyUp(vk);
    if (vk >= VK_LEFT && vk <= VK_DOWN) setas[vk - VK_LEFT] = false;
  }
  // Frames until the ship stops (at most 100), the touch controls looking between them.
  int Quadros(EstadoDoToque& toque) {
    int n = 0;
    for (; n < 100 && (setas[0] || setas[1] || setas[2] || setas[3]); ++n) {
      x += 4 * (setas[2] - setas[0]);
      y += 4 * (setas[3] - setas[1]);
      toque.Seguir(*this);
    }
    return n;
  }
  TouchTarget::Kind tipo = TouchTarget::Ship;
  double x = 100, y = 400;
  bool setas[4] = {};  // left, up, right, down
};

TEST(Toque, AFingerSteersTheShipAsItMovesAndFiresWhileDown) {
  TelaDeToque tela;
  EstadoDoToque toque;
  toque.Desceu(1, 300, 300, tela);
  EXPECT_EQ(tela.Novas(), (Log{"down 32"}));
  // 40 pixels right and 10 up: the ship goes 60 right and 15 up from where it was, and stops there.
  toque.Moveu(1, 340, 290, tela);
  EXPECT_EQ(tela.Novas(), (Log{"down 38", "down 39"}));
  EXPECT_GT(tela.Quadros(toque), 10);
  EXPECT_NEAR(tela.x, 160, 2);
  EXPECT_NEAR(tela.y, 385, 2);
  EXPECT_EQ(tela.Novas(), (Log{"up 38", "up 39"}));
  // A second finger only fires; once the first is lifted it steers, from where it is.
  toque.Desceu(2, 500, 100, tela);
  toque.Moveu(2, 560, 100, tela);
  toque.Subiu(1, 340, 290, tela);
  EXPECT_TRUE(tela.Novas().empty());
  // Far to the left: the ship stops at the edge; the pause screen lets go of the arrow at once.
  toque.Moveu(2, 0, 100, tela);
  tela.Quadros(toque);
  EXPECT_EQ(tela.x, 0);
  toque.Moveu(2, 100, 100, tela);
  tela.tipo = TouchTarget::Nothing;
  toque.Seguir(tela);
  EXPECT_EQ(tela.Novas(), (Log{"down 37", "up 37", "down 39", "up 39"}));
  toque.Subiu(2, 100, 100, tela);
  EXPECT_EQ(tela.Novas(), (Log{"up 32"}));
  // A screen that Esc closes closes on a tap begun on it, not on a finger that came down in the game.
  tela.tipo = TouchTarget::Ship;
  toque.Desceu(3, 10, 10, tela);
  tela.tipo = TouchTarget::Closes;
  toque.Subiu(3, 10, 10, tela);
  toque.Desceu(4, 10, 10, tela);
  toque.Subiu(4, 10, 10, tela);
  EXPECT_EQ(tela.Novas(), (Log{"down 32", "up 32", "press 27"}));
}

TEST(Toque, ATapOnAMenuItemSelectsAndChoosesIt) {
  const std::string dados = testes::PastaDadosCom({});
  HeadlessPlatform plataforma;
  Form1 form(plataforma, dados, nullptr);
  form.Form_Load("/sa /sp");
  form.Em_Menu = 1;
  form.Opcao_Menu = 1;
  EstadoDoToque toque;
  // Each item's text starts at column 255, its row at 265 + 25 per item.
  toque.Desceu(1, 300, 325, form);
  EXPECT_EQ(form.Opcao_Menu, 3);
  toque.Subiu(1, 302, 323, form);
  EXPECT_FALSE(form.Musica_Ligada);
  // Sliding from "Sair" to "Som" and off the items chooses nothing.
  toque.Desceu(2, 260, 370, form);
  EXPECT_EQ(form.Opcao_Menu, 5);
  toque.Moveu(2, 260, 292, form);
  EXPECT_EQ(form.Opcao_Menu, 2);
  toque.Moveu(2, 260, 200, form);
  toque.Subiu(2, 260, 200, form);
  EXPECT_EQ(form.Opcao_Menu, 2);
  EXPECT_TRUE(form.Som_Ligado);
  // Left of the items nothing; at the top of "Novo jogo" a new game.
  for (const auto& [x, y] : {std::pair{120, 270}, std::pair{400, 262}}) {
    toque.Desceu(3, x, y, form);
    toque.Subiu(3, x, y, form);
    EXPECT_EQ(form.Opcao_Menu, x == 120 ? 2 : 1);
  }
  EXPECT_TRUE(form.Iniciar_Jogo);
  fs::remove_all(dados);
}

// ---------------------------------------------------------------------------------------------------
// Losing the focus

// Takes the focus away during the third wait of the game loop.
class PerdeFoco : public HeadlessPlatform {
 public:
  void WaitUntil(int32_t deadline, EventSink& sink) override {
    if (form != nullptr && std::string_view(form->Tela_Atual()) == "Main" && ++esperas == 3) sink.FocusLost();
    HeadlessPlatform::WaitUntil(deadline, sink);
  }
  Form1* form = nullptr;
  int esperas = 0;
};

TEST(Foco, LosingTheFocusPausesAGameInProgressAsPWould) {
  // A phase whose formations (without enemies) start one every 1,000 seconds: the game goes on.
  std::vector<uint8_t> fase(8800, 0);
  for (int i = 0; i < 40; ++i) {
    const int32_t inicio = 1000 * (i + 1);
    std::memcpy(&fase[220 * i + 40], &inicio, 4);
  }
  const std::string dados = testes::PastaDadosCom({{"Fase1.FAS", fase}});
  PerdeFoco plataforma;
  Form1 form(plataforma, dados, nullptr);
  plataforma.form = &form;
  form.Form_Load("/sa /sp");
  form.FocusLost();  // no game yet
  EXPECT_FALSE(form.Pausa);
  form.Reseta_Jogo();
  EXPECT_EQ(form.Main(), Tela::Pausa_AP);  // the frame in progress is finished, then the pause screen
  EXPECT_TRUE(form.Pausa);
  EXPECT_EQ(plataforma.esperas, 3);
  form.FocusLost();  // already paused: it stays paused (P itself would resume)
  EXPECT_TRUE(form.Pausa);
  fs::remove_all(dados);
}

// ---------------------------------------------------------------------------------------------------
// Scaling

TEST(Escala, WholePixelsFromTwiceUpElseTheLargestFit) {
  using M = ModoEscala;
  struct Caso {
    int w, h;
    M modo;
    AreaImagem area;
  };
  const Caso casos[] = {
      {640, 480, M::Automatico, {0, 0, 640, 480}},
      {1024, 768, M::Automatico, {0, 0, 1024, 768}},        // x1.6: fit
      {1366, 768, M::Automatico, {171, 0, 1024, 768}},      // wide: bars left and right
      {1280, 960, M::Automatico, {0, 0, 1280, 960}},        // exactly x2
      {1920, 1080, M::Automatico, {320, 60, 1280, 960}},    // x2, letterboxed
      {2560, 1440, M::Automatico, {320, 0, 1920, 1440}},    // x3
      {3840, 2160, M::Automatico, {640, 120, 2560, 1920}},  // x4
      {800, 1200, M::Automatico, {0, 300, 800, 600}},       // tall: bars above and below
      {1024, 768, M::Inteiro, {192, 144, 640, 480}},        // x1, whole pixels asked for
      {600, 400, M::Inteiro, {33, 0, 533, 400}},            // smaller than the picture: fit
      {1920, 1080, M::Ajuste, {240, 0, 1440, 1080}},
      {1920, 1080, M::Esticar, {0, 0, 1920, 1080}},
      {0, 768, M::Automatico, {0, 0, 0, 0}},
  };
  for (const Caso& c : casos) {
    const AreaImagem a = AreaDaImagem(c.w, c.h, c.modo);
    EXPECT_EQ(a, c.area) << c.w << " x " << c.h << " mode " << static_cast<int>(c.modo) << ": got " << a.x
                         << "," << a.y << " " << a.w << " x " << a.h;
  }
}

TEST(Escala, TheEnvironmentNamesTheMode) {
  using M = ModoEscala;
  for (const auto& [nome, modo, valido] : {std::tuple<const char*, M, bool>{nullptr, M::Automatico, true},
                                           {"", M::Automatico, true},
                                           {"integer", M::Inteiro, true},
                                           {"fit", M::Ajuste, true},
                                           {"stretch", M::Esticar, true},
                                           {"sharp", M::Automatico, false}}) {
    bool ok = !valido;
    EXPECT_EQ(LerModoEscala(nome, ok), modo);
    EXPECT_EQ(ok, valido);
  }
}

// ---------------------------------------------------------------------------------------------------
// The settings file

class Preferencias_ : public ::testing::Test {
 protected:
  void TearDown() override { fs::remove_all(pasta); }
  void Escrever(const std::string& texto) {
    fs::create_directories(fs::path(arquivo).parent_path());
    std::ofstream(arquivo, std::ios::binary) << texto;
  }
  const fs::path pasta = testes::PastaTemporaria();
  const std::string arquivo = (pasta / "vartenos" / "settings.conf").string();
};

TEST_F(Preferencias_, MissingGivesTheDefaultsSilentlyAndAWrittenFileReadsBack) {
  std::string aviso;
  EXPECT_EQ(LerPreferencias(arquivo, aviso), Preferencias{});
  EXPECT_EQ(aviso, "");
  const Preferencias p{false, 1024, 700};
  std::string erro;
  ASSERT_TRUE(GravarPreferencias(arquivo, p, erro)) << erro;  // the folder is made
  EXPECT_EQ(LerPreferencias(arquivo, aviso), p);
  EXPECT_EQ(aviso, "");
  EXPECT_FALSE(fs::exists(arquivo + ".new"));
}

TEST_F(Preferencias_, DamagedGivesTheDefaultsForWhatCannotBeReadAndSaysWhere) {
  struct Caso {
    std::string texto;
    Preferencias esperado;
    bool avisa;
  };
  const Caso casos[] = {
      {"fullscreen=0\nwindow_width=800\nwindow_height=600\n", {false, 800, 600}, false},
      {"# comment\n\n  fullscreen = 0 \r\nfuture_setting=7\n", {false, 640, 480}, false},
      {"fullscreen=yes\nwindow_width=800\n", {true, 800, 480}, true},
      {"window_width=99999999999\nwindow_height=-5\n", {}, true},
      {"window_width=12\n", {}, true},
      {"garbage without equals\n", {}, true},
      {std::string("\x00\xff\xfe\x89PNG\x1a", 7), {}, true},
      {"", {}, false},
  };
  for (const Caso& c : casos) {
    Escrever(c.texto);
    std::string aviso;
    EXPECT_EQ(LerPreferencias(arquivo, aviso), c.esperado) << c.texto;
    if (c.avisa) {
      EXPECT_NE(aviso.find(arquivo + ": line "), std::string::npos) << aviso;
    } else {
      EXPECT_EQ(aviso, "") << c.texto;
    }
  }
  // A folder where the file should be cannot be read: defaults, with the reason.
  fs::remove(arquivo);
  fs::create_directories(arquivo);
  std::string aviso;
  EXPECT_EQ(LerPreferencias(arquivo, aviso), Preferencias{});
}

TEST_F(Preferencias_, UnwritableSaysWhyAndLeavesNothingBehind) {
  // The settings folder's place is taken by a file.
  std::ofstream(pasta / "vartenos") << "not a folder";
  std::string erro;
  EXPECT_FALSE(GravarPreferencias(arquivo, Preferencias{}, erro));
  EXPECT_NE(erro.find((pasta / "vartenos").string()), std::string::npos) << erro;
  // The file's place is taken by a folder: the old contents stay, no temporary file is left.
  fs::remove(pasta / "vartenos");
  fs::create_directories(fs::path(arquivo) / "x");
  EXPECT_FALSE(GravarPreferencias(arquivo, Preferencias{}, erro));
  EXPECT_NE(erro.find(arquivo), std::string::npos) << erro;
  EXPECT_FALSE(fs::exists(arquivo + ".new"));
  EXPECT_FALSE(GravarPreferencias("", Preferencias{}, erro));
}

TEST(CaminhoPreferencias, FromXdgConfigHomeElseHome) {
  for (const auto& [xdg, home, caminho] : {std::tuple<const char*, const char*, const char*>{
                                               "/tmp/cfg", "/home/p", "/tmp/cfg/vartenos/settings.conf"},
                                           // not absolute: ignored, as the XDG rules say
                                           {"relative", "/home/p", "/home/p/.config/vartenos/settings.conf"},
                                           {nullptr, nullptr, ""}}) {
    testes::Ambiente a("XDG_CONFIG_HOME", xdg), b("HOME", home);
    EXPECT_EQ(CaminhoPreferencias(), caminho);
  }
}

// ---------------------------------------------------------------------------------------------------
// --version and --help

TEST(LinhaDeComando, VersionAndHelpOnlyAsTheWholeCommandLine) {
  struct Caso {
    std::vector<const char*> argv;
    PedidoDeLinha pedido;
    const char* linha;
  };
  const Caso casos[] = {
      {{"vartenos", "--version"}, PedidoDeLinha::Versao, "--version"},
      {{"vartenos", "--help"}, PedidoDeLinha::Ajuda, "--help"},
      {{"vartenos"}, PedidoDeLinha::Jogar, ""},
      {{"vartenos", "/sa", "--version"}, PedidoDeLinha::Jogar, "/sa --version"},
      {{"vartenos", "--help", "/sp"}, PedidoDeLinha::Jogar, "--help /sp"},
      {{"vartenos", "--version", "--help"}, PedidoDeLinha::Jogar, "--version --help"},
      {{"vartenos", "--VERSION"}, PedidoDeLinha::Jogar, "--VERSION"},
  };
  for (const Caso& c : casos) {
    const int argc = static_cast<int>(c.argv.size());
    EXPECT_EQ(LerPedido(argc, c.argv.data()), c.pedido) << c.linha;
    EXPECT_EQ(LinhaDeComando(argc, c.argv.data()), c.linha);
  }
}

#ifdef VARTENOS_GAME
// Runs the game binary with no display at all; returns its exit status and output.
int RodarJogo(const std::string& args, std::string& saida) {
  const testes::Saida s = testes::RodarComando(
      "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR= " VARTENOS_GAME " " + args);
  saida = s.out;
  return s.status;
}

TEST(LinhaDeComando, TheGamePrintsAndExitsOnlyForTheWholeLine) {
  std::string saida;
  EXPECT_EQ(RodarJogo("--version", saida), 0);
  EXPECT_EQ(saida, "vartenos " VARTENOS_VERSION "\n");
  EXPECT_EQ(RodarJogo("--help", saida), 0);
  EXPECT_NE(saida.find("Usage: vartenos"), std::string::npos) << saida;
  EXPECT_NE(saida.find("VARTENOS_SCALE"), std::string::npos) << saida;
  // Anywhere else it is a word of the game's command line: the game starts and, with no display here
  // (SDL would quietly draw into memory instead), tells the player so in one line.
  EXPECT_EQ(RodarJogo("/sa --version", saida), 1);
  EXPECT_NE(saida.find("no display: cannot open a window ("), std::string::npos) << saida;
  EXPECT_NE(saida.find("); set DISPLAY or run with xvfb-run\n"), std::string::npos) << saida;
}
#endif

// ---------------------------------------------------------------------------------------------------
// The picture on a real (offscreen) window

#ifdef VARTENOS_SDL_TESTS
// The system's video and device libraries that SDL loads and unloads keep a few allocations for good;
// they are not ours, so the leak checker looks away while a window is open (memory errors still count).
struct SemVazamentosDoSistema {
#ifdef __SANITIZE_ADDRESS__
  SemVazamentosDoSistema() { __lsan_disable(); }
  ~SemVazamentosDoSistema() { __lsan_enable(); }
#endif
};

// The environment of an offscreen window with SDL's own renderer (a GL driver would be loaded and
// unloaded with allocations it never frees), and the settings in a folder of its own.
struct JanelaOffscreen {
  const fs::path cfg = testes::PastaTemporaria();
  testes::Ambiente xdg{"XDG_CONFIG_HOME", cfg.c_str()}, video{"SDL_VIDEODRIVER", "offscreen"},
      render{"SDL_RENDER_DRIVER", "software"};
  ~JanelaOffscreen() { fs::remove_all(cfg); }
};

TEST(TelaSdl, AControllerPluggedInDuringPlayWorksAtOnceAndLetsGoWhenUnplugged) {
  JanelaOffscreen janela;
  // An offscreen window never has the focus, and SDL drops controller input without it.
  testes::Ambiente w("VARTENOS_WINDOWED", "1"), fundo("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1");
  [[maybe_unused]] SemVazamentosDoSistema sem_vazamentos;
  SdlPlatform platform;
  try {
    platform.OpenDisplay();
  } catch (const std::exception& e) {
    GTEST_SKIP() << "no offscreen window here: " << e.what();
  }
  Registro r;
  const int indice = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                               SDL_CONTROLLER_BUTTON_MAX, 0);
  if (indice >= 0 && SDL_IsGameController(indice)) {
    platform.DoEvents(r);  // plugged in: opened
    SDL_Joystick* j = SDL_JoystickOpen(indice);
    ASSERT_NE(j, nullptr);
    SDL_JoystickSetVirtualButton(j, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    platform.DoEvents(r);
    SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_LEFTX, -30000);
    platform.DoEvents(r);
    EXPECT_EQ(r.Novas(), (Log{"down 32", "press 32", "down 37"}));
    SDL_JoystickClose(j);
    SDL_JoystickDetachVirtual(indice);
    platform.DoEvents(r);
    Log soltas = r.Novas();  // SDL lets go of what was held, or our own release does
    std::sort(soltas.begin(), soltas.end());
    EXPECT_EQ(soltas, (Log{"up 32", "up 37"}));
  }
  platform.CloseDisplay();
  if (indice < 0) GTEST_SKIP() << "no virtual controller here";
}

TEST(TelaSdl, WholePixelPictureIsExactlyTheGamesPicture) {
  JanelaOffscreen janela;
  std::string erro;
  ASSERT_TRUE(
      GravarPreferencias((janela.cfg / "vartenos" / "settings.conf").string(), {false, 1024, 768}, erro))
      << erro;
  // SDL's offscreen screen is 1024 x 768: whole pixels there are x1, in the middle.
  testes::Ambiente escala("VARTENOS_SCALE", "integer");
  [[maybe_unused]] SemVazamentosDoSistema sem_vazamentos;
  SdlPlatform platform;
  try {
    platform.OpenDisplay();
  } catch (const std::exception& e) {
    GTEST_SKIP() << "no offscreen window here: " << e.what();
  }
  Surface s;
  s.Create(640, 480);
  uint16_t* px = s.Pixels();
  for (int i = 0; i < 640 * 480; ++i)
    px[i] = static_cast<uint16_t>((i % 640 * 31 + i / 640 * 7) ^ (i % 640 * (i / 640)));
  platform.Present(s);
  std::vector<uint32_t> tela;
  int w = 0, h = 0;
  ASSERT_TRUE(platform.LerTela(tela, w, h));
  ASSERT_EQ(std::pair(w, h), std::pair(1024, 768));
  int erradas = 0;
  for (int y = 0; y < h && erradas < 5; ++y) {
    for (int x = 0; x < w && erradas < 5; ++x) {
      const int px_x = x - 192, px_y = y - 144;
      const uint16_t c = px_x >= 0 && px_x < 640 && px_y >= 0 && px_y < 480 ? px[px_y * 640 + px_x] : 0;
      const int esperado[] = {((c >> 11) & 31) * 255 / 31, ((c >> 5) & 63) * 255 / 63, (c & 31) * 255 / 31};
      const uint32_t obtido = tela[static_cast<size_t>(y) * w + x];
      // Each channel within one step of the 5/6-bit value, however the renderer widens it.
      for (int k = 0; k < 3; ++k) {
        if (std::abs(esperado[k] - static_cast<int>((obtido >> (16 - 8 * k)) & 255)) > 4) {
          ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << obtido;
          ++erradas;
          break;
        }
      }
    }
  }
  platform.CloseDisplay();
}
#endif

}  // namespace
}  // namespace vartenos
