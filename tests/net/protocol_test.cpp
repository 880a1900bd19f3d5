// The packet codec: every message comes back from its bytes as it was, and anything out of
// place (a field out of range, a foreign or cut or padded packet) is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "net/protocol.h"

using namespace net;

namespace {

Lobby sampleLobby() {
    Lobby lobby;
    lobby.machines = 0b1011;
    lobby.names = {makeName("HOST"), makeName("ANN"), Name{}, makeName("ZOE")};
    lobby.slotOwner = {0, 1, 3, 0};
    return lobby;
}

MatchStart sampleStart() {
    MatchStart start;
    start.match = 9;
    start.randomState = 0xDEADBEEF;
    start.frameCounters = {0, 1, 2, 0, 4};
    start.settingsLength = 25;
    std::fill_n(start.settings.begin(), start.settingsLength, uint8_t(7));
    start.playerTypes = {2, 1, 1, 0};
    start.slotOwner = {0, 1, 3, 0};
    start.machines = 0b1011;
    start.inputDelay = 17;
    start.checksumEvery = 300;
    return start;
}

Inputs sampleInputs() {
    Inputs inputs;
    inputs.match = 9;
    inputs.ackMask = 0b0101;
    inputs.acks = {70000, 0, 5, 0};
    inputs.windowCount = 2;
    inputs.windows[0] = {0, 123456, 40, {}};
    for (int f = 0; f < 40; f += 3) inputs.windows[0].records[f] = kSecondMark | (2u << 30);
    inputs.windows[1] = {3, 7, 1, {uint64_t(1) << 18}};
    return inputs;
}

std::vector<Message> samples() {
    return {JoinRequest{1, 42, makeName("ANN")}, Welcome{3, sampleLobby()},
            Refusal{RefusalReason::GameFull}, sampleLobby(), sampleStart(), sampleInputs(),
            HostDecision{9, 4, Decision::EndMatch},
            Checksum{9, 12, {CheckpointKind::Frame, 250}, 0x0123456789ABCDEFull},
            MachineGone{9, 2, 777}, Stop{9, StopReason::Divergence, {CheckpointKind::Round, 3}},
            Stop{9, StopReason::HostLeft, {}}, Leave{}};
}

bool decodes(const std::vector<uint8_t>& bytes) {
    Message message;
    return decodeMessage(bytes.data(), bytes.size(), message);
}

}  // namespace

TEST(Protocol, EveryMessageComesBackFromItsBytesAndFromNoPrefixOrPadding) {
    for (const Message& sample : samples()) {
        Packet packet;
        ASSERT_TRUE(encodeMessage(sample, packet)) << sample.index();
        Message back;
        ASSERT_TRUE(decodeMessage(packet.bytes.data(), packet.size, back)) << sample.index();
        EXPECT_TRUE(back == sample) << sample.index();
        for (std::size_t size = 0; size < packet.size; ++size) {
            EXPECT_FALSE(decodeMessage(packet.bytes.data(), size, back)) << sample.index();
        }
        EXPECT_FALSE(decodeMessage(packet.bytes.data(), packet.size + 1, back)) << sample.index();
    }
}

TEST(Protocol, AQuietFrameCostsOneByte) {
    Inputs inputs;
    inputs.windowCount = 1;
    inputs.windows[0] = {2, 1000, 200, {}};
    Packet packet;
    ASSERT_TRUE(encodeMessage(inputs, packet));
    EXPECT_LE(packet.size, 210u);
    EXPECT_EQ(makeName("A\tvery long name, cut").view(), "A?very long name");
}

TEST(Protocol, MessagesWithAFieldOutOfRangeAreNeitherSentNorTaken) {
    const std::vector<std::function<void(Message&)>> breaks = {
        [](Message& m) { m = Welcome{2, sampleLobby()}; },  // machine 2 is not connected
        [](Message& m) { std::get<Lobby>(m = sampleLobby()).slotOwner[1] = 2; },
        [](Message& m) { std::get<Lobby>(m = sampleLobby()).machines = 0b10010; },
        [](Message& m) { std::get<Lobby>(m = sampleLobby()).names[3].bytes[0] = '\n'; },
        [](Message& m) { std::get<JoinRequest>(m = JoinRequest{}).name.length = 17; },
        [](Message& m) { std::get<MatchStart>(m = sampleStart()).frameCounters[2] = 3; },
        [](Message& m) { std::get<MatchStart>(m = sampleStart()).frameCounters[1] = -1; },
        [](Message& m) { std::get<MatchStart>(m = sampleStart()).playerTypes[3] = 3; },
        [](Message& m) { std::get<MatchStart>(m = sampleStart()).playerTypes[1] = 2; },  // NET as COM
        [](Message& m) { std::get<MatchStart>(m = sampleStart()).inputDelay = 0; },
        [](Message& m) { std::get<MatchStart>(m = sampleStart()).inputDelay = kMaxInputDelay + 1; },
        [](Message& m) { std::get<MatchStart>(m = sampleStart()).checksumEvery = kMinChecksumEvery - 1; },
        [](Message& m) { std::get<MatchStart>(m = sampleStart()).settingsLength = kMaxSettingsBytes + 1; },
        [](Message& m) { std::get<MatchStart>(m = sampleStart()).machines = 0b1010; },  // no host
        [](Message& m) { std::get<Inputs>(m = sampleInputs()).windows[1].machine = 4; },
        [](Message& m) { std::get<Inputs>(m = sampleInputs()).windows[1].machine = 0; },
        [](Message& m) { std::get<Inputs>(m = sampleInputs()).windows[1].count = 0; },
        [](Message& m) { std::get<Inputs>(m = sampleInputs()).windows[1].records[0] = 3u << 8; },
        [](Message& m) { std::get<Inputs>(m = sampleInputs()).windows[0].records[5] = kSecondMark << 1; },
        [](Message& m) { std::get<Inputs>(m = sampleInputs()).windows[0].first = UINT32_MAX - 20; },
        [](Message& m) { std::get<Inputs>(m = sampleInputs()).ackMask = 0b10000; },
        [](Message& m) { std::get<Inputs>(m = sampleInputs()).windowCount = 5; },
        [](Message& m) { m = MachineGone{1, 0, 5}; },  // the host never leaves this way
    };
    for (std::size_t i = 0; i < breaks.size(); ++i) {
        Message message;
        breaks[i](message);
        Packet packet;
        EXPECT_FALSE(encodeMessage(message, packet)) << "case " << i;
        EXPECT_EQ(packet.size, 0u) << "case " << i;
    }
}

TEST(Protocol, ForeignOversizedAndLongWindedBytesAreRefused) {
    EXPECT_TRUE(decodes({'D', 'V', 11}));                     // Leave
    EXPECT_FALSE(decodes({}));
    EXPECT_FALSE(decodes({'D', 'X', 11}));
    EXPECT_FALSE(decodes({'D', 'V', 0}));
    EXPECT_FALSE(decodes({'D', 'V', 12}));
    EXPECT_TRUE(decodes({'D', 'V', 9, 1, 2, 0x00}));          // MachineGone, from frame 0
    EXPECT_FALSE(decodes({'D', 'V', 9, 1, 2, 0x80, 0x00}));   // frame 0 in two bytes
    EXPECT_TRUE(decodes({'D', 'V', 9, 1, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));   // 2^32 - 1
    EXPECT_FALSE(decodes({'D', 'V', 9, 1, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0x1F}));  // 2^33 - 1
    // Input windows of 255 two-byte records: two fit in a packet, three do not.
    auto windows = [](int count) {
        std::vector<uint8_t> bytes = {'D', 'V', 6, 0, 0, uint8_t(count)};
        for (int w = 0; w < count; ++w) {
            bytes.insert(bytes.end(), {uint8_t(w), 0, 255});
            for (int f = 0; f < 255; ++f) bytes.insert(bytes.end(), {0x80, 0x01});
        }
        return bytes;
    };
    EXPECT_TRUE(decodes(windows(2)));
    EXPECT_FALSE(decodes(windows(3)));
}
