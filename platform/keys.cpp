#include "platform/keys.h"

namespace key {

namespace {

constexpr char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

constexpr bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) return false;
    }
    return true;
}

constexpr const KeyName* entryOf(int code) {
    for (const KeyName& entry : kKeyNames) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

constexpr bool namesAreWords() {
    for (const KeyName& entry : kKeyNames) {
        const std::string_view name(entry.name);
        if (name.empty() || name.size() > std::size_t(kLongestName)) return false;
        if (std::string_view(entry.label).size() > std::size_t(kLongestLabel)) return false;
        for (char c : name) {
            if (c <= ' ' || c > '~' || upper(c) != c) return false;
        }
    }
    return true;
}
static_assert(namesAreWords(), "names are capitals without blanks, labels at most 3 long");

constexpr bool eachCodeAndNameOnce() {
    for (const KeyName& a : kKeyNames) {
        for (const KeyName& b : kKeyNames) {
            if (&a != &b && (a.code == b.code || sameName(a.name, b.name))) return false;
        }
    }
    return true;
}
static_assert(eachCodeAndNameOnce(), "one row per key");

}  // namespace

const char* nameOf(int code) {
    const KeyName* entry = entryOf(code);
    return entry != nullptr ? entry->name : nullptr;
}

const char* labelOf(int code) {
    const KeyName* entry = entryOf(code);
    return entry != nullptr ? entry->label : nullptr;
}

int codeNamed(std::string_view name) {
    for (const KeyName& entry : kKeyNames) {
        if (sameName(entry.name, name)) return entry.code;
    }
    return 0;
}

bool isReserved(int code) {
    switch (code) {
        case Enter:
        case Esc:
        case Pause:
        case PageUp:
        case PageDown:
        case Ctrl:
        case Alt:
        case functionKey(11):
            return true;
        default:
            return false;
    }
}

}  // namespace key
