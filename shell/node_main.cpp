// The program under Node.js: checks replays (`--play FILE --check`) as the desktop program
// does, without a display, on the files of the machine it runs on. It plays the same game
// as the page, compiled the same way, so a replay recorded on the desktop that matches here
// shows that the web build plays the same game.
#include <cstdio>
#include <string>

#include "platform/headless_platform.h"
#include "shell/options.h"
#include "shell/program.h"

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "diraviru: %s\n", error.c_str());
        return 1;
    }
    if (options.mode != Options::Mode::Play || !options.check) {
        std::fprintf(stderr, "diraviru: under Node.js only --play FILE --check runs\n");
        return 1;
    }
    platform::HeadlessPlatform machine;
    return runProgram(machine, "", options);
}
