#include "input/live_input.h"

#include "input/devices.h"
#include "input/pacing.h"
#include "input/player_keys.h"

Decision LiveInput::nextDecision() {
    Keyboard& keyboard = devices_.keyboard;
    keyboard.keyDown[key::Enter] = 0;
    keyboard.keyDown[key::Esc] = 0;
    for (;;) {
        if (keyboard.take(key::Enter)) {
            roundComing();
            return Decision::NextRound;
        }
        if (keyboard.take(key::Esc)) return Decision::EndMatch;
        waitSinceMark(devices_, 0);
    }
}

void LiveInput::roundComing() {
    for (int key = 0; key < kSlots * kKeysPerSlot; ++key) {
        devices_.keyboard.keyDown[matchKeyCode(devices_.playerKeys, key)] = 0;
    }
}

void LiveInput::beginRound() {
    devices_.keyboard.keyDown[key::Esc] = 0;
    firstFrame_ = true;
    secondStamp_ = devices_.platform->ticks();
    marking_ = true;
}

FrameInput LiveInput::nextFrame() {
    Keyboard& keyboard = devices_.keyboard;
    FrameInput input;
    for (int key = 0; key < kMatchKeyCount; ++key) {
        const int code = matchKeyCode(devices_.playerKeys, key);
        const KeyChange change =
            firstFrame_ ? (keyboard.keyDown[code] != 0 ? KeyChange::Down : KeyChange::None)
                        : keyboard.lastChange[code];
        keyboard.lastChange[code] = KeyChange::None;
        if (change == KeyChange::Down) keyboard.keyDown[code] = 0;  // the round's now
        input.setChange(key, change);
    }
    firstFrame_ = false;
    const uint32_t now = devices_.platform->ticks();
    // Unsigned difference: a tick count that wraps past 2^32 still counts right.
    if (marking_ && now - secondStamp_ >= kRoundSecondMs) {
        input.secondMark = true;
        secondStamp_ = now;
    }
    return input;
}

void LiveInput::roundEnded(const RoundResult&) { marking_ = false; }
