#include "platform/sdl_platform.h"

#include <SDL.h>

#include "platform/palette_conversion.h"
#include "platform/sdl_pads.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cstring>
#include <ctime>
#include <thread>

namespace platform {

namespace {

constexpr int kPaletteSize = 256;

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
constexpr uint32_t kUnknownRefreshMs = 17;  // about 60 Hz
constexpr int kWindowScale = 2;             // the window mode shows the page at 1280 x 960

// Windows virtual-key codes of the keys the game reads.
enum VirtualKey : int {
    VkEnter = 13,
    VkCtrl = 17,
    VkPause = 19,
    VkEsc = 27,
    VkSpace = 32,
    VkPageUp = 33,
    VkPageDown = 34,
    VkLeft = 37,
    VkUp = 38,
    VkRight = 39,
    VkDown = 40,
    VkDigit0 = 0x30,
    VkLetterA = 0x41,
    VkNumpad0 = 0x60,
};

using KeyTable = std::array<uint8_t, SDL_NUM_SCANCODES>;

// The one translation table: scancode -> virtual-key code, 0 for keys the game ignores.
constexpr KeyTable makeKeyTable() {
    KeyTable table{};
    for (int i = 0; i < 26; ++i) table[SDL_SCANCODE_A + i] = uint8_t(VkLetterA + i);
    for (int i = 1; i <= 9; ++i) table[SDL_SCANCODE_1 + i - 1] = uint8_t(VkDigit0 + i);
    table[SDL_SCANCODE_0] = VkDigit0;
    for (int i = 1; i <= 9; ++i) table[SDL_SCANCODE_KP_1 + i - 1] = uint8_t(VkNumpad0 + i);
    table[SDL_SCANCODE_KP_0] = VkNumpad0;
    table[SDL_SCANCODE_RETURN] = VkEnter;
    table[SDL_SCANCODE_KP_ENTER] = VkEnter;
    table[SDL_SCANCODE_ESCAPE] = VkEsc;
    table[SDL_SCANCODE_LCTRL] = VkCtrl;
    table[SDL_SCANCODE_RCTRL] = VkCtrl;
    table[SDL_SCANCODE_PAUSE] = VkPause;
    table[SDL_SCANCODE_PAGEUP] = VkPageUp;
    table[SDL_SCANCODE_PAGEDOWN] = VkPageDown;
    table[SDL_SCANCODE_LEFT] = VkLeft;
    table[SDL_SCANCODE_UP] = VkUp;
    table[SDL_SCANCODE_RIGHT] = VkRight;
    table[SDL_SCANCODE_DOWN] = VkDown;
    table[SDL_SCANCODE_SPACE] = VkSpace;
    return table;
}

constexpr KeyTable kKeyTable = makeKeyTable();

bool isWindowToggle(const SDL_Keysym& key) {
    const bool enter =
        key.scancode == SDL_SCANCODE_RETURN || key.scancode == SDL_SCANCODE_KP_ENTER;
    return key.scancode == SDL_SCANCODE_F11 || (enter && (key.mod & KMOD_ALT) != 0);
}

}  // namespace

int virtualKeyFor(int sdlScancode, int sdlKeycode) {
    if (sdlScancode > SDL_SCANCODE_UNKNOWN && sdlScancode < SDL_NUM_SCANCODES) {
        return kKeyTable[sdlScancode];
    }
    // A key without a known place: go by the letter or digit it types.
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) return VkLetterA + (sdlKeycode - SDLK_a);
    if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9) return VkDigit0 + (sdlKeycode - SDLK_0);
    return 0;
}

struct SdlPlatform::State {
    std::string title;
    // The tick count is whole milliseconds of the steady clock since this moment, so that
    // a wait can end exactly when the count goes up (see waitEvent).
    Clock::time_point clockOrigin = Clock::now();
    bool sdlStarted = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    uint32_t refreshMs = kUnknownRefreshMs;

    // The last presented page and palette, shown again when the window is exposed or resized.
    std::array<uint8_t, kPageWidth * kPageHeight> page{};
    std::array<PaletteEntry, kPaletteSize> palette{};
    std::array<uint32_t, kPaletteSize> colours{};  // palette as texture colours
    bool coloursValid = false;

    // The key whose press toggled the window mode: its release is not the game's either.
    int swallowedKeyUp = SDL_SCANCODE_UNKNOWN;

    // The game controllers, as pad slots.
    SdlPads pads;

    void teardown();
    void readRefreshRate();
    bool setPalette(const PaletteEntry* newPalette);
    void show();
    bool translate(const SDL_Event& sdlEvent, Event& event);
    bool translateKey(const SDL_KeyboardEvent& key, Event& event);
    void translateWindowEvent(const SDL_WindowEvent& window);
    void toggleFullScreen();
    void setWindowedSize();
};

void SdlPlatform::State::teardown() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
    pads.stop();
    if (sdlStarted) SDL_Quit();
    sdlStarted = false;
}

void SdlPlatform::State::readRefreshRate() {
    refreshMs = kUnknownRefreshMs;
    SDL_DisplayMode mode;
    const int display = window ? SDL_GetWindowDisplayIndex(window) : -1;
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) return;
    if (mode.refresh_rate > 0) {
        refreshMs = std::max<uint32_t>(1, (1000 + mode.refresh_rate / 2) / mode.refresh_rate);
    }
}

// Rebuilds the colour table only when the palette really changed; true when it did.
bool SdlPlatform::State::setPalette(const PaletteEntry* newPalette) {
    if (coloursValid &&
        std::memcmp(palette.data(), newPalette, sizeof(PaletteEntry) * kPaletteSize) == 0) {
        return false;
    }
    std::copy(newPalette, newPalette + kPaletteSize, palette.begin());
    buildColourTable(palette.data(), colours.data());
    coloursValid = true;
    return true;
}

// The one place where palette indices become colours: one pass over the kept page into the
// streaming texture, then the texture scaled into the window with black bars.
void SdlPlatform::State::show() {
    if (!renderer || !texture) return;
    void* target = nullptr;
    int targetPitch = 0;
    if (SDL_LockTexture(texture, nullptr, &target, &targetPitch) == 0) {
        convertPage(page.data(), kPageWidth, colours.data(), static_cast<uint32_t*>(target),
                    targetPitch);
        SDL_UnlockTexture(texture);
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
}

bool SdlPlatform::State::translateKey(const SDL_KeyboardEvent& key, Event& event) {
    const int scancode = key.keysym.scancode;
    if (key.type == SDL_KEYDOWN && isWindowToggle(key.keysym)) {
        if (!key.repeat) toggleFullScreen();
        swallowedKeyUp = scancode;
        return false;
    }
    if (key.type == SDL_KEYUP && scancode == swallowedKeyUp) {
        swallowedKeyUp = SDL_SCANCODE_UNKNOWN;
        return false;
    }
    const int code = virtualKeyFor(scancode, key.keysym.sym);
    if (code == 0) return false;
    event.kind = key.type == SDL_KEYDOWN ? EventKind::KeyDown : EventKind::KeyUp;
    event.key = code;
    event.repeat = key.type == SDL_KEYDOWN && key.repeat != 0;
    return true;
}

void SdlPlatform::State::translateWindowEvent(const SDL_WindowEvent& windowEvent) {
    switch (windowEvent.event) {
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        show();
        break;
    case SDL_WINDOWEVENT_MOVED:
    case SDL_WINDOWEVENT_DISPLAY_CHANGED:
        readRefreshRate();
        break;
    default:
        break;
    }
}

// One SDL event as the game's event; false for events the game does not see (those that
// only concern the window are handled here).
bool SdlPlatform::State::translate(const SDL_Event& sdlEvent, Event& event) {
    event = Event{};
    if (pads.handle(sdlEvent)) return pads.takeEvent(event);
    switch (sdlEvent.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return translateKey(sdlEvent.key, event);
    case SDL_MOUSEBUTTONDOWN:
        if (sdlEvent.button.button != SDL_BUTTON_RIGHT) return false;
        event.kind = EventKind::RightButton;
        return true;
    case SDL_WINDOWEVENT:
        if (sdlEvent.window.event == SDL_WINDOWEVENT_CLOSE) {
            event.kind = EventKind::Close;
            return true;
        }
        translateWindowEvent(sdlEvent.window);
        return false;
    case SDL_QUIT:
        event.kind = EventKind::Quit;
        return true;
    case SDL_RENDER_TARGETS_RESET:
        show();
        return false;
    default:
        return false;
    }
}

// The window mode: the page at twice its size, or the largest whole multiple that fits.
void SdlPlatform::State::setWindowedSize() {
    int scale = kWindowScale;
    SDL_Rect usable;
    const int display = SDL_GetWindowDisplayIndex(window);
    if (display >= 0 && SDL_GetDisplayUsableBounds(display, &usable) == 0) {
        while (scale > 1 && (kPageWidth * scale > usable.w || kPageHeight * scale > usable.h)) {
            --scale;
        }
    }
    SDL_SetWindowSize(window, kPageWidth * scale, kPageHeight * scale);
    SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void SdlPlatform::State::toggleFullScreen() {
    if (!window) return;
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0) {
        SDL_SetWindowFullscreen(window, 0);
        setWindowedSize();
    } else {
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    // Some window managers (and none at all) leave the keyboard elsewhere after the change.
    SDL_RaiseWindow(window);
    show();
}

// --- SdlPlatform ----------------------------------------------------------------------

SdlPlatform::SdlPlatform(std::string title) : state_(std::make_unique<State>()) {
    state_->title = std::move(title);
}

SdlPlatform::~SdlPlatform() { closeDisplay(); }

bool SdlPlatform::openDisplay(std::string& error) {
    State& s = *state_;
    if (s.window) return true;
    const auto fail = [&]() {
        error = std::string("cannot open the display: ") + SDL_GetError();
        s.teardown();
        return false;
    };
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return fail();
    s.sdlStarted = true;
    // With no display SDL falls back to its invisible offscreen driver, where the game
    // would run unseen and never end. Only a request by name may use it.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (driver && std::strcmp(driver, "offscreen") == 0 &&
        !(asked && std::strstr(asked, "offscreen"))) {
        SDL_SetError("no display found");
        return fail();
    }

    // Full screen on the desktop's own resolution: the display mode is never changed.
    s.window = SDL_CreateWindow(s.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                kPageWidth * kWindowScale, kPageHeight * kWindowScale,
                                SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_RESIZABLE);
    if (!s.window) return fail();
    SDL_SetWindowMinimumSize(s.window, kPageWidth, kPageHeight);

    // No vsync: Flip paces itself.
    s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_ACCELERATED);
    if (!s.renderer) s.renderer = SDL_CreateRenderer(s.window, -1, SDL_RENDERER_SOFTWARE);
    if (!s.renderer) return fail();
    // Crisp square pixels: whole-number scaling, nearest neighbour, black bars.
    SDL_RenderSetLogicalSize(s.renderer, kPageWidth, kPageHeight);
    SDL_RenderSetIntegerScale(s.renderer, SDL_TRUE);

    s.texture = SDL_CreateTexture(s.renderer, SDL_PIXELFORMAT_ARGB8888,
                                  SDL_TEXTUREACCESS_STREAMING, kPageWidth, kPageHeight);
    if (!s.texture) return fail();
    SDL_SetTextureScaleMode(s.texture, SDL_ScaleModeNearest);

    SDL_ShowCursor(SDL_DISABLE);
    s.pads.start();  // game controllers, when the machine has any
    SDL_StopTextInput();
    s.readRefreshRate();

    // A black frame at once.
    s.page.fill(0);
    s.coloursValid = false;
    const std::array<PaletteEntry, kPaletteSize> black{};
    s.setPalette(black.data());
    s.show();
    return true;
}

void SdlPlatform::closeDisplay() { state_->teardown(); }

bool SdlPlatform::pollEvent(Event& event) {
    if (!state_->sdlStarted) return false;
    if (state_->pads.takeEvent(event)) return true;  // more than one from one SDL event
    SDL_Event sdlEvent;
    while (SDL_PollEvent(&sdlEvent)) {
        if (state_->translate(sdlEvent, event)) return true;
    }
    return false;
}

// The wait ends when the tick count has gone up by timeoutMs: at the start of a millisecond,
// not timeoutMs after a call made somewhere inside one. Waits that the game measures in
// ticks (a WAIT unit, a display refresh) then end on time instead of overrunning by up to a
// millisecond each. SDL's event wait counts whole milliseconds, so the last fraction of a
// millisecond is slept, and events that came meanwhile are taken right after it.
bool SdlPlatform::waitEvent(Event& event, uint32_t timeoutMs) {
    if (!state_->sdlStarted) return false;
    if (state_->pads.takeEvent(event)) return true;
    if (timeoutMs == 0) return pollEvent(event);
    const auto sinceOrigin = std::chrono::duration_cast<milliseconds>(Clock::now() -
                                                                      state_->clockOrigin);
    const Clock::time_point deadline = state_->clockOrigin + sinceOrigin + milliseconds(timeoutMs);
    // Events the game does not see are handled and skipped; the wait still ends on time.
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline) return false;
        const auto wholeMs = std::chrono::duration_cast<milliseconds>(deadline - now).count();
        if (wholeMs == 0) {
            std::this_thread::sleep_until(deadline);
            return pollEvent(event);
        }
        SDL_Event sdlEvent;
        const int timeout = static_cast<int>(std::min<int64_t>(wholeMs, INT_MAX));
        if (SDL_WaitEventTimeout(&sdlEvent, timeout) && state_->translate(sdlEvent, event)) {
            return true;
        }
    }
}

uint32_t SdlPlatform::ticks() {
    const auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() -
                                                                  state_->clockOrigin);
    return static_cast<uint32_t>(elapsed.count());  // wraps round after 2^32 ms
}

int64_t SdlPlatform::calendarTime() { return static_cast<int64_t>(std::time(nullptr)); }

uint32_t SdlPlatform::refreshIntervalMs() { return state_->refreshMs; }

void SdlPlatform::present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) {
    State& s = *state_;
    bool changed = false;
    for (int y = 0; y < kPageHeight; ++y) {
        uint8_t* kept = s.page.data() + size_t{kPageWidth} * y;
        const uint8_t* row = pixels + size_t(pitch) * y;
        if (std::memcmp(kept, row, kPageWidth) != 0) {
            std::memcpy(kept, row, kPageWidth);
            changed = true;
        }
    }
    changed = s.setPalette(palette) || changed;
    // The same picture again (a menu waiting for a key) is already on the screen.
    if (changed) s.show();
}

void SdlPlatform::toggleFullScreen() { state_->toggleFullScreen(); }

bool SdlPlatform::fullScreen() const {
    return state_->window && (SDL_GetWindowFlags(state_->window) & SDL_WINDOW_FULLSCREEN) != 0;
}

}  // namespace platform
