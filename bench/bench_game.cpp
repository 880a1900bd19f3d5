#include "bench/bench_game.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "input/pacing.h"

BenchGame::BenchGame() : game(makeGame(machine)) {
    Game& g = *game;
    g.charBitmapName = std::string(DIRAVIRU_SOURCE_DIR) + "/assets/char.bmp";
    g.settingsPath = "/dev/null";
    installScreenWaitHook(g.devices);
    std::string error;
    if (!g.devices.screen.Open(machine, error) ||
        !g.devices.screen.LoadChars(g.charBitmapName, error)) {
        std::fprintf(stderr, "benchmark set-up failed: %s\n", error.c_str());
        std::exit(1);
    }
    g.devices.screen.LoadPalette(g.charBitmapName);
    g.devices.screen.MapField();
    g.play.directions.build();
    g.play.random.seed(1);
}

void drawEmptyField(Game& game) {
    Screen& screen = game.devices.screen;
    screen.Clear(SurfacePrimary);
    drawFieldFrame(screen, SurfacePrimary);
    screen.MapField();
}
