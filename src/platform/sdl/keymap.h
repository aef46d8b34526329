// Physical keys to the Windows virtual-key codes the game's key handlers were written for
// (arrows 37 to 40, Space 32, letters by their capital, digits by their character).
// Kept inline and free of any SDL call so that the tests can check it without a display.
#pragma once

#include <SDL_scancode.h>

#include <cstdint>

namespace vartenos {

// Virtual-key codes with a name in the game's handlers.
constexpr int16_t VK_BACK = 8;
constexpr int16_t VK_TAB = 9;
constexpr int16_t VK_CLEAR = 12;
constexpr int16_t VK_RETURN = 13;
constexpr int16_t VK_ESCAPE = 27;
constexpr int16_t VK_SPACE = 32;
constexpr int16_t VK_LEFT = 37;
constexpr int16_t VK_UP = 38;
constexpr int16_t VK_RIGHT = 39;
constexpr int16_t VK_DOWN = 40;
constexpr int16_t VK_NUMPAD0 = 96;

// The virtual-key code of a key, 0 for keys the game has no code for. With NumLock off the keypad
// is a second set of cursor keys (8, 2, 4, 6 steer the ship and move through the menu); with NumLock
// on its digits are VK_NUMPAD0 to VK_NUMPAD9 and what they type arrives as characters.
constexpr int16_t CodigoVirtual(SDL_Scancode sc, bool numlock) {
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return static_cast<int16_t>('A' + (sc - SDL_SCANCODE_A));
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return static_cast<int16_t>('1' + (sc - SDL_SCANCODE_1));
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12)
    return static_cast<int16_t>(112 + (sc - SDL_SCANCODE_F1));
  if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24)
    return static_cast<int16_t>(124 + (sc - SDL_SCANCODE_F13));
  if (numlock) {
    if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) {
      return static_cast<int16_t>(VK_NUMPAD0 + 1 + (sc - SDL_SCANCODE_KP_1));
    }
    if (sc == SDL_SCANCODE_KP_0) return VK_NUMPAD0;
    if (sc == SDL_SCANCODE_KP_PERIOD) return 110;  // VK_DECIMAL
  } else {
    switch (sc) {
      case SDL_SCANCODE_KP_8:
        return VK_UP;
      case SDL_SCANCODE_KP_2:
        return VK_DOWN;
      case SDL_SCANCODE_KP_4:
        return VK_LEFT;
      case SDL_SCANCODE_KP_6:
        return VK_RIGHT;
      case SDL_SCANCODE_KP_7:
        return 36;  // Home
      case SDL_SCANCODE_KP_9:
        return 33;  // Page Up
      case SDL_SCANCODE_KP_1:
        return 35;  // End
      case SDL_SCANCODE_KP_3:
        return 34;  // Page Down
      case SDL_SCANCODE_KP_5:
        return VK_CLEAR;  // the keypad's centre key
      case SDL_SCANCODE_KP_0:
        return 45;  // Insert
      case SDL_SCANCODE_KP_PERIOD:
        return 46;  // Delete
      default:
        break;
    }
  }
  switch (sc) {
    case SDL_SCANCODE_0:
      return '0';
    case SDL_SCANCODE_RETURN:
      return VK_RETURN;
    case SDL_SCANCODE_KP_ENTER:
      return VK_RETURN;
    case SDL_SCANCODE_ESCAPE:
      return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE:
      return VK_BACK;
    case SDL_SCANCODE_TAB:
      return VK_TAB;
    case SDL_SCANCODE_SPACE:
      return VK_SPACE;
    case SDL_SCANCODE_LEFT:
      return VK_LEFT;
    case SDL_SCANCODE_UP:
      return VK_UP;
    case SDL_SCANCODE_RIGHT:
      return VK_RIGHT;
    case SDL_SCANCODE_DOWN:
      return VK_DOWN;
    case SDL_SCANCODE_INSERT:
      return 45;
    case SDL_SCANCODE_DELETE:
      return 46;
    case SDL_SCANCODE_HOME:
      return 36;
    case SDL_SCANCODE_END:
      return 35;
    case SDL_SCANCODE_PAGEUP:
      return 33;
    case SDL_SCANCODE_PAGEDOWN:
      return 34;
    case SDL_SCANCODE_PAUSE:
      return 19;
    case SDL_SCANCODE_CAPSLOCK:
      return 20;
    case SDL_SCANCODE_PRINTSCREEN:
      return 44;
    case SDL_SCANCODE_SCROLLLOCK:
      return 145;
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return 144;
    // The key handlers see one code for each pair of modifiers, not left and right apart.
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
      return 16;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
      return 17;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
      return 18;
    case SDL_SCANCODE_LGUI:
      return 91;
    case SDL_SCANCODE_RGUI:
      return 92;
    case SDL_SCANCODE_APPLICATION:
      return 93;
    case SDL_SCANCODE_KP_MULTIPLY:
      return 106;
    case SDL_SCANCODE_KP_PLUS:
      return 107;
    case SDL_SCANCODE_KP_MINUS:
      return 109;
    case SDL_SCANCODE_KP_DIVIDE:
      return 111;
    // Punctuation, by position on a US keyboard, as Windows names it.
    case SDL_SCANCODE_SEMICOLON:
      return 186;
    case SDL_SCANCODE_EQUALS:
      return 187;
    case SDL_SCANCODE_COMMA:
      return 188;
    case SDL_SCANCODE_MINUS:
      return 189;
    case SDL_SCANCODE_PERIOD:
      return 190;
    case SDL_SCANCODE_SLASH:
      return 191;
    case SDL_SCANCODE_GRAVE:
      return 192;
    case SDL_SCANCODE_LEFTBRACKET:
      return 219;
    case SDL_SCANCODE_BACKSLASH:
      return 220;
    case SDL_SCANCODE_NONUSHASH:
      return 220;
    case SDL_SCANCODE_RIGHTBRACKET:
      return 221;
    case SDL_SCANCODE_APOSTROPHE:
      return 222;
    case SDL_SCANCODE_NONUSBACKSLASH:
      return 226;
    default:
      return 0;
  }
}

// The character a key-down types when the text input does not report it: Windows sends these as
// key presses too (Escape leaves the game, Enter and Backspace for completeness).
constexpr int16_t CaractereDeControle(SDL_Scancode sc) {
  switch (sc) {
    case SDL_SCANCODE_ESCAPE:
      return VK_ESCAPE;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      return VK_RETURN;
    case SDL_SCANCODE_BACKSPACE:
      return VK_BACK;
    case SDL_SCANCODE_TAB:
      return VK_TAB;
    default:
      return 0;
  }
}

}  // namespace vartenos
