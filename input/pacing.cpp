#include "input/pacing.h"

#include <algorithm>

#include "input/devices.h"
#include "input/pad_input.h"

namespace {

// How long a pump that would otherwise spin waits for an event: the rest of the
// millisecond in which the previous pump also found nothing.
constexpr uint32_t kSpinGuardMs = 1;

bool recorded(int code) { return code >= 0 && code < kKeyTableSize; }

// The game's reaction to one event: the key table, Ctrl's pacing switch, the endings, and
// the game controllers (which press keys of the key table too).
void handleEvent(Devices& devices, const platform::Event& event) {
    Keyboard& keyboard = devices.keyboard;
    switch (event.kind) {
        case platform::EventKind::KeyDown:
            if (event.key == key::Pause) throw ProgramExit{0};
            if (recorded(event.key)) keyboard.keyboardDown(event.key);
            if (event.key == key::Ctrl) keyboard.pacingOn = false;
            break;
        case platform::EventKind::KeyUp:
            if (recorded(event.key)) keyboard.keyboardUp(event.key);
            if (event.key == key::Ctrl) keyboard.pacingOn = true;
            break;
        case platform::EventKind::PadDown:
        case platform::EventKind::PadUp:
        case platform::EventKind::PadAdded:
        case platform::EventKind::PadRemoved:
            handlePadEvent(devices, event);
            break;
        case platform::EventKind::RightButton:
        case platform::EventKind::Close:
        case platform::EventKind::Quit:
            throw ProgramExit{0};
        case platform::EventKind::DisplayLost:
            throw ProgramExit{1};
        case platform::EventKind::None:
            break;
    }
}

// Takes every pending event; true when there was at least one.
bool takePendingEvents(Devices& devices) {
    platform::Event event;
    bool any = false;
    while (devices.platform->pollEvent(event)) {
        handleEvent(devices, event);
        any = true;
    }
    return any;
}

// Called after a pump found the queue empty. When the previous pump also found it empty in
// this same millisecond, the caller is a loop that only pumps: give the processor away
// until the next millisecond or the next event, whichever comes first.
void waitOutSpin(Devices& devices) {
    Pacing& pacing = devices.pacing;
    uint32_t now = devices.platform->ticks();
    if (devices.keyboard.pacingOn && pacing.polledEmpty && now == pacing.lastEmptyPoll) {
        platform::Event event;
        if (devices.platform->waitEvent(event, kSpinGuardMs)) {
            handleEvent(devices, event);
            takePendingEvents(devices);
            pacing.polledEmpty = false;
            return;
        }
        now = devices.platform->ticks();
    }
    pacing.polledEmpty = true;
    pacing.lastEmptyPoll = now;
}

// Pumps once, then goes on pumping, blocking for the time left between pumps, until
// `length` ms have passed since `start` or Ctrl is held. Tick differences are unsigned, so
// a tick count that wraps past 2^32 during the wait changes nothing. A present that would
// fall due during the wait is made before it: on a slow display a present then uses the
// round frame's waiting time instead of making the frame late.
void pumpUntil(Devices& devices, uint32_t start, uint32_t length) {
    pumpMessages(devices);
    const uint32_t beforeWaiting = devices.platform->ticks() - start;
    if (devices.keyboard.pacingOn && beforeWaiting < length) {
        devices.screen.PresentIfDueWithin(length - beforeWaiting);
    }
    while (devices.keyboard.pacingOn) {
        const uint32_t elapsed = devices.platform->ticks() - start;
        if (elapsed >= length) return;
        pumpMessagesWaiting(devices, length - elapsed);
    }
}

}  // namespace

void pumpMessages(Devices& devices) {
    if (takePendingEvents(devices)) {
        devices.pacing.polledEmpty = false;
    } else {
        waitOutSpin(devices);
    }
    repeatHeldPadKeys(devices);
    devices.screen.PresentIfDue();
}

void pumpMessagesWaiting(Devices& devices, uint32_t maxWaitMs) {
    // A held pad button's repeat is due no later than the wait's end.
    maxWaitMs = std::min(maxWaitMs, msUntilPadRepeat(devices));
    platform::Event event;
    if (devices.platform->waitEvent(event, maxWaitMs)) handleEvent(devices, event);
    // A wait of at least a millisecond gave the processor away: the pump that follows is
    // not a spinning one.
    if (maxWaitMs > 0) devices.pacing.polledEmpty = false;
    pumpMessages(devices);
}

void markFrameStart(Devices& devices) { devices.pacing.frameStart = devices.platform->ticks(); }

void waitSinceMark(Devices& devices, uint32_t ms) {
    pumpUntil(devices, devices.pacing.frameStart, ms);
}

void busyDelay(Devices& devices, int32_t n) {
    const uint32_t start = devices.platform->ticks();
    // WAIT is 0..999; a negative count is no delay rather than an endless one.
    const int64_t units = std::max<int64_t>(n, 0);
    const int64_t length = std::min<int64_t>(units * kWaitUnitMs, UINT32_MAX);
    pumpUntil(devices, start, static_cast<uint32_t>(length));
}

void installScreenWaitHook(Devices& devices) {
    devices.screen.SetWaitHook([&devices](uint32_t maxWaitMs) {
        if (!devices.keyboard.pacingOn) return false;
        pumpMessagesWaiting(devices, maxWaitMs);
        return devices.keyboard.pacingOn;
    });
}
