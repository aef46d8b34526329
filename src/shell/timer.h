// A window timer as the game's three timers behave: enabling it (or changing the interval of an
// enabled one) starts a fresh interval from now; a tick fires at most once per interval, and ticks
// that fall due while the game is busy are not queued up (the next one keeps the timer's rhythm);
// an interval of 0 never fires.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace vartenos {

class Timer {
 public:
  Timer() = default;
  Timer(bool enabled, int32_t interval) : enabled_(enabled), interval_(interval) {}

  // The clock the timer measures from; the game sets it once the platform exists.
  void SetClock(Platform* clock) {
    clock_ = clock;
    Restart();
  }

  bool Enabled() const { return enabled_; }
  void Enabled(bool on) {
    if (on && !enabled_) {
      enabled_ = true;
      Restart();
    } else if (!on) {
      enabled_ = false;
    }
  }

  int32_t Interval() const { return interval_; }
  void Interval(int32_t ms) {
    interval_ = ms;
    if (enabled_) Restart();
  }

  // When the next tick falls due, or kNever.
  int32_t Due() const { return enabled_ && interval_ > 0 && clock_ != nullptr ? due_ : EventSink::kNever; }

  // True when a tick is due at `now`; then the next tick is set one interval on, skipping any
  // intervals that have already passed.
  bool Take(int32_t now) {
    if (Due() == EventSink::kNever || now < due_) return false;
    const int64_t late = static_cast<int64_t>(now) - due_;
    due_ = static_cast<int32_t>(due_ + (late / interval_ + 1) * static_cast<int64_t>(interval_));
    return true;
  }

 private:
  void Restart() {
    if (clock_ != nullptr) due_ = clock_->TickCount() + interval_;
  }

  Platform* clock_ = nullptr;
  bool enabled_ = false;
  int32_t interval_ = 0;
  int32_t due_ = 0;
};

}  // namespace vartenos
