#include "net/protocol.h"

#include <algorithm>

namespace net {
namespace {

constexpr uint8_t kMagic[2] = {'D', 'V'};
// The bytes that stand for the game's values on the wire stay as they are.
static_assert(uint8_t(Decision::NextRound) == 1 && uint8_t(Decision::EndMatch) == 2);
static_assert(PlayerNon == 0 && PlayerMan == 1 && PlayerCom == 2);
constexpr InputRecord kRecordBits = (kSecondMark << 1) - 1;

// Appends to a packet; `ok` turns false for good once anything would not fit.
struct Writer {
    Packet& packet;
    bool ok = true;

    void byte(uint8_t value) {
        if (packet.size >= kMaxPacketBytes) {
            ok = false;
            return;
        }
        packet.bytes[packet.size++] = value;
    }
    void fixed(uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) byte(uint8_t(value >> (8 * i)));
    }
    void varint(uint64_t value) {
        while (value >= 0x80) {
            byte(uint8_t(value | 0x80));
            value >>= 7;
        }
        byte(uint8_t(value));
    }
};

// Reads a packet front to back; `ok` turns false for good on the first thing out of place.
struct Reader {
    const uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
    bool ok = true;

    bool check(bool condition) { return ok = ok && condition; }
    uint8_t byte() {
        if (!check(pos < size)) return 0;
        return data[pos++];
    }
    uint64_t fixed(int bytes) {
        uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value |= uint64_t(byte()) << (8 * i);
        return value;
    }
    // A varint of at most `maxBits` bits, in its shortest form (no empty last group).
    uint64_t varint(int maxBits) {
        uint64_t value = 0;
        for (int shift = 0; check(shift < maxBits); shift += 7) {
            const uint8_t b = byte();
            value |= uint64_t(b & 0x7F) << shift;
            if (!(b & 0x80)) {
                check(b != 0 || shift == 0);
                break;
            }
        }
        check(value >> maxBits == 0);
        return ok ? value : 0;
    }
    uint32_t varint32() { return uint32_t(varint(32)); }
    Frame frame() { return varint(48); }
    // A byte that must lie in lo..hi (lo when it does not, so it is safe to use).
    uint8_t ranged(int lo, int hi) {
        const uint8_t b = byte();
        return check(b >= lo && b <= hi) ? b : uint8_t(lo);
    }
};

bool printable(char c) { return c >= ' ' && c <= '~'; }

void put(Writer& w, const Name& name) {
    w.byte(name.length);
    for (int i = 0; i < std::min<int>(name.length, kMaxNameBytes); ++i)
        w.byte(uint8_t(name.bytes[i]));
}
void get(Reader& r, Name& name) {
    name = Name{};
    name.length = r.ranged(0, kMaxNameBytes);
    for (int i = 0; r.ok && i < name.length; ++i) {
        name.bytes[i] = char(r.byte());
        r.check(printable(name.bytes[i]));
    }
}

// Every slot's owner is a machine of `machines`, and the host is always one of them.
bool ownersValid(MachineMask machines, const std::array<uint8_t, kNetSlots>& owners) {
    if (!hasMachine(machines, kHostMachine) || machines >> kMaxMachines) return false;
    return std::all_of(owners.begin(), owners.end(),
                       [&](uint8_t m) { return m < kMaxMachines && hasMachine(machines, m); });
}

void put(Writer& w, const std::array<uint8_t, kNetSlots>& owners) {
    for (int slot = 0; slot < kNetSlots; ++slot) w.byte(owners[slot]);
}
void get(Reader& r, std::array<uint8_t, kNetSlots>& owners) {
    for (int slot = 0; slot < kNetSlots; ++slot) owners[slot] = r.byte();
}

void put(Writer& w, const Lobby& lobby) {
    w.byte(lobby.machines);
    for (int m = 0; m < kMaxMachines; ++m) {
        if (hasMachine(lobby.machines, m)) put(w, lobby.names[m]);
    }
    put(w, lobby.slotOwner);
}
void get(Reader& r, Lobby& lobby) {
    lobby = Lobby{};
    lobby.machines = r.byte();
    r.check(lobby.machines >> kMaxMachines == 0);
    for (int m = 0; r.ok && m < kMaxMachines; ++m) {
        if (hasMachine(lobby.machines, m)) get(r, lobby.names[m]);
    }
    get(r, lobby.slotOwner);
    r.check(ownersValid(lobby.machines, lobby.slotOwner));
}

void put(Writer& w, const Checkpoint& at) {
    w.byte(uint8_t(at.kind));
    w.varint(at.index);
}
void get(Reader& r, Checkpoint& at) {
    at.kind = CheckpointKind(r.ranged(1, 2));
    at.index = r.frame();
}

void put(Writer& w, const JoinRequest& m) {
    w.fixed(m.protocolVersion, 2);
    w.fixed(m.gameVersion, 4);
    put(w, m.name);
}
void get(Reader& r, JoinRequest& m) {
    m.protocolVersion = uint16_t(r.fixed(2));
    m.gameVersion = uint32_t(r.fixed(4));
    get(r, m.name);
}

void put(Writer& w, const Welcome& m) {
    w.byte(m.yourMachine);
    put(w, m.lobby);
}
void get(Reader& r, Welcome& m) {
    m.yourMachine = r.ranged(1, kMaxMachines - 1);
    get(r, m.lobby);
    r.check(hasMachine(m.lobby.machines, m.yourMachine));
}

void put(Writer& w, const Refusal& m) {
    w.byte(uint8_t(m.reason));
    w.fixed(m.hostVersion, 4);
}
void get(Reader& r, Refusal& m) {
    m.reason = RefusalReason(r.ranged(1, 3));
    m.hostVersion = uint32_t(r.fixed(4));
}

void put(Writer& w, const MatchStart& m) {
    w.byte(m.match);
    w.fixed(m.randomState, 4);
    for (int32_t counter : m.frameCounters) w.byte(uint8_t(counter));
    w.byte(m.settingsLength);
    for (int i = 0; i < std::min<int>(m.settingsLength, kMaxSettingsBytes); ++i) {
        w.byte(m.settings[i]);
    }
    for (int8_t type : m.playerTypes) w.byte(uint8_t(type));
    put(w, m.slotOwner);
    w.byte(m.machines);
    w.byte(m.inputDelay);
    w.fixed(m.inputDelayMs, 2);
    w.fixed(m.checksumEvery, 2);
}
void get(Reader& r, MatchStart& m) {
    m = MatchStart{};
    m.match = r.byte();
    m.randomState = uint32_t(r.fixed(4));
    for (int k = 0; k < kFrameCounterCount; ++k) m.frameCounters[k] = r.ranged(0, k);
    m.settingsLength = r.ranged(0, kMaxSettingsBytes);
    for (int i = 0; r.ok && i < m.settingsLength; ++i) m.settings[i] = r.byte();
    for (int8_t& type : m.playerTypes) type = int8_t(r.ranged(PlayerNon, PlayerCom));
    get(r, m.slotOwner);
    m.machines = r.byte();
    r.check(ownersValid(m.machines, m.slotOwner));
    for (int s = 0; s < kNetSlots; ++s) {
        r.check(m.slotOwner[s] == kHostMachine || m.playerTypes[s] == PlayerMan);
    }
    m.inputDelay = r.ranged(1, kMaxInputDelay);
    m.inputDelayMs = uint16_t(r.fixed(2));
    r.check(m.inputDelayMs >= 1 && m.inputDelayMs <= kMaxInputDelayMs);
    m.checksumEvery = uint16_t(r.fixed(2));
    r.check(m.checksumEvery >= kMinChecksumEvery);
}

void put(Writer& w, const Inputs& m) {
    w.byte(m.match);
    w.byte(m.ackMask);
    for (int machine = 0; machine < kMaxMachines; ++machine) {
        if (hasMachine(m.ackMask, machine)) w.varint(m.acks[machine]);
    }
    w.varint(m.decisions);
    if (m.decisions > 0) w.byte(uint8_t(m.lastDecision));
    w.byte(m.windowCount);
    for (int i = 0; i < m.windowCount && i < kMaxMachines; ++i) {
        const InputWindow& window = m.windows[i];
        w.byte(window.machine);
        w.varint(window.first);
        w.byte(window.count);
        for (int f = 0; f < window.count; ++f) w.varint(window.records[f]);
    }
}
void get(Reader& r, Inputs& m) {
    m.match = r.byte();
    m.ackMask = r.byte();
    r.check(m.ackMask >> kMaxMachines == 0);
    m.acks = {};
    for (int machine = 0; r.ok && machine < kMaxMachines; ++machine) {
        if (hasMachine(m.ackMask, machine)) m.acks[machine] = r.frame();
    }
    m.decisions = r.varint32();
    m.lastDecision = m.decisions > 0 ? Decision(r.ranged(uint8_t(Decision::NextRound),
                                                         uint8_t(Decision::EndMatch)))
                                     : Decision::NextRound;
    m.windowCount = r.ranged(0, kMaxMachines);
    MachineMask seen = 0;
    for (int i = 0; r.ok && i < m.windowCount; ++i) {
        InputWindow& window = m.windows[i];
        window.machine = r.ranged(0, kMaxMachines - 1);
        r.check(!hasMachine(seen, window.machine));
        seen |= machineBit(window.machine);
        window.first = r.frame();
        window.count = r.ranged(1, kMaxWindowFrames);
        r.check(window.first + window.count <= kLastFrame);
        for (int f = 0; r.ok && f < window.count; ++f) {
            window.records[f] = r.varint(33);
            r.check(validRecord(window.records[f]));
        }
    }
}

void put(Writer& w, const HostDecision& m) {
    w.byte(m.match);
    w.varint(m.index);
    w.byte(uint8_t(m.decision));
}
void get(Reader& r, HostDecision& m) {
    m.match = r.byte();
    m.index = r.varint32();
    m.decision = Decision(r.ranged(uint8_t(Decision::NextRound), uint8_t(Decision::EndMatch)));
}

void put(Writer& w, const Checksum& m) {
    w.byte(m.match);
    w.varint(m.sequence);
    put(w, m.at);
    w.fixed(m.value, 8);
}
void get(Reader& r, Checksum& m) {
    m.match = r.byte();
    m.sequence = r.varint32();
    get(r, m.at);
    m.value = r.fixed(8);
}

void put(Writer& w, const MachineGone& m) {
    w.byte(m.match);
    w.byte(m.machine);
    w.varint(m.fromFrame);
}
void get(Reader& r, MachineGone& m) {
    m.match = r.byte();
    m.machine = r.ranged(1, kMaxMachines - 1);
    m.fromFrame = r.frame();
}

void put(Writer& w, const Stop& m) {
    w.byte(m.match);
    w.byte(uint8_t(m.reason));
    if (m.reason == StopReason::Divergence) put(w, m.at);
}
void get(Reader& r, Stop& m) {
    m = Stop{};
    m.match = r.byte();
    m.reason = StopReason(r.ranged(1, 2));
    if (m.reason == StopReason::Divergence) get(r, m.at);
}

void put(Writer&, const Leave&) {}
void get(Reader&, Leave&) {}

// The alternative of `message` that type byte `type` names, decoded from `r`.
template <std::size_t I = 0>
void getAlternative(Reader& r, uint8_t type, Message& message) {
    if constexpr (I < std::variant_size_v<Message>) {
        if (type == I + 1) {
            get(r, message.emplace<I>());
        } else {
            getAlternative<I + 1>(r, type, message);
        }
    } else {
        r.check(false);
    }
}

}  // namespace

Name makeName(std::string_view text) {
    Name name;
    name.length = uint8_t(std::min<std::size_t>(text.size(), kMaxNameBytes));
    for (int i = 0; i < name.length; ++i) name.bytes[i] = printable(text[i]) ? text[i] : '?';
    return name;
}

bool InputWindow::operator==(const InputWindow& o) const {
    return machine == o.machine && first == o.first && count == o.count &&
           std::equal(records.begin(), records.begin() + count, o.records.begin());
}

bool Inputs::operator==(const Inputs& o) const {
    return match == o.match && ackMask == o.ackMask && acks == o.acks &&
           decisions == o.decisions &&
           (decisions == 0 || lastDecision == o.lastDecision) && windowCount == o.windowCount &&
           std::equal(windows.begin(), windows.begin() + std::min(windowCount, uint8_t(4)),
                      o.windows.begin());
}

int recordBytes(InputRecord record) {
    int bytes = 1;
    while (record >= 0x80) {
        record >>= 7;
        ++bytes;
    }
    return bytes;
}

bool validRecord(InputRecord record) {
    if (record & ~kRecordBits) return false;
    const uint32_t changes = uint32_t(record);
    // Change value 3 sets both bits of a key's pair.
    return (changes & (changes >> 1) & 0x55555555u) == 0;
}

bool encodeMessage(const Message& message, Packet& packet) {
    packet.size = 0;
    Writer w{packet};
    w.byte(kMagic[0]);
    w.byte(kMagic[1]);
    w.byte(uint8_t(message.index() + 1));
    std::visit([&](const auto& m) { put(w, m); }, message);
    // A message the receiver would refuse is never sent.
    Message again;
    if (!w.ok || !decodeMessage(packet.bytes.data(), packet.size, again) || !(again == message)) {
        packet.size = 0;
        return false;
    }
    return true;
}

bool decodeMessage(const uint8_t* data, std::size_t size, Message& message) {
    if (size > kMaxPacketBytes) return false;
    Reader r{data, size};
    r.check(r.byte() == kMagic[0] && r.byte() == kMagic[1]);
    const uint8_t type = r.byte();
    if (r.ok) getAlternative(r, type, message);
    return r.check(r.pos == size);
}

}  // namespace net
