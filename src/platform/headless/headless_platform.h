// The headless platform: no window, no sound device, and a virtual millisecond clock that starts at 0
// and moves only while the game waits. Frames take no virtual time. Key events come from a script of
// timed events; a whole run is fast and the same on every machine.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vartenos {

struct EventoRoteiro {
  enum Tipo : uint8_t { Down, Up, Press };
  int32_t t = 0;
  Tipo tipo = Down;
  int16_t codigo = 0;
};

// Reads a script: one event a line, "T down VK", "T up VK" or "T press CODE", T in virtual
// milliseconds; blank lines and lines starting with '#' are ignored. Events with the same T keep their
// file order. Returns false with "FILE:LINE: problem" in `error`.
bool LerRoteiro(const std::string& path, std::vector<EventoRoteiro>& out, std::string& error);
bool LerRoteiroTexto(const std::string& text, const std::string& name, std::vector<EventoRoteiro>& out,
                     std::string& error);

class HeadlessPlatform : public Platform {
 public:
  // `until`: the run ends (the window is closed) when the clock would pass it.
  explicit HeadlessPlatform(std::vector<EventoRoteiro> script = {},
                            int32_t until = std::numeric_limits<int32_t>::max());

  int32_t TickCount() override { return clock_; }
  void OpenDisplay() override { display_open_ = true; }
  void CloseDisplay() override { display_open_ = false; }
  void Present(const Surface&) override { ++presents_; }
  void DoEvents(EventSink& sink) override;
  void WaitUntil(int32_t deadline, EventSink& sink) override;
  void WaitAnyEvent(EventSink& sink) override;
  void MessageBox(const std::string& title, const std::string& text) override;
  AudioOutput* Audio() override { return nullptr; }

  bool DisplayOpen() const { return display_open_; }
  int64_t Presents() const { return presents_; }
  // Adds an event to deliver later (tests); it keeps time order with the script.
  void Agendar(const EventoRoteiro& e);
  // A key struck as a keyboard gives it, for the players the runner plays with: down at `t`, the
  // character it types (none when `ch` is 0), and up `segurar` milliseconds later.
  void Tocar(int32_t t, int16_t vk, int16_t ch, int32_t segurar) {
    Agendar({t, EventoRoteiro::Down, vk});
    if (ch != 0) Agendar({t, EventoRoteiro::Press, ch});
    Agendar({t + segurar, EventoRoteiro::Up, vk});
  }
  // Closes the window when the clock would pass `t` (a player closing the game), unless the run ends
  // sooner.
  void EncerrarEm(int32_t t) { until_ = std::min(until_, t); }

 private:
  // Moves the clock to `t` unless that passes `until`, in which case the window is closed.
  bool Avancar(int32_t t, EventSink& sink);
  int32_t ProximoEvento() const;

  std::vector<EventoRoteiro> script_;
  size_t next_ = 0;
  int32_t until_;
  int32_t clock_ = 0;
  bool display_open_ = false;
  bool closed_ = false;
  int64_t presents_ = 0;
};

}  // namespace vartenos
