// The keyboard: physical keys to the Windows key codes the handlers expect, the keypad with and
// without NumLock, and (when the desktop platform is linked in) how key, text and quit events reach
// the game, and when its timers fire. None of it needs a display.
#include "platform/sdl/keymap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#ifdef VARTENOS_SDL_TESTS
#include <SDL.h>

#include <cstring>
#include <memory>

#include "platform/fatal_error.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/form1.h"
#include "test_support.h"
#endif

namespace vartenos {
namespace {

TEST(CodigoVirtual, KeysToWindowsCodesWithTheKeypadFollowingNumLock) {
  struct Caso {
    SDL_Scancode sc;
    int16_t sem_numlock, com_numlock;
  };
  const Caso casos[] = {
      {SDL_SCANCODE_A, 65, 65},     {SDL_SCANCODE_Z, 90, 90},       {SDL_SCANCODE_0, 48, 48},
      {SDL_SCANCODE_8, 56, 56},     {SDL_SCANCODE_ESCAPE, 27, 27},  {SDL_SCANCODE_RETURN, 13, 13},
      {SDL_SCANCODE_F12, 123, 123}, {SDL_SCANCODE_RSHIFT, 16, 16},  // left and right share a code
      {SDL_SCANCODE_KP_8, 38, 104}, {SDL_SCANCODE_KP_2, 40, 98},    {SDL_SCANCODE_KP_4, 37, 100},
      {SDL_SCANCODE_KP_6, 39, 102}, {SDL_SCANCODE_KP_5, 12, 101},   {SDL_SCANCODE_KP_PLUS, 107, 107},
      {SDL_SCANCODE_UNKNOWN, 0, 0}, {SDL_SCANCODE_AUDIOPLAY, 0, 0},  // no Windows code: dropped
  };
  for (const Caso& c : casos) {
    EXPECT_EQ(CodigoVirtual(c.sc, false), c.sem_numlock) << SDL_GetScancodeName(c.sc);
    EXPECT_EQ(CodigoVirtual(c.sc, true), c.com_numlock) << SDL_GetScancodeName(c.sc);
  }
}

// Which keys produce a code the game acts on: no stray key must steer the ship or fire.
TEST(CodigoVirtual, OnlyTheRightKeysSteerAndFire) {
  for (bool numlock : {false, true}) {
    std::multiset<int16_t> jogo;
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
      const int16_t vk = CodigoVirtual(static_cast<SDL_Scancode>(sc), numlock);
      if (vk == 32 || (vk >= 37 && vk <= 40)) jogo.insert(vk);
    }
    // Space and the four arrows once each; with NumLock off the keypad's 4, 8, 6 and 2 are arrows too.
    const std::multiset<int16_t> esperado = numlock
                                                ? std::multiset<int16_t>{32, 37, 38, 39, 40}
                                                : std::multiset<int16_t>{32, 37, 37, 38, 38, 39, 39, 40, 40};
    EXPECT_EQ(jogo, esperado) << "numlock " << numlock;
  }
}

TEST(CaractereDeControle, KeysThatTypeWithoutTextInput) {
  // Printable keys type through the text input, never twice.
  for (const auto& [sc, ch] : {std::pair{SDL_SCANCODE_ESCAPE, 27},
                               {SDL_SCANCODE_RETURN, 13},
                               {SDL_SCANCODE_KP_ENTER, 13},
                               {SDL_SCANCODE_BACKSPACE, 8},
                               {SDL_SCANCODE_P, 0},
                               {SDL_SCANCODE_KP_8, 0},
                               {SDL_SCANCODE_SPACE, 0}}) {
    EXPECT_EQ(CaractereDeControle(sc), ch) << SDL_GetScancodeName(sc);
  }
}

#ifdef VARTENOS_SDL_TESTS

// Records what the platform hands to the game.
class Registro : public EventSink {
 public:
  void KeyDown(int16_t vk) override { log.push_back("down " + std::to_string(vk)); }
  void KeyUp(int16_t vk) override { log.push_back("up " + std::to_string(vk)); }
  void KeyPress(int16_t ch) override {
    log.push_back("press " + std::to_string(ch));
    if (ch == sair_com) leaving = true;
  }
  void CloseRequested() override {
    log.push_back("close");
    leaving = true;
  }
  void FocusLost() override { log.push_back("focus lost"); }
  int32_t NextTimerDue() const override { return due; }
  void FireTimers(int32_t now) override {
    log.push_back("timers");
    fired_at.push_back(now);
    due = interval > 0 ? now + interval : kNever;
  }
  bool Leaving() const override { return leaving; }

  std::vector<std::string> log;
  std::vector<int32_t> fired_at;
  int32_t due = kNever;
  int32_t interval = 0;
  bool leaving = false;
  int16_t sair_com = -1;
};

class SdlEventos : public ::testing::Test {
 protected:
  void SetUp() override { SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); }
  void TearDown() override { SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); }

  static void Tecla(Uint32 type, SDL_Scancode sc, bool numlock, bool repeat = false, int mod = KMOD_NONE) {
    SDL_Event ev{};
    ev.type = type;
    ev.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    ev.key.repeat = repeat ? 1 : 0;
    ev.key.keysym.scancode = sc;
    ev.key.keysym.mod = static_cast<Uint16>(mod | (numlock ? KMOD_NUM : KMOD_NONE));
    ASSERT_EQ(SDL_PushEvent(&ev), 1) << SDL_GetError();
  }
  static void Texto(const char* utf8) {
    SDL_Event ev{};
    ev.type = SDL_TEXTINPUT;
    std::strncpy(ev.text.text, utf8, sizeof ev.text.text - 1);
    ASSERT_EQ(SDL_PushEvent(&ev), 1) << SDL_GetError();
  }
  static void Fechar() {
    SDL_Event ev{};
    ev.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&ev), 1) << SDL_GetError();
  }

  SdlPlatform platform;
  Registro sink;
};

using Log = std::vector<std::string>;

TEST_F(SdlEventos, KeysAndTextReachTheGameAsTheKeypadAndNumLockSay) {
  const SDL_Scancode kp8 = SDL_SCANCODE_KP_8, kp2 = SDL_SCANCODE_KP_2, kp4 = SDL_SCANCODE_KP_4;
  // Keypad 8 moves up with NumLock off and types 8 with it on.
  Tecla(SDL_KEYDOWN, kp8, false);
  Tecla(SDL_KEYUP, kp8, false);
  Tecla(SDL_KEYDOWN, kp8, true);
  Texto("8");
  Tecla(SDL_KEYUP, kp8, true);
  // A keypad key acting as a cursor key never types its digit (some window systems keep their own
  // NumLock state and still send it: on the menu that would move the selection twice for one press).
  Tecla(SDL_KEYDOWN, kp2, false);
  Texto("2");
  Tecla(SDL_KEYUP, kp2, false);
  Texto("2");  // typed on its own later: a real "2"
  Tecla(SDL_KEYDOWN, kp8, false);
  Tecla(SDL_KEYDOWN, SDL_SCANCODE_2, false);
  Texto("2");  // the main row's 2 while keypad 8 is held
  Tecla(SDL_KEYUP, kp8, false);
  Tecla(SDL_KEYUP, SDL_SCANCODE_2, false);
  // NumLock switched on while a keypad key is held: it goes up with the code it went down with.
  Tecla(SDL_KEYDOWN, kp4, false);
  Tecla(SDL_KEYDOWN, kp4, true, true);
  Tecla(SDL_KEYUP, kp4, true);
  platform.DoEvents(sink);
  EXPECT_EQ(sink.log,
            (Log{"down 38", "up 38", "down 104", "press 56", "up 104", "down 40", "up 40", "press 50",
                 "down 38", "down 50", "press 50", "up 38", "up 50", "down 37", "down 37", "up 37"}));
}

TEST_F(SdlEventos, FocusLossReachesTheGameAndTheWindowKeysDoNot) {
  SDL_Event ev{};
  ev.type = SDL_WINDOWEVENT;
  ev.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  ASSERT_EQ(SDL_PushEvent(&ev), 1);
  // F11 and Alt+Enter switch the window (none here) and are not the game's keys, down or up.
  for (Uint32 tipo : {SDL_KEYDOWN, SDL_KEYUP}) {
    Tecla(tipo, SDL_SCANCODE_F11, false);
    Tecla(tipo, SDL_SCANCODE_RETURN, false, false, KMOD_LALT);
  }
  platform.DoEvents(sink);
  EXPECT_EQ(sink.log, (Log{"focus lost"}));
}

TEST_F(SdlEventos, EscapeEnterAndTypedLatin1CharactersArriveAsKeyPresses) {
  Tecla(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, false);
  Tecla(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, false, true);
  Tecla(SDL_KEYDOWN, SDL_SCANCODE_RETURN, false);
  Tecla(SDL_KEYDOWN, SDL_SCANCODE_P, false);
  Texto("p");
  Texto(
      "\xC3\xA7"
      "a");               // "ça"
  Texto("\xE2\x82\xAC");  // the euro sign has no Latin-1 code: dropped
  platform.DoEvents(sink);
  EXPECT_EQ(sink.log, (Log{"down 27", "press 27", "down 27", "press 27", "down 13", "press 13", "down 80",
                           "press 112", "press 231", "press 97"}));
}

TEST_F(SdlEventos, NothingIsDeliveredOnceTheGameIsLeaving) {
  Tecla(SDL_KEYDOWN, SDL_SCANCODE_SPACE, false);
  Fechar();
  Tecla(SDL_KEYDOWN, SDL_SCANCODE_LEFT, false);
  sink.due = 0;  // a timer is due, but the game is gone
  platform.DoEvents(sink);
  EXPECT_EQ(sink.log, (Log{"down 32", "close"}));

  // The same when the quitting happens inside a key handler ("Sair" on the menu).
  Registro outro;
  outro.sair_com = 32;
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  Tecla(SDL_KEYDOWN, SDL_SCANCODE_SPACE, false);
  Texto("  x");
  Tecla(SDL_KEYUP, SDL_SCANCODE_SPACE, false);
  platform.WaitUntil(platform.TickCount() + 100000, outro);  // returns at once
  EXPECT_EQ(outro.log, (Log{"down 32", "press 32"}));
}

TEST_F(SdlEventos, AnEscRightAfterTheSpaceThatOpensTheCreditsClosesThem) {
  // The game on a virtual clock, with the desktop's key events handed to it: Space on "Créditos" and
  // Esc in the same frame wait. The credits return to the menu without waiting for another key (a
  // second Esc would never come: the virtual clock runs out and the window closes).
  HeadlessPlatform relogio({}, 5000);
  Form1 form(relogio, VARTENOS_BUILD_DATA, nullptr);
  form.Form_Load("/sa /sp");
  form.Em_Menu = 1;
  form.Opcao_Menu = 4;
  form.Fim = true;  // left over from an earlier screen
  Tecla(SDL_KEYDOWN, SDL_SCANCODE_SPACE, false);
  Texto(" ");
  Tecla(SDL_KEYUP, SDL_SCANCODE_SPACE, false);
  Tecla(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, false);
  platform.WaitUntil(platform.TickCount() + 5, form);
  const int32_t antes = relogio.TickCount();
  EXPECT_EQ(form.Creditos(), Tela::Menu);
  EXPECT_EQ(relogio.TickCount(), antes);
}

TEST_F(SdlEventos, TimersFireWhenDueAndOnlyThenAndCountAsEventsToWaitFor) {
  sink.due = EventSink::kNever;
  platform.DoEvents(sink);
  EXPECT_TRUE(sink.fired_at.empty());
  sink.due = platform.TickCount() + 5;  // waiting for the next event: a timer tick counts as one
  platform.WaitAnyEvent(sink);
  ASSERT_EQ(sink.fired_at.size(), 1u);
  // And so does a key, with no timer running at all.
  sink.due = EventSink::kNever;
  Tecla(SDL_KEYDOWN, SDL_SCANCODE_F, false);
  platform.WaitAnyEvent(sink);
  EXPECT_EQ(sink.log.back(), "down 70");
  // A 3 ms timer inside a 20 ms frame wait: the wait returns at the deadline, not before, having
  // fired the timer on the way (every tick at or after its due time) and delivered the key.
  sink.fired_at.clear();
  const int32_t inicio = platform.TickCount();
  sink.interval = 3;
  sink.due = inicio + 3;
  Tecla(SDL_KEYDOWN, SDL_SCANCODE_UP, false);
  platform.WaitUntil(inicio + 20, sink);
  EXPECT_GE(platform.TickCount(), inicio + 20);
  EXPECT_EQ(sink.log[2], "down 38");
  ASSERT_FALSE(sink.fired_at.empty());
  EXPECT_GE(sink.fired_at.front(), inicio + 3);
  for (size_t i = 1; i < sink.fired_at.size(); ++i) EXPECT_GE(sink.fired_at[i], sink.fired_at[i - 1] + 3);
}

TEST_F(SdlEventos, AMessageBoxWithoutADisplayGoesToStandardError) {
  if (std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr) {
    GTEST_SKIP() << "a display is present; the box would wait for a click";
  }
  ::testing::internal::CaptureStderr();
  platform.MessageBox("Orbex", "/foo: Par\xC3\xA2metro inv\xC3\xA1lido.");
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("message box \"Orbex\": /foo: Par\xC3\xA2metro inv\xC3\xA1lido.\n"), std::string::npos)
      << err;
}

TEST_F(SdlEventos, AudioFollowsSdlAudioDriver) {
  // The "dummy" driver needs no sound card; the mixer is called with at most the frames it asked for.
  auto driver = std::make_unique<testes::Ambiente>("SDL_AUDIODRIVER", "dummy");
  AudioOutput* audio = platform.Audio();
  ASSERT_NE(audio, nullptr);
  int got_rate = 0;
  std::string error;
  int maior_pedido = 0;
  auto callback = [](void* user, float* out, int frames) {
    *static_cast<int*>(user) = std::max(*static_cast<int*>(user), frames);
    std::fill(out, out + 2 * frames, 0.0f);
  };
  ASSERT_TRUE(audio->Open(22050, 512, callback, &maior_pedido, got_rate, error)) << error;
  EXPECT_GT(got_rate, 0);
  audio->Lock();
  const int maior = maior_pedido;
  audio->Unlock();
  EXPECT_LE(maior, 512);
  audio->Close();
  audio->Close();  // twice is harmless

  driver.reset();
  driver = std::make_unique<testes::Ambiente>("SDL_AUDIODRIVER", "no-such-driver");
  EXPECT_FALSE(audio->Open(22050, 512, callback, &maior_pedido, got_rate, error));
  EXPECT_FALSE(error.empty());
}

#endif  // VARTENOS_SDL_TESTS

}  // namespace
}  // namespace vartenos
