// What the game needs of a machine: a millisecond clock, window events delivered between frames,
// a place to show the finished picture, a modal message box and an audio output.
// Two backends implement it: sdl/ for a real desktop and headless/ for tests and the runner.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace vartenos {

class Surface;

// What a finger at a point of the picture finds on the screen showing now, for touch screens: the ship
// to steer (a game), an item of the menu, a screen that a tap closes as Esc does, or nothing.
struct TouchTarget {
  enum Kind : uint8_t { Nothing, Ship, Menu, Closes };
  Kind kind = Nothing;
  int32_t item = 0;                               // Menu: the item under the finger, 1 to 5 (0: none)
  int32_t selected = 0;                           // Menu: the item selected now
  double ship_x = 0, ship_y = 0, ship_speed = 0;  // Ship: where it is and how far a frame moves it
};

// Receives the window events. The game implements it; the platform calls it only from DoEvents,
// WaitUntil and WaitAnyEvent, that is between frames.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void KeyDown(int16_t vk) = 0;  // Windows virtual-key code
  virtual void KeyUp(int16_t vk) = 0;
  virtual void KeyPress(int16_t ch) = 0;  // typed character code (Escape = 27)
  virtual void CloseRequested() = 0;      // the window is being closed
  // The window lost the keyboard focus (the player switched to another window).
  virtual void FocusLost() {}
  // What a finger at (x, y) of the 640 x 480 picture finds (only asked, never acted on: the platform
  // turns fingers into the keys above).
  virtual TouchTarget Touch(int /*x*/, int /*y*/) const { return {}; }
  // Earliest clock value at which an enabled timer falls due; kNever when none can.
  virtual int32_t NextTimerDue() const = 0;
  // Fires every timer that is due at `now` (each at most once).
  virtual void FireTimers(int32_t now) = 0;
  // True once the game is leaving its screens (closing); waits then return at once.
  virtual bool Leaving() const = 0;

  static constexpr int32_t kNever = std::numeric_limits<int32_t>::max();
};

// Interleaved stereo float samples, `frames` frames, to be filled by the game's mixer.
using AudioCallback = void (*)(void* user, float* out, int frames);

// A real audio device. The mixer runs inside `callback` on the device's own thread.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // Opens the device at about `rate` Hz, stereo, at most `frames` frames per callback.
  // Returns false with a reason in `error` when there is no device.
  virtual bool Open(int rate, int frames, AudioCallback callback, void* user, int& got_rate,
                    std::string& error) = 0;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
  virtual void Close() = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Milliseconds, 32-bit, as the game's frame pacing reads it.
  virtual int32_t TickCount() = 0;

  // The same clock as the sound code reads it to follow a piece or a buffer. Such a reading does not
  // steer the game, so a recording of the session leaves it out.
  virtual int32_t RelogioDoSom() { return TickCount(); }
  // Passes on an answer from the sound device that the game acts on (is the piece still playing?).
  // A recording keeps it; a replay gives back the recorded one.
  virtual bool RespostaDoSom(bool resposta) { return resposta; }

  // Opens the 640 x 480 picture (full screen or a window). Throws FatalError when it cannot.
  virtual void OpenDisplay() = 0;
  virtual void CloseDisplay() = 0;

  // Shows `primary` (640 x 480, RGB565) on the screen.
  virtual void Present(const Surface& primary) = 0;

  // Processes the pending window events once (key events, timers due now, close request).
  virtual void DoEvents(EventSink& sink) = 0;
  // Processes events at least once, then goes on processing them until the clock reaches `deadline`.
  virtual void WaitUntil(int32_t deadline, EventSink& sink) = 0;
  // Waits for at least one event (key or timer tick) and processes it.
  virtual void WaitAnyEvent(EventSink& sink) = 0;

  // A modal box with an error icon and an OK button.
  virtual void MessageBox(const std::string& title, const std::string& text) = 0;

  // The audio device, or nullptr when the platform has none by design (headless): the mixer then
  // follows the platform clock without producing samples.
  virtual AudioOutput* Audio() = 0;
};

}  // namespace vartenos
