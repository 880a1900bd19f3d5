#include "shell/live_input.h"

#include "shell/game.h"
#include "shell/pacing.h"

namespace {

int slotKeyCode(const PlayerKeys& keys, int which) {
    switch (which) {
        case SlotKeyTurnLeft:
            return keys.turnLeftKey;
        case SlotKeyItem:
            return keys.itemKey;
        default:
            return keys.turnRightKey;
    }
}

}  // namespace

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
            return slotKeyCode(playerKeys[matchKey / kKeysPerSlot], matchKey % kKeysPerSlot);
    }
}

Decision LiveInput::nextDecision() {
    Keyboard& keyboard = game_.keyboard;
    keyboard.keyDown[key::Enter] = 0;
    keyboard.keyDown[key::Esc] = 0;
    for (;;) {
        if (keyboard.take(key::Enter)) return Decision::NextRound;
        if (keyboard.take(key::Esc)) return Decision::EndMatch;
        waitSinceMark(game_, 0);
    }
}

uint32_t LiveInput::beginRound() {
    Keyboard& keyboard = game_.keyboard;
    for (int key = 0; key < kMatchKeyCount; ++key) {
        const int code = matchKeyCode(key);
        keyboard.lastChange[code] = keyboard.keyDown[code] != 0 ? KeyChange::Down : KeyChange::None;
    }
    return game_.platform->ticks();
}

FrameInput LiveInput::nextFrame() {
    Keyboard& keyboard = game_.keyboard;
    FrameInput input;
    for (int key = 0; key < kMatchKeyCount; ++key) {
        const int code = matchKeyCode(key);
        input.setChange(key, keyboard.lastChange[code]);
        keyboard.lastChange[code] = KeyChange::None;
    }
    input.clock = game_.platform->ticks();
    return input;
}

void LiveInput::endRound(uint64_t, const Scores&) {
    Keyboard& keyboard = game_.keyboard;
    for (int key = 0; key < kMatchKeyCount; ++key) {
        const int code = matchKeyCode(key);
        if (keyboard.lastChange[code] == KeyChange::None) {
            keyboard.keyDown[code] = game_.match.roundKeys.down[key];
        }
    }
}
