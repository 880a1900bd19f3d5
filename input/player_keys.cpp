#include "input/player_keys.h"

int matchKeyCode(int matchKey) {
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
            return playerKeys[matchKey / kKeysPerSlot].at(matchKey % kKeysPerSlot);
    }
}
