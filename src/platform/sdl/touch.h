// Fingers on a touch screen, turned into the keys the game already knows, so the game itself needs no
// change and a touch session records and replays as a keyboard one. What a finger does depends on what
// it finds under it (EventSink::Touch):
//  - in a game, a finger anywhere steers: the ship follows the finger's movement from where the ship was
//    when the finger came down (relative, so the finger never covers it), the arrows held until it gets
//    there; while any finger is down the ship fires (Space held);
//  - in the menu, a finger on an item moves the selection there (Up or Down, the shorter way round), and
//    lifted there it chooses the item (Space);
//  - a screen that Esc closes (the opening, the credits, the phase-complete, closing and game-over
//    screens) closes when a finger that came down on it is lifted (Esc).
// Positions are in the picture's 640 x 480 pixels. Kept free of any SDL call so the tests can check it
// without a touch screen.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/keymap.h"

namespace vartenos {

class EstadoDoToque {
 public:
  // Picture pixels the ship goes for each pixel the finger goes: a thumb's reach crosses the screen.
  static constexpr double kGanho = 1.5;
  // Where the ship's top-left corner can be.
  static constexpr double kMaxX = 610, kMaxY = 445;

  // Each returns true when it sent the game anything.
  bool Desceu(int64_t id, double x, double y, EventSink& sink) {
    const TouchTarget t = sink.Touch(Px(x), Px(y));
    dedos_.push_back({id, x, y, t.kind, t.item});
    bool enviou = false;
    if (t.kind == TouchTarget::Ship) {
      enviou = Tiro(true, sink);
      return Seguir(sink) || enviou;
    }
    if (t.kind == TouchTarget::Menu && t.item != 0) return Selecionar(t.item, t.selected, sink);
    return false;
  }

  bool Moveu(int64_t id, double x, double y, EventSink& sink) {
    auto d = Achar(id);
    if (d == dedos_.end()) return false;
    const double dx = x - d->x, dy = y - d->y;
    d->x = x;
    d->y = y;
    const TouchTarget t = sink.Touch(Px(x), Px(y));
    if (t.kind == TouchTarget::Ship && d == dedos_.begin()) {
      // Only the first finger down steers; the others only keep the ship firing.
      Mirar(t);
      alvo_x_ = std::clamp(alvo_x_ + dx * kGanho, 0.0, kMaxX);
      alvo_y_ = std::clamp(alvo_y_ + dy * kGanho, 0.0, kMaxY);
      return Seguir(sink);
    }
    if (t.kind == TouchTarget::Menu && d->onde == TouchTarget::Menu) {
      // Sliding along the items moves the selection with the finger.
      d->item = t.item;
      if (t.item != 0 && t.item != t.selected) return Selecionar(t.item, t.selected, sink);
    }
    return false;
  }

  bool Subiu(int64_t id, double x, double y, EventSink& sink) {
    auto d = Achar(id);
    if (d == dedos_.end()) return false;
    const Dedo dedo = *d;
    dedos_.erase(d);
    const TouchTarget t = sink.Touch(Px(x), Px(y));
    bool enviou = false;
    if (dedo.onde == TouchTarget::Menu && t.kind == TouchTarget::Menu && t.item != 0 && t.item == dedo.item) {
      enviou = Selecionar(t.item, t.selected, sink);
      // Space as the keyboard sends it; only typed if the ship still holds it from a game.
      if (!tiro_) sink.KeyDown(VK_SPACE);
      if (!sink.Leaving()) sink.KeyPress(' ');
      if (!tiro_) sink.KeyUp(VK_SPACE);
      enviou = true;
    } else if (dedo.onde == TouchTarget::Closes && t.kind == TouchTarget::Closes && !sink.Leaving()) {
      sink.KeyPress(VK_ESCAPE);
      enviou = true;
    }
    if (dedos_.empty()) return Soltar(sink) || enviou;
    return enviou;
  }

  // Between frames: the arrows toward where the finger wants the ship, each let go once the ship is
  // within half a frame's move of it. Nothing is held outside a game (a pause, a screen after it).
  bool Seguir(EventSink& sink) {
    if (dedos_.empty() && !Segurando()) return false;
    const TouchTarget t = sink.Touch(0, 0);
    std::array<bool, 4> quer{};
    if (t.kind == TouchTarget::Ship && !dedos_.empty()) {
      Mirar(t);
      const double folga = std::max(0.5, t.ship_speed / 2);
      const double dx = alvo_x_ - t.ship_x, dy = alvo_y_ - t.ship_y;
      quer = {dx<-folga, dy<-folga, dx> folga, dy> folga};
    } else {
      mirando_ = false;
    }
    bool enviou = false;
    for (size_t i = 0; i < quer.size(); ++i) {
      if (quer[i] == setas_[i]) continue;
      setas_[i] = quer[i];
      if (quer[i]) {
        sink.KeyDown(kSetas[i]);
      } else {
        sink.KeyUp(kSetas[i]);
      }
      enviou = true;
    }
    return enviou;
  }

  // No finger any more (all lifted, or the page lost them): whatever is held goes up.
  bool Soltar(EventSink& sink) {
    dedos_.clear();
    mirando_ = false;
    bool enviou = Tiro(false, sink);
    for (size_t i = 0; i < setas_.size(); ++i) {
      if (!setas_[i]) continue;
      setas_[i] = false;
      sink.KeyUp(kSetas[i]);
      enviou = true;
    }
    return enviou;
  }

  bool Ativo() const { return !dedos_.empty() || Segurando(); }

 private:
  static constexpr std::array<int16_t, 4> kSetas = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};

  struct Dedo {
    int64_t id = 0;
    double x = 0, y = 0;
    TouchTarget::Kind onde = TouchTarget::Nothing;  // what it came down on
    int32_t item = 0;                               // the menu item under it
  };

  static int Px(double v) { return static_cast<int>(std::clamp(v, -1e6, 1e6)); }
  std::vector<Dedo>::iterator Achar(int64_t id) {
    return std::find_if(dedos_.begin(), dedos_.end(), [id](const Dedo& d) { return d.id == id; });
  }
  bool Segurando() const { return tiro_ || std::find(setas_.begin(), setas_.end(), true) != setas_.end(); }

  // The ship's goal starts where the ship is, when a finger first steers it in this game screen.
  void Mirar(const TouchTarget& t) {
    if (mirando_) return;
    mirando_ = true;
    alvo_x_ = t.ship_x;
    alvo_y_ = t.ship_y;
  }

  bool Tiro(bool apertado, EventSink& sink) {
    if (apertado == tiro_) return false;
    tiro_ = apertado;
    if (apertado) {
      sink.KeyDown(VK_SPACE);
    } else {
      sink.KeyUp(VK_SPACE);
    }
    return true;
  }

  // Up or Down from the selected item to `item`, the shorter way round the five.
  static bool Selecionar(int32_t item, int32_t selecionado, EventSink& sink) {
    const int abaixo = ((item - selecionado) % 5 + 5) % 5;
    const bool desce = abaixo <= 2;
    const int16_t seta = desce ? VK_DOWN : VK_UP;
    for (int n = desce ? abaixo : 5 - abaixo; n > 0 && !sink.Leaving(); --n) {
      sink.KeyDown(seta);
      sink.KeyUp(seta);
    }
    return abaixo != 0;
  }

  std::vector<Dedo> dedos_;
  bool tiro_ = false;
  std::array<bool, 4> setas_{};  // left, up, right, down held
  bool mirando_ = false;
  double alvo_x_ = 0, alvo_y_ = 0;
};

}  // namespace vartenos
