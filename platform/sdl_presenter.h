// Shows the game's pictures in an SDL window, filling it: the 640 x 480 page scaled up by
// the largest whole number that fits, centred, with black bars round it.
//
// Two ways to show, chosen once per window: a GPU renderer that waits for the display's
// refresh (tear-free), or, where the only OpenGL is drawn by the processor (a virtual X
// server, a machine without a graphics driver), the window's own pixels, written directly
// by the one conversion of the picture (far cheaper than a software OpenGL).
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

#include "platform/picture_mailbox.h"

namespace platform {

// Where the page goes in a target of the given size: its top-left corner and whole-number
// scale (at least 1; a target smaller than the page shows its middle).
struct PicturePlace {
    int x = 0;
    int y = 0;
    int scale = 1;
};
PicturePlace placePicture(int targetWidth, int targetHeight);

class SdlPresenter {
public:
    SdlPresenter() = default;
    ~SdlPresenter() { stop(); }
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    // Picks how to show pictures in `window`; false (SDL_GetError says why) when nothing works.
    bool start(SDL_Window* window);
    void stop();

    // Shows `picture`, of which only the rows in `changed` differ from the picture shown
    // before (everything is drawn again after redrawAll or a change of the window's size).
    void show(const Picture& picture, RowBand changed);
    // The next show draws everything: the window was exposed, or the GPU lost its textures.
    void redrawAll() { redrawAll_ = true; }
    // True when a show waits for the display's refresh, so it cannot come too often.
    bool paced() const { return paced_; }

private:
    bool startRenderer(int driverIndex, Uint32 flags, bool acceptSoftwareOpenGl);
    void releaseRenderer();
    bool useWindowSurface();
    void updateColours(const Picture& picture, const SDL_PixelFormat* format);
    void showOnTexture(const Picture& picture, RowBand changed);
    void showOnSurface(const Picture& picture, RowBand changed, bool everything);

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;  // null: the window's own pixels
    SDL_Texture* texture_ = nullptr;
    SDL_PixelFormat* textureFormat_ = nullptr;
    bool paced_ = false;
    bool redrawAll_ = true;
    int surfaceWidth_ = 0;
    int surfaceHeight_ = 0;

    // The palette as pixels of the target's format, rebuilt only when the palette changes.
    std::array<PaletteEntry, kPaletteSize> palette_{};
    std::array<uint32_t, kPaletteSize> colours_{};
    Uint32 coloursFormat_ = SDL_PIXELFORMAT_UNKNOWN;  // unknown: the table must be built
};

}  // namespace platform
