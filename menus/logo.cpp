// The start-up logo: "VEVAZI SOFT 1998" typed out letter by letter behind a blinking cursor.
#include <cstring>

#include "game/game.h"
#include "input/pacing.h"
#include "menus/title_menu.h"

namespace {

constexpr const char* kLogoLine = "VEVAZI SOFT 1998";
constexpr int kLogoX = 64;  // the first letter's cell
constexpr int kLogoY = 224;
constexpr int kLogoCell = 32;     // 32 x 32 cells
constexpr char kLogoCursor = 91;  // '['
constexpr char kBlank = 32;
constexpr int kBlinkSteps = 16;  // eight blinks: drawn, erased
constexpr uint32_t kStepMs = 100;
constexpr uint32_t kFinalPauseMs = 1000;

}  // namespace

void blinkCursor(Game& game, int x, int count) {
    for (int k = 0; k < count; ++k) {
        markFrameStart(game.devices);
        const char shown = k % 2 == 0 ? kLogoCursor : kBlank;
        game.devices.screen.DrawChar(SurfacePage, shown, x, kLogoY, kLogoCell, kLogoCell);
        showPage(game.devices.screen);
        waitSinceMark(game.devices, kStepMs);
    }
}

void showLogo(Game& game) {
    game.devices.screen.Clear(SurfacePage);
    blinkCursor(game, kLogoX, kBlinkSteps);

    const int length = static_cast<int>(std::strlen(kLogoLine));
    for (int i = 0; i < length; ++i) {
        markFrameStart(game.devices);
        const int x = kLogoX + kLogoCell * i;
        game.devices.screen.DrawChar(SurfacePage, kLogoLine[i], x, kLogoY, kLogoCell, kLogoCell);
        // The cursor stands after every second letter; the next letter covers it again.
        if (i % 2 == 0) {
            game.devices.screen.DrawChar(SurfacePage, kLogoCursor, x + kLogoCell, kLogoY, kLogoCell,
                                         kLogoCell);
        }
        showPage(game.devices.screen);
        waitSinceMark(game.devices, kStepMs);
    }

    blinkCursor(game, kLogoX + kLogoCell * length, kBlinkSteps);
    markFrameStart(game.devices);
    waitSinceMark(game.devices, kFinalPauseMs);

    // The screen goes black before the title is composed.
    game.devices.screen.Clear(SurfacePrimary);
    game.devices.screen.Present();
}
