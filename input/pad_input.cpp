#include "input/pad_input.h"

#include <algorithm>
#include <climits>

#include "input/devices.h"
#include "input/keyboard.h"
#include "input/player_keys.h"

namespace {

using platform::EventKind;
using platform::kMaxPads;
using platform::kPadButtonCount;
using platform::PadButton;

// What a button does in a round, in terms of the pad's own player slot.
enum class ButtonRole : uint8_t { None, TurnLeft, Item, TurnRight, Enter, Esc };

struct PadButtonKeys {
    PadButton button;
    ButtonRole inRound;  // in a round
    int inMenus;         // on the menus and the score table: a key code, 0 for nothing
};

constexpr int kNoKey = 0;

// The mapping, one row per button in the order of PadButton.
constexpr std::array<PadButtonKeys, kPadButtonCount> kPadButtonKeys = {{
    {PadButton::Left, ButtonRole::TurnLeft, key::Left},
    {PadButton::Right, ButtonRole::TurnRight, key::Right},
    {PadButton::Up, ButtonRole::None, key::Up},
    {PadButton::Down, ButtonRole::None, key::Down},
    {PadButton::Fire, ButtonRole::Item, key::Enter},
    {PadButton::Start, ButtonRole::Enter, key::Enter},
    {PadButton::Back, ButtonRole::Esc, key::Esc},
    {PadButton::LeftShoulder, ButtonRole::TurnLeft, kNoKey},
    {PadButton::RightShoulder, ButtonRole::TurnRight, kNoKey},
}};

constexpr bool rowsInButtonOrder() {
    for (int i = 0; i < kPadButtonCount; ++i) {
        if (static_cast<int>(kPadButtonKeys[i].button) != i) return false;
    }
    return true;
}
static_assert(rowsInButtonOrder(), "one row per pad button, in the order of PadButton");

constexpr int kNoMatchKey = -1;

// The match key a button of the given role presses for `slot`.
int roleMatchKey(int slot, ButtonRole role) {
    switch (role) {
        case ButtonRole::TurnLeft:
            return slotKey(slot, SlotKeyTurnLeft);
        case ButtonRole::Item:
            return slotKey(slot, SlotKeyItem);
        case ButtonRole::TurnRight:
            return slotKey(slot, SlotKeyTurnRight);
        case ButtonRole::Enter:
            return MatchKeyEnter;
        case ButtonRole::Esc:
            return MatchKeyEsc;
        case ButtonRole::None:
            break;
    }
    return kNoMatchKey;
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

void releaseButton(Devices& devices, int pad, int button) {
    PadInput& pads = devices.pads;
    const int code = pads.heldKey[pad][button];
    pads.heldKey[pad][button] = kNoKey;
    if (code != kNoKey && !heldElsewhere(pads, code, pad, button)) {
        devices.keyboard.release(code);
    }
}

void releasePad(Devices& devices, int pad) {
    for (int button = 0; button < kPadButtonCount; ++button) releaseButton(devices, pad, button);
}

void releaseAllPads(Devices& devices) {
    for (int pad = 0; pad < kMaxPads; ++pad) releasePad(devices, pad);
}

// When a round started or ended since the held keys were pressed, they are let go: a key
// pressed for the menus must not act for another slot in the round, nor the other way.
void followRoundState(Devices& devices) {
    if (devices.pads.mappedInRound == devices.roundRunning) return;
    releaseAllPads(devices);
    devices.pads.mappedInRound = devices.roundRunning;
}

void pressButton(Devices& devices, int pad, int button) {
    followRoundState(devices);
    releaseButton(devices, pad, button);  // a second press without a release starts anew
    const bool inRound = devices.roundRunning;
    const int code = padKeyFor(devices.playerKeys, inRound ? devices.pads.roundSlot[pad] : pad,
                               static_cast<PadButton>(button), inRound);
    if (code == kNoKey) return;
    devices.pads.heldKey[pad][button] = static_cast<int16_t>(code);
    devices.pads.nextRepeat[pad][button] = devices.platform->ticks() + kPadRepeatDelayMs;
    devices.keyboard.press(code);
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

int padKeyFor(const PlayerKeyTable& keys, int pad, PadButton button, bool inRound) {
    const int index = static_cast<int>(button);
    if (!validPad(pad) || !validButton(index)) return kNoKey;
    const PadButtonKeys& row = kPadButtonKeys[index];
    if (!inRound) return row.inMenus;
    const int matchKey = roleMatchKey(pad, row.inRound);
    return matchKey == kNoMatchKey ? kNoKey : matchKeyCode(keys, matchKey);
}

void handlePadEvent(Devices& devices, const platform::Event& event) {
    if (!validPad(event.pad)) return;
    const int button = static_cast<int>(event.button);
    uint16_t& held = devices.pads.buttonsHeld[event.pad];
    switch (event.kind) {
        case EventKind::PadDown:
            if (!validButton(button)) break;
            held |= uint16_t(1u << button);
            pressButton(devices, event.pad, button);
            break;
        case EventKind::PadUp:
            followRoundState(devices);
            if (!validButton(button)) break;
            held &= uint16_t(~(1u << button));
            releaseButton(devices, event.pad, button);
            break;
        case EventKind::PadAdded:    // a new controller starts with every button up
        case EventKind::PadRemoved:  // a controller that went away holds nothing
            held = 0;
            releasePad(devices, event.pad);
            break;
        default:
            break;
    }
}

void repeatHeldPadKeys(Devices& devices) {
    PadInput& pads = devices.pads;
    if (!anyHeld(pads)) return;
    followRoundState(devices);
    const uint32_t now = devices.platform->ticks();
    for (int pad = 0; pad < kMaxPads; ++pad) {
        for (int button = 0; button < kPadButtonCount; ++button) {
            const int code = pads.heldKey[pad][button];
            if (code == kNoKey || !reached(now, pads.nextRepeat[pad][button])) continue;
            devices.keyboard.press(code);
            pads.nextRepeat[pad][button] = now + kPadRepeatIntervalMs;
        }
    }
}

uint32_t msUntilPadRepeat(Devices& devices) {
    const PadInput& pads = devices.pads;
    if (!anyHeld(pads)) return UINT32_MAX;
    const uint32_t now = devices.platform->ticks();
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

void setRoundRunning(Devices& devices, bool running) {
    devices.roundRunning = running;
    followRoundState(devices);
}

PadsInRound::PadsInRound(Devices& devices) : devices_(devices) { setRoundRunning(devices_, true); }

PadsInRound::~PadsInRound() { setRoundRunning(devices_, false); }
