#include "replay/recorder.h"

#include <utility>

#include "replay/frame_codec.h"

ReplayRecorder::ReplayRecorder(ReplayStart start, std::size_t roundBufferBytes)
    : buffer_(new uint8_t[roundBufferBytes]), capacity_(roundBufferBytes) {
    replay_.start = std::move(start);
}

void ReplayRecorder::beginRound() {
    if (stopped_) return;
    if (replay_.rounds.size() == kMaxReplayRounds) return stop();
    used_ = 0;
    frames_ = 0;
    emptyFrames_ = 0;
    inRound_ = true;
}

void ReplayRecorder::frame(const FrameInput& input, bool secondAdvanced) {
    if (!inRound_) return;
    if (frames_ == kMaxRoundFrames) return stop();
    ++frames_;
    const FrameToken token{emptyFrames_, input.changes, secondAdvanced};
    if (token.empty()) {
        ++emptyFrames_;
        return;
    }
    if (capacity_ - used_ < kMaxFrameTokenBytes) return stop();
    used_ += encodeFrameToken(token, buffer_.get() + used_);
    emptyFrames_ = 0;
}

void ReplayRecorder::endRound(uint64_t checksum, const Scores& scores) {
    if (!inRound_) return;
    inRound_ = false;
    std::string frames(reinterpret_cast<const char*>(buffer_.get()), used_);
    replay_.rounds.push_back({std::move(frames), frames_, checksum, scores});
}

void ReplayRecorder::endMatch() {
    if (!stopped_) replay_.end = Decision::EndMatch;
}

bool ReplayRecorder::writeFile(const std::string& path, std::string& error) const {
    return writeReplayFile(path, replay_, error);
}

void ReplayRecorder::stop() {
    inRound_ = false;
    stopped_ = true;
}
