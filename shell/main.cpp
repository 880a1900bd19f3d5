// The program: the real SDL platform under the game (the game runs on a thread of its own;
// this, the main thread, serves it the display), or no display at all to check a replay.
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/headless_platform.h"
#include "platform/sdl_platform.h"
#include "shell/game_folders.h"
#include "shell/net_program.h"
#include "shell/options.h"
#include "shell/program.h"

namespace {

std::string programDirectory(const char* argv0) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path self = fs::canonical("/proc/self/exe", error);
    if (!error) return self.parent_path().string();
    return fs::absolute(fs::path(argv0 ? argv0 : ""), error).parent_path().string();
}

// --help and --version: the text on standard output; status 1 when it cannot be written.
int printText(const std::string& text) {
    const bool written = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
    return written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "diraviru: %s\n", error.c_str());
        return 1;
    }
    const GameFolders folders =
        findGameFolders(programDirectory(argc > 0 ? argv[0] : nullptr), currentUser());
    if (options.mode == Options::Mode::Help)
        return printText(helpText(describeDataFolder(folders)));
    if (options.mode == Options::Mode::Version) return printText(versionText());
    // Checking a replay shows nothing: the display is never opened.
    if (options.mode == Options::Mode::Play && options.check) {
        platform::HeadlessPlatform machine;
        return runProgram(machine, folders, options);
    }
    const bool network = options.mode == Options::Mode::Host || options.mode == Options::Mode::Join;
    platform::SdlPlatform machine("DIRAVIRU");
    return machine.run([&] {
        return network ? runNetworkProgram(machine, folders, options)
                       : runProgram(machine, folders, options);
    });
}
