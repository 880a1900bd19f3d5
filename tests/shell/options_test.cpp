// The command line: what each form asks for, and one line naming what is wrong with a bad one.
#include <gtest/gtest.h>

#include <vector>

#include "net/protocol.h"
#include "shell/options.h"

namespace {

using Mode = Options::Mode;

bool parse(std::vector<const char*> args, Options& options, std::string& error) {
    args.insert(args.begin(), "diraviru");
    return parseOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(Options, EachFormAsksForItsMode) {
    const struct {
        std::vector<const char*> args;
        Mode mode;
        const char* record;
        const char* play;
        bool check;
        const char* address;
        uint16_t port;
    } cases[] = {
        {{}, Mode::Local, "", "", false, "", net::kDefaultPort},
        {{"--record", "a.dvr"}, Mode::Local, "a.dvr", "", false, "", net::kDefaultPort},
        {{"--play", "b.dvr"}, Mode::Play, "", "b.dvr", false, "", net::kDefaultPort},
        {{"--check", "--play", "b.dvr"}, Mode::Play, "", "b.dvr", true, "", net::kDefaultPort},
        {{"--host"}, Mode::Host, "", "", false, "", net::kDefaultPort},
        {{"--port", "4000", "--host", "--record", "n.dvr"},
         Mode::Host,
         "n.dvr",
         "",
         false,
         "",
         4000},
        {{"--join", "10.0.0.2:65535"}, Mode::Join, "", "", false, "10.0.0.2", 65535},
        {{"--help"}, Mode::Help, "", "", false, "", net::kDefaultPort},
        {{"--version"}, Mode::Version, "", "", false, "", net::kDefaultPort},
    };
    for (const auto& c : cases) {
        Options options;
        std::string error;
        ASSERT_TRUE(parse(c.args, options, error)) << error;
        EXPECT_EQ(options.mode, c.mode) << error;
        EXPECT_EQ(options.recordPath, c.record);
        EXPECT_EQ(options.playPath, c.play);
        EXPECT_EQ(options.check, c.check);
        EXPECT_EQ(options.address, c.address);
        EXPECT_EQ(options.port, c.port);
    }
}

TEST(Options, ABadCommandLineIsOneLineWithTheReasonAndTheUsage) {
    const struct {
        std::vector<const char*> args;
        const char* reason;
    } cases[] = {
        {{"-help"}, "unknown option -help"},
        {{"--help", "--check"}, "--help goes alone"},
        {{"--play", "a", "--version"}, "--version does not go with the options before it"},
        {{"--record"}, "--record needs a value"},
        {{"--play", "--check"}, "--play needs a value"},
        {{"--record", "a", "--record", "b"}, "--record given twice"},
        {{"--check"}, "--check goes only with --play"},
        {{"--record", "a", "--play", "b"}, "--record does not go with --play"},
        {{"--host", "--join", "x"}, "--join does not go with the options before it"},
        {{"--port", "80"}, "--port goes only with --host"},
        {{"--host", "--port", "0"}, "not a port (1..65535): 0"},
        {{"--host", "--port", "70000"}, "not a port (1..65535): 70000"},
        {{"--join", "box:0"}, "not an address: box:0"},
    };
    for (const auto& c : cases) {
        Options options;
        options.recordPath = "kept";
        std::string error;
        EXPECT_FALSE(parse(c.args, options, error)) << c.reason;
        EXPECT_EQ(error, std::string(c.reason) + "; " + kUsage);
        EXPECT_EQ(options.recordPath, "kept") << "a refused line changes nothing";
    }
}

}  // namespace
