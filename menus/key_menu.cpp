// The key screen. Up and Down move the pointer; Enter on a player's row starts choosing its
// keys, and the next three keys pressed become its turn-left, fire and turn-right keys. A key
// another player has, or one the game keeps for itself, is refused with a short message and
// the player presses another; Esc gives up the choice. The screen is composed on the page
// and shown again whenever something on it changes.
#include "menus/key_menu.h"

#include <array>
#include <cstdio>
#include <string>

#include "game/game.h"
#include "input/pacing.h"
#include "menus/title_menu.h"
#include "platform/regular_file.h"

namespace {

constexpr int kHeadingY = 40;
constexpr int kHeadingCell = 64;
constexpr int kCheckLabelX = 64;
constexpr int kCheckRight = kScreenWidth - 2 * kGlyphCell;  // the check's names stop here

// A slot's keys by SlotKey: the columns' headings and the prompts.
constexpr const char* kSlotKeyNames[kKeysPerSlot] = {"TURN LEFT", "FIRE", "TURN RIGHT"};

// The game controllers' buttons as the keyboard check names them, in the order of PadButton.
constexpr const char* kPadButtonNames[platform::kPadButtonCount] = {
    "LEFT", "RIGHT", "UP", "DOWN", "FIRE", "START", "BACK", "LSHOULDER", "RSHOULDER"};

// What the keyboard check shows: the keys the keyboard holds and the pads' held buttons.
struct Held {
    std::array<uint8_t, kKeyTableSize> keys{};
    std::array<uint16_t, platform::kMaxPads> buttons{};
    bool operator==(const Held&) const = default;
};

struct KeyScreen {
    int32_t cursor = KeyRowExit;
    int choosing = kNoSlot;  // the slot whose keys are being pressed, kNoSlot for none
    int nextKey = SlotKeyTurnLeft;
    PlayerKeys chosen{};  // the keys pressed so far
    std::array<char, kNoticeLength + 1> message{};
    int messageTile = kTextTile;
    Held shown;                                       // what the check shows
    std::array<uint8_t, kKeyTableSize> heldBefore{};  // the keyboard at the previous pass
    bool leave = false;
    bool operator==(const KeyScreen&) const = default;
};

void say(KeyScreen& keys, int tile, const char* format, const char* a = "", const char* b = "") {
    std::snprintf(keys.message.data(), keys.message.size(), format, a, b);
    keys.messageTile = tile;
}

std::string slotName(int slot) { return std::to_string(slot + 1) + "P"; }

void drawText(Game& game, const char* text, int x, int y, int tile) {
    game.devices.screen.DrawColourText(SurfacePage, text, x, y, kGlyphCell, kGlyphCell, tile);
}

// A player's row: its name and its three keys; while they are being chosen, the ones
// pressed so far.
void drawPlayerRow(Game& game, const KeyScreen& keys, int slot) {
    const int y = kKeyMenu.rowY(KeyRowFirstPlayer + slot);
    const bool choosing = keys.choosing == slot;
    drawText(game, slotName(slot).c_str(), kKeyMenu.textX, y, slotTile(slot));
    for (int which = 0; which < kKeysPerSlot; ++which) {
        if (choosing && which >= keys.nextKey) continue;
        const int code = choosing ? keys.chosen.at(which) : game.devices.playerKeys[slot].at(which);
        drawText(game, key::nameOf(code), kKeyColumnX[which], y, slotTile(slot));
    }
}

// Lays the check's names out in lines from kKeyCheckNamesX, as many as fit.
class CheckLines {
public:
    explicit CheckLines(Game& game) : game_(game) {}
    void add(const std::string& text, int tile) {
        const int width = kGlyphCell * static_cast<int>(text.size());
        if (x_ + width > kCheckRight) {
            ++line_;
            x_ = kKeyCheckNamesX;
        }
        if (line_ >= kKeyCheckLines) return;
        drawText(game_, text.c_str(), x_, kKeyCheckY + kKeyCheckLineSpacing * line_, tile);
        x_ += width + kGlyphCell;
    }

private:
    Game& game_;
    int x_ = kKeyCheckNamesX;
    int line_ = 0;
};

// Every held key by name, in its player's colour (white for a key no player has); then every
// held button as PAD<n>:<button>, in the colour of the player the pad plays.
void drawCheck(Game& game, const Held& held) {
    drawText(game, "HELD:", kCheckLabelX, kKeyCheckY, kTextTile);
    CheckLines lines(game);
    for (int code = 0; code < kKeyTableSize; ++code) {
        const char* name = key::nameOf(code);
        if (held.keys[code] == 0 || name == nullptr) continue;
        const int slot = slotOfKey(game.devices.playerKeys, code);
        lines.add(name, slot == kNoSlot ? kTextTile : slotTile(slot));
    }
    for (int pad = 0; pad < platform::kMaxPads; ++pad) {
        for (int button = 0; button < platform::kPadButtonCount; ++button) {
            if ((held.buttons[pad] & (1u << button)) == 0) continue;
            lines.add("PAD" + std::to_string(pad + 1) + ":" + kPadButtonNames[button],
                      slotTile(pad));
        }
    }
}

void drawKeyScreen(Game& game, const KeyScreen& keys) {
    Screen& screen = game.devices.screen;
    screen.Clear(SurfacePage);
    screen.DrawText(SurfacePage, "KEYS", kCentred, kHeadingY, kHeadingCell, kHeadingCell);
    for (int which = 0; which < kKeysPerSlot; ++which) {
        drawText(game, kSlotKeyNames[which], kKeyColumnX[which], kKeyColumnsY, kHeaderTile);
    }
    drawText(game, "EXIT", kKeyMenu.textX, kKeyMenu.rowY(KeyRowExit), kTextTile);
    for (int slot = 0; slot < kSlots; ++slot) drawPlayerRow(game, keys, slot);
    drawText(game, "USUAL KEYS", kKeyMenu.textX, kKeyMenu.rowY(KeyRowUsual), TilePurple);
    drawMenuPointer(screen, SurfacePage, kKeyMenu, keys.cursor, true);
    screen.DrawColourText(SurfacePage, keys.message.data(), kCentred, kKeyMessageY, kGlyphCell,
                          kGlyphCell, keys.messageTile);
    drawCheck(game, keys.shown);
    for (int line = 0; line < 2; ++line) {
        screen.DrawColourText(SurfacePage, kKeyNote[line], kCentred,
                              kKeyNoteY + kKeyCheckLineSpacing * line, kGlyphCell, kGlyphCell,
                              kHeaderTile);
    }
    showPage(game.devices.screen);
}

// Saves the keys where they last (the platform keeps the file: a browser copies it into its
// storage); a failed save is told on the screen and on standard error.
void saveOrTell(Game& game, KeyScreen& keys) {
    const std::string path = platform::absolutePath(game.keysPath());
    std::string error;
    if (saveKeys(path, game.devices.playerKeys, error) && game.devices.platform->keepFiles(error))
        return;
    std::fprintf(stderr, "diraviru: cannot save the keys to %s: %s\n", path.c_str(), error.c_str());
    say(keys, kNoticeTile, kKeysNotSaved);
}

void promptNextKey(KeyScreen& keys) {
    say(keys, kTextTile, "PRESS %s'S %s KEY", slotName(keys.choosing).c_str(),
        kSlotKeyNames[keys.nextKey]);
}

void startChoosing(Game& game, KeyScreen& keys, int slot) {
    keys.choosing = slot;
    keys.nextKey = SlotKeyTurnLeft;
    game.devices.keyboard.keyDown.fill(0);  // only keys pressed from now on count
    promptNextKey(keys);
}

// Who has the key, as far as the player choosing may take it: a key it pressed already in
// this choice is its own; its old keys are free to choose again.
int ownerOf(const Game& game, const KeyScreen& keys, int code) {
    for (int which = 0; which < keys.nextKey; ++which) {
        if (keys.chosen.at(which) == code) return keys.choosing;
    }
    const int slot = slotOfKey(game.devices.playerKeys, code);
    return slot == keys.choosing ? kNoSlot : slot;
}

// One key pressed while a player's keys are chosen: refused, taken, or (Esc) the end of it.
void choose(Game& game, KeyScreen& keys, int code) {
    const int slot = keys.choosing;
    const char* name = key::nameOf(code);
    if (code == key::Esc) {
        keys.choosing = kNoSlot;
        say(keys, kTextTile, "%s KEEPS ITS KEYS", slotName(slot).c_str());
        return;
    }
    if (name == nullptr) return;
    if (key::isReserved(code)) {
        say(keys, kNoticeTile, "%s IS RESERVED, PRESS ANOTHER", name);
        return;
    }
    if (const int owner = ownerOf(game, keys, code); owner != kNoSlot) {
        say(keys, kNoticeTile, "%s IS %s'S KEY, PRESS ANOTHER", name, slotName(owner).c_str());
        return;
    }
    keys.chosen.at(keys.nextKey++) = code;
    if (keys.nextKey < kKeysPerSlot) {
        promptNextKey(keys);
        return;
    }
    game.devices.playerKeys[slot] = keys.chosen;
    keys.choosing = kNoSlot;
    say(keys, kTextTile, "%s'S KEYS ARE SET", slotName(slot).c_str());
    saveOrTell(game, keys);
}

void restoreUsualKeys(Game& game, KeyScreen& keys) {
    game.devices.playerKeys = kUsualPlayerKeys;
    say(keys, kTextTile, "EVERYBODY HAS THE USUAL KEYS");
    saveOrTell(game, keys);
}

// Enter on a row.
void act(Game& game, KeyScreen& keys) {
    const int row = keys.cursor;
    if (row == KeyRowExit) {
        keys.leave = true;
    } else if (row == KeyRowUsual) {
        restoreUsualKeys(game, keys);
    } else {
        startChoosing(game, keys, row - KeyRowFirstPlayer);
    }
}

// Every key pressed since the last pass is taken. While a player's keys are chosen each new
// press counts once: a key the keyboard still held at the last pass only repeats.
void takePresses(Game& game, KeyScreen& keys) {
    Keyboard& keyboard = game.devices.keyboard;
    for (int code = 0; code < kKeyTableSize; ++code) {
        if (!keyboard.take(code)) continue;
        const bool fresh = keys.heldBefore[code] == 0 || keyboard.held[code] == 0;
        if (fresh && keys.choosing != kNoSlot) choose(game, keys, code);
    }
    keys.heldBefore = keyboard.held;
}

// One pass of the screen's loop; true when the screen changed.
bool takeKeys(Game& game, KeyScreen& keys) {
    Keyboard& keyboard = game.devices.keyboard;
    const KeyScreen before = keys;
    if (keys.choosing == kNoSlot) {
        if (keyboard.take(key::Up))
            moveMenuPointer(game.devices.screen, SurfacePage, kKeyMenu, keys.cursor, -1);
        if (keyboard.take(key::Down))
            moveMenuPointer(game.devices.screen, SurfacePage, kKeyMenu, keys.cursor, +1);
        if (keyboard.take(key::Esc)) keys.leave = true;
        if (keyboard.take(key::Enter)) act(game, keys);
    }
    takePresses(game, keys);
    keys.shown = Held{keyboard.held, game.devices.pads.buttonsHeld};
    return !(before == keys);
}

}  // namespace

void runKeyMenu(Game& game) {
    KeyScreen keys;
    keys.heldBefore = game.devices.keyboard.held;
    keys.shown = Held{game.devices.keyboard.held, game.devices.pads.buttonsHeld};
    say(keys, kTextTile, "ENTER ON A PLAYER TO SET ITS KEYS");
    drawKeyScreen(game, keys);
    while (!keys.leave) {
        if (takeKeys(game, keys)) drawKeyScreen(game, keys);
        waitSinceMark(game.devices, 0);
    }
}
