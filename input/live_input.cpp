#include "input/live_input.h"

#include "input/devices.h"
#include "input/pacing.h"

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

Decision LiveInput::nextDecision() {
    Keyboard& keyboard = devices_.keyboard;
    keyboard.keyDown[key::Enter] = 0;
    keyboard.keyDown[key::Esc] = 0;
    for (;;) {
        if (keyboard.take(key::Enter)) return Decision::NextRound;
        if (keyboard.take(key::Esc)) return Decision::EndMatch;
        waitSinceMark(devices_, 0);
    }
}

void LiveInput::beginRound() {
    Keyboard& keyboard = devices_.keyboard;
    for (int key = 0; key < kMatchKeyCount; ++key) {
        const int code = matchKeyCode(devices_.playerKeys, key);
        keyboard.lastChange[code] = keyboard.keyDown[code] != 0 ? KeyChange::Down : KeyChange::None;
    }
    secondStamp_ = devices_.platform->ticks();
    marking_ = true;
}

FrameInput LiveInput::nextFrame() {
    Keyboard& keyboard = devices_.keyboard;
    FrameInput input;
    for (int key = 0; key < kMatchKeyCount; ++key) {
        const int code = matchKeyCode(devices_.playerKeys, key);
        input.setChange(key, keyboard.lastChange[code]);
        keyboard.lastChange[code] = KeyChange::None;
    }
    const uint32_t now = devices_.platform->ticks();
    // Unsigned difference: a tick count that wraps past 2^32 still counts right.
    if (marking_ && now - secondStamp_ >= kRoundSecondMs) {
        input.secondMark = true;
        secondStamp_ = now;
    }
    return input;
}

void LiveInput::roundEnded(const RoundResult&) { marking_ = false; }

void LiveInput::roundLeft() {
    Keyboard& keyboard = devices_.keyboard;
    for (int key = 0; key < kMatchKeyCount; ++key) {
        const int code = matchKeyCode(devices_.playerKeys, key);
        if (keyboard.lastChange[code] == KeyChange::None) {
            keyboard.keyDown[code] = roundKeys_.down[key];
        }
    }
}
