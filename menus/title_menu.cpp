// The title menu: the big logo word, the game's name and seven rows chosen with Up, Down
// and Enter. What a chosen row does is up to the top-level loop.
#include "menus/title_menu.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "game/game.h"
#include "input/pacing.h"

namespace {

struct TitleRowLook {
    const char* text;  // a player row's text is made from kPlayerRowFormat
    int tile;
};
constexpr TitleRowLook kTitleRowLooks[kTitleRows] = {
    {"START", kTextTile},   {nullptr, slotTile(0)}, {nullptr, slotTile(1)}, {nullptr, slotTile(2)},
    {nullptr, slotTile(3)}, {"OPTION", TilePurple}, {"EXIT", kTextTile}};

const char* playerTypeName(const Game& game, int slot) {
    return game.owners.elsewhere(slot) ? kNetTypeName
                                       : playerTypeNames[game.play.players.type[slot]];
}

// Row r's text into the buffer: "START", "<n> PLAYER <type>", "OPTION" or "EXIT".
void formatTitleRow(const Game& game, int row, char* text, std::size_t size) {
    if (isPlayerRow(row)) {
        const int slot = row - TitleRowFirstPlayer;
        std::snprintf(text, size, kPlayerRowFormat, row, playerTypeName(game, slot));
    } else {
        std::snprintf(text, size, "%s", kTitleRowLooks[row].text);
    }
}

void moveTitleCursor(Game& game, int delta) {
    moveMenuPointer(game.devices.screen, SurfacePage, kTitleMenu, game.titleMenu.cursor, delta);
}

void drawNotice(Game& game, const char* text) {
    game.devices.screen.DrawColourText(SurfacePage, text, kCentred, kNoticeY, kGlyphCell,
                                       kGlyphCell, kNoticeTile);
}

// Spaces over the notice's cells erase it (a space draws the blank glyph).
void eraseNotice(Game& game) {
    TitleMenu& title = game.titleMenu;
    drawNotice(game, std::string(std::strlen(title.notice), ' ').c_str());
    title.notice = nullptr;
}

void eraseNoticeWhenDue(Game& game) {
    const TitleMenu& title = game.titleMenu;
    if (title.notice != nullptr &&
        game.devices.platform->ticks() - title.noticeShownAt >= kNoticeMs) {
        eraseNotice(game);
    }
}

}  // namespace

void drawTitle(Game& game) {
    game.titleMenu.cursor = 0;
    game.titleMenu.notice = nullptr;
    Screen& screen = game.devices.screen;
    screen.Clear(SurfacePage);
    screen.DrawText(SurfacePage, "REZI", kCentred, 36, 112, 112);
    screen.DrawColourText(SurfacePage, "DIRAVIRU", kCentred, 166, kGlyphCell, kGlyphCell,
                          kTextTile);
    for (int row = 0; row < kTitleRows; ++row) {
        char text[24];
        formatTitleRow(game, row, text, sizeof text);
        screen.DrawColourText(SurfacePage, text, kTitleMenu.textX, kTitleMenu.rowY(row), kGlyphCell,
                              kGlyphCell, kTitleRowLooks[row].tile);
    }
    drawMenuPointer(screen, SurfacePage, kTitleMenu, game.titleMenu.cursor, true);
    showPage(game.devices.screen);
}

void showTitleNotice(Game& game, const char* text) {
    TitleMenu& title = game.titleMenu;
    if (title.notice != nullptr) eraseNotice(game);
    std::snprintf(title.noticeText.data(), title.noticeText.size(), "%s", text);
    title.notice = title.noticeText.data();
    title.noticeShownAt = game.devices.platform->ticks();
    drawNotice(game, title.notice);
}

void clearTitleNotice(Game& game) {
    if (game.titleMenu.notice != nullptr) eraseNotice(game);
}

void drawPlayerRowType(Game& game, int slot) {
    // The type's name is the row text's last conversion, in the row's own colour.
    constexpr int kTypeX = kTitleMenu.textX + kGlyphCell * formatField(kPlayerRowFormat, 1).cell;
    const int row = slot + TitleRowFirstPlayer;
    game.devices.screen.DrawColourText(SurfacePage, playerTypeName(game, slot), kTypeX,
                                       kTitleMenu.rowY(row), kGlyphCell, kGlyphCell,
                                       slotTile(slot));
}

void runTitleInput(Game& game) {
    Keyboard& keys = game.devices.keyboard;
    TitleMenu& title = game.titleMenu;
    for (;;) {
        if (keys.take(key::Up)) moveTitleCursor(game, -1);
        if (keys.take(key::Down)) moveTitleCursor(game, +1);
        if (keys.take(key::Enter)) return;
        if (title.idle) title.idle(game);
        eraseNoticeWhenDue(game);
        showPage(game.devices.screen);
        waitSinceMark(game.devices, 0);
    }
}
