// The packet codec: every message comes back from its bytes as it was, and anything out of
// place (a field out of range, a foreign or cut or padded packet) is refused.
#include <gtest/gtest.h>

#include <initializer_list>
#include <type_traits>
#include <vector>

#include "net/protocol.h"

using namespace net;

namespace {

Lobby sampleLobby() {
    return {0b1011, {makeName("HOST"), makeName("ANN"), Name{}, makeName("ZOE")}, {0, 1, 3, 0}};
}

MatchStart sampleStart() {
    return {9,  0xDEADBEEF, {0, 1, 2, 0, 4}, 3, {'0', '0', '1'}, {2, 1, 1, 0}, {0, 1, 3, 0}, 0b1011,
            17, 68, 300};
}

Inputs sampleInputs() {
    // Frame numbers past 2^32: a match never wraps them.
    Inputs inputs{9, 0b0101, {(Frame(1) << 40) + 7, 0, 5, 0}, 3, Decision::EndMatch, 2, {}};
    inputs.windows[0] = {0, (Frame(1) << 32) + 123456, 40, {}};
    for (int f = 0; f < 40; f += 3) inputs.windows[0].records[f] = kSecondMark | (2u << 30);
    inputs.windows[1] = {3, 7, 1, {uint64_t(1) << 18}};
    return inputs;
}

bool decodes(const std::vector<uint8_t>& bytes) {
    Message message;
    return decodeMessage(bytes.data(), bytes.size(), message);
}

// Each change of `sample` gives a message that is neither sent nor taken.
template <typename T>
void expectRefused(const T& sample,
                   std::type_identity_t<std::initializer_list<void (*)(T&)>> breaks) {
    int i = 0;
    for (auto change : breaks) {
        T message = sample;
        change(message);
        Packet packet;
        EXPECT_FALSE(encodeMessage(message, packet)) << typeid(T).name() << " case " << i++;
    }
}

}  // namespace

TEST(Protocol, EveryMessageComesBackFromItsBytesAndFromNoPrefixOrPadding) {
    const Message samples[] = {JoinRequest{1, 42, makeName("ANN")},
                               Welcome{3, sampleLobby()},
                               Refusal{RefusalReason::GameFull, 0x1234ABCD},
                               sampleLobby(),
                               sampleStart(),
                               sampleInputs(),
                               HostDecision{9, 4, Decision::EndMatch},
                               Checksum{9, 12, {CheckpointKind::Frame, 250}, 0x0123456789ABCDEF},
                               MachineGone{9, 2, 777},
                               Stop{9, StopReason::Divergence, {CheckpointKind::Round, 3}},
                               Stop{9, StopReason::HostLeft, {}},
                               Leave{}};
    for (const Message& sample : samples) {
        Packet packet;
        Message back;
        ASSERT_TRUE(encodeMessage(sample, packet)) << sample.index();
        ASSERT_TRUE(decodeMessage(packet.bytes.data(), packet.size, back)) << sample.index();
        EXPECT_TRUE(back == sample) << sample.index();
        for (std::size_t size = 0; size < packet.size; ++size) {
            EXPECT_FALSE(decodeMessage(packet.bytes.data(), size, back)) << sample.index();
        }
        EXPECT_FALSE(decodeMessage(packet.bytes.data(), packet.size + 1, back)) << sample.index();
    }
    // Two hundred quiet frames cost a byte each; names are cut and kept printable.
    Inputs quiet{0, 0, {}, 0, Decision::NextRound, 1, {InputWindow{2, 1000, 200, {}}}};
    Packet packet;
    ASSERT_TRUE(encodeMessage(quiet, packet));
    EXPECT_LE(packet.size, 211u);
    EXPECT_EQ(makeName("A\tvery long name, cut").view(), "A?very long name");
}

TEST(Protocol, MessagesWithAFieldOutOfRangeAreNeitherSentNorTaken) {
    expectRefused(Welcome{3, sampleLobby()}, {[](Welcome& m) { m.yourMachine = 2; }});
    expectRefused(sampleLobby(), {[](Lobby& m) { m.slotOwner[1] = 2; },  // not connected
                                  [](Lobby& m) { m.machines = 0b10010; },
                                  [](Lobby& m) { m.names[3].bytes[0] = '\n'; },
                                  [](Lobby& m) { m.names[3].length = kMaxNameBytes + 1; }});
    expectRefused(sampleStart(), {[](MatchStart& m) { m.frameCounters[2] = 3; },
                                  [](MatchStart& m) { m.frameCounters[1] = -1; },
                                  [](MatchStart& m) { m.playerTypes[3] = 3; },
                                  [](MatchStart& m) { m.playerTypes[1] = 2; },  // NET as COM
                                  [](MatchStart& m) { m.inputDelay = 0; },
                                  [](MatchStart& m) { m.inputDelay = kMaxInputDelay + 1; },
                                  [](MatchStart& m) { m.inputDelayMs = 0; },
                                  [](MatchStart& m) { m.inputDelayMs = kMaxInputDelayMs + 1; },
                                  [](MatchStart& m) { m.checksumEvery = kMinChecksumEvery - 1; },
                                  [](MatchStart& m) { m.settingsLength = kMaxSettingsBytes + 1; },
                                  [](MatchStart& m) { m.machines = 0b1010; }});  // no host
    expectRefused(sampleInputs(),
                  {[](Inputs& m) { m.windows[1].machine = 4; },
                   [](Inputs& m) { m.windows[1].machine = 0; },  // twice
                   [](Inputs& m) { m.windows[1].count = 0; },
                   [](Inputs& m) { m.windows[1].records[0] = 3u << 8; },
                   [](Inputs& m) { m.windows[0].records[5] = kSecondMark << 1; },
                   [](Inputs& m) { m.windows[0].first = kLastFrame - 20; },
                   [](Inputs& m) { m.acks[2] = kNoFrame; },
                   [](Inputs& m) { m.lastDecision = Decision::Closed; },
                   [](Inputs& m) { m.ackMask = 0b10000; }, [](Inputs& m) { m.windowCount = 5; }});
    // The "no frame" marker is no frame a packet can carry.
    expectRefused(MachineGone{1, 2, 5}, {[](MachineGone& m) { m.machine = 0; },
                                         [](MachineGone& m) { m.fromFrame = kNoFrame; },
                                         [](MachineGone& m) { m.fromFrame = kLastFrame + 1; }});
    Packet packet;
    EXPECT_TRUE(encodeMessage(MachineGone{1, 2, UINT32_MAX}, packet));
    EXPECT_TRUE(encodeMessage(MachineGone{1, 2, kLastFrame}, packet));
}

TEST(Protocol, ForeignOversizedAndLongWindedBytesAreRefused) {
    EXPECT_TRUE(decodes({'D', 'V', 11}));  // Leave
    EXPECT_FALSE(decodes({}));
    EXPECT_FALSE(decodes({'D', 'X', 11}));
    EXPECT_FALSE(decodes({'D', 'V', 0}));
    EXPECT_FALSE(decodes({'D', 'V', 12}));
    EXPECT_TRUE(decodes({'D', 'V', 9, 1, 2, 0x00}));         // MachineGone, from frame 0
    EXPECT_FALSE(decodes({'D', 'V', 9, 1, 2, 0x80, 0x00}));  // frame 0 in two bytes
    EXPECT_TRUE(decodes({'D', 'V', 9, 1, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));  // 2^32 - 1
    EXPECT_TRUE(decodes({'D', 'V', 9, 1, 2, 0x80, 0x80, 0x80, 0x80, 0x10}));  // 2^32
    EXPECT_TRUE(decodes({'D', 'V', 9, 1, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x3F}));  // 2^48-1
    EXPECT_FALSE(decodes({'D', 'V', 9, 1, 2, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x40}));  // 2^48
    // Input windows of 255 two-byte records: two fit in a packet, three do not.
    auto windows = [](int count) {
        std::vector<uint8_t> bytes = {'D', 'V', 6, 0, 0, 0, uint8_t(count)};
        for (int w = 0; w < count; ++w) {
            bytes.insert(bytes.end(), {uint8_t(w), 0, 255});
            for (int f = 0; f < 255; ++f) bytes.insert(bytes.end(), {0x80, 0x01});
        }
        return bytes;
    };
    EXPECT_TRUE(decodes(windows(2)));
    EXPECT_FALSE(decodes(windows(3)));
}
