#include "platform/headless_platform.h"

#include <thread>

namespace platform {

bool HeadlessPlatform::waitEvent(Event&, uint32_t timeoutMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    return false;
}

uint32_t HeadlessPlatform::ticks() {
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

int64_t HeadlessPlatform::calendarTime() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace platform
