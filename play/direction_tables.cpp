#include <cmath>

#include "play/player.h"

void DirectionTables::build() {
    // The decimal 3.141592654, not full-precision pi: the tables must match it bit for bit.
    constexpr double kPi = 3.141592654;
    for (int a = 0; a < 360; ++a) {
        dirX[a] = static_cast<float>(std::sin((a + 90) * kPi / 180));
        dirY[a] = static_cast<float>(std::cos((a + 90) * kPi / 180));
    }
}
