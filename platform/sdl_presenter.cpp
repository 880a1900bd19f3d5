#include "platform/sdl_presenter.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <utility>

#include "platform/palette_conversion.h"

namespace platform {

namespace {

constexpr unsigned kGlRendererName = 0x1F01;  // GL_RENDERER
using GlGetString = const unsigned char* (*)(unsigned);

// OpenGL drawn by the processor: fine for a still picture, but a moving one costs it more
// than the game itself, and it starts slowly.
bool drawnByProcessor(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0) return true;
    if ((info.flags & SDL_RENDERER_ACCELERATED) == 0) return true;
    if (std::strncmp(info.name, "opengl", 6) != 0) return false;
    const auto getString = reinterpret_cast<GlGetString>(SDL_GL_GetProcAddress("glGetString"));
    const auto* name = getString ? getString(kGlRendererName) : nullptr;
    if (!name) return false;
    std::string lower(reinterpret_cast<const char*>(name));
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const char* software : {"llvmpipe", "softpipe", "software", "swrast"}) {
        if (lower.find(software) != std::string::npos) return true;
    }
    return false;
}

int rendererIndex(const char* name) {
    for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
        SDL_RendererInfo info;
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && std::strcmp(info.name, name) == 0) return i;
    }
    return -1;
}

}  // namespace

PicturePlace placePicture(int targetWidth, int targetHeight) {
    const int scale = std::max(1, std::min(targetWidth / kPageWidth, targetHeight / kPageHeight));
    return PicturePlace{(targetWidth - kPageWidth * scale) / 2,
                        (targetHeight - kPageHeight * scale) / 2, scale};
}

bool SdlPresenter::start(SDL_Window* window) {
    stop();
    window_ = window;
    const Uint32 tearFree = SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC;
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) != 0) {
        // OpenGL ES 2 first: the window was made for it, so nothing has to be made again.
        const int gles2 = rendererIndex("opengles2");
        if ((gles2 >= 0 && startRenderer(gles2, tearFree, false)) ||
            startRenderer(-1, tearFree, false)) {
            return true;
        }
    }
    if (useWindowSurface()) return true;
    if (startRenderer(-1, SDL_RENDERER_SOFTWARE, true)) return true;
    stop();
    return false;
}

bool SdlPresenter::startRenderer(int driverIndex, Uint32 flags, bool acceptSoftwareOpenGl) {
    renderer_ = SDL_CreateRenderer(window_, driverIndex, flags);
    if (renderer_ && !acceptSoftwareOpenGl && drawnByProcessor(renderer_)) releaseRenderer();
    if (!renderer_) return false;
    // Crisp square pixels: whole-number scaling, nearest neighbour, black bars.
    SDL_RenderSetLogicalSize(renderer_, kPageWidth, kPageHeight);
    SDL_RenderSetIntegerScale(renderer_, SDL_TRUE);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 kPageWidth, kPageHeight);
    textureFormat_ = SDL_AllocFormat(SDL_PIXELFORMAT_ARGB8888);
    if (!texture_ || !textureFormat_) {
        releaseRenderer();
        return false;
    }
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
    SDL_RendererInfo info;
    paced_ =
        SDL_GetRendererInfo(renderer_, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    return true;
}

// The window's own pixels, when they are 32-bit ones the conversion can write.
bool SdlPresenter::useWindowSurface() {
    const SDL_Surface* surface = SDL_GetWindowSurface(window_);
    return surface && surface->format->BytesPerPixel == 4;
}

void SdlPresenter::releaseRenderer() {
    if (textureFormat_) SDL_FreeFormat(textureFormat_);
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    textureFormat_ = nullptr;
    texture_ = nullptr;
    renderer_ = nullptr;
}

void SdlPresenter::stop() {
    releaseRenderer();
    window_ = nullptr;
    paced_ = false;
    redrawAll_ = true;
    surfaceWidth_ = surfaceHeight_ = 0;
    coloursFormat_ = SDL_PIXELFORMAT_UNKNOWN;
}

void SdlPresenter::updateColours(const Picture& picture, const SDL_PixelFormat* format) {
    const size_t bytes = sizeof(PaletteEntry) * kPaletteSize;
    if (coloursFormat_ == format->format &&
        std::memcmp(palette_.data(), picture.palette.data(), bytes) == 0) {
        return;
    }
    palette_ = picture.palette;
    for (int i = 0; i < kPaletteSize; ++i) {
        const PaletteEntry& entry = palette_[i];
        colours_[i] = SDL_MapRGBA(format, entry.red, entry.green, entry.blue, SDL_ALPHA_OPAQUE);
    }
    coloursFormat_ = format->format;
}

void SdlPresenter::show(const Picture& picture, RowBand changed) {
    if (!window_) return;
    const bool everything = std::exchange(redrawAll_, false);
    if (everything) changed = RowBand::all();
    if (renderer_) {
        showOnTexture(picture, changed);
    } else {
        showOnSurface(picture, changed, everything);
    }
}

void SdlPresenter::showOnTexture(const Picture& picture, RowBand changed) {
    updateColours(picture, textureFormat_);
    const SDL_Rect rows{0, changed.first, kPageWidth, changed.last - changed.first};
    void* target = nullptr;
    int targetPitch = 0;
    if (!changed.empty()) {
        if (SDL_LockTexture(texture_, &rows, &target, &targetPitch) != 0) {
            redrawAll_ = true;  // these rows are still to be drawn
            return;
        }
        const PageBlock block{picture.page.data() + size_t{kPageWidth} * changed.first, kPageWidth,
                              kPageWidth, rows.h};
        convertBlock(block, colours_.data(), static_cast<uint32_t*>(target), targetPitch);
        SDL_UnlockTexture(texture_);
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, SDL_ALPHA_OPAQUE);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

// Only the rows that changed are converted and sent to the display, unless everything is
// to be drawn (the bars too): after a change of the window, or when asked to.
void SdlPresenter::showOnSurface(const Picture& picture, RowBand changed, bool everything) {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);  // made anew after a resize
    if (!surface || surface->format->BytesPerPixel != 4) {
        redrawAll_ = true;  // for want of a surface now; these rows are still to be drawn
        return;
    }
    const bool whole = everything || surface->w != surfaceWidth_ || surface->h != surfaceHeight_;
    if (whole) {
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));  // the bars
        surfaceWidth_ = surface->w;
        surfaceHeight_ = surface->h;
        changed = RowBand::all();
    }
    if (changed.empty()) return;
    updateColours(picture, surface->format);

    // The page's part that lands on the surface (all of it unless the surface is smaller).
    const PicturePlace place = placePicture(surface->w, surface->h);
    const int firstColumn = std::max(0, -place.x) / place.scale;
    const int columns = std::min(kPageWidth - firstColumn, surface->w / place.scale);
    const int skippedRows = std::max(0, -place.y) / place.scale;
    const int firstRow = std::max(changed.first, skippedRows);
    const int visibleRows = skippedRows + surface->h / place.scale;
    const int lastRow = std::min({changed.last, kPageHeight, visibleRows});
    if (columns <= 0 || firstRow >= lastRow) return;
    const SDL_Rect area{place.x + firstColumn * place.scale, place.y + firstRow * place.scale,
                        columns * place.scale, (lastRow - firstRow) * place.scale};
    const PageBlock block{picture.page.data() + size_t{kPageWidth} * firstRow + firstColumn,
                          kPageWidth, columns, lastRow - firstRow};
    auto* origin = static_cast<uint8_t*>(surface->pixels) + ptrdiff_t{surface->pitch} * area.y +
                   ptrdiff_t{area.x} * 4;
    convertBlock(block, colours_.data(), reinterpret_cast<uint32_t*>(origin), surface->pitch,
                 place.scale);
    if (whole) {
        SDL_UpdateWindowSurface(window_);
    } else {
        SDL_UpdateWindowSurfaceRects(window_, &area, 1);
    }
}

}  // namespace platform
