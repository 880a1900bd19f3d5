#include "netplay/net_screens.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "game/game.h"
#include "input/pacing.h"
#include "input/player_keys.h"
#include "menus/title_menu.h"

namespace {

constexpr int kWarningTile = kNoticeTile;
constexpr int kNameY = 40;
constexpr int kMachinesY = 104;
constexpr int kSlotsY = 232;
constexpr int kLineSpacing = 24;
constexpr int kStatusY = 400;
constexpr int kLeaveY = 440;
constexpr int kListX = 128;
constexpr unsigned kAllSlots = (1u << kSlots) - 1;
constexpr int kMessageY = 232;

std::string nameOf(const net::Lobby& lobby, uint8_t machine, uint8_t self) {
    std::string name(lobby.names[machine].view());
    if (name.empty()) name = machine == net::kHostMachine ? "HOST" : "?";
    return machine == self ? name + " (YOU)" : name;
}

void drawLine(Game& game, const std::string& text, int x, int y, int tile) {
    game.devices.screen.DrawColourText(SurfacePage, text.c_str(), x, y, kGlyphCell, kGlyphCell,
                                       tile);
}

}  // namespace

const char* refusalText(net::RefusalReason reason) {
    switch (reason) {
        case net::RefusalReason::OtherVersion:
            return "REFUSED: ANOTHER VERSION OF THE GAME";
        case net::RefusalReason::GameFull:
            return "REFUSED: THE GAME IS FULL";
        case net::RefusalReason::MatchUnderWay:
            return "REFUSED: A MATCH IS UNDER WAY";
    }
    return "REFUSED";
}

void drawLobby(Game& game, const net::Lobby& lobby, uint8_t self, const char* status) {
    Screen& screen = game.devices.screen;
    screen.Clear(SurfacePage);
    drawLine(game, "DIRAVIRU NETWORK GAME", kCentred, kNameY, kTextTile);
    drawLine(game, "MACHINES", kListX, kMachinesY, kTextTile);
    int row = 1;
    for (uint8_t m = 0; m < net::kMaxMachines; ++m) {
        if (!net::hasMachine(lobby.machines, m)) continue;
        drawLine(game, std::to_string(m + 1) + " " + nameOf(lobby, m, self), kListX,
                 kMachinesY + kLineSpacing * row++, kTextTile);
    }
    // The KEY column as on the score table: this machine's own keys for every slot.
    const int keyWidth = keyColumnWidth(game.devices.playerKeys, kAllSlots);
    char line[kNoticeLength + 1];
    std::snprintf(line, sizeof line, "PLAYER %-*s PLAYED BY", keyWidth, kKeyHeading);
    drawLine(game, line, kListX, kSlotsY, kTextTile);
    for (int slot = 0; slot < kSlots; ++slot) {
        char keys[kKeyColumnMax + 1];
        formatKeyColumn(game.devices.playerKeys[slot], keys, sizeof keys);
        std::snprintf(line, sizeof line, "%dP     %-*s %s", slot + 1, keyWidth, keys,
                      nameOf(lobby, lobby.slotOwner[slot], self).c_str());
        drawLine(game, line, kListX, kSlotsY + kLineSpacing * (slot + 1), slotTile(slot));
    }
    drawLine(game, status, kCentred, kStatusY, kTextTile);
    drawLine(game, "PUSH ESC KEY TO LEAVE", kCentred, kLeaveY, kTextTile);
    showPage(game.devices.screen);
}

std::string refusalDetail(net::RefusalReason reason, uint32_t hostVersion, uint32_t ownVersion) {
    if (reason != net::RefusalReason::OtherVersion) return {};
    char line[kNoticeLength + 1];
    std::snprintf(line, sizeof line, "HOST %08X, THIS MACHINE %08X", unsigned(hostVersion),
                  unsigned(ownVersion));
    return line;
}

void showNetEnding(Game& game, const char* text, const std::string& detail) {
    std::string line(text);
    if (!detail.empty()) line += " (" + detail + ")";
    for (char& c : line) c = char(std::tolower(uint8_t(c)));
    std::fprintf(stderr, "diraviru: %s\n", line.c_str());
    game.devices.screen.Clear(SurfacePage);
    drawLine(game, text, kCentred, kMessageY, kWarningTile);
    if (!detail.empty()) drawLine(game, detail, kCentred, kMessageY + kLineSpacing, kTextTile);
    showPage(game.devices.screen);
    markFrameStart(game.devices);
    const uint32_t shownAt = game.devices.platform->ticks();
    while (game.devices.platform->ticks() - shownAt < kNetMessageMs &&
           game.devices.keyboard.pacingOn != 0) {
        if (game.devices.keyboard.take(key::Enter) || game.devices.keyboard.take(key::Esc)) break;
        waitSinceMark(game.devices, 0);
    }
}
