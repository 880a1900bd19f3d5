#include "shell/options.h"

#include <charconv>
#include <string_view>

#include "net/address.h"

const char* const kUsage =
    "usage: diraviru [--record FILE] [--host [--port N] | --join ADDRESS[:PORT]] | --play FILE "
    "[--check]";

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
