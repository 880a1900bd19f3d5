#include "tests/support/test_game.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "shell/pacing.h"

std::string sourcePath(const std::string& relative) {
    return std::string(DIRAVIRU_SOURCE_DIR) + "/" + relative;
}

std::string makeTempDir() {
    static std::atomic<int> counter{0};
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() /
                         ("diraviru-test-" + std::to_string(::getpid()) + "-" +
                          std::to_string(counter++));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

TestGame::TestGame() : game(makeGame(machine)), dir(makeTempDir()) {
    Game& g = *game;
    g.settingsPath = dir + "/dod_eved.dat";
    g.charBitmapName = sourcePath("assets/char.bmp");
    installScreenWaitHook(g);
    std::string error;
    if (!g.screen.Open(machine, error)) ADD_FAILURE() << "display: " << error;
    if (!g.screen.LoadBitmap(g.charBitmapName, 512, 96, 0, 0, 0, 0, SurfaceChars, error)) {
        ADD_FAILURE() << "char.bmp: " << error;
    }
    g.screen.LoadPalette(g.charBitmapName);
    g.screen.MapField();
    g.directions.build();
    g.random.seed(1);
}

TestGame::~TestGame() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

int countPixels(const Screen& screen, SurfaceId id, int x0, int y0, int x1, int y1,
                uint8_t value) {
    int count = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) count += screen.Pixel(id, x, y) == value ? 1 : 0;
    }
    return count;
}

int countSolid(const Screen& screen, SurfaceId id, int x0, int y0, int x1, int y1) {
    const int area = (x1 - x0 + 1) * (y1 - y0 + 1);
    return area - countPixels(screen, id, x0, y0, x1, y1, 0);
}
