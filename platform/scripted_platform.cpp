#include "platform/scripted_platform.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

constexpr uint64_t kMicrosPerMs = 1000;
constexpr int kPaletteSize = 256;

uint64_t microsOf(uint32_t ms) { return uint64_t{ms} * kMicrosPerMs; }

}  // namespace

// --- the script ---------------------------------------------------------------------------

void ScriptedPlatform::push(uint32_t atMs, Event event) {
    const uint64_t at = microsOf(atMs);
    // After every event of the same or an earlier time, so equal times keep their order.
    const auto place =
        std::upper_bound(queue_.begin(), queue_.end(), at,
                         [](uint64_t time, const Timed& queued) { return time < queued.atMicros; });
    queue_.insert(place, Timed{at, event});
}

void ScriptedPlatform::keyDown(uint32_t atMs, int key, bool repeat) {
    push(atMs, Event{EventKind::KeyDown, key, repeat});
}

void ScriptedPlatform::keyUp(uint32_t atMs, int key) {
    push(atMs, Event{EventKind::KeyUp, key, false});
}

void ScriptedPlatform::keyPress(uint32_t atMs, int key, uint32_t holdMs) {
    keyDown(atMs, key);
    keyUp(atMs + holdMs, key);
}

void ScriptedPlatform::padDown(uint32_t atMs, int pad, PadButton button) {
    push(atMs, Event{EventKind::PadDown, 0, false, pad, button});
}

void ScriptedPlatform::padUp(uint32_t atMs, int pad, PadButton button) {
    push(atMs, Event{EventKind::PadUp, 0, false, pad, button});
}

void ScriptedPlatform::padPress(uint32_t atMs, int pad, PadButton button, uint32_t holdMs) {
    padDown(atMs, pad, button);
    padUp(atMs + holdMs, pad, button);
}

void ScriptedPlatform::padAdded(uint32_t atMs, int pad) {
    push(atMs, Event{EventKind::PadAdded, 0, false, pad});
}

void ScriptedPlatform::padRemoved(uint32_t atMs, int pad) {
    push(atMs, Event{EventKind::PadRemoved, 0, false, pad});
}

// --- Platform -----------------------------------------------------------------------------

bool ScriptedPlatform::openDisplay(std::string& error) {
    if (failOpen) {
        error = "cannot open the display: no display in this script";
        return false;
    }
    open_ = true;
    return true;
}

void ScriptedPlatform::closeDisplay() { open_ = false; }

uint32_t ScriptedPlatform::ticks() { return static_cast<uint32_t>(nowMicros_ / kMicrosPerMs); }

// The next event due at or before `deadline`: the first queued one, or the idle Quit once
// the script is empty. Does not move the clock.
bool ScriptedPlatform::nextDue(uint64_t deadline, Timed& due) const {
    if (!queue_.empty()) {
        if (queue_.front().atMicros > deadline) return false;
        due = queue_.front();
        return true;
    }
    if (idleQuitMicros_ > deadline) return false;
    due = Timed{idleQuitMicros_, Event{EventKind::Quit, 0, false}};
    return true;
}

bool ScriptedPlatform::takeDue(Event& event) { return takeDueBy(nowMicros_, event); }

bool ScriptedPlatform::takeDueBy(uint64_t deadline, Event& event) {
    Timed due{};
    if (!nextDue(deadline, due)) return false;
    if (!queue_.empty()) queue_.pop_front();
    nowMicros_ = std::max(nowMicros_, due.atMicros);
    event = due.event;
    return true;
}

bool ScriptedPlatform::pollEvent(Event& event) {
    ++pollCount_;
    nowMicros_ += pollCostMicros;
    return takeDue(event);
}

bool ScriptedPlatform::waitEvent(Event& event, uint32_t timeoutMs) {
    ++waitCount_;
    const uint64_t deadline = nowMicros_ + microsOf(timeoutMs);
    if (takeDueBy(deadline, event)) return true;
    nowMicros_ = deadline;
    return false;
}

void ScriptedPlatform::present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) {
    ++presentCount_;
    last_.atMicros = nowMicros_;
    // The buffers are reused, so a long run of presents does not allocate each time.
    last_.pixels.resize(size_t{kPageWidth} * kPageHeight);
    for (int y = 0; y < kPageHeight; ++y) {
        std::memcpy(&last_.pixels[size_t{kPageWidth} * y], pixels + size_t(pitch) * y, kPageWidth);
    }
    last_.palette.assign(palette, palette + kPaletteSize);
    if (keepAllPages) pages_.push_back(last_);
    if (onPresent) onPresent(last_);
}

bool ScriptedPlatform::keepFiles(std::string& error) {
    error = refuseKeeping;
    return refuseKeeping.empty();
}

}  // namespace platform
