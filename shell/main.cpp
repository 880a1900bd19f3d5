// The program: the real SDL platform under the game (the game runs on a thread of its own;
// this, the main thread, serves it the display), or no display at all to check a replay.
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/headless_platform.h"
#include "platform/sdl_platform.h"
#include "shell/game_folders.h"
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
    if (options.mode == Options::Mode::Help || options.mode == Options::Mode::Version) {
        const std::string text = options.mode == Options::Mode::Help
                                     ? helpText(describeDataFolder(folders))
                                     : versionText();
        const bool written = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
        return written ? 0 : 1;
    }
    // Checking a replay shows nothing: the display is never opened.
    if (options.mode == Options::Mode::Play && options.check) {
        platform::HeadlessPlatform machine;
        return runProgram(machine, folders, options);
    }
    platform::SdlPlatform machine("DIRAVIRU");
    return machine.run([&] { return runProgram(machine, folders, options); });
}
