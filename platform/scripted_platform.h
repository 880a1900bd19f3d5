// A platform for tests: events queued at virtual times, a virtual clock that waits (and,
// a little, polls) advance, and the presented pages kept for inspection. With it a test
// runs the real screens and rounds from start-up to exit, fast and deterministically.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform {

class ScriptedPlatform : public Platform {
public:
    struct Timed {
        uint64_t atMicros;
        Event event;
    };
    struct PresentedPage {
        uint64_t atMicros;
        std::vector<uint8_t> pixels;        // 640 x 480, pitch 640
        std::vector<PaletteEntry> palette;  // 256 entries
    };

    // --- the script ---------------------------------------------------------------------
    // Events are delivered in the order of their times (equal times in the order queued).
    void keyDown(uint32_t atMs, int key, bool repeat = false);
    void keyUp(uint32_t atMs, int key);
    void keyPress(uint32_t atMs, int key, uint32_t holdMs = 20);  // down, then up
    void push(uint32_t atMs, Event event);
    // Game controller events, by pad slot as the platform would assign them.
    void padDown(uint32_t atMs, int pad, PadButton button);
    void padUp(uint32_t atMs, int pad, PadButton button);
    void padPress(uint32_t atMs, int pad, PadButton button, uint32_t holdMs = 20);
    void padAdded(uint32_t atMs, int pad);
    void padRemoved(uint32_t atMs, int pad);
    // When the script has no event left and the clock passes this time, a Quit event is
    // delivered (by every poll and wait from then on), so that a test whose script ran out
    // still ends.
    void quitWhenIdleAfter(uint32_t ms) { idleQuitMicros_ = uint64_t{ms} * 1000; }

    // --- configuration ------------------------------------------------------------------
    bool failOpen = false;        // openDisplay fails (as with no display)
    uint32_t pollCostMicros = 2;  // virtual time each poll takes, so polling loops end
    uint32_t refreshMs = 17;
    int64_t calendarSeconds = 0;  // what calendarTime() reads: the seed of a scripted run
    bool keepAllPages = false;    // keep every presented page, not only the last
    std::string refuseKeeping;    // not empty: keepFiles fails with this reason (a browser's
                                  // storage that is full or turned off)
    std::function<void(const PresentedPage&)> onPresent;  // called on every present

    // --- inspection ---------------------------------------------------------------------
    bool displayOpen() const { return open_; }
    uint64_t nowMicros() const { return nowMicros_; }
    void advance(uint32_t ms) { nowMicros_ += uint64_t{ms} * 1000; }
    void setTicks(uint32_t ms) { nowMicros_ = uint64_t{ms} * 1000; }  // e.g. near the wrap
    uint64_t presentCount() const { return presentCount_; }
    const PresentedPage& lastPage() const { return last_; }
    const std::vector<PresentedPage>& pages() const { return pages_; }
    uint64_t pollCount() const { return pollCount_; }
    uint64_t waitCount() const { return waitCount_; }
    bool scriptDone() const { return queue_.empty(); }

    // --- Platform -----------------------------------------------------------------------
    // ticks() is the virtual clock in whole milliseconds, wrapping like a real tick count.
    // pollEvent costs pollCostMicros; waitEvent moves the clock to the event it returns, or
    // by the whole timeout when none is due by then.
    bool openDisplay(std::string& error) override;
    void closeDisplay() override;
    bool pollEvent(Event& event) override;
    bool waitEvent(Event& event, uint32_t timeoutMs) override;
    uint32_t ticks() override;
    int64_t calendarTime() override { return calendarSeconds; }
    uint32_t refreshIntervalMs() override { return refreshMs; }
    void present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) override;
    bool keepFiles(std::string& error) override;

private:
    bool nextDue(uint64_t deadline, Timed& due) const;
    bool takeDue(Event& event);
    bool takeDueBy(uint64_t deadline, Event& event);

    std::deque<Timed> queue_;
    uint64_t nowMicros_ = 0;
    uint64_t idleQuitMicros_ = UINT64_MAX;
    bool open_ = false;
    uint64_t presentCount_ = 0;
    uint64_t pollCount_ = 0;
    uint64_t waitCount_ = 0;
    PresentedPage last_;
    std::vector<PresentedPage> pages_;
};

}  // namespace platform
