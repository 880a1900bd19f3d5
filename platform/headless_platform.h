// A platform without a display, for work that shows nothing (checking a replay): the pages go
// nowhere, no event ever comes, and the clock is the machine's.
#pragma once

#include <chrono>

#include "platform/platform.h"

namespace platform {

class HeadlessPlatform final : public Platform {
public:
    bool openDisplay(std::string&) override { return true; }
    void closeDisplay() override {}
    bool pollEvent(Event&) override { return false; }
    // Nothing comes: it sleeps out the timeout.
    bool waitEvent(Event& event, uint32_t timeoutMs) override;
    uint32_t ticks() override;
    int64_t calendarTime() override;
    uint32_t refreshIntervalMs() override { return kRefreshMs; }
    void present(const uint8_t*, int, const PaletteEntry*) override {}

private:
    static constexpr uint32_t kRefreshMs = 17;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace platform
