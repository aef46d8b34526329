// Physical keys to the Windows virtual-key codes the game's key handlers were written for
// (arrows 37 to 40, Space 32, letters by their capital, digits by their character).
// Kept inline and free of any SDL call so that the tests can check it without a display.
#pragma once

#include <SDL_scancode.h>

#include <cstdint>

#include "platform/keys.h"

namespace vartenos {

// One key and the virtual-key code it reports.
struct TeclaVirtual {
  SDL_Scancode tecla;
  int16_t codigo;
};

// With NumLock off the keypad is a second set of cursor and editing keys.
inline constexpr TeclaVirtual kTecladoNumericoSemNumLock[] = {
    {SDL_SCANCODE_KP_8, VK_UP},          {SDL_SCANCODE_KP_2, VK_DOWN},  {SDL_SCANCODE_KP_4, VK_LEFT},
    {SDL_SCANCODE_KP_6, VK_RIGHT},       {SDL_SCANCODE_KP_7, VK_HOME},  {SDL_SCANCODE_KP_9, VK_PRIOR},
    {SDL_SCANCODE_KP_1, VK_END},         {SDL_SCANCODE_KP_3, VK_NEXT},  {SDL_SCANCODE_KP_0, VK_INSERT},
    {SDL_SCANCODE_KP_PERIOD, VK_DELETE}, {SDL_SCANCODE_KP_5, VK_CLEAR},  // the keypad's centre key
};

// Every other key the game has a code for.
inline constexpr TeclaVirtual kTeclasFixas[] = {
    {SDL_SCANCODE_0, '0'},
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_LEFT, VK_LEFT},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_INSERT, VK_INSERT},
    {SDL_SCANCODE_DELETE, VK_DELETE},
    {SDL_SCANCODE_HOME, VK_HOME},
    {SDL_SCANCODE_END, VK_END},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDL_SCANCODE_PAUSE, 19},
    {SDL_SCANCODE_CAPSLOCK, 20},
    {SDL_SCANCODE_PRINTSCREEN, 44},
    {SDL_SCANCODE_SCROLLLOCK, 145},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144},
    // The key handlers see one code for each pair of modifiers, not left and right apart.
    {SDL_SCANCODE_LSHIFT, 16},
    {SDL_SCANCODE_RSHIFT, 16},
    {SDL_SCANCODE_LCTRL, 17},
    {SDL_SCANCODE_RCTRL, 17},
    {SDL_SCANCODE_LALT, 18},
    {SDL_SCANCODE_RALT, 18},
    {SDL_SCANCODE_LGUI, 91},
    {SDL_SCANCODE_RGUI, 92},
    {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_KP_MULTIPLY, 106},
    {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_MINUS, 109},
    {SDL_SCANCODE_KP_DIVIDE, 111},
    // Punctuation, by position on a US keyboard, as Windows names it.
    {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_EQUALS, 187},
    {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_PERIOD, 190},
    {SDL_SCANCODE_SLASH, 191},
    {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_LEFTBRACKET, 219},
    {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_NONUSHASH, 220},
    {SDL_SCANCODE_RIGHTBRACKET, 221},
    {SDL_SCANCODE_APOSTROPHE, 222},
    {SDL_SCANCODE_NONUSBACKSLASH, 226},
};

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
    for (const TeclaVirtual& t : kTecladoNumericoSemNumLock) {
      if (t.tecla == sc) return t.codigo;
    }
  }
  for (const TeclaVirtual& t : kTeclasFixas) {
    if (t.tecla == sc) return t.codigo;
  }
  return 0;
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
