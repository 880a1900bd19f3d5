// The display of a round as its item effects see it: the screen's flips and the waits of the
// message pump, on the Devices.
#pragma once

#include "items/effect_display.h"

struct Devices;

class RoundDisplay final : public EffectDisplay {
public:
    explicit RoundDisplay(Devices& devices) : devices_(devices) {}

    void flip() override;
    void flipAtRefresh() override;
    void markStep() override;
    void waitSinceMark(uint32_t ms) override;

private:
    Devices& devices_;
};
