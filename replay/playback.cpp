#include "replay/playback.h"

namespace {

const ReplayFrames kNoFrames;  // a round abandoned with Esc has no pause

}  // namespace

Decision ReplayCursor::nextDecision() {
    round_ = nullptr;
    if (firstDiffering_ != 0) return Decision::Closed;
    if (nextRound_ == replay_.rounds.size()) return replay_.end;
    round_ = &replay_.rounds[nextRound_++];
    startFrames(round_->frames);
    return Decision::NextRound;
}

FrameInput ReplayCursor::nextFrame() {
    FrameInput input;
    if (served_ == count_) {
        pastEnd_ = true;
        input.setChange(MatchKeyEsc, KeyChange::Down);
        input.setChange(MatchKeyEnter, KeyChange::Down);
        return input;
    }
    ++served_;
    if (!haveAhead_) return input;  // the empty frames after the last written one
    if (ahead_.gap > 0) {
        --ahead_.gap;
        return input;
    }
    input = ahead_.input;
    readAhead();
    return input;
}

void ReplayCursor::roundEnded(const RoundResult& result) {
    if (round_ == nullptr || checksOnLeaving()) return;
    if (round_->cutShort) {
        cutShort_ = static_cast<int>(nextRound_);
    } else {
        check(result);
    }
    const bool pause = round_->paused && firstDiffering_ == 0;
    startFrames(pause ? round_->pause : kNoFrames);
}

void ReplayCursor::roundLeft(const RoundResult& result) {
    if (round_ != nullptr && checksOnLeaving()) check(result);
}

std::string ReplayCursor::verdict() const {
    if (firstDiffering_ != 0) return "round " + std::to_string(firstDiffering_) + " differs";
    std::string line;
    if (checked_ > 0 || cutShort_ == 0) {
        line = "every round matched (" + std::to_string(checked_) +
               (checked_ == 1 ? " round)" : " rounds)");
    }
    if (cutShort_ != 0) {
        if (!line.empty()) line += kVerdictPartBreak;
        line += "round " + std::to_string(cutShort_) + " cut short (not checked)";
    }
    return line;
}

void ReplayCursor::startFrames(const ReplayFrames& frames) {
    tokens_ = FrameTokenReader(replay_.format, frames.bytes);
    readAhead();
    count_ = frames.count;
    served_ = 0;
    pastEnd_ = false;
}

void ReplayCursor::readAhead() {
    haveAhead_ = tokens_.next(ahead_) == FrameTokenReader::Step::Token;
}

void ReplayCursor::check(const RoundResult& result) {
    ++checked_;
    const bool same = !pastEnd_ && served_ == count_ && result == round_->result;
    if (!same && firstDiffering_ == 0) firstDiffering_ = static_cast<int>(nextRound_);
}
