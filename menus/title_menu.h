// The start-up logo and the title menu with its seven rows.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

struct Game;

inline constexpr int kNoticeLength = 40;  // characters: the page's width in 16-pixel cells

struct TitleMenu {
    int32_t cursor = 0;            // 0 START, 1..4 the player rows, 5 OPTION, 6 EXIT
    const char* notice = nullptr;  // the line under the rows while it is shown (in noticeText)
    std::array<char, kNoticeLength + 1> noticeText{};
    uint32_t noticeShownAt = 0;  // platform ticks when it appeared
    // Called on every pass of the title's wait for a key (network play notices joins and
    // leaves from here); empty for a game on one machine.
    std::function<void(Game&)> idle;
};

// A notice under the title's rows: centred, in the warning colour, gone after kNoticeMs.
inline constexpr const char* kSettingsNotSaved = "SETTINGS NOT SAVED";
inline constexpr int kNoticeY = 430;
inline constexpr int kNoticeTile = 5;  // red, used for nothing else
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
// Moves the pointer one row (delta -1 or +1), wrapping round the seven rows.
void moveTitleCursor(Game& game, int delta);
// Draws the notice (cut to kNoticeLength characters) on the title page, over any notice
// still shown (shown by the next showPage); runTitleInput erases it kNoticeMs later, and
// drawTitle drops it.
void showTitleNotice(Game& game, const char* text);
// Steps the type of the slot of the player row under the pointer: NON, MAN, COM, NON...
void cyclePlayerType(Game& game);

// Copies the whole composed page to the back page and flips it into view.
void showPage(Game& game);

// Redraws the type shown on the player row of `slot` (after a change made elsewhere).
void drawPlayerRowType(Game& game, int slot);

// The names of the player types, indexed by PlayerType; a slot another machine plays shows
// kNetTypeName.
inline constexpr const char* playerTypeNames[3] = {"NON", "MAN", "COM"};
inline constexpr const char* kNetTypeName = "NET";
