// The hand-over of pictures from the game's thread to the thread that shows them: the game
// posts a page and its palette (a copy, so the game goes on drawing at once) and the
// showing thread takes the newest one when it is ready for it. Pictures posted meanwhile
// are skipped, but the rows they changed still count as changed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/platform.h"

namespace platform {

inline constexpr int kPaletteSize = 256;

struct Picture {
    std::array<uint8_t, size_t{kPageWidth} * kPageHeight> page{};  // pitch kPageWidth
    std::array<PaletteEntry, kPaletteSize> palette{};
};

// The page rows [first, last) that changed; empty when first >= last.
struct RowBand {
    int first = kPageHeight;
    int last = 0;

    static RowBand all() { return RowBand{0, kPageHeight}; }
    bool empty() const { return first >= last; }
    void add(const RowBand& other);
};

class PictureMailbox {
public:
    PictureMailbox();

    // Game thread. Posts the page (rows `pitch` bytes apart) and palette unless both equal
    // the last ones posted; true when it posted.
    bool post(const uint8_t* pixels, int pitch, const PaletteEntry* palette);
    // Showing thread. True when a picture was posted since the last take.
    bool fresh();
    // Showing thread. When fresh, exchanges `picture` for the newest one posted and returns
    // the rows that changed since the last take (all of them after a palette change);
    // otherwise leaves `picture` alone and returns an empty band.
    RowBand take(std::unique_ptr<Picture>& picture);
    // Forgets every picture: the next one posted counts as all new (a new display).
    void reset();

private:
    std::unique_ptr<Picture> lastPosted_;  // game thread only
    bool anyPosted_ = false;               // game thread only

    std::mutex mutex_;  // guards what follows
    std::unique_ptr<Picture> newest_;
    RowBand changed_;
    bool fresh_ = false;
};

}  // namespace platform
