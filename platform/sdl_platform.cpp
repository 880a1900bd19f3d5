#include "platform/sdl_platform.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/event_queue.h"
#include "platform/picture_mailbox.h"
#include "platform/sdl_x_errors.h"
#include "platform/sdl_display_probe.h"
#include "platform/sdl_keys.h"
#include "platform/sdl_pads.h"
#include "platform/sdl_presenter.h"
#include "platform/sdl_window.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The main thread's longest sleep with nothing to do; the game's calls wake it sooner.
constexpr int kIdleWaitMs = 250;
// How long the game is given to end (and keep what it must) once the display has gone away.
constexpr auto kEndingAfterLossPatience = std::chrono::seconds(3);
// Free places the event queue needs before the main thread takes another system event.
constexpr int kRoomForOneEvent = SdlPads::kMostEventsAtOnce;

// Standard error goes nowhere while this lives. Libraries under SDL print complaints of
// their own while SDL looks for a display (no Wayland session, an OpenGL driver missing);
// the program says in one line of its own whether it could start.
class QuietStandardError {
public:
    QuietStandardError() : saved_(dup(STDERR_FILENO)) {
        const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
        if (nowhere >= 0) close(nowhere);
    }
    ~QuietStandardError() {
        if (saved_ < 0) return;
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved_;
};

enum class Request { None, Open, Close };

}  // namespace

struct SdlPlatform::State {
    std::string title;
    // The tick count is whole milliseconds of the steady clock since this moment, so that
    // a wait can end exactly when the count goes up (see waitEvent).
    const Clock::time_point clockOrigin = Clock::now();
    std::atomic<uint32_t> refreshMs{0};
    std::atomic<bool> fullScreen{false};
    ShowWatcher watcher;

    // --- Shared by both threads ------------------------------------------------------
    PictureMailbox mailbox;
    EventQueue events;
    // A wake-up event is on its way to the main thread (one is enough).
    std::atomic<bool> wakePosted{false};
    Uint32 wakeEventType = 0;  // set by the main thread before it answers an opening
    std::mutex requestMutex;   // guards the request, its answer and gameDone
    std::condition_variable requestChanged;
    Request request = Request::None;
    bool answered = false;
    std::string openError;  // the answer to Open: empty when the display opened
    bool gameDone = false;
    // The display went away: nothing may ask the main thread for anything any more.
    std::atomic<bool> displayGone{false};

    // --- The game's thread -----------------------------------------------------------
    bool displayOpen = false;

    std::string ask(Request what);
    void wakeMainThread();

    // --- The main thread -------------------------------------------------------------
    bool sdlStarted = false;
    SdlWindow window;
    SdlPresenter presenter;
    SdlPads pads{events};
    std::unique_ptr<Picture> shown = std::make_unique<Picture>();
    bool redraw = false;  // show the picture again even if no new one came
    Clock::time_point lastShow;
    Clock::duration showInterval{};
    int swallowedKeyUp = SDL_SCANCODE_UNKNOWN;  // the release of a window toggle key

    void serve();
    void answer(const std::string& error);
    std::string open();
    void close();
    void readRefreshRate();
    void pumpEvents();
    void handle(const SDL_Event& event);
    void handleKey(const SDL_KeyboardEvent& key);
    void handleWindowEvent(const SDL_WindowEvent& windowEvent);
    int msUntilShowDue();
    void showIfDue();
    void toggleFullScreen();
    void displayLost();
};

// --- The game's thread ------------------------------------------------------------------

// Wakes the main thread: from waiting for a request while the display is closed, and from
// waiting for the system's events (with an event of its own) while it is open.
void SdlPlatform::State::wakeMainThread() {
    requestChanged.notify_all();
    if (!displayOpen || displayGone || wakePosted.exchange(true)) return;
    SDL_Event wake{};
    wake.type = wakeEventType;
    if (SDL_PushEvent(&wake) != 1) wakePosted = false;
}

// Has the main thread carry out a request and waits for its answer. The wake-up is sent
// under the lock: the main thread cannot see the request, and close SDL, before it is sent.
std::string SdlPlatform::State::ask(Request what) {
    std::unique_lock lock(requestMutex);
    request = what;
    answered = false;
    wakeMainThread();
    requestChanged.wait(lock, [this] { return answered; });
    return openError;
}

// --- The main thread: requests ----------------------------------------------------------

// Carries out the game's requests and, while the display is open, takes the system's
// events and shows the pictures, until the game is done.
void SdlPlatform::State::serve() {
    for (;;) {
        Request next = Request::None;
        {
            std::unique_lock lock(requestMutex);
            if (!window.handle()) {
                requestChanged.wait(lock, [this] { return request != Request::None || gameDone; });
            }
            if (request == Request::None && gameDone) return;
            next = std::exchange(request, Request::None);
        }
        if (next == Request::Open) answer(open());
        if (next == Request::Close) {
            close();
            answer({});
        }
        if (window.handle()) {
            pumpEvents();
            showIfDue();
        }
    }
}

void SdlPlatform::State::answer(const std::string& error) {
    const std::lock_guard lock(requestMutex);
    openError = error;
    answered = true;
    requestChanged.notify_all();
}

// Brings up SDL, the window and a way to show pictures, and shows a black one; the reason
// when it cannot.
std::string SdlPlatform::State::open() {
    const QuietStandardError quiet;
    const auto failure = [this] {
        std::string error = std::string("cannot open the display: ") + SDL_GetError();
        close();
        return error;
    };
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // The window's own pixels go straight to the display, not through a hidden renderer.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    ignoreWakeUpsToAClosedWindow();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return failure();
    sdlStarted = true;
    // With no display SDL falls back to its invisible offscreen driver, where the game
    // would run unseen and never end. Only a request by name may use it.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (driver && std::strcmp(driver, "offscreen") == 0 &&
        !(asked && std::strstr(asked, "offscreen"))) {
        SDL_SetError("no display found");
        return failure();
    }
    if (!window.open(title.c_str(), probeDisplay()) || !presenter.start(window.handle())) {
        return failure();
    }
    fullScreen = true;
    SDL_ShowCursor(SDL_DISABLE);
    SDL_StopTextInput();
    wakeEventType = SDL_RegisterEvents(1);
    wakePosted = false;
    readRefreshRate();

    shown->page.fill(0);
    shown->palette.fill(PaletteEntry{});
    presenter.redrawAll();
    presenter.show(*shown, RowBand::all());
    lastShow = Clock::now();
    // Looking for game controllers takes a while: after the first picture.
    pads.start();
    whenDisplayLost([this] { displayLost(); });
    return {};
}

// The X server went away (it was stopped, or crashed), noticed inside an SDL call: the game
// is told, so that it ends (keeping a match in progress, as for any ending) without asking
// anything more of this thread, and is waited for a while before Xlib ends the program.
void SdlPlatform::State::displayLost() {
    std::fputs("diraviru: the display has gone away\n", stderr);
    displayGone = true;
    events.push(Event{EventKind::DisplayLost});
    std::unique_lock lock(requestMutex);
    requestChanged.wait_for(lock, kEndingAfterLossPatience, [this] { return gameDone; });
}

void SdlPlatform::State::close() {
    whenDisplayLost(nullptr);
    presenter.stop();
    pads.stop();
    window.close();
    if (sdlStarted) SDL_Quit();
    sdlStarted = false;
    fullScreen = false;
}

void SdlPlatform::State::readRefreshRate() {
    const int rate = window.refreshRate();
    showInterval = std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / rate;
    refreshMs = uint32_t(std::max(1, (1000 + rate / 2) / rate));
}

// --- The main thread: events ------------------------------------------------------------

// Waits for the system's events until the next picture is due, and passes them on. While
// the game is far behind in taking them, they stay with the system.
void SdlPlatform::State::pumpEvents() {
    if (!events.hasRoom(kRoomForOneEvent)) {
        std::this_thread::sleep_for(milliseconds(1));
        return;
    }
    SDL_Event event;
    if (!SDL_WaitEventTimeout(&event, msUntilShowDue())) return;
    do {
        handle(event);
    } while (events.hasRoom(kRoomForOneEvent) && SDL_PollEvent(&event));
}

void SdlPlatform::State::handle(const SDL_Event& event) {
    if (event.type == wakeEventType) {
        wakePosted = false;
        return;
    }
    if (pads.handle(event)) return;
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            handleKey(event.key);
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_RIGHT) events.push(Event{EventKind::RightButton});
            break;
        case SDL_WINDOWEVENT:
            handleWindowEvent(event.window);
            break;
        case SDL_QUIT:
            events.push(Event{EventKind::Quit});
            break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            presenter.redrawAll();
            redraw = true;
            break;
        default:
            break;
    }
}

void SdlPlatform::State::handleKey(const SDL_KeyboardEvent& key) {
    const int scancode = key.keysym.scancode;
    if (key.type == SDL_KEYDOWN && isWindowToggle(key.keysym)) {
        if (!key.repeat) toggleFullScreen();
        swallowedKeyUp = scancode;
        return;
    }
    if (key.type == SDL_KEYUP && scancode == swallowedKeyUp) {
        swallowedKeyUp = SDL_SCANCODE_UNKNOWN;
        return;
    }
    const int code = virtualKeyFor(scancode, key.keysym.sym);
    if (code == 0) return;
    Event event;
    event.kind = key.type == SDL_KEYDOWN ? EventKind::KeyDown : EventKind::KeyUp;
    event.key = code;
    event.repeat = key.type == SDL_KEYDOWN && key.repeat != 0;
    events.push(event);
}

void SdlPlatform::State::handleWindowEvent(const SDL_WindowEvent& windowEvent) {
    switch (windowEvent.event) {
        case SDL_WINDOWEVENT_CLOSE:
            events.push(Event{EventKind::Close});
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            presenter.redrawAll();
            redraw = true;
            break;
        case SDL_WINDOWEVENT_MOVED:
        case SDL_WINDOWEVENT_DISPLAY_CHANGED:
            readRefreshRate();
            break;
        default:
            break;
    }
}

// --- The main thread: pictures ---------------------------------------------------------

// How long the main thread may wait for events before it has a picture to show. A display
// that is not in step with its refresh gets a picture at most once a refresh interval.
int SdlPlatform::State::msUntilShowDue() {
    if (!redraw && !mailbox.fresh()) return kIdleWaitMs;
    if (presenter.paced()) return 0;
    const Clock::duration left = lastShow + showInterval - Clock::now();
    return left <= Clock::duration::zero() ? 0 : int(std::chrono::ceil<milliseconds>(left).count());
}

void SdlPlatform::State::showIfDue() {
    if (!redraw && !mailbox.fresh()) return;
    const Clock::time_point start = Clock::now();
    if (!presenter.paced() && start < lastShow + showInterval) return;
    const RowBand changed = mailbox.take(shown);
    redraw = false;
    presenter.show(*shown, changed);
    lastShow = start;
    if (watcher) watcher(*shown, Clock::now() - start);
}

void SdlPlatform::State::toggleFullScreen() {
    window.toggleFullScreen();
    fullScreen = window.fullScreen();
    presenter.redrawAll();
    redraw = true;
}

// --- SdlPlatform ------------------------------------------------------------------------

SdlPlatform::SdlPlatform(std::string title) : state_(std::make_unique<State>()) {
    state_->title = std::move(title);
    state_->refreshMs = uint32_t((1000 + kUnknownRefreshRate / 2) / kUnknownRefreshRate);
}

SdlPlatform::~SdlPlatform() = default;

void SdlPlatform::watchShows(ShowWatcher watcher) { state_->watcher = std::move(watcher); }

int SdlPlatform::run(const std::function<int()>& game) {
    State& s = *state_;
    int status = 1;
    std::exception_ptr failure;
    std::thread gameThread([&] {
        try {
            status = game();
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard lock(s.requestMutex);
        s.gameDone = true;
        s.wakeMainThread();
    });
    s.serve();
    gameThread.join();
    s.close();
    s.gameDone = false;
    s.displayOpen = false;
    if (failure) std::rethrow_exception(failure);
    return status;
}

bool SdlPlatform::openDisplay(std::string& error) {
    State& s = *state_;
    if (s.displayOpen) return true;
    s.mailbox.reset();
    s.events.clear();
    const std::string failure = s.ask(Request::Open);
    if (!failure.empty()) {
        error = failure;
        return false;
    }
    s.displayOpen = true;
    return true;
}

void SdlPlatform::closeDisplay() {
    State& s = *state_;
    if (!s.displayOpen) return;
    if (!s.displayGone) s.ask(Request::Close);
    s.displayOpen = false;
}

bool SdlPlatform::pollEvent(Event& event) {
    return state_->displayOpen && state_->events.poll(event);
}

// The wait ends when the tick count has gone up by timeoutMs: at the start of a millisecond,
// not timeoutMs after a call made somewhere inside one. Waits that the game measures in
// ticks (a WAIT unit, a display refresh) then end on time instead of overrunning by up to a
// millisecond each.
bool SdlPlatform::waitEvent(Event& event, uint32_t timeoutMs) {
    State& s = *state_;
    if (!s.displayOpen) return false;
    if (timeoutMs == 0) return s.events.poll(event);
    const auto sinceOrigin = std::chrono::floor<milliseconds>(Clock::now() - s.clockOrigin);
    return s.events.waitUntil(event, s.clockOrigin + sinceOrigin + milliseconds(timeoutMs));
}

uint32_t SdlPlatform::ticks() {
    const auto elapsed = std::chrono::floor<milliseconds>(Clock::now() - state_->clockOrigin);
    return static_cast<uint32_t>(elapsed.count());  // wraps round after 2^32 ms
}

int64_t SdlPlatform::calendarTime() { return static_cast<int64_t>(std::time(nullptr)); }

uint32_t SdlPlatform::refreshIntervalMs() { return state_->refreshMs; }

void SdlPlatform::present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) {
    State& s = *state_;
    if (s.displayOpen && s.mailbox.post(pixels, pitch, palette)) s.wakeMainThread();
}

bool SdlPlatform::fullScreen() const { return state_->fullScreen; }

}  // namespace platform
