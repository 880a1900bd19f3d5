// The program: the real SDL platform under the game.
#include <filesystem>
#include <string>

#include "platform/sdl_platform.h"
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
    platform::SdlPlatform machine("DIRAVIRU");
    return runProgram(machine, programDirectory(argc > 0 ? argv[0] : nullptr));
}
