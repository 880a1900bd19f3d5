// The program: the real SDL platform under the game (the game runs on a thread of its own;
// this, the main thread, serves it the display), or no display at all to check a replay.
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/headless_platform.h"
#include "platform/sdl_platform.h"
#include "shell/net_program.h"
#include "shell/options.h"
#include "shell/program.h"

namespace {

std::string programDirectory(const char* argv0) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path self = fs::canonical("/proc/self/exe", error);
    if (!error) return self.parent_path().string();
    return fs::path(argv0 ? argv0 : "").parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "diraviru: %s\n", error.c_str());
        return 1;
    }
    const std::string exeDir = programDirectory(argc > 0 ? argv[0] : nullptr);
    // Checking a replay shows nothing: the display is never opened.
    if (options.mode == Options::Mode::Play && options.check) {
        platform::HeadlessPlatform machine;
        return runProgram(machine, exeDir, options);
    }
    const bool network = options.mode == Options::Mode::Host || options.mode == Options::Mode::Join;
    platform::SdlPlatform machine("DIRAVIRU");
    return machine.run([&] {
        return network ? runNetworkProgram(machine, exeDir, options)
                       : runProgram(machine, exeDir, options);
    });
}
