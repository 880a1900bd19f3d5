// Showing pictures in windows of several sizes, on SDL's dummy video driver (the window's
// own pixels, read back here): every page pixel becomes a square of its palette colour, the
// page fills the window at the largest whole scale, centred, with black bars (or shows its
// middle in a smaller window); later pictures redraw the rows named as changed.
#include "platform/sdl_presenter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace platform;

namespace {

// Every window pixel: the colour of the page pixel under it, or black in the bars.
void expectShown(SDL_Window* window, const Picture& picture, const PicturePlace& place) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    int wrong = 0;
    for (int y = 0; y < surface->h; ++y) {
        for (int x = 0; x < surface->w; ++x) {
            const int pageX = (x - place.x) / place.scale, pageY = (y - place.y) / place.scale;
            const bool inPage =
                x >= place.x && y >= place.y && pageX < kPageWidth && pageY < kPageHeight;
            const PaletteEntry colour =
                inPage ? picture.palette[picture.page[size_t{kPageWidth} * pageY + pageX]]
                       : PaletteEntry{};
            const auto* row = static_cast<uint32_t*>(surface->pixels) + surface->pitch / 4 * y;
            if (row[x] != SDL_MapRGB(surface->format, colour.red, colour.green, colour.blue) &&
                ++wrong <= 3) {
                ADD_FAILURE() << surface->w << " x " << surface->h << ": pixel " << x << ", " << y;
            }
        }
    }
}

}  // namespace

TEST(SdlPresenter, FillsWindowsOfEverySizeAndRedrawsWhatChanged) {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    auto picture = std::make_unique<Picture>();
    for (int i = 0; i < kPaletteSize; ++i) picture->palette[i] = {uint8_t(i), 9, uint8_t(~i), 0};
    for (size_t i = 0; i < picture->page.size(); ++i) picture->page[i] = uint8_t(1 + i % 251);

    struct Case {
        int width, height;
        PicturePlace place;
    };
    const Case cases[] = {{640, 480, {0, 0, 1}},     {800, 600, {80, 60, 1}},
                          {1280, 960, {0, 0, 2}},    {1920, 1080, {320, 60, 2}},
                          {2000, 1500, {40, 30, 3}}, {601, 451, {-19, -14, 1}}};
    for (const Case& c : cases) {
        SDL_Window* window = SDL_CreateWindow("presenter test", 0, 0, c.width, c.height, 0);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        SdlPresenter presenter;
        ASSERT_TRUE(presenter.start(window)) << SDL_GetError();
        presenter.show(*picture, RowBand::all());
        expectShown(window, *picture, c.place);
        // Rows 200..209 change and are named; then a colour changes, and with it every row.
        for (int y = 200; y < 210; ++y) picture->page[size_t{kPageWidth} * y + 7] = 0;
        presenter.show(*picture, RowBand{200, 210});
        expectShown(window, *picture, c.place);
        picture->palette[5] = {1, 2, 3, 0};
        presenter.show(*picture, RowBand::all());
        expectShown(window, *picture, c.place);
        // A window made larger is drawn whole, bars included, though no row changed.
        SDL_SetWindowSize(window, c.width + 640, c.height + 480);
        presenter.show(*picture, RowBand{});
        expectShown(window, *picture, placePicture(c.width + 640, c.height + 480));
        presenter.stop();
        SDL_DestroyWindow(window);
    }
    SDL_Quit();
}
