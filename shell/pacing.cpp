#include "shell/pacing.h"

#include <algorithm>

#include "shell/game.h"
#include "shell/pad_input.h"
#include "shell/program.h"

namespace {

// How long a pump that would otherwise spin waits for an event: the rest of the
// millisecond in which the previous pump also found nothing.
constexpr uint32_t kSpinGuardMs = 1;

bool recorded(int code) { return code >= 0 && code < kKeyTableSize; }

// The game's reaction to one event: the key table, Ctrl's pacing switch, the endings, and
// the game controllers (which press keys of the key table too).
void handleEvent(Game& game, const platform::Event& event) {
    Keyboard& keyboard = game.keyboard;
    switch (event.kind) {
        case platform::EventKind::KeyDown:
            if (event.key == key::Pause) shutdown(game, 0);
            if (recorded(event.key)) keyboard.press(event.key);
            if (event.key == key::Ctrl) keyboard.pacingOn = 0;
            break;
        case platform::EventKind::KeyUp:
            if (recorded(event.key)) keyboard.release(event.key);
            if (event.key == key::Ctrl) keyboard.pacingOn = 1;
            break;
        case platform::EventKind::PadDown:
        case platform::EventKind::PadUp:
        case platform::EventKind::PadAdded:
        case platform::EventKind::PadRemoved:
            handlePadEvent(game, event);
            break;
        case platform::EventKind::RightButton:
        case platform::EventKind::Close:
        case platform::EventKind::Quit:
            shutdown(game, 0);
        case platform::EventKind::None:
            break;
    }
}

// Takes every pending event; true when there was at least one.
bool takePendingEvents(Game& game) {
    platform::Event event;
    bool any = false;
    while (game.platform->pollEvent(event)) {
        handleEvent(game, event);
        any = true;
    }
    return any;
}

// Called after a pump found the queue empty. When the previous pump also found it empty in
// this same millisecond, the caller is a loop that only pumps: give the processor away
// until the next millisecond or the next event, whichever comes first.
void waitOutSpin(Game& game) {
    Pacing& pacing = game.pacing;
    uint32_t now = game.platform->ticks();
    if (game.keyboard.pacingOn != 0 && pacing.polledEmpty && now == pacing.lastEmptyPoll) {
        platform::Event event;
        if (game.platform->waitEvent(event, kSpinGuardMs)) {
            handleEvent(game, event);
            takePendingEvents(game);
            pacing.polledEmpty = false;
            return;
        }
        now = game.platform->ticks();
    }
    pacing.polledEmpty = true;
    pacing.lastEmptyPoll = now;
}

// Pumps once, then goes on pumping, blocking for the time left between pumps, until
// `length` ms have passed since `start` or Ctrl is held. Tick differences are unsigned, so
// a tick count that wraps past 2^32 during the wait changes nothing. A present that would
// fall due during the wait is made before it: on a slow display a present then uses the
// round frame's waiting time instead of making the frame late.
void pumpUntil(Game& game, uint32_t start, uint32_t length) {
    pumpMessages(game);
    const uint32_t beforeWaiting = game.platform->ticks() - start;
    if (game.keyboard.pacingOn != 0 && beforeWaiting < length) {
        game.screen.PresentIfDueWithin(length - beforeWaiting);
    }
    while (game.keyboard.pacingOn != 0) {
        const uint32_t elapsed = game.platform->ticks() - start;
        if (elapsed >= length) return;
        pumpMessagesWaiting(game, length - elapsed);
    }
}

}  // namespace

void pumpMessages(Game& game) {
    if (takePendingEvents(game)) {
        game.pacing.polledEmpty = false;
    } else {
        waitOutSpin(game);
    }
    repeatHeldPadKeys(game);
    game.screen.PresentIfDue();
}

void pumpMessagesWaiting(Game& game, uint32_t maxWaitMs) {
    // A held pad button's repeat is due no later than the wait's end.
    maxWaitMs = std::min(maxWaitMs, msUntilPadRepeat(game));
    platform::Event event;
    if (game.platform->waitEvent(event, maxWaitMs)) handleEvent(game, event);
    // A wait of at least a millisecond gave the processor away: the pump that follows is
    // not a spinning one.
    if (maxWaitMs > 0) game.pacing.polledEmpty = false;
    pumpMessages(game);
}

void markFrameStart(Game& game) { game.pacing.frameStart = game.platform->ticks(); }

void waitSinceMark(Game& game, uint32_t ms) { pumpUntil(game, game.pacing.frameStart, ms); }

void busyDelay(Game& game, int32_t n) {
    const uint32_t start = game.platform->ticks();
    // WAIT is 0..999; a negative count is no delay rather than an endless one.
    const int64_t units = std::max<int64_t>(n, 0);
    const int64_t length = std::min<int64_t>(units * kWaitUnitMs, UINT32_MAX);
    pumpUntil(game, start, static_cast<uint32_t>(length));
}

void installScreenWaitHook(Game& game) {
    game.screen.SetWaitHook([&game](uint32_t maxWaitMs) {
        if (game.keyboard.pacingOn == 0) return false;
        pumpMessagesWaiting(game, maxWaitMs);
        return game.keyboard.pacingOn != 0;
    });
}
