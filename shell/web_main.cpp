// The program in a web page: the game on the page's platform, its files in the browser's
// storage and char.bmp built into the program. A replay dropped onto the page ends the game
// running and is played back; the game then starts again. When the game ends (EXIT, Pause,
// the right button) the page shows its last page.
#include <cstdio>
#include <string>

#include "platform/web_platform.h"
#include "shell/options.h"
#include "shell/program.h"

namespace {

// Where the browser's storage appears as a folder, and where the program's own files
// (char.bmp) are built in.
constexpr const char* kStorageFolder = "/diraviru";
constexpr const char* kProgramFolder = "/program";

}  // namespace

int main() {
    platform::WebPlatform machine;
    std::string error;
    if (!machine.openStorage(kStorageFolder, error)) {
        std::fprintf(stderr, "diraviru: files will not be kept: %s\n", error.c_str());
    }
    std::string replay;  // the replay to play next; empty: the game
    for (;;) {
        Options options;
        if (!replay.empty()) {
            options.mode = Options::Mode::Play;
            options.playPath = replay;
        }
        const int status = runProgram(machine, kProgramFolder, options);
        if (machine.takeDroppedReplay(replay)) continue;
        if (!replay.empty()) {
            replay.clear();  // a replay played: the game again
            continue;
        }
        machine.showEnding(status);
        return status;
    }
}
