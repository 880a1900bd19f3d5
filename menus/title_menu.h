// The start-up logo and the title menu with its seven rows.
#pragma once

#include <cstdint>

#include "menus/menu.h"

struct Game;

// The title of a network game this machine hosts (network play implements it): the player
// rows can give slots to the joined machines, and START plays with them.
class HostedTitle {
public:
    virtual ~HostedTitle() = default;
    // Whether START would play a network match: another machine is in the lobby.
    virtual bool othersJoined() const = 0;
    // START with others joined: the match with them.
    virtual void playHostMatch(Game& game) = 0;
    // Enter on the player row of `slot`.
    virtual void cycleSlot(Game& game, int slot) = 0;
};

// The title's rows, top to bottom; rows 1..4 belong to the player slots 0..3.
enum TitleRow : int {
    TitleRowStart = 0,
    TitleRowFirstPlayer = 1,
    TitleRowLastPlayer = 4,
    TitleRowOption = 5,
    TitleRowExit = 6
};
inline constexpr int kTitleRows = 7;
inline constexpr MenuLayout kTitleMenu{kTitleRows, 250, 218, 206, 28};
// A player row's text: its number and the type of its slot.
inline constexpr const char* kPlayerRowFormat = "%d PLAYER %s";
constexpr bool isPlayerRow(int row) {
    return row >= TitleRowFirstPlayer && row <= TitleRowLastPlayer;
}

// A notice under the title's rows: centred, in the warning colour, gone after kNoticeMs.
inline constexpr const char* kSettingsNotSaved = "SETTINGS NOT SAVED";
inline constexpr int kNoticeY = 430;
inline constexpr uint32_t kNoticeMs = 2000;

// Types the credit line behind a blinking cursor; returns with the visible page black.
void showLogo(Game& game);
// Blinks the logo cursor at (x, 224) count times, 100 ms a step: drawn on even steps,
// erased on odd ones.
void blinkCursor(Game& game, int x, int count);

// Composes and shows the whole title screen, pointer on "START".
void drawTitle(Game& game);
// Moves the pointer with Up and Down until Enter is pressed; the Enter press is taken and
// titleMenu.cursor tells the row. A notice is erased when its time is up.
void runTitleInput(Game& game);
// Draws the notice (cut to kNoticeLength characters) on the title page, over any notice
// still shown (shown by the next showPage); runTitleInput erases it kNoticeMs later, and
// drawTitle drops it.
void showTitleNotice(Game& game, const char* text);
// Erases the notice now, if one is shown (shown by the next showPage).
void clearTitleNotice(Game& game);
// Steps the type of the slot of the player row under the pointer: NON, MAN, COM, NON...
void cyclePlayerType(Game& game);
// Redraws the type shown on the player row of `slot` (after a change made elsewhere).
void drawPlayerRowType(Game& game, int slot);

// The names of the player types, indexed by PlayerType.
inline constexpr const char* playerTypeNames[3] = {"NON", "MAN", "COM"};
// What a player row shows for a slot another machine plays (network play).
inline constexpr const char* kNetTypeName = "NET";
