// Meteorite showers that cross the field from the right.
#pragma once

#include <cstdint>

#include "play/meteor_shower.h"
#include "play/random.h"
#include "settings/settings.h"

struct Play;

// Once per frame while the settings have meteorites on: starts a shower when the round's time
// (whole seconds) is a non-zero multiple of METEORITE TIME and none is flying, then moves it
// and writes it into the field.
void stepMeteorites(Play& play);
// Places METEORITE VALUE meteorites right of the field, each at a random column, row and
// speed (drawn in that order).
void spawnMeteorShower(Meteorites& shower, Random& random, const Settings& settings,
                       int32_t fieldPitch);
