#include "platform/web_keys.h"

#include <array>

#include "platform/keys.h"

namespace platform {

namespace {

constexpr int kTableSize = 59;

struct CodeKey {
    std::string_view code;
    int key;
};

// The one translation table of the web backend: every key the game uses, by its place.
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
    int at = 0;
    for (int i = 0; i < 26; ++i) table[at++] = {letters[i], key::LetterA + i};
    for (int i = 0; i < 10; ++i) table[at++] = {digits[i], key::digit(i)};
    for (int i = 0; i < 10; ++i) table[at++] = {keypad[i], key::numpad(i)};
    table[at++] = {"Enter", key::Enter};
    table[at++] = {"NumpadEnter", key::Enter};
    table[at++] = {"Escape", key::Esc};
    table[at++] = {"ControlLeft", key::Ctrl};
    table[at++] = {"ControlRight", key::Ctrl};
    table[at++] = {"Pause", key::Pause};
    table[at++] = {"PageUp", key::PageUp};
    table[at++] = {"PageDown", key::PageDown};
    table[at++] = {"Space", key::Space};
    table[at++] = {"ArrowLeft", key::Left};
    table[at++] = {"ArrowUp", key::Up};
    table[at++] = {"ArrowRight", key::Right};
    table[at++] = {"ArrowDown", key::Down};
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
