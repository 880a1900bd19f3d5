#include "platform/event_queue.h"

namespace platform {

bool EventQueue::hasRoom(int room) {
    const std::lock_guard lock(mutex_);
    return kCapacity - count_ > room;
}

void EventQueue::push(const Event& event) {
    {
        const std::lock_guard lock(mutex_);
        if (count_ == kCapacity) return;
        ring_[(head_ + count_) % kCapacity] = event;
        ++count_;
    }
    arrived_.notify_one();
}

bool EventQueue::popLocked(Event& event) {
    if (count_ == 0) return false;
    event = ring_[head_];
    head_ = (head_ + 1) % kCapacity;
    --count_;
    return true;
}

bool EventQueue::poll(Event& event) {
    const std::lock_guard lock(mutex_);
    return popLocked(event);
}

bool EventQueue::waitUntil(Event& event, std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    arrived_.wait_until(lock, deadline, [this] { return count_ > 0; });
    return popLocked(event);
}

void EventQueue::clear() {
    const std::lock_guard lock(mutex_);
    head_ = 0;
    count_ = 0;
}

}  // namespace platform
