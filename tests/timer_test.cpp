// The window-timer rules: fresh interval on enabling, at most one tick per interval, no queue of late
// ticks, interval 0 never fires, and the headless clock delivering ticks in time order.
#include "shell/timer.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/headless_platform.h"

namespace vartenos {
namespace {

// A sink with one timer that records when it fired.
struct Relogio : EventSink {
  Timer timer;
  std::vector<int32_t> ticks;
  std::vector<std::pair<int32_t, int16_t>> teclas;
  Platform* plataforma = nullptr;
  bool saindo = false;
  void KeyDown(int16_t vk) override { teclas.emplace_back(plataforma->TickCount(), vk); }
  void KeyUp(int16_t) override {}
  void KeyPress(int16_t ch) override { teclas.emplace_back(plataforma->TickCount(), -ch); }
  void CloseRequested() override { saindo = true; }
  int32_t NextTimerDue() const override { return timer.Due(); }
  void FireTimers(int32_t now) override {
    if (timer.Take(now)) ticks.push_back(now);
  }
  bool Leaving() const override { return saindo; }
};

TEST(Timer, TicksEveryIntervalFromTheMomentItWasEnabled) {
  HeadlessPlatform p;
  Relogio r;
  r.plataforma = &p;
  r.timer = Timer(false, 1000);
  r.timer.SetClock(&p);
  p.WaitUntil(300, r);
  r.timer.Enabled(true);  // at 300
  p.WaitUntil(3400, r);
  EXPECT_EQ(r.ticks, (std::vector<int32_t>{1300, 2300, 3300}));
  // Enabling an enabled timer changes nothing; setting its interval starts afresh from now.
  r.timer.Enabled(true);
  r.timer.Interval(500);  // at 3400
  p.WaitUntil(4500, r);
  EXPECT_EQ(r.ticks.back(), 4400);
  EXPECT_EQ(r.ticks[r.ticks.size() - 2], 3900);
}

TEST(Timer, LateTicksAreNotQueuedAndTheRhythmIsKept) {
  HeadlessPlatform p;
  Timer t(true, 1000);
  t.SetClock(&p);  // due at 1000
  EXPECT_FALSE(t.Take(999));
  // The game was busy for three and a half intervals: one tick, then the next on the old rhythm.
  EXPECT_TRUE(t.Take(4500));
  EXPECT_FALSE(t.Take(4500));
  EXPECT_EQ(t.Due(), 5000);
}

TEST(Timer, DisabledOrZeroIntervalNeverFires) {
  HeadlessPlatform p;
  Timer t(true, 0);
  t.SetClock(&p);
  EXPECT_EQ(t.Due(), EventSink::kNever);
  EXPECT_FALSE(t.Take(1000000));
  t.Interval(5);
  EXPECT_EQ(t.Due(), 5);
  t.Enabled(false);
  EXPECT_EQ(t.Due(), EventSink::kNever);
  EXPECT_FALSE(t.Take(10));
  // Re-enabling starts a fresh interval, not the one that was running.
  t.Enabled(true);
  EXPECT_EQ(t.Due(), 5);
}

TEST(HeadlessPlatform, DeliversEventsAndTicksInTimeOrderAndStopsAtTheDeadline) {
  std::vector<EventoRoteiro> roteiro;
  std::string erro;
  ASSERT_TRUE(
      LerRoteiroTexto("# comment\n\n2500 down 38\n  999 press 56\n999 down 40\n", "s", roteiro, erro));
  HeadlessPlatform p(roteiro);
  Relogio r;
  r.plataforma = &p;
  r.timer = Timer(true, 1000);
  r.timer.SetClock(&p);
  p.WaitUntil(2000, r);
  EXPECT_EQ(p.TickCount(), 2000);
  // Same time keeps file order.
  ASSERT_EQ(r.teclas.size(), 2u);
  EXPECT_EQ(r.teclas[0], (std::pair<int32_t, int16_t>{999, -56}));
  EXPECT_EQ(r.teclas[1], (std::pair<int32_t, int16_t>{999, 40}));
  EXPECT_EQ(r.ticks, (std::vector<int32_t>{1000, 2000}));
  // Waiting for any event jumps to the next one due.
  p.WaitAnyEvent(r);
  EXPECT_EQ(p.TickCount(), 2500);
  EXPECT_EQ(r.teclas.back(), (std::pair<int32_t, int16_t>{2500, 38}));
  p.WaitAnyEvent(r);
  EXPECT_EQ(p.TickCount(), 3000);
  EXPECT_EQ(r.ticks.back(), 3000);
}

TEST(HeadlessPlatform, PassingTheEndClosesTheWindowAtTheEnd) {
  HeadlessPlatform p({}, 1000);
  Relogio r;
  r.plataforma = &p;
  p.WaitUntil(975, r);
  EXPECT_FALSE(r.saindo);
  p.WaitUntil(1000, r);
  EXPECT_FALSE(r.saindo);
  p.WaitUntil(1025, r);
  EXPECT_TRUE(r.saindo);
  EXPECT_EQ(p.TickCount(), 1000);
}

TEST(Roteiro, MalformedLinesAreReportedWithTheirLineNumber) {
  std::vector<EventoRoteiro> out;
  std::string erro;
  EXPECT_FALSE(LerRoteiroTexto("10 down 32\n20 hold 32\n", "teclas.txt", out, erro));
  EXPECT_NE(erro.find("teclas.txt:2:"), std::string::npos) << erro;
  out.clear();
  EXPECT_FALSE(LerRoteiroTexto("10 down\n", "a", out, erro));
  EXPECT_NE(erro.find("a:1:"), std::string::npos) << erro;
  out.clear();
  EXPECT_FALSE(LerRoteiroTexto("\n\n-5 up 32\n", "a", out, erro));
  EXPECT_NE(erro.find("a:3:"), std::string::npos) << erro;
  out.clear();
  EXPECT_FALSE(LerRoteiroTexto("5 up 32 extra\n", "a", out, erro));
  out.clear();
  EXPECT_FALSE(LerRoteiroTexto("5 press 99999\n", "a", out, erro));
  EXPECT_NE(erro.find("a:1:"), std::string::npos) << erro;
}

}  // namespace
}  // namespace vartenos
