#include "input/player_keys.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

int matchKeyCode(const PlayerKeyTable& keys, int matchKey) {
    switch (matchKey) {
        case MatchKeyEsc:
            return key::Esc;
        case MatchKeyPageUp:
            return key::PageUp;
        case MatchKeyPageDown:
            return key::PageDown;
        case MatchKeyEnter:
            return key::Enter;
        default:
            return keys[matchKey / kKeysPerSlot].at(matchKey % kKeysPerSlot);
    }
}

int slotOfKey(const PlayerKeyTable& keys, int code) {
    for (int slot = 0; slot < kSlots; ++slot) {
        for (int which = 0; which < kKeysPerSlot; ++which) {
            if (keys[slot].at(which) == code) return slot;
        }
    }
    return kNoSlot;
}

bool isPlayerKey(int code) { return key::nameOf(code) != nullptr && !key::isReserved(code); }

bool keysPlayable(const PlayerKeyTable& keys) {
    for (int slot = 0; slot < kSlots; ++slot) {
        for (int which = 0; which < kKeysPerSlot; ++which) {
            const int code = keys[slot].at(which);
            if (!isPlayerKey(code)) return false;
            for (int other = 0; other < slot * kKeysPerSlot + which; ++other) {
                if (keys[other / kKeysPerSlot].at(other % kKeysPerSlot) == code) return false;
            }
        }
    }
    return true;
}

void formatKeyColumn(const PlayerKeys& keys, char* text, std::size_t size) {
    const char* labels[kKeysPerSlot];
    bool single = true;
    for (int which = 0; which < kKeysPerSlot; ++which) {
        const char* label = key::labelOf(keys.at(which));
        labels[which] = label != nullptr ? label : "?";
        single = single && std::strlen(labels[which]) == 1;
    }
    std::snprintf(text, size, single ? "%s%s%s" : "%s %s %s", labels[0], labels[1], labels[2]);
}

int keyColumnWidth(const PlayerKeyTable& keys, unsigned listedSlots) {
    int width = static_cast<int>(std::strlen(kKeyHeading));
    for (int slot = 0; slot < kSlots; ++slot) {
        if ((listedSlots & (1u << slot)) == 0) continue;
        char text[kKeyColumnMax + 1];
        formatKeyColumn(keys[slot], text, sizeof text);
        width = std::max(width, static_cast<int>(std::strlen(text)));
    }
    return width;
}
