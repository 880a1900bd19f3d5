#include "platform/web_keys.h"

#include <array>

#include "platform/keys.h"

namespace platform {

namespace {

constexpr int kTableSize = 86;

struct CodeKey {
    std::string_view code;
    int key;
};

// The one translation table of the web backend: every key the game uses, by its place. The
// function keys, Alt and the context-menu key stay the browser's (F5 reloads the page, F11
// and Alt+Enter switch full screen).
constexpr std::array<CodeKey, kTableSize> makeTable() {
    std::array<CodeKey, kTableSize> table{};
    constexpr std::string_view letters[26] = {
        "KeyA", "KeyB", "KeyC", "KeyD", "KeyE", "KeyF", "KeyG", "KeyH", "KeyI",
        "KeyJ", "KeyK", "KeyL", "KeyM", "KeyN", "KeyO", "KeyP", "KeyQ", "KeyR",
        "KeyS", "KeyT", "KeyU", "KeyV", "KeyW", "KeyX", "KeyY", "KeyZ"};
    constexpr std::string_view digits[10] = {"Digit0", "Digit1", "Digit2", "Digit3", "Digit4",
                                             "Digit5", "Digit6", "Digit7", "Digit8", "Digit9"};
    constexpr std::string_view keypad[10] = {"Numpad0", "Numpad1", "Numpad2", "Numpad3", "Numpad4",
                                             "Numpad5", "Numpad6", "Numpad7", "Numpad8", "Numpad9"};
    constexpr CodeKey others[] = {
        {"Enter", key::Enter},
        {"NumpadEnter", key::Enter},
        {"Escape", key::Esc},
        {"ControlLeft", key::Ctrl},
        {"ControlRight", key::Ctrl},
        {"Pause", key::Pause},
        {"PageUp", key::PageUp},
        {"PageDown", key::PageDown},
        {"Space", key::Space},
        {"ArrowLeft", key::Left},
        {"ArrowUp", key::Up},
        {"ArrowRight", key::Right},
        {"ArrowDown", key::Down},
        {"Backspace", key::Backspace},
        {"Tab", key::Tab},
        {"CapsLock", key::CapsLock},
        {"ShiftLeft", key::LeftShift},
        {"ShiftRight", key::RightShift},
        {"Insert", key::Insert},
        {"Delete", key::Delete},
        {"Home", key::Home},
        {"End", key::End},
        {"NumLock", key::NumLock},
        {"ScrollLock", key::ScrollLock},
        {"NumpadMultiply", key::NumpadMultiply},
        {"NumpadAdd", key::NumpadPlus},
        {"NumpadSubtract", key::NumpadMinus},
        {"NumpadDecimal", key::NumpadPeriod},
        {"NumpadDivide", key::NumpadDivide},
        {"Semicolon", key::Semicolon},
        {"Equal", key::Equals},
        {"Comma", key::Comma},
        {"Minus", key::Minus},
        {"Period", key::Period},
        {"Slash", key::Slash},
        {"Backquote", key::Grave},
        {"BracketLeft", key::LeftBracket},
        {"Backslash", key::Backslash},
        {"BracketRight", key::RightBracket},
        {"Quote", key::Apostrophe},
    };
    int at = 0;
    for (int i = 0; i < 26; ++i) table[at++] = {letters[i], key::LetterA + i};
    for (int i = 0; i < 10; ++i) table[at++] = {digits[i], key::digit(i)};
    for (int i = 0; i < 10; ++i) table[at++] = {keypad[i], key::numpad(i)};
    for (const CodeKey& other : others) table[at++] = other;
    return table;
}

constexpr std::array<CodeKey, kTableSize> kTable = makeTable();

}  // namespace

int virtualKeyForCode(std::string_view code) {
    for (const CodeKey& entry : kTable) {
        if (entry.code == code) return entry.key;
    }
    return 0;
}

std::string webKeyTable() {
    std::string text;
    const auto add = [&text](const CodeKey& entry) {
        text.append(entry.code);
        text += ' ';
        text += std::to_string(entry.key);
        text += '\n';
    };
    for (const CodeKey& entry : kTable) add(entry);
    return text;
}

}  // namespace platform
