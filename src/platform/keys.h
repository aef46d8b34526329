// The key codes the game speaks: a key going down or up is named by its Windows virtual-key code, a
// key typed by the character it types. Letters go down as their capital ('P') and type as the letter
// typed ('P' or 'p'); digits are their character both ways; Escape and Space are the same number both
// ways. The platforms, the game's key handlers, the players the runner plays with and the window
// replay all use these names.
#pragma once

#include <cstdint>

namespace vartenos {

constexpr int16_t VK_BACK = 8;
constexpr int16_t VK_TAB = 9;
constexpr int16_t VK_CLEAR = 12;
constexpr int16_t VK_RETURN = 13;
constexpr int16_t VK_ESCAPE = 27;
constexpr int16_t VK_SPACE = 32;
constexpr int16_t VK_PRIOR = 33;  // Page Up
constexpr int16_t VK_NEXT = 34;   // Page Down
constexpr int16_t VK_END = 35;
constexpr int16_t VK_HOME = 36;
constexpr int16_t VK_LEFT = 37;
constexpr int16_t VK_UP = 38;
constexpr int16_t VK_RIGHT = 39;
constexpr int16_t VK_DOWN = 40;
constexpr int16_t VK_INSERT = 45;
constexpr int16_t VK_DELETE = 46;
constexpr int16_t VK_NUMPAD0 = 96;

// The four arrows in the order left, up, right, down.
constexpr int16_t kSetas[4] = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};

// The game's letter keys: pause, sound, music and the frame counter.
constexpr int16_t kTeclaPausa = 'P';
constexpr int16_t kTeclaSom = 'S';
constexpr int16_t kTeclaMusica = 'M';
constexpr int16_t kTeclaFps = 'F';

// The character a letter key types without Shift: 'p' for 'P'.
constexpr int16_t Minuscula(int16_t letra) { return static_cast<int16_t>(letra + ('a' - 'A')); }

}  // namespace vartenos
