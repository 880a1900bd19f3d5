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
    installScreenWaitHook(g.devices);
    std::string error;
    if (!g.devices.screen.Open(machine, error) ||
        !g.devices.screen.LoadChars(g.charBitmapName, error)) {
        ADD_FAILURE() << error;
    }
    g.devices.screen.LoadPalette(g.charBitmapName);
    g.devices.screen.MapField();
    g.play.directions.build();
    g.play.random.seed(1);
}

TestGame::~TestGame() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void setUpRound(TestGame& test, std::array<int8_t, kSlots> types) {
    Game& game = *test;
    game.play.players.type = types;
    game.play.settings.itemsOn = 0;
    game.play.settings.wait = 0;
    startRound(game);
    runCountdown(game);
    test.stream.beginRound();
    test.machine.quitWhenIdleAfter(game.devices.platform->ticks() + 600'000);  // a stuck test ends
}

void placeHead(Game& game, int slot, float x, float y, int32_t direction) {
    game.play.players.x[slot] = x;
    game.play.players.y[slot] = y;
    game.play.players.pixelX[slot] = static_cast<int32_t>(x);
    game.play.players.pixelY[slot] = static_cast<int32_t>(y);
    game.play.players.direction[slot] = direction;
}

uint8_t& fieldAt(Game& game, int x, int y) {
    return game.devices.screen.FieldPixels[y * game.devices.screen.FieldPitch + x];
}

std::vector<uint8_t> surface(const Game& game, SurfaceId id) {
    const uint8_t* pixels = game.devices.screen.Pixels(id);
    return std::vector<uint8_t>(pixels, pixels + kSurfaceBytes);
}

::testing::AssertionResult shows(Game& game, const uint8_t* page, const std::string& text, int x,
                                 int y, int tile, int cell) {
    Screen& screen = game.devices.screen;
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
