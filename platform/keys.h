// The one vocabulary of keys: Windows virtual-key codes, as the platform's key events carry
// them, and the one table of their names. A backend translates its keys into these codes by
// their place on the keyboard; the players' keys, every screen and the tests read them. No
// other place writes a key code or a key's name.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace key {
inline constexpr int Backspace = 8;
inline constexpr int Tab = 9;
inline constexpr int Enter = 13;
inline constexpr int Ctrl = 17;  // either Ctrl
inline constexpr int Alt = 18;   // either Alt
inline constexpr int Pause = 19;
inline constexpr int CapsLock = 20;
inline constexpr int Esc = 27;
inline constexpr int Space = 32;
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int Digit0 = 48;   // '0'..'9' are their own codes
inline constexpr int LetterA = 65;  // 'A'..'Z' are their own codes
inline constexpr int Menu = 93;     // the context-menu key
inline constexpr int Numpad0 = 96;  // keypad 0..9 follow in order
inline constexpr int NumpadMultiply = 106;
inline constexpr int NumpadPlus = 107;
inline constexpr int NumpadMinus = 109;
inline constexpr int NumpadPeriod = 110;
inline constexpr int NumpadDivide = 111;
inline constexpr int F1 = 112;  // F1..F12 follow in order
inline constexpr int NumLock = 144;
inline constexpr int ScrollLock = 145;
inline constexpr int LeftShift = 160;
inline constexpr int RightShift = 161;
inline constexpr int Semicolon = 186;
inline constexpr int Equals = 187;
inline constexpr int Comma = 188;
inline constexpr int Minus = 189;
inline constexpr int Period = 190;
inline constexpr int Slash = 191;
inline constexpr int Grave = 192;
inline constexpr int LeftBracket = 219;
inline constexpr int Backslash = 220;
inline constexpr int RightBracket = 221;
inline constexpr int Apostrophe = 222;

// Every code is below this: a table indexed by key code has this many entries.
inline constexpr int kCodeCount = 256;

constexpr int letter(char c) { return LetterA + (c - 'A'); }
constexpr int digit(int n) { return Digit0 + n; }
constexpr int numpad(int n) { return Numpad0 + n; }
constexpr int functionKey(int n) { return F1 + n - 1; }

// A key's name is what its cap says on a US keyboard, in capitals and without spaces, so
// that a line of names reads back word by word: letters, digits and punctuation are their
// own character, the keypad's keys start with "KP". Its label is what the score table's KEY
// column shows: one character where the font has one (the arrows have glyphs of their own:
// '"' left, '#' down, '$' right; '^' stands for up), else at most three.
struct KeyName {
    uint8_t code;
    const char* name;
    const char* label;
};

inline constexpr char kLeftArrowGlyph[] = "\"";
inline constexpr char kDownArrowGlyph[] = "#";
inline constexpr char kRightArrowGlyph[] = "$";
inline constexpr char kUpArrowGlyph[] = "^";
inline constexpr int kLongestLabel = 3;

inline constexpr KeyName kKeyNames[] = {
    {Backspace, "BACKSPACE", "BSP"},
    {Tab, "TAB", "TAB"},
    {Enter, "ENTER", "ENT"},
    {Ctrl, "CTRL", "CTL"},
    {Alt, "ALT", "ALT"},
    {Pause, "PAUSE", "PAU"},
    {CapsLock, "CAPSLOCK", "CAP"},
    {Esc, "ESC", "ESC"},
    {Space, "SPACE", "SPC"},
    {PageUp, "PAGEUP", "PGU"},
    {PageDown, "PAGEDOWN", "PGD"},
    {End, "END", "END"},
    {Home, "HOME", "HOM"},
    {Left, "LEFT", kLeftArrowGlyph},
    {Up, "UP", kUpArrowGlyph},
    {Right, "RIGHT", kRightArrowGlyph},
    {Down, "DOWN", kDownArrowGlyph},
    {Insert, "INSERT", "INS"},
    {Delete, "DELETE", "DEL"},
    {digit(0), "0", "0"},
    {digit(1), "1", "1"},
    {digit(2), "2", "2"},
    {digit(3), "3", "3"},
    {digit(4), "4", "4"},
    {digit(5), "5", "5"},
    {digit(6), "6", "6"},
    {digit(7), "7", "7"},
    {digit(8), "8", "8"},
    {digit(9), "9", "9"},
    {letter('A'), "A", "A"},
    {letter('B'), "B", "B"},
    {letter('C'), "C", "C"},
    {letter('D'), "D", "D"},
    {letter('E'), "E", "E"},
    {letter('F'), "F", "F"},
    {letter('G'), "G", "G"},
    {letter('H'), "H", "H"},
    {letter('I'), "I", "I"},
    {letter('J'), "J", "J"},
    {letter('K'), "K", "K"},
    {letter('L'), "L", "L"},
    {letter('M'), "M", "M"},
    {letter('N'), "N", "N"},
    {letter('O'), "O", "O"},
    {letter('P'), "P", "P"},
    {letter('Q'), "Q", "Q"},
    {letter('R'), "R", "R"},
    {letter('S'), "S", "S"},
    {letter('T'), "T", "T"},
    {letter('U'), "U", "U"},
    {letter('V'), "V", "V"},
    {letter('W'), "W", "W"},
    {letter('X'), "X", "X"},
    {letter('Y'), "Y", "Y"},
    {letter('Z'), "Z", "Z"},
    {Menu, "MENU", "MNU"},
    // The keypad's digits keep the plain digit on the score table, as they always showed.
    {numpad(0), "KP0", "0"},
    {numpad(1), "KP1", "1"},
    {numpad(2), "KP2", "2"},
    {numpad(3), "KP3", "3"},
    {numpad(4), "KP4", "4"},
    {numpad(5), "KP5", "5"},
    {numpad(6), "KP6", "6"},
    {numpad(7), "KP7", "7"},
    {numpad(8), "KP8", "8"},
    {numpad(9), "KP9", "9"},
    {NumpadMultiply, "KP*", "K*"},
    {NumpadPlus, "KP+", "K+"},
    {NumpadMinus, "KP-", "K-"},
    {NumpadPeriod, "KP.", "K."},
    {NumpadDivide, "KP/", "K/"},
    {functionKey(1), "F1", "F1"},
    {functionKey(2), "F2", "F2"},
    {functionKey(3), "F3", "F3"},
    {functionKey(4), "F4", "F4"},
    {functionKey(5), "F5", "F5"},
    {functionKey(6), "F6", "F6"},
    {functionKey(7), "F7", "F7"},
    {functionKey(8), "F8", "F8"},
    {functionKey(9), "F9", "F9"},
    {functionKey(10), "F10", "F10"},
    {functionKey(11), "F11", "F11"},
    {functionKey(12), "F12", "F12"},
    {NumLock, "NUMLOCK", "NUM"},
    {ScrollLock, "SCRLOCK", "SCR"},
    {LeftShift, "LSHIFT", "LSH"},
    {RightShift, "RSHIFT", "RSH"},
    {Semicolon, ";", ";"},
    {Equals, "=", "="},
    {Comma, ",", ","},
    {Minus, "-", "-"},
    {Period, ".", "."},
    {Slash, "/", "/"},
    {Grave, "`", "`"},
    {LeftBracket, "[", "["},
    {Backslash, "\\", "\\"},
    {RightBracket, "]", "]"},
    {Apostrophe, "'", "'"},
};

// The longest name, in characters.
inline constexpr int kLongestName = 9;

// The name and the label of a code; nullptr for a code without a name.
const char* nameOf(int code);
const char* labelOf(int code);
// The code of a name, in capitals or not ("q" is Q); 0 for no key of that name.
int codeNamed(std::string_view name);

// Keys the game keeps for itself, never a player's: Enter, Esc, Pause, Page Up and Page
// Down, Ctrl (unthrottles while held), Alt and F11 (Alt+Enter and F11 switch the window).
bool isReserved(int code);
}  // namespace key
