#include "round/round_display.h"

#include "input/devices.h"
#include "input/pacing.h"

void RoundDisplay::flip() { devices_.screen.Flip(); }

void RoundDisplay::flipAtRefresh() {
    devices_.screen.WaitVerticalBlank();
    devices_.screen.Flip();
}

void RoundDisplay::markStep() { markFrameStart(devices_); }

void RoundDisplay::waitSinceMark(uint32_t ms) { ::waitSinceMark(devices_, ms); }
