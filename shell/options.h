// The program's command line: a match played here (recorded to a file), a replay watched or
// checked, a network game hosted or joined, or the help and the version.
#pragma once

#include <cstdint>
#include <string>

struct Options {
    enum class Mode : uint8_t {
        Local,    // the title and matches at this machine (no options, or --record FILE)
        Play,     // --play FILE [--check]: a replay watched, or checked without a window
        Host,     // --host [--port N]: a network game's host
        Join,     // --join ADDRESS[:PORT]: a network game joined
        Help,     // --help (or -h): what the program takes and where its files go
        Version,  // --version
    };
    Mode mode = Mode::Local;
    std::string recordPath;  // --record FILE; empty: kLastMatchFileName (game/game.h)
    std::string playPath;    // --play FILE
    bool check = false;      // --check: no window, as fast as possible, status 1 on a mismatch
    std::string address;     // --join: the host's name or address
    uint16_t port = 0;       // --host and --join: the network port (the default when not given)
};

// The one line a bad command line prints (after the reason).
extern const char* const kUsage;

// The text of --help: the usage, each option, and the folder the files go to (filesFolder).
std::string helpText(const std::string& filesFolder);
// The text of --version: the program's name and version.
std::string versionText();

// Reads argv[1..argc-1]. False, with one line in `error` (the reason and kUsage), for an
// unknown option, a missing or bad value, an option given twice, or options that do not go
// together (--record goes with a local match or a network game; --check only with --play;
// --help and --version go alone).
bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error);
