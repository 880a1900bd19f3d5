// The game's events on their way from the thread that reads them from the system to the
// game's thread: a fixed ring (nothing is allocated once it exists), first in, first out.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/platform.h"

namespace platform {

class EventQueue {
public:
    static constexpr int kCapacity = 256;

    // True when more than `room` places are free. A producer that would queue up to `room`
    // events at once asks first, and when there is no room leaves them where they are
    // until the game has taken some.
    bool hasRoom(int room);
    // Queues one event (when the ring is full the event is dropped; see hasRoom).
    void push(const Event& event);
    // Takes the oldest event without waiting; false when there is none.
    bool poll(Event& event);
    // Takes the oldest event, waiting for one until `deadline` at the latest.
    bool waitUntil(Event& event, std::chrono::steady_clock::time_point deadline);
    void clear();

private:
    bool popLocked(Event& event);

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::array<Event, kCapacity> ring_{};
    int head_ = 0;
    int count_ = 0;
};

}  // namespace platform
