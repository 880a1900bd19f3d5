#include "netplay/net_match.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/game.h"
#include "input/live_input.h"
#include "input/match_input.h"
#include "input/pacing.h"
#include "match/match.h"
#include "match/match_checksum.h"
#include "menus/title_menu.h"
#include "net/session.h"
#include "netplay/net_screens.h"
#include "settings/settings.h"

namespace {

constexpr int kWaitStepMs = 1;  // a wait for the other machines pumps this often
// Frames between two frame checksums: one a second at WAIT 1.
constexpr uint16_t kChecksumEvery = kRoundSecondMs / kWaitUnitMs;
constexpr uint32_t kStartPatienceMs = 1000;
// A wait for another machine this long shows whom the match waits for (on every machine that
// waits); the host's Esc then drops them.
constexpr uint32_t kShowWaitingMs = 500;
constexpr int kWaitingY = 232;
constexpr int kWaitingBand = kGlyphCell;  // the rows the message covers

double framePeriodMs(const Settings& settings) {
    return double(std::max(settings.wait, 1) * kWaitUnitMs);
}

// Thrown out of a round by a match the network stopped; caught where the match started.
struct MatchStoppedByNetwork {};

// The match's input from the lockstep of a network game. Each frame, this machine's own
// keys (and on the host the match keys and the round's second marks) go to the others for the
// frame inputDelay ahead, and the frame every machine plays comes back once all of them
// gave their part; waiting for it pumps, so the window stays alive and Pause ends the
// program. The host decides on the score table; the others take its decision.
//
// A machine that leaves (or, to the session, stops answering) is handed over to the computer
// in the stream itself: the lockstep puts its slots into the toComputer of the first frame
// without it, the same frame on every machine, and the match applies it from there (and a
// replay keeps it). Nothing here changes the players.
class NetInput final : public MatchInput {
public:
    NetInput(Game& game, net::NetSession& session, std::vector<uint64_t>& roundSums)
        : game_(game), session_(session), roundSums_(roundSums), local_(game.devices) {}

    Decision nextDecision() override {
        const Decision decision = session_.isHost() ? hostDecision() : joinedDecision();
        if (decision == Decision::NextRound) local_.roundComing();
        return decision;
    }

    void beginRound() override { local_.beginRound(); }

    FrameInput nextFrame() override {
        submitFrameChecksum();
        // WAIT changes in a frame every machine plays: from the next frame on the delay is
        // the match's milliseconds in frames of the new WAIT, on every machine alike.
        session_.setFramePeriod(framePeriodMs(game_.play.settings));
        net::NetFrame frame;
        for (;;) {
            if (waitingShown_ && session_.isHost() && game_.devices.keyboard.take(key::Esc)) {
                // Not the round's Esc: it drops the machines the match waits for.
                game_.devices.keyboard.lastChange[key::Esc] = KeyChange::None;
                session_.dropWaitedMachines();
            }
            gatherLocal();
            if (session_.wantsLocalInput()) submitLocal();
            const net::FrameStatus status = session_.takeFrame(frame, kWaitStepMs);
            if (status == net::FrameStatus::Ready) break;
            if (status == net::FrameStatus::Stopped) {
                hideWaiting();
                throw MatchStoppedByNetwork{};
            }
            showWaiting();
            pumpMessages(game_.devices);
        }
        hideWaiting();
        if (frame.checksumDue) {
            checksumDue_ = true;
            checksumFrame_ = frame.frame;
        }
        return frame.input;
    }

    void roundEnded(const RoundResult& result) override {
        local_.roundEnded(result);
        submitFrameChecksum();
        session_.submitChecksum({net::CheckpointKind::Round, uint32_t(roundSums_.size())},
                                result.checksum);
        roundSums_.push_back(result.checksum);
    }

    void roundLeft() override {}

private:
    // This machine's key changes and second marks, read on every pass of a wait for the
    // others: a key pressed and released while the lockstep holds the local input back still
    // counts, pressed in the record given next and released in the one after (as two frames
    // would see it).
    void gatherLocal() {
        const FrameInput live = local_.nextFrame();
        secondMark_ = secondMark_ || live.secondMark;
        for (int key = 0; key < kMatchKeyCount; ++key) {
            const KeyChange change = live.change(key);
            if (change == KeyChange::None) continue;
            if (next_.change(key) == KeyChange::Down && change == KeyChange::Up) {
                after_.setChange(key, KeyChange::Up);
            } else if (after_.change(key) != KeyChange::None) {
                after_.setChange(key, change);
            } else {
                next_.setChange(key, change);
            }
        }
    }

    // Gives the keys gathered and, on the host, a second mark by its own clock (the lockstep
    // keeps only the host's: every machine's round time then counts the same frames).
    void submitLocal() {
        session_.submitLocal(next_.changes, secondMark_);
        secondMark_ = false;
        next_ = after_;
        after_ = FrameInput{};
    }

    // "WAITING FOR 2P NAME" over the shown page while the match has waited for a machine for
    // kShowWaitingMs; what it covers is put back before the frame is played, so the match
    // never sees it.
    void showWaiting() {
        uint32_t waitedMs = 0;
        const net::MachineMask waiting = session_.waitingFor(waitedMs);
        if (waiting == 0 || waitedMs < kShowWaitingMs) return;
        int machine = 0;
        while (!net::hasMachine(waiting, machine)) ++machine;
        if (waitingShown_ && machine == waitingMachine_) return;
        const net::Lobby lobby = session_.lobby();
        char text[kNoticeLength + 1];
        int length = std::snprintf(text, sizeof text, "WAITING FOR");
        for (int slot = 0; slot < kSlots; ++slot) {
            if (game_.owners.machine[slot] == machine && length < int(sizeof text)) {
                length += std::snprintf(text + length, sizeof text - length, " %dP", slot + 1);
            }
        }
        if (length < int(sizeof text)) {
            std::snprintf(text + length, sizeof text - length, " %.*s",
                          int(lobby.names[machine].length), lobby.names[machine].bytes.data());
        }
        Screen& screen = game_.devices.screen;
        uint8_t* band = screen.Pixels(SurfacePrimary) + kWaitingY * kSurfacePitch;
        if (!waitingShown_) std::memcpy(saved_.data(), band, saved_.size());
        std::memset(band, 0, saved_.size());
        screen.DrawColourText(SurfacePrimary, text, kCentred, kWaitingY, kGlyphCell, kGlyphCell,
                              kNoticeTile);
        screen.Present();
        waitingShown_ = true;
        waitingMachine_ = machine;
    }

    void hideWaiting() {
        if (!waitingShown_) return;
        Screen& screen = game_.devices.screen;
        std::memcpy(screen.Pixels(SurfacePrimary) + kWaitingY * kSurfacePitch, saved_.data(),
                    saved_.size());
        screen.Present();
        waitingShown_ = false;
    }

    // A frame checkpoint is taken once the frame has been played: before the next one.
    void submitFrameChecksum() {
        if (!checksumDue_) return;
        checksumDue_ = false;
        session_.submitChecksum({net::CheckpointKind::Frame, checksumFrame_},
                                matchChecksum(game_.devices.screen, game_.play.players.score));
    }

    bool stopped() const {
        net::StopReason reason;
        net::Checkpoint at;
        return session_.stopped(reason, at);
    }

    // The host's Enter or Esc, sent to the others; a press made before the table is ignored.
    // A match the network stopped meanwhile ends here.
    Decision hostDecision() {
        Keyboard& keyboard = game_.devices.keyboard;
        keyboard.keyDown[key::Enter] = 0;
        keyboard.keyDown[key::Esc] = 0;
        for (;;) {
            if (stopped()) return Decision::Closed;
            if (keyboard.take(key::Enter)) {
                session_.sendDecision(Decision::NextRound);
                return Decision::NextRound;
            }
            if (keyboard.take(key::Esc)) {
                session_.sendDecision(Decision::EndMatch);
                return Decision::EndMatch;
            }
            waitSinceMark(game_.devices, 0);
        }
    }

    Decision joinedDecision() {
        for (;;) {
            Decision decision;
            const net::FrameStatus status = session_.takeDecision(decision, kWaitStepMs);
            if (status == net::FrameStatus::Stopped) return Decision::Closed;
            if (status == net::FrameStatus::Ready) return decision;
            pumpMessages(game_.devices);
        }
    }

    Game& game_;
    net::NetSession& session_;
    std::vector<uint64_t>& roundSums_;
    LiveInput local_;          // the people at this machine, and its clock
    FrameInput next_;          // the local key changes for the next record given
    FrameInput after_;         // and for the one after it
    bool secondMark_ = false;  // a second passed since the last record given
    bool checksumDue_ = false;
    net::Frame checksumFrame_ = 0;
    bool waitingShown_ = false;
    int waitingMachine_ = 0;
    std::array<uint8_t, kWaitingBand * kSurfacePitch> saved_{};  // what the message covers
};

MatchEnd playWithNetwork(Game& game, net::NetSession& session, std::vector<uint64_t>& roundSums,
                         MatchRunner run) {
    roundSums.clear();
    NetInput input(game, session, roundSums);
    try {
        run(game, input);
    } catch (const MatchStoppedByNetwork&) {
    }
    session.matchLeft();
    net::StopReason reason;
    net::Checkpoint at;
    if (session.failed()) {
        showNetEnding(game, kNetworkFailed);
        return MatchEnd::HostGone;
    }
    if (!session.stopped(reason, at)) return MatchEnd::Ended;
    if (reason == net::StopReason::HostLeft) {
        showNetEnding(game, kHostGoneInMatch);
        return MatchEnd::HostGone;
    }
    std::fprintf(stderr, "diraviru: the first checksum that differed: after %s %llu\n",
                 at.kind == net::CheckpointKind::Round ? "round" : "frame",
                 (unsigned long long)(at.kind == net::CheckpointKind::Round ? at.index + 1
                                                                            : at.index));
    showNetEnding(game, kChecksumsDiffer);
    return MatchEnd::Stopped;
}

// What the host's match starts from, on a joined machine.
void applyMatchStart(Game& game, const net::MatchStart& start) {
    PlayStart from{start.randomState, start.frameCounters, Settings{}, start.playerTypes};
    decodeSettings(
        std::string(reinterpret_cast<const char*>(start.settings.data()), start.settingsLength),
        from.settings);
    startFrom(game.play, from);
    game.owners.machine = start.slotOwner;
}

}  // namespace

MatchEnd playHostMatch(Game& game, net::NetSession& session, std::vector<uint64_t>& roundSums,
                       MatchRunner run) {
    const PlayStart from = startOf(game.play);
    const std::string settings = encodeSettings(from.settings);
    net::MatchSetup setup;
    setup.randomState = from.randomState;
    setup.frameCounters = from.frameCounters;
    setup.settings = settings;
    setup.playerTypes = from.playerTypes;
    setup.framePeriodMs = framePeriodMs(game.play.settings);
    setup.checksumEvery = kChecksumEvery;
    // Right after a match the session may still be seeing its last records through.
    net::MatchStart start;
    const uint32_t since = game.devices.platform->ticks();
    while (!session.startMatch(setup, start)) {
        if (game.devices.platform->ticks() - since >= kStartPatienceMs) return MatchEnd::Ended;
        waitSinceMark(game.devices, 0);
    }
    std::copy(start.playerTypes.begin(), start.playerTypes.end(), game.play.players.type.begin());
    return playWithNetwork(game, session, roundSums, run);
}

MatchEnd playJoinedMatch(Game& game, net::NetSession& session, std::vector<uint64_t>& roundSums,
                         MatchRunner run) {
    net::MatchStart start;
    if (!session.matchStart(start)) return MatchEnd::Ended;  // stopped before it was seen
    const Settings ownSettings = game.play.settings;
    const auto ownTypes = game.play.players.type;
    applyMatchStart(game, start);
    const MatchEnd end = playWithNetwork(game, session, roundSums, run);
    game.play.settings = ownSettings;
    game.play.players.type = ownTypes;
    return end;
}
