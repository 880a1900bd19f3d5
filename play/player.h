// The four player slots (1P to 4P) as per-slot tables, their constant start data, and the
// direction tables that turn a heading in whole degrees into a unit step.
#pragma once

#include <array>
#include <cstdint>

#include "input/player_keys.h"

inline constexpr int kMaxHeldItems = 200;

enum PlayerType : int8_t { PlayerNon = 0, PlayerMan = 1, PlayerCom = 2 };

inline constexpr std::array<int32_t, kSlots> startX = {50, 589, 50, 589};
inline constexpr std::array<int32_t, kSlots> startY = {82, 82, 365, 365};
inline constexpr std::array<int32_t, kSlots> startDirection = {0, 270, 90, 180};

// Speed levels: a player steps in the frames where frameCounters[speedLevel] is 0.
inline constexpr int32_t kStartSpeedLevel = 2;
inline constexpr int kFrameCounterCount = 5;

// The players' lines below the field: 1P and 2P side by side on the first, 3P and 4P on
// the second. The held item's label follows the eight cells of the "%dP ITEM" caption.
inline constexpr int panelLineX(int slot) { return 16 + 320 * (slot % 2); }
inline constexpr int panelLineY(int slot) { return 416 + 16 * (slot / 2); }
inline constexpr int panelItemX(int slot) { return panelLineX(slot) + 8 * 16; }

struct Players {
    std::array<int8_t, kSlots> type = {PlayerMan, PlayerMan, PlayerMan, PlayerMan};
    std::array<float, kSlots> x{};
    std::array<float, kSlots> y{};
    std::array<int32_t, kSlots> direction{};  // whole degrees 0..359; 0 right, 90 up
    std::array<bool, kSlots> alive{};
    std::array<int32_t, kSlots> pixelX{};  // the pixel of the last trail test
    std::array<int32_t, kSlots> pixelY{};
    std::array<int32_t, kSlots> speedLevel{};
    std::array<int32_t, kSlots> itemCount{};
    std::array<std::array<int32_t, kMaxHeldItems>, kSlots> items{};
    std::array<int32_t, kSlots> score{};
    std::array<bool, kSlots> explosionActive{};
    std::array<int32_t, kSlots> explosionAge{};
    std::array<int32_t, kSlots> comStraightCount{};
    std::array<int32_t, kSlots> comTurnSide{};

    bool present(int slot) const { return type[slot] != PlayerNon; }
    bool inPlay(int slot) const { return present(slot) && alive[slot]; }
    int presentCount() const {
        int n = 0;
        for (int slot = 0; slot < kSlots; ++slot) n += present(slot) ? 1 : 0;
        return n;
    }
    int inPlayCount() const {
        int n = 0;
        for (int slot = 0; slot < kSlots; ++slot) n += inPlay(slot) ? 1 : 0;
        return n;
    }
};

// dirX[a] = sin((a + 90) * 3.141592654 / 180), dirY[a] = cos(...), computed in double
// precision and stored as floats: dirX is cos a, dirY is -sin a (screen y grows downward).
struct DirectionTables {
    std::array<float, 360> dirX{};
    std::array<float, 360> dirY{};

    void build();
};
