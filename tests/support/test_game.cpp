#include "tests/support/test_game.h"

#include <unistd.h>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "input/pacing.h"

std::string sourcePath(const std::string& relative) {
    return std::string(DIRAVIRU_SOURCE_DIR) + "/" + relative;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TestGame::TestGame() : game(makeGame(machine)) {
    static std::atomic<int> counter{0};
    namespace fs = std::filesystem;
    dir = (fs::temp_directory_path() /
           ("diraviru-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++)))
              .string();
    fs::remove_all(dir);
    fs::create_directories(dir);
    Game& g = *game;
    g.settingsPath = dir + "/dod_eved.dat";
    g.recordPath = dir + "/last_match.dvr";
    g.charBitmapName = sourcePath("assets/char.bmp");
    installScreenWaitHook(g);
    std::string error;
    if (!g.screen.Open(machine, error) ||
        !g.screen.LoadBitmap(g.charBitmapName, 512, 96, 0, 0, 0, 0, SurfaceChars, error)) {
        ADD_FAILURE() << error;
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

void setUpRound(TestGame& test, std::array<int8_t, kSlots> types) {
    Game& game = *test;
    game.players.type = types;
    game.settings.itemsOn = 0;
    game.settings.wait = 0;
    startRound(game);
    runCountdown(game);
    test.stream.beginRound();
    test.machine.quitWhenIdleAfter(game.platform->ticks() + 600'000);  // a stuck test ends
}

void placeHead(Game& game, int slot, float x, float y, int32_t direction) {
    game.players.x[slot] = x;
    game.players.y[slot] = y;
    game.players.pixelX[slot] = static_cast<int32_t>(x);
    game.players.pixelY[slot] = static_cast<int32_t>(y);
    game.players.direction[slot] = direction;
}

uint8_t& fieldAt(Game& game, int x, int y) {
    return game.screen.FieldPixels[y * game.screen.FieldPitch + x];
}

std::vector<uint8_t> surface(const Game& game, SurfaceId id) {
    const uint8_t* pixels = game.screen.Pixels(id);
    return std::vector<uint8_t>(pixels, pixels + kSurfaceBytes);
}

::testing::AssertionResult shows(Game& game, const uint8_t* page, const std::string& text, int x,
                                 int y, int tile, int cell) {
    Screen& screen = game.screen;
    screen.Clear(SurfaceSpare7);
    if (tile < 0)
        screen.DrawText(SurfaceSpare7, text.c_str(), x, y, cell, cell);
    else
        screen.DrawColourText(SurfaceSpare7, text.c_str(), x, y, cell, cell, tile);
    const int width = static_cast<int>(text.size()) * cell;
    const int left = x == kCentred ? (kScreenWidth - width) / 2 : x;
    for (int row = y; row < y + cell; ++row) {
        const uint8_t* want = screen.Pixels(SurfaceSpare7) + row * kSurfacePitch + left;
        if (std::memcmp(want, page + row * kSurfacePitch + left, width) != 0) {
            return ::testing::AssertionFailure() << "\"" << text << "\" differs in row " << row;
        }
    }
    return ::testing::AssertionSuccess();
}

int checkReplay(const std::string& path, bool watching, platform::ScriptedPlatform& machine) {
    const auto game = makeGame(machine);
    game->charBitmapName = sourcePath("assets/char.bmp");
    Options options;
    options.mode = Options::Mode::Play;
    options.playPath = path;
    options.check = !watching;
    return runGame(*game, "", options);
}
