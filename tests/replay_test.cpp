// Recording and replaying sessions: a headless session recorded and replayed presents the same
// states; a departure is reported at the present where it happens; damaged recordings name their
// line; the random player keeps the process as it started over a virtual hour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/recording.h"
#include "sim/state_hash.h"
#include "sim_support.h"
#include "test_support.h"

#ifdef VARTENOS_SDL_TESTS
#include <SDL.h>

#include <chrono>
#include <thread>

#include "display/font_ttf.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/form1.h"
#include "sim/record.h"
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif
#endif

namespace vartenos::testes {
namespace {

namespace fs = std::filesystem;

std::string Sim() { return std::string(VARTENOS_SIM) + " --data " + VARTENOS_BUILD_DATA + " "; }

class Gravacoes : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vartenos-replay-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Caminho(const std::string& nome) const { return (dir_ / nome).string(); }
  void Escrever(const std::string& nome, const std::string& texto) const {
    std::ofstream(Caminho(nome), std::ios::binary) << texto;
  }
  // A game started, steered and fired, paused and resumed, left with Esc; then the menu's "Sair".
  std::string Gravar() {
    Escrever("play.txt",
             "100 down 32\n100 press 32\n150 up 32\n500 down 37\n1500 up 37\n1600 down 32\n3000 up 32\n"
             "3200 down 80\n3200 press 80\n3250 up 80\n4000 press 112\n5000 press 27\n6000 press 50\n6100 "
             "press 50\n"
             "6200 press 50\n6300 press 50\n6500 press 32\n");
    const Saida s = RodarComando(Sim() + "--args '/sa /sp' --script " + Caminho("play.txt") + " --record " +
                                 Caminho("rec.txt") + " --trace " + Caminho("a.jsonl"));
    EXPECT_EQ(s.status, 0) << s.out;
    return LerArquivo(Caminho("rec.txt"));
  }
  fs::path dir_;
};

TEST_F(Gravacoes, AReplayRetracesTheSessionPresentByPresent) {
  const std::string rec = Gravar();
  EXPECT_NE(rec.find("\nargs /sa /sp\n"), std::string::npos);
  EXPECT_NE(rec.find("\ndata Fase1.FAS "), std::string::npos);
  EXPECT_NE(rec.find("\nend "), std::string::npos) << "the session did not end with \"Sair\"";
  const Saida s = RodarComando(Sim() + "--replay " + Caminho("rec.txt") + " --trace " + Caminho("b.jsonl"));
  ASSERT_EQ(s.status, 0) << s.out;
  const std::string a = LerArquivo(Caminho("a.jsonl"));
  const auto presents = std::count(a.begin(), a.end(), '\n');
  EXPECT_GT(presents, 200);
  EXPECT_NE(s.out.find("replayed " + std::to_string(presents) + " presents, 0 desyncs"), std::string::npos)
      << s.out;
  EXPECT_EQ(LerArquivo(Caminho("b.jsonl")), a) << "the replay's trace differs from the session's";
}

// The state hash of a present covers every field's value and the inputs, and names the fields that
// changed since the previous present.
TEST(HashDeEstado, EveryFieldCountsAndTheChangedOnesAreNamed) {
  sim::HashDeEstado h;
  auto quadro = [&h](const char* n, const char* vidas, const char* tela, const char* entradas) {
    h.Campo(0, "n", n);
    h.Campo(1, "Vidas", vidas);
    h.Campo(2, "tela", tela);
    return h.Fechar(entradas);
  };
  const uint64_t primeiro = quadro("0", "3", "\"Menu\"", "");
  EXPECT_EQ(h.Mudancas().substr(0, 7), " Vidas=");
  EXPECT_NE(h.Mudancas().find(" tela="), std::string::npos);
  EXPECT_NE(h.Mudancas().find(" entradas="), std::string::npos);
  const uint64_t segundo = quadro("1", "3", "\"Menu\"", "");
  EXPECT_NE(segundo, primeiro) << "the present's number counts";
  EXPECT_EQ(h.Mudancas(), "");
  EXPECT_EQ(quadro("1", "3", "\"Menu\"", ""), segundo);
  const uint64_t terceiro = quadro("1", "2", "\"Menu\"", "");
  EXPECT_NE(terceiro, segundo);
  EXPECT_EQ(h.Mudancas().rfind(" Vidas=", 0), 0u);
  EXPECT_EQ(h.Mudancas().size(), 7u + 16u) << h.Mudancas();
  EXPECT_NE(quadro("1", "2", "\"Menu\"", "d 5 37;"), terceiro);
  EXPECT_EQ(h.Mudancas().rfind(" entradas=", 0), 0u) << h.Mudancas();
  ASSERT_EQ(h.Campos().size(), 3u);
  EXPECT_EQ(h.Campos()[1].first, "tela");
}

// The recording with the first line starting with `prefixo` changed by `f` (an empty result removes
// the line).
std::string Editar(std::string rec, const std::string& prefixo,
                   const std::function<std::string(std::string)>& f) {
  const size_t inicio = rec.find("\n" + prefixo) + 1;
  const size_t fim = rec.find('\n', inicio);
  const std::string nova = f(rec.substr(inicio, fim - inicio));
  rec.replace(inicio, fim - inicio + (nova.empty() ? 1 : 0), nova);
  return rec;
}

TEST_F(Gravacoes, ADepartureIsReportedAtItsPresent) {
  const std::string rec = Gravar();
  // The first present after the key at 500 ms.
  const size_t quadro = rec.find("\nh ", rec.find("\nd 500 37\n"));
  const std::string depois_da_tecla = rec.substr(quadro + 3, rec.find(' ', quadro + 3) - quadro - 3);
  struct Caso {
    const char* prefixo;
    std::function<std::string(std::string)> mudar;
    std::string espera;
  };
  const Caso casos[] = {
      {"h 100 ",
       [](std::string l) {
         l[6] = l[6] == '0' ? '1' : '0';  // one hex digit of the state hash
         return l;
       },
       "desync at present 100"},
      {"d 500 37", [](std::string) { return std::string("d 501 37"); },
       "desync at present " + depois_da_tecla},
      {"d 500 37", [](std::string) { return std::string("d 501 37"); }, "fields that differ: entradas"},
      {"c 4000", [](std::string) { return std::string(); }, "the game asked for a clock reading"},
  };
  for (const Caso& c : casos) {
    Escrever("edit.txt", Editar(rec, c.prefixo, c.mudar));
    const Saida s = RodarComando(Sim() + "--replay " + Caminho("edit.txt"));
    EXPECT_EQ(s.status, 1) << c.prefixo << "\n" << s.out;
    EXPECT_NE(s.out.find(c.espera), std::string::npos) << c.espera << "\n" << s.out;
  }
}

TEST_F(Gravacoes, DamagedOrForeignRecordingsAreRefusedWithTheirLine) {
  const std::string cabecalho = "vartenos-recording 1\nargs /sa\nstart\n";
  struct Caso {
    std::string texto;
    const char* espera;
  };
  const Caso casos[] = {
      {"", "r:0: empty file"},
      {"PK\x03\x04 zip\n", "r:1: not a Vartenos recording"},
      {"vartenos-recording 2\n", "r:1: recording format version 2"},
      {"vartenos-recording 1\ndata Fase1.FAS 12\nstart\n", "r:2: expected \"data NAME SIZE HASH\""},
      {"vartenos-recording 1\nargs\n", "r:2: the header has no \"start\" line"},
      {cabecalho + "c 0\nq 1\n", "r:5: unknown record"},
      {cabecalho + "c zero\n", "r:4: damaged record"},
      {cabecalho + "d 10 99999\n", "r:4: damaged record"},
      {cabecalho + "h 0 12345\n", "r:4: damaged record"},
      {cabecalho + "h 0 0123456789abcdef Vidas=12\n", "r:4: damaged record"},
      {cabecalho + "end 0\nc 1\n", "r:5: text after the end line"},
      {cabecalho + "c 1\nc 2", "r:5: the last line is cut short"},
  };
  for (const Caso& c : casos) {
    Gravacao g;
    std::string erro;
    EXPECT_FALSE(LerGravacaoTexto(c.texto, "r", g, erro)) << c.texto;
    EXPECT_EQ(erro.rfind(c.espera, 0), 0u) << "got: " << erro;
  }
  // Cut at a line's end, as when the game stopped without closing: replayed as far as it goes, then
  // named as cut short.
  const std::string rec = Gravar();
  Escrever("cut.txt", rec.substr(0, rec.find("\nh 120 ") + 1));
  Saida s = RodarComando(Sim() + "--replay " + Caminho("cut.txt"));
  EXPECT_EQ(s.status, 2);
  EXPECT_NE(s.out.find("replayed 120 presents, 0 desyncs"), std::string::npos) << s.out;
  EXPECT_NE(s.out.find("cut.txt:"), std::string::npos);
  EXPECT_NE(s.out.find("the recording is cut short here"), std::string::npos) << s.out;
  // Other data than the session's.
  const std::string dados = PastaDadosCom({{"Fase2.FAS", std::vector<uint8_t>(8800, 0)}});
  s = RodarComando(std::string(VARTENOS_SIM) + " --data " + dados + " --replay " + Caminho("rec.txt"));
  EXPECT_EQ(s.status, 2);
  EXPECT_NE(s.out.find("recorded with other data than " + dados + ": Fase2.FAS"), std::string::npos) << s.out;
  fs::remove_all(dados);
}

// With no display to show it on, the window replay says so in one line and ends with status 1, as the
// game does, instead of aborting.
TEST_F(Gravacoes, WithNoDisplayTheWindowReplaySaysSoInOneLine) {
  Gravar();
  const Saida s = RodarComando("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy " +
                               std::string(VARTENOS_GAME) + " --replay " + Caminho("rec.txt"));
  EXPECT_EQ(s.status, 1) << s.out;
  EXPECT_EQ(std::count(s.out.begin(), s.out.end(), '\n'), 1) << s.out;
  EXPECT_EQ(s.out.rfind("vartenos: no display: ", 0), 0u) << s.out;
}

#ifdef VARTENOS_SDL_TESTS
// Keys as the window system sends them: the key going down, its text, the key coming up.
void Teclar(SDL_Scancode sc, const char* texto, bool descer, bool subir) {
  SDL_Event e{};
  if (descer) {
    e.type = SDL_KEYDOWN;
    e.key.keysym.scancode = sc;
    SDL_PushEvent(&e);
    if (texto != nullptr) {
      SDL_Event t{};
      t.type = SDL_TEXTINPUT;
      std::snprintf(t.text.text, sizeof t.text.text, "%s", texto);
      SDL_PushEvent(&t);
    }
  }
  if (subir) {
    e.type = SDL_KEYUP;
    e.key.keysym.scancode = sc;
    SDL_PushEvent(&e);
  }
}

// Plays the part of the player on the real platform: keys pushed into SDL's queue at chosen presents.
struct Jogador : Presenter {
  struct Toque {
    int quadro;
    SDL_Scancode tecla;
    const char* texto;
    bool descer, subir;
  };
  static constexpr Toque kToques[] = {
      {20, SDL_SCANCODE_SPACE, " ", true, true},  // "Jogar"
      {40, SDL_SCANCODE_LEFT, nullptr, true, false}, {50, SDL_SCANCODE_SPACE, " ", true, false},
      {80, SDL_SCANCODE_LEFT, nullptr, false, true}, {90, SDL_SCANCODE_UP, nullptr, true, false},
      {120, SDL_SCANCODE_UP, nullptr, false, true},  {120, SDL_SCANCODE_SPACE, nullptr, false, true},
      {130, SDL_SCANCODE_P, "p", true, true},        {170, SDL_SCANCODE_ESCAPE, nullptr, true, true},
      {200, SDL_SCANCODE_DOWN, nullptr, true, true}, {200, SDL_SCANCODE_DOWN, nullptr, true, true},
      {200, SDL_SCANCODE_DOWN, nullptr, true, true}, {200, SDL_SCANCODE_DOWN, nullptr, true, true},
      {200, SDL_SCANCODE_SPACE, " ", true, true},  // "Sair"
  };
  std::thread retomar;
  int n = 0;
  void Presented(const Surface&) override {
    for (const Toque& t : kToques) {
      if (t.quadro == n) Teclar(t.tecla, t.texto, t.descer, t.subir);
    }
    // The pause screen waits for a key and shows nothing new: P again comes from elsewhere.
    if (n == 130) {
      retomar = std::thread([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        Teclar(SDL_SCANCODE_P, "p", true, true);
      });
    }
    ++n;
  }
};

TEST_F(Gravacoes, ASessionOnTheRealPlatformReplaysHeadless) {
  const fs::path cfg = dir_ / "config";
  testes::Ambiente xdg{"XDG_CONFIG_HOME", cfg.c_str()}, video{"SDL_VIDEODRIVER", "offscreen"},
      render{"SDL_RENDER_DRIVER", "software"}, audio{"SDL_AUDIODRIVER", "dummy"},
      janela{"VARTENOS_WINDOWED", "1"};
#ifdef __SANITIZE_ADDRESS__
  // The system's video and device libraries keep a few allocations for good; they are not ours.
  __lsan_disable();
#endif
  {
    SdlPlatform sdl;
    try {
      sdl.OpenDisplay();
    } catch (const std::exception& e) {
      GTEST_SKIP() << "no offscreen window here: " << e.what();
    }
    sim::SessaoGravada sessao(sdl, Caminho("sdl.rec"), VARTENOS_BUILD_DATA, "/sa /sp");
    Form1 form(sessao.Plataforma(), VARTENOS_BUILD_DATA, CriarRasterizador());
    Jogador jogador;
    sessao.Ligar(form);
    sessao.Seguir(&jogador);
    form.Executar("/sa /sp");
    if (jogador.retomar.joinable()) jogador.retomar.join();
  }
#ifdef __SANITIZE_ADDRESS__
  __lsan_enable();
#endif
  const std::string rec = LerArquivo(Caminho("sdl.rec"));
  for (const char* visto : {"\nd ", "\np ", "\nu ", "\nt ", "\nend "})
    EXPECT_NE(rec.find(visto), std::string::npos) << "no \"" << visto + 1 << "\" line in the recording";
  const Saida s = RodarComando(Sim() + "--replay " + Caminho("sdl.rec") + " --trace " + Caminho("sdl.jsonl"));
  EXPECT_EQ(s.status, 0) << s.out;
  EXPECT_NE(s.out.find(" presents, 0 desyncs"), std::string::npos) << s.out;
  const std::string trace = LerArquivo(Caminho("sdl.jsonl"));
  EXPECT_NE(trace.find("\"tela\":\"Pausa_AP\""), std::string::npos) << "the session never paused";
  EXPECT_GT(std::count(trace.begin(), trace.end(), '\n'), 200);
}
#endif

TEST(Macaco, HalfAVirtualHourOfRandomPlayLeavesMemoryAsItWas) {
  // Keys at random with a person's timing on every screen for half an hour of virtual time (bench/soak
  // plays for hours).
  const Execucao e = RodarSim("--args '/sa /sp' --monkey 7 --until 1800000 --stats", "", false);
  ASSERT_EQ(e.status, 0) << e.erros;
  long presents = 0, inicio = 0, fim = 0, jogos = 0;
  ASSERT_EQ(std::sscanf(e.erros.c_str() + e.erros.find("presents "),
                        "presents %ld\nclock_ms %*d\nrss_kb_at_present_1000 %*d\nrss_kb_late %ld\n"
                        "rss_kb_at_present_20000 %ld",
                        &presents, &fim, &inicio),
            3)
      << e.erros;
  ASSERT_EQ(std::sscanf(e.erros.c_str() + e.erros.find("games "), "games %ld", &jogos), 1) << e.erros;
  EXPECT_GT(presents, 40000);
  EXPECT_GT(jogos, 10) << "the random player should start many games";
  EXPECT_LE(fim, inicio + 256) << "resident memory grew from " << inicio << " kB to " << fim << " kB";
}

}  // namespace
}  // namespace vartenos::testes
