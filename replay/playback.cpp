#include "replay/playback.h"

Decision ReplayCursor::nextDecision() {
    round_ = nullptr;
    if (nextRound_ == replay_.rounds.size()) return replay_.end;
    round_ = &replay_.rounds[nextRound_++];
    tokens_ = FrameTokenReader(round_->frames);
    readAhead();
    served_ = 0;
    clock_ = kReplayRoundStartClock;
    pastEnd_ = false;
    return Decision::NextRound;
}

FrameInput ReplayCursor::nextFrame() {
    FrameInput input{0, clock_};
    if (round_ == nullptr || served_ == round_->frameCount) {
        pastEnd_ = true;
        return input;
    }
    ++served_;
    if (!haveAhead_) return input;  // the empty frames after the last written one
    if (ahead_.gap > 0) {
        --ahead_.gap;
        return input;
    }
    if (ahead_.secondAdvanced) clock_ += kReplayMsPerSecond;
    input = {ahead_.changes, clock_};
    readAhead();
    return input;
}

bool ReplayCursor::checkRound(uint64_t checksum, const Scores& scores) {
    ++checked_;
    const bool same = round_ != nullptr && !pastEnd_ && served_ == round_->frameCount &&
                      checksum == round_->checksum && scores == round_->scores;
    if (!same && firstDiffering_ == 0) firstDiffering_ = checked_;
    return same;
}

std::string ReplayCursor::verdict() const {
    if (firstDiffering_ != 0) return "round " + std::to_string(firstDiffering_) + " differs";
    return "every round matched (" + std::to_string(checked_) +
           (checked_ == 1 ? " round)" : " rounds)");
}

void ReplayCursor::readAhead() {
    haveAhead_ = tokens_.next(ahead_) == FrameTokenReader::Step::Token;
}
