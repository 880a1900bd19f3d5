#include "platform/picture_mailbox.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform {

void RowBand::add(const RowBand& other) {
    if (other.empty()) return;
    first = std::min(first, other.first);
    last = std::max(last, other.last);
}

PictureMailbox::PictureMailbox()
    : lastPosted_(std::make_unique<Picture>()), newest_(std::make_unique<Picture>()) {}

bool PictureMailbox::post(const uint8_t* pixels, int pitch, const PaletteEntry* palette) {
    Picture& last = *lastPosted_;
    RowBand changed;
    for (int y = 0; y < kPageHeight; ++y) {
        uint8_t* kept = last.page.data() + size_t{kPageWidth} * y;
        const uint8_t* row = pixels + size_t(pitch) * y;
        if (!anyPosted_ || std::memcmp(kept, row, kPageWidth) != 0) {
            std::memcpy(kept, row, kPageWidth);
            changed.add(RowBand{y, y + 1});
        }
    }
    const size_t paletteBytes = sizeof(PaletteEntry) * kPaletteSize;
    if (!anyPosted_ || std::memcmp(last.palette.data(), palette, paletteBytes) != 0) {
        std::memcpy(last.palette.data(), palette, paletteBytes);
        changed = RowBand::all();
    }
    anyPosted_ = true;
    if (changed.empty()) return false;

    const std::lock_guard lock(mutex_);
    *newest_ = last;
    changed_.add(changed);
    fresh_ = true;
    return true;
}

bool PictureMailbox::fresh() {
    const std::lock_guard lock(mutex_);
    return fresh_;
}

RowBand PictureMailbox::take(std::unique_ptr<Picture>& picture) {
    const std::lock_guard lock(mutex_);
    if (!fresh_) return RowBand{};
    // The exchanged buffer is overwritten whole by the next post.
    std::swap(picture, newest_);
    fresh_ = false;
    return std::exchange(changed_, RowBand{});
}

void PictureMailbox::reset() {
    anyPosted_ = false;
    const std::lock_guard lock(mutex_);
    changed_ = RowBand{};
    fresh_ = false;
}

}  // namespace platform
