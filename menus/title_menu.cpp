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
constexpr int kTypeX = kRowX + 9 * kGlyphCell;  // after "n PLAYER "

constexpr int kTitleRowColours[kTitleRows] = {7, 1, 2, 3, 4, 6, 7};

int rowY(int row) { return kRowTop + kRowSpacing * row; }

void drawPointer(Game& game, char character) {
    game.screen.DrawChar(SurfacePage, character, kPointerX, rowY(game.titleMenu.cursor), kGlyphCell,
                         kGlyphCell);
}

const char* playerTypeName(const Game& game, int slot) {
    return game.owners.elsewhere(slot) ? kNetTypeName : playerTypeNames[game.players.type[slot]];
}

// Row r's text into the buffer: "START", "<n> PLAYER <type>", "OPTION" or "EXIT".
void formatTitleRow(const Game& game, int row, char* text, std::size_t size) {
    if (row == 0) {
        std::snprintf(text, size, "START");
    } else if (row <= kSlots) {
        std::snprintf(text, size, "%d PLAYER %s", row, playerTypeName(game, row - kFirstPlayerRow));
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
void eraseNotice(Game& game) {
    TitleMenu& title = game.titleMenu;
    drawNotice(game, std::string(std::strlen(title.notice), ' ').c_str());
    title.notice = nullptr;
}

void eraseNoticeWhenDue(Game& game) {
    const TitleMenu& title = game.titleMenu;
    if (title.notice != nullptr && game.platform->ticks() - title.noticeShownAt >= kNoticeMs) {
        eraseNotice(game);
    }
}

}  // namespace

void drawTitle(Game& game) {
    game.titleMenu.cursor = 0;
    game.titleMenu.notice = nullptr;
    Screen& screen = game.screen;
    screen.Clear(SurfacePage);
    screen.DrawText(SurfacePage, "REZI", -1, 36, 112, 112);
    screen.DrawColourText(SurfacePage, "DIRAVIRU", -1, 166, kGlyphCell, kGlyphCell, 7);
    for (int row = 0; row < kTitleRows; ++row) {
        char text[24];
        formatTitleRow(game, row, text, sizeof text);
        screen.DrawColourText(SurfacePage, text, kRowX, rowY(row), kGlyphCell, kGlyphCell,
                              kTitleRowColours[row]);
    }
    drawPointer(game, kPointer);
    showPage(game);
}

void drawPlayerRowType(Game& game, int slot) {
    const int row = slot + kFirstPlayerRow;
    // The type is the row's last three characters, in the row's own colour.
    game.screen.DrawColourText(SurfacePage, playerTypeName(game, slot), kTypeX, rowY(row),
                               kGlyphCell, kGlyphCell, kTitleRowColours[row]);
}

void moveTitleCursor(Game& game, int delta) {
    drawPointer(game, kBlank);
    int32_t& cursor = game.titleMenu.cursor;
    cursor = (cursor + delta) % kTitleRows;
    if (cursor < 0) cursor += kTitleRows;
    drawPointer(game, kPointer);
}

void showTitleNotice(Game& game, const char* text) {
    TitleMenu& title = game.titleMenu;
    if (title.notice != nullptr) eraseNotice(game);
    std::snprintf(title.noticeText.data(), title.noticeText.size(), "%s", text);
    title.notice = title.noticeText.data();
    title.noticeShownAt = game.platform->ticks();
    drawNotice(game, title.notice);
}

void runTitleInput(Game& game) {
    Keyboard& keys = game.keyboard;
    TitleMenu& title = game.titleMenu;
    for (;;) {
        if (keys.take(key::Up)) moveTitleCursor(game, -1);
        if (keys.take(key::Down)) moveTitleCursor(game, +1);
        if (keys.take(key::Enter)) return;
        if (title.idle) title.idle(game);
        eraseNoticeWhenDue(game);
        showPage(game);
        waitSinceMark(game, 0);
    }
}
