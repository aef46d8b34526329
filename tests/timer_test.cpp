// The window-timer rules: fresh interval on enabling, at most one tick per interval, no queue of late
// ticks, interval 0 never fires, and the headless clock delivering ticks in time order.
#include "shell/timer.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/headless_platform.h"

namespace vartenos {
namespace {

// A sink with one timer that records when it fired and the keys it got.
struct Relogio : EventSink {
  explicit Relogio(HeadlessPlatform& p, Timer t = Timer(false, 1000)) : plataforma(p), timer(t) {
    timer.SetClock(&p);
  }
  HeadlessPlatform& plataforma;
  Timer timer;
  std::vector<int32_t> ticks;
  std::vector<std::pair<int32_t, int16_t>> teclas;  // key presses as negative codes
  bool saindo = false;
  void KeyDown(int16_t vk) override { teclas.emplace_back(plataforma.TickCount(), vk); }
  void KeyUp(int16_t) override {}
  void KeyPress(int16_t ch) override { teclas.emplace_back(plataforma.TickCount(), -ch); }
  void CloseRequested() override { saindo = true; }
  int32_t NextTimerDue() const override { return timer.Due(); }
  void FireTimers(int32_t now) override {
    if (timer.Take(now)) ticks.push_back(now);
  }
  bool Leaving() const override { return saindo; }
};

TEST(Timer, TicksEveryIntervalFromTheMomentItWasEnabledOrGivenAnInterval) {
  HeadlessPlatform p;
  Relogio r(p);
  p.WaitUntil(300, r);
  r.timer.Enabled(true);
  p.WaitUntil(3400, r);
  EXPECT_EQ(r.ticks, (std::vector<int32_t>{1300, 2300, 3300}));
  // Enabling an enabled timer changes nothing; setting its interval starts afresh from now.
  r.timer.Enabled(true);
  r.timer.Interval(500);
  p.WaitUntil(4500, r);
  EXPECT_EQ(r.ticks, (std::vector<int32_t>{1300, 2300, 3300, 3900, 4400}));
}

TEST(Timer, LateTicksAreNotQueuedAndDisabledOrZeroNeverFires) {
  HeadlessPlatform p;
  Timer t(true, 1000);
  t.SetClock(&p);
  EXPECT_FALSE(t.Take(999));
  // The game was busy for three and a half intervals: one tick, then the next on the old rhythm.
  EXPECT_TRUE(t.Take(4500));
  EXPECT_FALSE(t.Take(4500));
  EXPECT_EQ(t.Due(), 5000);
  t.Interval(0);
  EXPECT_EQ(t.Due(), EventSink::kNever);
  EXPECT_FALSE(t.Take(1000000));
  t.Interval(5);
  t.Enabled(false);
  EXPECT_EQ(t.Due(), EventSink::kNever);
  EXPECT_FALSE(t.Take(10));
}

TEST(HeadlessPlatform, DeliversEventsAndTicksInTimeOrderAndClosesAtTheEnd) {
  std::vector<EventoRoteiro> roteiro;
  std::string erro;
  ASSERT_TRUE(
      LerRoteiroTexto("# comment\n\n2500 down 38\n  999 press 56\n999 down 40\n", "s", roteiro, erro));
  HeadlessPlatform p(roteiro, 3000);
  Relogio r(p, Timer(true, 1000));
  p.WaitUntil(2000, r);
  // Same time keeps file order.
  EXPECT_EQ(r.teclas, (std::vector<std::pair<int32_t, int16_t>>{{999, -56}, {999, 40}}));
  EXPECT_EQ(r.ticks, (std::vector<int32_t>{1000, 2000}));
  // Waiting for any event jumps to the next one due.
  p.WaitAnyEvent(r);
  EXPECT_EQ(r.teclas.back(), (std::pair<int32_t, int16_t>{2500, 38}));
  p.WaitAnyEvent(r);
  EXPECT_EQ(r.ticks.back(), 3000);
  EXPECT_FALSE(r.saindo);
  p.WaitUntil(3025, r);  // past the end: the window closes, the clock stays at the end
  EXPECT_TRUE(r.saindo);
  EXPECT_EQ(p.TickCount(), 3000);
}

TEST(Roteiro, MalformedLinesAreReportedWithTheirLineNumber) {
  for (const auto& [texto, onde] : {std::pair{"10 down 32\n20 hold 32\n", "a:2:"},
                                    {"10 down\n", "a:1:"},
                                    {"\n\n-5 up 32\n", "a:3:"},
                                    {"5 up 32 extra\n", "a:1:"},
                                    {"5 press 99999\n", "a:1:"}}) {
    std::vector<EventoRoteiro> out;
    std::string erro;
    EXPECT_FALSE(LerRoteiroTexto(texto, "a", out, erro)) << texto;
    EXPECT_NE(erro.find(onde), std::string::npos) << erro;
  }
}

}  // namespace
}  // namespace vartenos
