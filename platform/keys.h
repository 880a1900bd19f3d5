// The one vocabulary of key codes: Windows virtual-key codes, as the platform's key events
// carry them. The SDL backend translates its keys into these, the players' key table and
// every screen read them, and tests press them. No other place writes a key code.
#pragma once

namespace key {
inline constexpr int Enter = 13;
inline constexpr int Ctrl = 17;
inline constexpr int Pause = 19;
inline constexpr int Esc = 27;
inline constexpr int Space = 32;
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Digit0 = 48;   // '0'..'9' are their own codes
inline constexpr int LetterA = 65;  // 'A'..'Z' are their own codes
inline constexpr int Numpad0 = 96;  // keypad 0..9 follow in order

constexpr int letter(char c) { return LetterA + (c - 'A'); }
constexpr int digit(int n) { return Digit0 + n; }
constexpr int numpad(int n) { return Numpad0 + n; }
}  // namespace key
