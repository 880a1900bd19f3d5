// The messages machines of a network game exchange, and their byte encoding.
//
// Every packet starts with the two magic bytes "DV" and a type byte; the rest is the
// message's fields in a fixed order: single bytes, little-endian fixed-width numbers, and
// LEB128 varints for frame numbers and input records (most frames carry no key change and
// cost one byte). decodeMessage checks every field (slot and machine numbers, lengths,
// counts, frame ranges, versions, key changes) and refuses anything else: a foreign,
// truncated, oversized or trailing-garbage packet, or a number written in more bytes than it
// needs. A packet it accepts therefore encodes back to exactly the same bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "input/frame_input.h"
#include "play/player.h"
#include "settings/settings.h"

namespace net {

inline constexpr uint16_t kDefaultPort = 24705;  // UDP
inline constexpr uint16_t kProtocolVersion = 2;
inline constexpr int kMaxMachines = 4;  // the host (machine 0) and three others
inline constexpr int kNetSlots = 4;
inline constexpr uint8_t kHostMachine = 0;
inline constexpr std::size_t kMaxPacketBytes = 1200;  // below a UDP datagram's usual MTU
inline constexpr int kMaxNameBytes = 16;
inline constexpr int kMaxInputDelay = 60;     // frames
inline constexpr int kMaxInputDelayMs = 1000;
inline constexpr int kMaxWindowFrames = 255;  // input records of one machine per packet
inline constexpr int kMinChecksumEvery = 16;  // frames between two frame checksums
inline constexpr int kFrameCounterCount = 5;
// The wire's layout is fixed; it carries the game's own slots and frame counters.
static_assert(kNetSlots == kSlots && kFrameCounterCount == ::kFrameCounterCount);

// Frame numbers: 64 bits, of which the wire carries at most 48 (at a thousand frames a second,
// thousands of years of one match). kNoFrame is above every frame a packet can name: a marker,
// never a frame.
using Frame = uint64_t;
inline constexpr Frame kLastFrame = (Frame(1) << 48) - 1;
inline constexpr Frame kNoFrame = UINT64_MAX;

// A machine's input record for one frame: the KeyChange bits of FrameInput::changes (only
// the keys that machine owns) and, from the host, bit 32: the round's second advanced.
using InputRecord = uint64_t;
inline constexpr InputRecord kSecondMark = InputRecord(1) << 32;

// A player's name as shown on the title: printable ASCII, at most kMaxNameBytes.
struct Name {
    uint8_t length = 0;
    std::array<char, kMaxNameBytes> bytes{};

    std::string_view view() const { return {bytes.data(), length}; }
    bool operator==(const Name&) const = default;
};
// The name made from `text`: cut to kMaxNameBytes, characters outside ' '..'~' become '?'.
Name makeName(std::string_view text);

using MachineMask = uint8_t;  // bit m: machine m
constexpr MachineMask machineBit(int machine) { return MachineMask(1u << machine); }
constexpr bool hasMachine(MachineMask mask, int machine) {
    return machine >= 0 && machine < kMaxMachines && ((mask >> machine) & 1);
}

enum class MessageType : uint8_t {
    JoinRequest = 1,
    Welcome,
    Refusal,
    Lobby,
    MatchStart,
    Inputs,
    HostDecision,
    Checksum,
    MachineGone,
    Stop,
    Leave,
};

struct JoinRequest {
    uint16_t protocolVersion = kProtocolVersion;
    uint32_t gameVersion = 0;
    Name name;
    bool operator==(const JoinRequest&) const = default;
};

// Who is connected and which slots the host gave to which machine (0: the host's own).
struct Lobby {
    MachineMask machines = 1;
    std::array<Name, kMaxMachines> names{};
    std::array<uint8_t, kNetSlots> slotOwner{};
    bool operator==(const Lobby&) const = default;
};

struct Welcome {
    uint8_t yourMachine = 1;
    Lobby lobby;
    bool operator==(const Welcome&) const = default;
};

enum class RefusalReason : uint8_t { OtherVersion = 1, GameFull, MatchUnderWay };
// Names the host's game version, so that a machine refused for another version can say both.
struct Refusal {
    RefusalReason reason = RefusalReason::OtherVersion;
    uint32_t hostVersion = 0;
    bool operator==(const Refusal&) const = default;
};

// Everything a match is a function of besides its inputs, and how the machines play it.
struct MatchStart {
    uint8_t match = 0;  // numbers the host's matches; stale packets name an old one
    uint32_t randomState = 0;
    std::array<int32_t, kFrameCounterCount> frameCounters{};  // counter k is 0..k
    uint8_t settingsLength = 0;
    std::array<uint8_t, kMaxSettingsBytes> settings{};  // the settings file's bytes, 0 after
    std::array<int8_t, kNetSlots> playerTypes{};        // PlayerType of 1P..4P
    std::array<uint8_t, kNetSlots> slotOwner{};         // a machine's slots are MAN
    MachineMask machines = 1;                           // the machines in the match
    uint8_t inputDelay = 1;                             // frames at the start, 1..kMaxInputDelay
    uint16_t inputDelayMs = 4;                          // kept while WAIT changes
    uint16_t checksumEvery = 250;                       // frames, >= kMinChecksumEvery
    bool operator==(const MatchStart&) const = default;
};

// One machine's input records for the frames first .. first + count - 1.
struct InputWindow {
    uint8_t machine = 0;
    Frame first = 0;
    uint8_t count = 0;
    std::array<InputRecord, kMaxWindowFrames> records{};
    bool operator==(const InputWindow& o) const;
};

// Input windows, and for the machines in `ackMask` the first frame of theirs the sender
// does not hold yet (everything before it arrived). Sent unreliably and repeated until
// acknowledged, so a lost packet costs no retransmission stall. From the host, also how many
// score-table decisions it has made and the last of them: a decision whose own message was
// lost still arrives.
struct Inputs {
    uint8_t match = 0;
    MachineMask ackMask = 0;
    std::array<Frame, kMaxMachines> acks{};
    uint32_t decisions = 0;
    Decision lastDecision = Decision::NextRound;  // when decisions > 0
    uint8_t windowCount = 0;
    std::array<InputWindow, kMaxMachines> windows{};  // distinct machines
    bool operator==(const Inputs& o) const;
};

// What the host chose on the score table before round `index` (0-based).
struct HostDecision {
    uint8_t match = 0;
    uint32_t index = 0;
    Decision decision = Decision::NextRound;  // NextRound or EndMatch, never Closed
    bool operator==(const HostDecision&) const = default;
};

enum class CheckpointKind : uint8_t { Round = 1, Frame };
// Where a checksum was taken: after round `index`, or after frame `index`.
struct Checkpoint {
    CheckpointKind kind = CheckpointKind::Round;
    Frame index = 0;
    bool operator==(const Checkpoint&) const = default;
};

// The sender's checksum number `sequence` of the match (0, 1, 2, ... in the order taken).
struct Checksum {
    uint8_t match = 0;
    uint32_t sequence = 0;
    Checkpoint at;
    uint64_t value = 0;
    bool operator==(const Checksum&) const = default;
};

// The host's word that `machine` is gone: the computer plays its slots from `fromFrame` on.
struct MachineGone {
    uint8_t match = 0;
    uint8_t machine = 1;
    Frame fromFrame = 0;
    bool operator==(const MachineGone&) const = default;
};

enum class StopReason : uint8_t { Divergence = 1, HostLeft };
// The host ends the match on every machine; `at` is the checkpoint that differed.
struct Stop {
    uint8_t match = 0;
    StopReason reason = StopReason::HostLeft;
    Checkpoint at;  // Divergence only
    bool operator==(const Stop&) const = default;
};

struct Leave {
    bool operator==(const Leave&) const = default;
};

using Message = std::variant<JoinRequest, Welcome, Refusal, Lobby, MatchStart, Inputs, HostDecision,
                             Checksum, MachineGone, Stop, Leave>;

struct Packet {
    std::array<uint8_t, kMaxPacketBytes> bytes{};
    std::size_t size = 0;
};

// The bytes of a message; false (and size 0) when they would exceed kMaxPacketBytes or
// the message breaks a rule decodeMessage checks.
bool encodeMessage(const Message& message, Packet& packet);
// The message in `data`; false when anything in it is out of place.
bool decodeMessage(const uint8_t* data, std::size_t size, Message& message);

// Bytes one record takes in a packet.
int recordBytes(InputRecord record);
// True when no key of `record` carries the unused change value 3 and no bit above the mark.
bool validRecord(InputRecord record);

}  // namespace net
