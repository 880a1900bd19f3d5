#include "shell/options.h"

#include <charconv>
#include <string_view>

#include "game/game.h"
#include "net/address.h"
#include "rules_version.h"
#include "shell/version.h"

const char* const kUsage =
    "usage: diraviru [--record FILE] [--host [--port N] | --join ADDRESS[:PORT]] | --play FILE "
    "[--check] | --help | --version";

std::string helpText(const std::string& filesFolder) {
    const std::string port = std::to_string(net::kDefaultPort);
    return std::string(kUsage) +
           "\n\n"
           "A full-screen arcade game for up to four players at one keyboard.\n"
           "Without options it shows the title; the README and diraviru(6) tell how to play.\n"
           "\n"
           "  --record FILE          record every match to FILE, not to " +
           kLastMatchFileName +
           "\n"
           "  --host                 host a network game (UDP port " +
           port +
           ")\n"
           "  --port N               with --host: listen on UDP port N instead\n"
           "  --join ADDRESS[:PORT]  join the network game hosted at ADDRESS\n"
           "  --play FILE            watch the match recorded in FILE\n"
           "  --check                with --play: check it without a window; status 1 when a\n"
           "                         round ends otherwise than recorded\n"
           "  -h, --help             show this text\n"
           "  --version              show the version\n"
           "\n"
           "The settings (" +
           kSettingsFileName + "), the players' keys (" + kKeysFileName +
           ")\nand the last match (" + kLastMatchFileName + ") are kept in:\n  " + filesFolder +
           "\n";
}

// The rules' version is what a network game compares: machines that show different ones
// cannot play each other.
std::string versionText() {
    return std::string("diraviru ") + kGameVersion + " (rules " + kRulesVersionText + ")\n";
}

namespace {

struct Refusal {
    std::string reason;
};

// The value after argv[at], moving past it; an option-like word is no value.
std::string_view valueOf(int argc, const char* const* argv, int& at) {
    const std::string_view option = argv[at];
    if (at + 1 >= argc) throw Refusal{std::string(option) + " needs a value"};
    const std::string_view value = argv[++at];
    if (value.empty() || value.starts_with("--")) {
        throw Refusal{std::string(option) + " needs a value"};
    }
    return value;
}

uint16_t portNumber(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) {
        throw Refusal{"not a port (1..65535): " + std::string(text)};
    }
    return static_cast<uint16_t>(value);
}

void setMode(Options& options, Options::Mode mode, std::string_view option) {
    if (options.mode != Options::Mode::Local) {
        throw Refusal{std::string(option) + " does not go with the options before it"};
    }
    options.mode = mode;
}

void readOption(int argc, const char* const* argv, int& at, Options& options, bool& portGiven) {
    const std::string_view option = argv[at];
    if (option == "--record") {
        if (!options.recordPath.empty()) throw Refusal{"--record given twice"};
        options.recordPath = valueOf(argc, argv, at);
    } else if (option == "--play") {
        setMode(options, Options::Mode::Play, option);
        options.playPath = valueOf(argc, argv, at);
    } else if (option == "--check") {
        if (options.check) throw Refusal{"--check given twice"};
        options.check = true;
    } else if (option == "--host") {
        setMode(options, Options::Mode::Host, option);
    } else if (option == "--port") {
        if (portGiven) throw Refusal{"--port given twice"};
        options.port = portNumber(valueOf(argc, argv, at));
        portGiven = true;
    } else if (option == "--help" || option == "-h") {
        setMode(options, Options::Mode::Help, option);
    } else if (option == "--version") {
        setMode(options, Options::Mode::Version, option);
    } else if (option == "--join") {
        setMode(options, Options::Mode::Join, option);
        const std::string_view address = valueOf(argc, argv, at);
        if (!net::parseAddress(address, options.address, options.port)) {
            throw Refusal{"not an address: " + std::string(address)};
        }
    } else {
        throw Refusal{"unknown option " + std::string(option)};
    }
}

// The mixes that make no sense, found once every option is read.
void checkMix(const Options& options, bool portGiven) {
    const bool alone =
        options.mode == Options::Mode::Help || options.mode == Options::Mode::Version;
    if (alone && (options.check || portGiven || !options.recordPath.empty())) {
        throw Refusal{std::string(options.mode == Options::Mode::Help ? "--help" : "--version") +
                      " goes alone"};
    }
    if (options.check && options.mode != Options::Mode::Play) {
        throw Refusal{"--check goes only with --play"};
    }
    if (portGiven && options.mode != Options::Mode::Host) {
        throw Refusal{"--port goes only with --host"};
    }
    if (!options.recordPath.empty() && options.mode == Options::Mode::Play) {
        throw Refusal{"--record does not go with --play"};
    }
}

}  // namespace

bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    try {
        Options read;
        read.port = net::kDefaultPort;
        bool portGiven = false;
        for (int at = 1; at < argc; ++at) readOption(argc, argv, at, read, portGiven);
        checkMix(read, portGiven);
        options = std::move(read);
        return true;
    } catch (const Refusal& refusal) {
        error = refusal.reason + "; " + kUsage;
        return false;
    }
}
