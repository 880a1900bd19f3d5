#include "replay/recorder.h"

#include <utility>

#include "replay/frame_codec.h"

ReplayRecorder::ReplayRecorder(ReplayStart start, std::size_t roundBufferBytes)
    : work_(start.settings), buffer_(new uint8_t[roundBufferBytes]), capacity_(roundBufferBytes) {
    replay_.start = std::move(start);
}

void ReplayRecorder::decided(Decision decision) {
    if (phase_ == Phase::Stopped) return;
    if (decision == Decision::EndMatch) replay_.end = Decision::EndMatch;
    if (decision != Decision::NextRound) return;
    work_.beginRound();
    if (work_.total() > kMaxReplayWork) return stop();
    startFrames(Phase::Round);
}

void ReplayRecorder::frame(const FrameInput& input) {
    if (phase_ != Phase::Round && phase_ != Phase::Pause) return;
    if (frames_ == kMaxRoundFrames) return stop();
    const bool roundFrame = phase_ == Phase::Round;
    work_.addFrames(1, roundFrame);
    if (roundFrame) work_.addItemPresses(input);
    if (work_.total() > kMaxReplayWork) return stop();
    ++frames_;
    if (input.empty()) {
        ++emptyFrames_;
        return;
    }
    if (capacity_ - used_ < kMaxFrameTokenBytes) return stop();
    used_ += encodeFrameToken(kReplayFormat, {emptyFrames_, input}, buffer_.get() + used_);
    emptyFrames_ = 0;
}

void ReplayRecorder::roundEnded(const RoundResult& result) {
    if (phase_ != Phase::Round) return;
    ReplayRound& round = replay_.rounds.emplace_back();
    round.frames = takeFrames();
    round.result = result;
    startFrames(Phase::Pause);
}

void ReplayRecorder::roundLeft() {
    if (phase_ != Phase::Pause) return;
    if (frames_ > 0) {
        replay_.rounds.back().pause = takeFrames();
        replay_.rounds.back().paused = true;
    }
    phase_ = Phase::Table;
}

void ReplayRecorder::cutShort() {
    if (phase_ == Phase::Round) {
        ReplayRound& round = replay_.rounds.emplace_back();
        round.frames = takeFrames();
        round.cutShort = true;
    } else if (phase_ == Phase::Pause) {
        roundLeft();
    }
    phase_ = Phase::Stopped;
}

bool ReplayRecorder::writeFile(const std::string& path, std::string& error) const {
    return writeReplayFile(path, replay_, error);
}

void ReplayRecorder::startFrames(Phase phase) {
    phase_ = phase;
    used_ = 0;
    frames_ = 0;
    emptyFrames_ = 0;
}

ReplayFrames ReplayRecorder::takeFrames() const {
    return {std::string(reinterpret_cast<const char*>(buffer_.get()), used_), frames_};
}

void ReplayRecorder::stop() {
    phase_ = Phase::Stopped;
    stopped_ = true;
}
