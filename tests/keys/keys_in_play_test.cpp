// The chosen keys in play: read from the keys file at start-up, shown on the score table and
// in the network lobby, steering a match, and absent from the match's replay, which plays
// back the same under the usual keys.
#include <fstream>

#include "netplay/net_screens.h"
#include "tests/support/test_game.h"

// Start-up reads the keys file beside the settings (a damaged line is one line on standard
// error naming the file); 4P plays with J, K and L, the score table says so, and its old
// keypad key does nothing. The match's replay plays back, every round matching, in a game
// that has the usual keys.
TEST(KeysInPlay, FourPlaysAMatchWithLettersAndItsReplayPlaysBackUnderTheUsualKeys) {
    TestGame ref;
    std::ofstream(keysFileBeside(ref->settingsPath)) << "4P J K L\n3P Q\n";
    platform::ScriptedPlatform machine;
    const auto game = makeGame(machine);
    game->settingsPath = ref->settingsPath;
    game->recordPath = ref->recordPath;
    game->charBitmapName = ref->charBitmapName;

    machine.keyDown(0, key::Ctrl);  // through the logo
    machine.keyUp(1, key::Ctrl);
    uint32_t at = 1000;
    const auto press = [&](int code) { machine.keyPress(at += 100, code); };
    for (int code : {key::Down, key::Enter, key::Enter, key::Down, key::Enter, key::Enter,
                     key::Down, key::Enter, key::Up, key::Up, key::Up, key::Enter}) {
        press(code);  // 1P and 2P NON, 3P COM; START
    }
    machine.keyDown(at += 100, 'L');  // held from the score table into the round: no turn
    press(key::Enter);                // the score table: the round's countdown
    at += 3600 + 300;                 // into the round
    machine.keyUp(at, 'L');
    press(key::numpad(9));  // 4P's usual turn-right key: nothing now
    press('J');             // 4P turns left
    at += 500;
    press(key::Esc);  // the round abandoned
    press(key::Esc);  // the match ended
    machine.push(at + 500, {platform::EventKind::Quit});

    std::vector<uint8_t> table;
    std::vector<int32_t> headings;  // 4P's, as the round's pages show it
    machine.onPresent = [&](const auto& page) {
        if (table.empty() &&
            shows(*ref, page.pixels.data(), "PUSH ENTER KEY TO START", kCentred, 368, TileWhite)) {
            table = page.pixels;
        }
        const int32_t heading = game->play.players.direction[3];
        if (game->devices.roundRunning && (headings.empty() || headings.back() != heading)) {
            headings.push_back(heading);
        }
    };
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(runGame(*game, ""), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "diraviru: " + keysFileBeside(ref->settingsPath) +
                  ": line 2: three keys are needed; 3P plays with the usual keys\n");

    EXPECT_TRUE(shows(*ref, table.data(), "3P     \"#$ 0000000 1   ", kCentred, 280, 3));
    EXPECT_TRUE(shows(*ref, table.data(), "4P     JKL 0000000 1   ", kCentred, 312, 4));
    EXPECT_EQ(headings, (std::vector<int32_t>{180, 210}));

    platform::ScriptedPlatform player;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(checkReplay(game->recordPath, false, player), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "diraviru: " + game->recordPath + ": every round matched (1 round)\n");
}

// A joined machine's lobby lists every slot with this machine's own keys, in a KEY column as
// wide as the widest.
TEST(KeysInPlay, TheLobbyShowsThisMachinesKeys) {
    TestGame test;
    Game& game = *test;
    game.devices.playerKeys[1] = {key::Space, key::Semicolon, key::LeftBracket};
    drawLobby(game, net::Lobby{}, 1, kWaitingForHost);
    const uint8_t* page = test.machine.lastPage().pixels.data();
    EXPECT_TRUE(shows(game, page, "PLAYER KEY     PLAYED BY", 128, 232, TileWhite));
    EXPECT_TRUE(shows(game, page, "1P     QAZ     HOST", 128, 256, 1));
    EXPECT_TRUE(shows(game, page, "2P     SPC ; [ HOST", 128, 280, 2));
}
