// Pages, the flip chain and presentation. The two pages of the chain are pages_[0] and
// pages_[1]; shownPage_ says which of them is on the display (SurfacePrimary), the other is
// SurfaceBack. The other six surfaces are pages_[2..7] for good.

#include "display/screen.h"

#include <cstring>

bool Screen::Open(platform::Platform& machine, std::string& error) {
    if (!machine.openDisplay(error)) {
        return false;
    }
    platform_ = &machine;
    for (auto& page : pages_) {
        page.fill(ColourEmpty);
    }
    // Black until the bitmap's palette is loaded.
    BasePalette.fill(PaletteEntry{});
    LivePalette.fill(PaletteEntry{});
    shownPage_ = 0;
    lastPresent_ = platform_->ticks();
    // The field pointer is valid from the start; MapField sets it again where it matters.
    MapField();
    return true;
}

void Screen::Close() {
    if (platform_ == nullptr) {
        return;
    }
    platform_->closeDisplay();
    platform_ = nullptr;
}

uint8_t* Screen::Pixels(SurfaceId id) {
    switch (id) {
        case SurfacePrimary:
            return pages_[shownPage_].data();
        case SurfaceBack:
            return pages_[1 - shownPage_].data();
        default:
            return pages_[id].data();
    }
}

const uint8_t* Screen::Pixels(SurfaceId id) const { return const_cast<Screen*>(this)->Pixels(id); }

void Screen::Clear(SurfaceId id) { std::memset(Pixels(id), ColourEmpty, kSurfaceBytes); }

void Screen::MapField() {
    // A physical page, not the slot: after a Flip it points at the page now hidden.
    FieldPixels = Pixels(SurfacePrimary);
    FieldPitch = kSurfacePitch;
}

// The present is stamped with the tick count taken before it: a present that takes part
// of a refresh interval (a slow display) then eats into the wait for the next refresh
// instead of adding a whole interval after it.
void Screen::Present() {
    if (platform_ == nullptr) {
        return;
    }
    const uint32_t started = platform_->ticks();
    platform_->present(Pixels(SurfacePrimary), kSurfacePitch, LivePalette.data());
    lastPresent_ = started;
}

void Screen::PresentIfDue() {
    if (platform_ == nullptr) {
        return;
    }
    if (platform_->ticks() - lastPresent_ >= platform_->refreshIntervalMs()) {
        Present();
    }
}

void Screen::PresentIfDueWithin(uint32_t ms) {
    if (platform_ == nullptr) {
        return;
    }
    const uint32_t interval = platform_->refreshIntervalMs();
    const uint32_t sinceLast = platform_->ticks() - lastPresent_;
    if (sinceLast >= interval || interval - sinceLast <= ms) {
        Present();
    }
}

void Screen::Flip() {
    shownPage_ = 1 - shownPage_;
    if (platform_ == nullptr) {
        return;
    }
    Present();
    waitForRefresh(lastPresent_);
}

void Screen::WaitVerticalBlank() {
    if (platform_ == nullptr) {
        return;
    }
    const uint32_t interval = platform_->refreshIntervalMs();
    if (interval == 0) {
        return;
    }
    // The refresh boundaries lie whole intervals after the last present; wait for the
    // first one still ahead.
    const uint32_t elapsed = platform_->ticks() - lastPresent_;
    waitForRefresh(lastPresent_ + elapsed / interval * interval);
}

// Waits until one refresh interval has passed since `since` (tick values wrap round). The
// wait hook pumps events meanwhile; without a hook, or when it says stop, this returns.
void Screen::waitForRefresh(uint32_t since) {
    while (waitHook_ && platform_ != nullptr) {
        const uint32_t interval = platform_->refreshIntervalMs();
        const uint32_t elapsed = platform_->ticks() - since;
        if (elapsed >= interval || !waitHook_(interval - elapsed)) {
            return;
        }
    }
}
