#include "platform/web_pads.h"

namespace platform {

namespace {

struct StandardButton {
    int index;
    PadButton button;
};

constexpr StandardButton kStandardButtons[] = {
    {0, PadButton::Fire},  {4, PadButton::LeftShoulder}, {5, PadButton::RightShoulder},
    {8, PadButton::Back},  {9, PadButton::Start},        {12, PadButton::Up},
    {13, PadButton::Down}, {14, PadButton::Left},        {15, PadButton::Right},
};

bool among(const PadReading* readings, int count, int index) {
    for (int i = 0; i < count; ++i) {
        if (readings[i].index == index) return true;
    }
    return false;
}

}  // namespace

uint16_t padButtonsOfStandardLayout(uint32_t pressed) {
    uint16_t bits = 0;
    for (const StandardButton& entry : kStandardButtons) {
        if ((pressed >> entry.index) & 1u) bits |= padBit(entry.button);
    }
    return bits;
}

void WebPads::update(const PadReading* readings, int count) {
    for (size_t i = 0; i < seen_.size(); ++i) {
        if (seen_[i] && !among(readings, count, indices_[i])) {
            slots_.disconnect(indices_[i]);
            seen_[i] = false;
        }
    }
    for (int r = 0; r < count; ++r) {
        const PadReading& reading = readings[r];
        if (!slots_.connected(reading.index)) {
            size_t free = 0;
            while (free < seen_.size() && seen_[free]) ++free;
            if (free == seen_.size() || !slots_.connect(reading.index)) continue;
            seen_[free] = true;
            indices_[free] = reading.index;
        }
        slots_.setButtons(reading.index, padButtonsOfStandardLayout(reading.pressed));
        uint16_t stick = slots_.stick(reading.index);
        stick = stickAlong(stick, PadButton::Left, PadButton::Right, reading.stickX);
        stick = stickAlong(stick, PadButton::Up, PadButton::Down, reading.stickY);
        slots_.setStick(reading.index, stick);
    }
}

void WebPads::clear() {
    seen_.fill(false);
    slots_.clear();
}

}  // namespace platform
