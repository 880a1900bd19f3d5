// The title menu: the big logo word, the game's name and seven rows chosen with Up, Down
// and Enter. What a chosen row does is up to the top-level loop.
#include "menus/title_menu.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "shell/game.h"
#include "shell/pacing.h"

namespace {

constexpr int kTitleRows = 7;
constexpr int kRowX = 250;
constexpr int kRowTop = 206;
constexpr int kRowSpacing = 28;
constexpr int kPointerX = 218;
constexpr char kPointer = 62;  // '>'
constexpr char kBlank = 32;
constexpr int kFirstPlayerRow = 1;

constexpr int titleRowColours[kTitleRows] = {kTextTile,   slotTile(0), slotTile(1), slotTile(2),
                                             slotTile(3), TilePurple,  kTextTile};

int rowY(int row) { return kRowTop + kRowSpacing * row; }

void drawPointer(Game& game, char character) {
    game.screen.DrawChar(SurfacePage, character, kPointerX, rowY(game.titleMenu.cursor), kGlyphCell,
                         kGlyphCell);
}

// Row r's text into the buffer: "START", "<n> PLAYER <type>", "OPTION" or "EXIT".
void formatTitleRow(const Game& game, int row, char* text, std::size_t size) {
    if (row == 0) {
        std::snprintf(text, size, "START");
    } else if (row <= kSlots) {
        const int slot = row - kFirstPlayerRow;
        std::snprintf(text, size, "%d PLAYER %s", row, playerTypeNames[game.players.type[slot]]);
    } else if (row == 5) {
        std::snprintf(text, size, "OPTION");
    } else {
        std::snprintf(text, size, "EXIT");
    }
}

void drawNotice(Game& game, const char* text) {
    game.screen.DrawColourText(SurfacePage, text, kCentred, kNoticeY, kGlyphCell, kGlyphCell,
                               kNoticeTile);
}

// Spaces over the notice's cells erase it (a space draws the blank glyph).
void eraseNoticeWhenDue(Game& game) {
    TitleMenu& title = game.titleMenu;
    if (title.notice == nullptr || game.platform->ticks() - title.noticeShownAt < kNoticeMs) {
        return;
    }
    drawNotice(game, std::string(std::strlen(title.notice), ' ').c_str());
    title.notice = nullptr;
}

}  // namespace

void drawTitle(Game& game) {
    game.titleMenu.cursor = 0;
    game.titleMenu.notice = nullptr;
    Screen& screen = game.screen;
    screen.Clear(SurfacePage);
    screen.DrawText(SurfacePage, "REZI", kCentred, 36, 112, 112);
    screen.DrawColourText(SurfacePage, "DIRAVIRU", kCentred, 166, kGlyphCell, kGlyphCell,
                          kTextTile);
    for (int row = 0; row < kTitleRows; ++row) {
        char text[24];
        formatTitleRow(game, row, text, sizeof text);
        screen.DrawColourText(SurfacePage, text, kRowX, rowY(row), kGlyphCell, kGlyphCell,
                              titleRowColours[row]);
    }
    drawPointer(game, kPointer);
    showPage(game);
}

void moveTitleCursor(Game& game, int delta) {
    drawPointer(game, kBlank);
    int32_t& cursor = game.titleMenu.cursor;
    cursor = (cursor + delta) % kTitleRows;
    if (cursor < 0) cursor += kTitleRows;
    drawPointer(game, kPointer);
}

void showTitleNotice(Game& game, const char* text) {
    drawNotice(game, text);
    game.titleMenu.notice = text;
    game.titleMenu.noticeShownAt = game.platform->ticks();
}

void runTitleInput(Game& game) {
    Keyboard& keys = game.keyboard;
    for (;;) {
        if (keys.take(key::Up)) moveTitleCursor(game, -1);
        if (keys.take(key::Down)) moveTitleCursor(game, +1);
        if (keys.take(key::Enter)) return;
        eraseNoticeWhenDue(game);
        showPage(game);
        waitSinceMark(game, 0);
    }
}
