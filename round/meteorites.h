// Meteorite showers that cross the field from the right.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int kMeteorSlots = 10000;
inline constexpr uint8_t meteorColour = 237;

struct Meteor {
    float x = 0;
    float y = 0;
    float speed = 0;
    uint8_t active = 0;
};

struct Meteorites {
    std::array<Meteor, kMeteorSlots> meteors{};
    int32_t meteorShowerActive = 0;
};

struct Game;

// Once per frame while meteorites are on: starts a shower when one is due, moves it.
void stepMeteorites(Game& game);
void spawnMeteorShower(Game& game);
