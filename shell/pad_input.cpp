#include "shell/pad_input.h"

#include <algorithm>
#include <climits>

#include "round/player.h"
#include "shell/game.h"
#include "shell/keyboard.h"

namespace {

using platform::EventKind;
using platform::kMaxPads;
using platform::kPadButtonCount;
using platform::PadButton;

// What a button does in a round, in terms of the pad's own player slot.
enum class RoundKey : uint8_t { None, TurnLeft, Item, TurnRight, Enter, Esc };

struct PadButtonKeys {
    PadButton button;
    RoundKey inRound;  // in a round
    int inMenus;       // on the menus and the score table: a key code, 0 for nothing
};

constexpr int kNoKey = 0;

// The mapping, one row per button in the order of PadButton.
constexpr std::array<PadButtonKeys, kPadButtonCount> kPadButtonKeys = {{
    {PadButton::Left, RoundKey::TurnLeft, key::Left},
    {PadButton::Right, RoundKey::TurnRight, key::Right},
    {PadButton::Up, RoundKey::None, key::Up},
    {PadButton::Down, RoundKey::None, key::Down},
    {PadButton::Fire, RoundKey::Item, key::Enter},
    {PadButton::Start, RoundKey::Enter, key::Enter},
    {PadButton::Back, RoundKey::Esc, key::Esc},
    {PadButton::LeftShoulder, RoundKey::TurnLeft, kNoKey},
    {PadButton::RightShoulder, RoundKey::TurnRight, kNoKey},
}};

constexpr bool rowsInButtonOrder() {
    for (int i = 0; i < kPadButtonCount; ++i) {
        if (static_cast<int>(kPadButtonKeys[i].button) != i) return false;
    }
    return true;
}
static_assert(rowsInButtonOrder(), "one row per pad button, in the order of PadButton");

int roundKeyCode(int pad, RoundKey roundKey) {
    const PlayerKeys& keys = playerKeys[pad];
    switch (roundKey) {
        case RoundKey::TurnLeft:
            return keys.turnLeftKey;
        case RoundKey::Item:
            return keys.itemKey;
        case RoundKey::TurnRight:
            return keys.turnRightKey;
        case RoundKey::Enter:
            return key::Enter;
        case RoundKey::Esc:
            return key::Esc;
        case RoundKey::None:
            break;
    }
    return kNoKey;
}

bool validPad(int pad) { return pad >= 0 && pad < kMaxPads; }
bool validButton(int button) { return button >= 0 && button < kPadButtonCount; }

// Tick a is at or after tick b, across the 2^32 wrap.
bool reached(uint32_t now, uint32_t due) { return static_cast<int32_t>(now - due) >= 0; }

// True when a held button other than (pad, button) holds `code`: its release then leaves
// the key down for the button still holding it.
bool heldElsewhere(const PadInput& pads, int code, int pad, int button) {
    for (int p = 0; p < kMaxPads; ++p) {
        for (int b = 0; b < kPadButtonCount; ++b) {
            if ((p != pad || b != button) && pads.heldKey[p][b] == code) return true;
        }
    }
    return false;
}

void releaseButton(Game& game, int pad, int button) {
    PadInput& pads = game.pads;
    const int code = pads.heldKey[pad][button];
    pads.heldKey[pad][button] = kNoKey;
    if (code != kNoKey && !heldElsewhere(pads, code, pad, button)) {
        game.keyboard.release(code);
    }
}

void releasePad(Game& game, int pad) {
    for (int button = 0; button < kPadButtonCount; ++button) releaseButton(game, pad, button);
}

void releaseAllPads(Game& game) {
    for (int pad = 0; pad < kMaxPads; ++pad) releasePad(game, pad);
}

// When a round started or ended since the held keys were pressed, they are let go: a key
// pressed for the menus must not act for another slot in the round, nor the other way.
void followRoundState(Game& game) {
    if (game.pads.mappedInRound == game.roundRunning) return;
    releaseAllPads(game);
    game.pads.mappedInRound = game.roundRunning;
}

// The slot whose keys a pad presses in a round: the pad's own, except on a machine that
// joined a network game, where the pads play this machine's slots in slot order (its first
// pad its first slot). kMaxPads when the machine has no slot for the pad.
int padSlot(const Game& game, int pad) {
    if (game.owners.self == 0) return pad;
    for (int slot = 0, seen = 0; slot < kSlots; ++slot) {
        if (!game.owners.elsewhere(slot) && seen++ == pad) return slot;
    }
    return kMaxPads;
}

void pressButton(Game& game, int pad, int button) {
    followRoundState(game);
    releaseButton(game, pad, button);  // a second press without a release starts anew
    const int code = padKeyFor(game.roundRunning ? padSlot(game, pad) : pad,
                               static_cast<PadButton>(button), game.roundRunning);
    if (code == kNoKey) return;
    game.pads.heldKey[pad][button] = static_cast<int16_t>(code);
    game.pads.nextRepeat[pad][button] = game.platform->ticks() + kPadRepeatDelayMs;
    game.keyboard.press(code);
}

bool anyHeld(const PadInput& pads) {
    for (const auto& buttons : pads.heldKey) {
        for (int16_t code : buttons) {
            if (code != kNoKey) return true;
        }
    }
    return false;
}

}  // namespace

int padKeyFor(int pad, PadButton button, bool inRound) {
    const int index = static_cast<int>(button);
    if (!validPad(pad) || !validButton(index)) return kNoKey;
    const PadButtonKeys& row = kPadButtonKeys[index];
    return inRound ? roundKeyCode(pad, row.inRound) : row.inMenus;
}

void handlePadEvent(Game& game, const platform::Event& event) {
    if (!validPad(event.pad)) return;
    const int button = static_cast<int>(event.button);
    switch (event.kind) {
        case EventKind::PadDown:
            if (validButton(button)) pressButton(game, event.pad, button);
            break;
        case EventKind::PadUp:
            followRoundState(game);
            if (validButton(button)) releaseButton(game, event.pad, button);
            break;
        case EventKind::PadAdded:    // a new controller starts with every button up
        case EventKind::PadRemoved:  // a controller that went away holds nothing
            releasePad(game, event.pad);
            break;
        default:
            break;
    }
}

void repeatHeldPadKeys(Game& game) {
    PadInput& pads = game.pads;
    if (!anyHeld(pads)) return;
    followRoundState(game);
    const uint32_t now = game.platform->ticks();
    for (int pad = 0; pad < kMaxPads; ++pad) {
        for (int button = 0; button < kPadButtonCount; ++button) {
            const int code = pads.heldKey[pad][button];
            if (code == kNoKey || !reached(now, pads.nextRepeat[pad][button])) continue;
            game.keyboard.press(code);
            pads.nextRepeat[pad][button] = now + kPadRepeatIntervalMs;
        }
    }
}

uint32_t msUntilPadRepeat(Game& game) {
    const PadInput& pads = game.pads;
    if (!anyHeld(pads)) return UINT32_MAX;
    const uint32_t now = game.platform->ticks();
    uint32_t soonest = UINT32_MAX;
    for (int pad = 0; pad < kMaxPads; ++pad) {
        for (int button = 0; button < kPadButtonCount; ++button) {
            if (pads.heldKey[pad][button] == kNoKey) continue;
            const uint32_t due = pads.nextRepeat[pad][button];
            soonest = std::min(soonest, reached(now, due) ? 0u : due - now);
        }
    }
    return soonest;
}

void setRoundRunning(Game& game, bool running) {
    game.roundRunning = running;
    followRoundState(game);
}

RoundRunning::RoundRunning(Game& game) : game_(game) { setRoundRunning(game_, true); }

RoundRunning::~RoundRunning() { setRoundRunning(game_, false); }
