// The replay file: its writer and its reader (the layout is in replay/replay.h).
#include "replay/replay.h"

#include <cstring>

#include "platform/regular_file.h"
#include "replay/bytes.h"
#include "replay/replay_work.h"

namespace {

constexpr std::string_view kMagic = "DIRAVIRU";
constexpr std::size_t kIntegrityBytes = 8;

// ---- writing ----

void putFixed(std::string& out, uint64_t value, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

void appendVarint(std::string& out, uint32_t value) {
    uint8_t bytes[kMaxVarintBytes];
    out.append(reinterpret_cast<const char*>(bytes), ::putVarint(value, bytes));
}

void putShortString(std::string& out, std::string_view text) {
    putFixed(out, text.size(), 1);
    out.append(text);
}

// The kind byte that leads each record after the start.
enum RecordKind : uint8_t {
    RecordClosed = uint8_t(Decision::Closed),
    RecordRound = uint8_t(Decision::NextRound),
    RecordEnd = uint8_t(Decision::EndMatch),
    RecordPause = 3,
    RecordCutShort = 4,
};

void putStart(std::string& out, uint16_t format, const ReplayStart& start) {
    out.append(kMagic);
    putFixed(out, format, 2);
    putShortString(out, start.gameVersion);
    putFixed(out, start.randomState, 4);
    for (const int32_t counter : start.frameCounters) putFixed(out, uint32_t(counter), 1);
    putShortString(out, encodeSettings(start.settings));
    for (const int8_t type : start.playerTypes) putFixed(out, uint8_t(type), 1);
}

void putFrames(std::string& out, const ReplayFrames& frames) {
    appendVarint(out, static_cast<uint32_t>(frames.bytes.size()));
    out.append(frames.bytes);
    appendVarint(out, frames.count);
}

void putRound(std::string& out, const ReplayRound& round) {
    putFixed(out, round.cutShort ? RecordCutShort : RecordRound, 1);
    putFrames(out, round.frames);
    if (round.cutShort) return;
    putFixed(out, round.result.checksum, 8);
    for (const int32_t score : round.result.scores) appendVarint(out, zigzag(score));
    if (!round.paused) return;
    putFixed(out, RecordPause, 1);
    putFrames(out, round.pause);
}

// ---- reading ----

// Why a file is refused: the line decodeReplay reports.
struct Refusal {
    std::string line;
};

[[noreturn]] void refuse(std::string line) { throw Refusal{std::move(line)}; }

// Reads the file front to back. `where` names the part being read for a truncated file.
class FileReader {
public:
    explicit FileReader(std::string_view bytes) : bytes_(bytes) {}

    std::string where = "the header";

    std::string_view take(std::size_t count) {
        if (bytes_.size() - pos_ < count) refuse("truncated: ends in " + where);
        const std::string_view taken = bytes_.substr(pos_, count);
        pos_ += count;
        return taken;
    }
    uint64_t fixed(std::size_t bytes) {
        const std::string_view taken = take(bytes);
        uint64_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i) value |= uint64_t(uint8_t(taken[i])) << (8 * i);
        return value;
    }
    uint32_t varint() {
        uint32_t value = 0;
        switch (getVarint(bytes_, pos_, value)) {
            case VarintRead::Ok:
                return value;
            case VarintRead::Short:
                refuse("truncated: ends in " + where);
            case VarintRead::Bad:
                break;
        }
        refuse("damaged: a malformed number in " + where);
    }
    std::string_view shortString(std::size_t limit, const char* what) {
        const auto length = static_cast<std::size_t>(fixed(1));
        if (length > limit) refuse(std::string("damaged: the ") + what + " is too long");
        return take(length);
    }
    std::size_t pos() const { return pos_; }
    std::size_t left() const { return bytes_.size() - pos_; }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

bool printable(std::string_view text) {
    for (const char c : text) {
        if (c < ' ' || c > '~') return false;
    }
    return true;
}

uint16_t readMagicAndFormat(FileReader& in) {
    if (in.left() < kMagic.size() || in.take(kMagic.size()) != kMagic) {
        refuse("not a DIRAVIRU replay");
    }
    const auto format = static_cast<uint16_t>(in.fixed(2));
    if (format > kReplayFormat) {
        refuse("made by a newer version of the game (format " + std::to_string(format) + ")");
    }
    if (format < kFirstReplayFormat) refuse("damaged: unknown format " + std::to_string(format));
    return format;
}

Settings readSettings(FileReader& in) {
    const std::string_view bytes = in.shortString(kMaxSettingsBytes, "settings record");
    Settings settings;
    decodeSettings(std::string(bytes), settings);
    // Only the exact record the game writes for these values is a settings record.
    if (encodeSettings(settings) != bytes) refuse("damaged: the settings are not valid");
    return settings;
}

ReplayStart readStart(FileReader& in) {
    ReplayStart start;
    const std::string_view version = in.shortString(kMaxGameVersionBytes, "game version");
    if (!printable(version)) refuse("damaged: the game version is not text");
    start.gameVersion = version;
    start.randomState = static_cast<uint32_t>(in.fixed(4));
    for (int k = 0; k < kFrameCounterCount; ++k) {
        start.frameCounters[k] = static_cast<int32_t>(in.fixed(1));
        // Counter k runs 0..k.
        if (start.frameCounters[k] > k) refuse("damaged: a frame counter is out of range");
    }
    start.settings = readSettings(in);
    for (int8_t& type : start.playerTypes) {
        type = static_cast<int8_t>(in.fixed(1));
        if (type > PlayerCom) refuse("damaged: a player type is out of range");
    }
    return start;
}

// A stretch of frames (`what` names it): its tokens in the encoder's exact form, no more of
// them than it counts, and no more than kMaxRoundFrames. What playing them costs goes into
// `work` (roundFrames: they are a round's, else a pause's).
ReplayFrames readFrames(FileReader& in, uint16_t format, const std::string& what, bool roundFrames,
                        ReplayWork& work) {
    ReplayFrames frames;
    frames.bytes = in.take(in.varint());
    frames.count = in.varint();
    if (frames.count > kMaxRoundFrames) refuse("damaged: " + what + " is too long");
    FrameTokenReader reader(format, frames.bytes);
    FrameToken token;
    uint64_t written = 0;  // frames up to the last token
    for (;;) {
        const FrameTokenReader::Step step = reader.next(token);
        if (step == FrameTokenReader::Step::End) break;
        if (step == FrameTokenReader::Step::Damaged) refuse("damaged: the frames of " + what);
        written += uint64_t{token.gap} + 1;
        if (roundFrames) work.addItemPresses(token.input);
    }
    if (written > frames.count) refuse("damaged: " + what + " holds more frames than it counts");
    work.addFrames(frames.count, roundFrames);
    if (work.total() > kMaxReplayWork)
        refuse("damaged: the match is longer than a replay can hold");
    return frames;
}

RoundResult readResult(FileReader& in) {
    RoundResult result;
    result.checksum = in.fixed(8);
    for (int32_t& score : result.scores) score = unzigzag(in.varint());
    return result;
}

// The records up to the one that ends the stream, which is returned.
Decision readRounds(FileReader& in, uint16_t format, const Settings& settings,
                    std::vector<ReplayRound>& rounds) {
    const bool second = format != kFirstReplayFormat;
    ReplayWork work(settings);
    for (;;) {
        const std::string name = "round " + std::to_string(rounds.size() + 1);
        in.where = name;
        const auto kind = static_cast<uint8_t>(in.fixed(1));
        if (kind == RecordClosed || kind == RecordEnd) return static_cast<Decision>(kind);
        if (kind == RecordPause && second) {
            if (rounds.empty() || rounds.back().cutShort || rounds.back().paused) {
                refuse("damaged: a pause without its round before " + name);
            }
            const std::string after = "the pause after round " + std::to_string(rounds.size());
            in.where = after;
            rounds.back().pause = readFrames(in, format, after, false, work);
            rounds.back().paused = true;
            continue;
        }
        if (kind != RecordRound && !(kind == RecordCutShort && second)) {
            refuse("damaged: unknown record before " + name);
        }
        ReplayRound& round = rounds.emplace_back();
        work.beginRound();
        round.frames = readFrames(in, format, name, true, work);
        round.cutShort = kind == RecordCutShort;
        if (!round.cutShort) {
            round.result = readResult(in);
        } else if (in.fixed(1) != RecordClosed) {
            refuse("damaged: " + name + " is cut short but not the last");
        } else {
            return Decision::Closed;
        }
    }
}

void readIntegrity(FileReader& in, std::string_view bytes) {
    const std::size_t checked = in.pos();
    in.where = "its integrity check";
    const uint64_t stored = in.fixed(kIntegrityBytes);
    if (in.left() != 0) refuse("damaged: bytes after its end");
    if (stored != fnv1a64(bytes.substr(0, checked))) refuse("damaged: the integrity check fails");
}

}  // namespace

std::string encodeReplay(const Replay& replay) {
    std::string out;
    putStart(out, replay.format, replay.start);
    for (const ReplayRound& round : replay.rounds) putRound(out, round);
    putFixed(out, uint8_t(replay.end), 1);
    putFixed(out, fnv1a64(out), kIntegrityBytes);
    return out;
}

bool decodeReplay(std::string_view bytes, Replay& replay, std::string& error) {
    try {
        FileReader in(bytes);
        Replay read;
        read.format = readMagicAndFormat(in);
        read.start = readStart(in);
        read.end = readRounds(in, read.format, read.start.settings, read.rounds);
        readIntegrity(in, bytes);
        replay = std::move(read);
        return true;
    } catch (const Refusal& refusal) {
        error = refusal.line;
        return false;
    }
}

bool readReplayFile(const std::string& path, Replay& replay, std::string& error) {
    std::string bytes;
    std::string reason;
    if (!platform::readRegularFile(path, kMaxReplayBytes + 1, bytes, reason)) {
        error = "cannot be read: " + reason;
        return false;
    }
    if (bytes.size() > kMaxReplayBytes) {
        error = "too large for a replay (over 64 MiB)";
        return false;
    }
    return decodeReplay(bytes, replay, error);
}

bool writeReplayFile(const std::string& path, const Replay& replay, std::string& error) {
    return platform::replaceFileAtomically(path, encodeReplay(replay), error);
}
