#include "platform/web_platform.h"

#include <emscripten.h>
#include <unistd.h>

#include <chrono>
#include <cmath>

#include "platform/palette_conversion.h"
#include "platform/web_keys.h"

// The page's side, in platform/web_platform.js.
extern "C" {
int web_open(const char* keyTable);
void web_close();
int web_take_event(int32_t* out);
double web_now();
void web_wait(double deadline);
void web_yield();
void web_show(const uint32_t* rgba);
int web_open_storage(const char* folder, char* error, int errorSize);
int web_store_files(char* error, int errorSize);
int web_take_dropped(char* path, int pathSize);
int web_read_pads(int32_t* out, int most);
void web_ended(int status);
}

namespace platform {

namespace {

constexpr int kReasonSize = 256;
constexpr double kPadReadingMs = 1;
constexpr int kPadFields = 4;  // what the page writes for a gamepad: index, pressed, x, y
// The refresh the game paces its presents by; the page shows at most one picture an
// animation frame whatever it is.
constexpr uint32_t kRefreshMs = 16;

// What the page's event queue holds: kind, key, repeat, pad, button.
enum WebEvent : int32_t {
    WebKeyDown = 1,
    WebKeyUp = 2,
    WebRightButton = 3,
    WebClose = 4,
    WebQuit = 5,
    WebPadDown = 6,
    WebPadUp = 7,
    WebPadAdded = 8,
    WebPadRemoved = 9,
};

EventKind kindOf(int32_t web) {
    switch (web) {
        case WebKeyDown:
            return EventKind::KeyDown;
        case WebKeyUp:
            return EventKind::KeyUp;
        case WebRightButton:
            return EventKind::RightButton;
        case WebClose:
            return EventKind::Close;
        case WebQuit:
            return EventKind::Quit;
        case WebPadDown:
            return EventKind::PadDown;
        case WebPadUp:
            return EventKind::PadUp;
        case WebPadAdded:
            return EventKind::PadAdded;
        case WebPadRemoved:
            return EventKind::PadRemoved;
        default:
            return EventKind::None;
    }
}

// A colour as the canvas's image data holds it: the bytes red, green, blue, alpha.
uint32_t canvasColour(const PaletteEntry& entry) {
    return uint32_t{entry.red} | uint32_t{entry.green} << 8 | uint32_t{entry.blue} << 16 |
           0xFF000000u;
}

}  // namespace

WebPlatform::WebPlatform()
    : rgba_(std::make_unique<std::array<uint32_t, size_t{kPageWidth} * kPageHeight>>()) {}

WebPlatform::~WebPlatform() = default;

bool WebPlatform::openStorage(const std::string& folder, std::string& error) {
    char reason[kReasonSize] = {};
    const bool read = web_open_storage(folder.c_str(), reason, kReasonSize) != 0;
    if (chdir(folder.c_str()) != 0) {
        error = "cannot use the folder " + folder;
        return false;
    }
    if (!read) error = reason;
    return read;
}

bool WebPlatform::takeDroppedReplay(std::string& path) {
    char buffer[kReasonSize] = {};
    if (web_take_dropped(buffer, kReasonSize) == 0) return false;
    path = buffer;
    return true;
}

void WebPlatform::showEnding(int status) { web_ended(status); }

bool WebPlatform::openDisplay(std::string& error) {
    if (web_open(webKeyTable().c_str()) == 0) {
        error = "cannot open the display: the page has no canvas to draw on";
        return false;
    }
    mailbox_.reset();
    lastYield_ = web_now();
    return true;
}

void WebPlatform::closeDisplay() {
    web_close();
    pads_.clear();
    padEvents_.clear();
}

void WebPlatform::readPadsIfDue() {
    const double now = web_now();
    if (now - lastPadReading_ < kPadReadingMs) return;
    lastPadReading_ = now;
    int32_t fields[WebPads::kMaxReadings * kPadFields] = {};
    const int count = web_read_pads(fields, WebPads::kMaxReadings);
    PadReading readings[WebPads::kMaxReadings];
    for (int i = 0; i < count; ++i) {
        const int32_t* pad = fields + i * kPadFields;
        readings[i] = PadReading{pad[0], uint32_t(pad[1]), pad[2], pad[3]};
    }
    pads_.update(readings, count);
}

bool WebPlatform::takeEvent(Event& event) {
    readPadsIfDue();
    if (padEvents_.poll(event)) return true;
    int32_t fields[5] = {};
    if (web_take_event(fields) == 0) return false;
    event = Event{};
    event.kind = kindOf(fields[0]);
    event.key = fields[1];
    event.repeat = fields[2] != 0;
    event.pad = fields[3];
    event.button = static_cast<PadButton>(fields[4]);
    return true;
}

// A loop that never waits still hands the tab back now and then.
void WebPlatform::yieldIfDue() {
    if (web_now() - lastYield_ < kLongestRunMs) return;
    web_yield();
    lastYield_ = web_now();
}

bool WebPlatform::pollEvent(Event& event) {
    if (takeEvent(event)) return true;
    yieldIfDue();
    return takeEvent(event);
}

// The wait ends when the tick count reaches ticks() + timeoutMs, not timeoutMs after the
// call: a browser's timers fire late by a fraction of a millisecond, and a frame paced by
// the tick count then keeps its length instead of adding up the lateness.
bool WebPlatform::waitEvent(Event& event, uint32_t timeoutMs) {
    if (takeEvent(event)) return true;
    if (timeoutMs == 0) {
        yieldIfDue();
        return takeEvent(event);
    }
    web_wait(std::floor(web_now()) + timeoutMs);
    lastYield_ = web_now();
    return takeEvent(event);
}

uint32_t WebPlatform::ticks() { return static_cast<uint32_t>(static_cast<int64_t>(web_now())); }

int64_t WebPlatform::calendarTime() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

uint32_t WebPlatform::refreshIntervalMs() { return kRefreshMs; }

void WebPlatform::convertChangedRows(const RowBand& rows) {
    for (int i = 0; i < kPaletteSize; ++i) colours_[i] = canvasColour(shown_->palette[i]);
    PageBlock block;
    block.pixels = shown_->page.data() + ptrdiff_t{kPageWidth} * rows.first;
    block.rows = rows.last - rows.first;
    convertBlock(block, colours_.data(), rgba_->data() + ptrdiff_t{kPageWidth} * rows.first,
                 kPageWidth * int(sizeof(uint32_t)));
}

// Only a page that differs from the last one is converted, and only its changed rows; the
// page shows it at its next animation frame.
void WebPlatform::present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) {
    if (!mailbox_.post(pixels, pitch, palette)) return;
    const RowBand rows = mailbox_.take(shown_);
    if (rows.empty()) return;
    convertChangedRows(rows);
    web_show(rgba_->data());
}

bool WebPlatform::keepFiles(std::string& error) {
    char reason[kReasonSize] = {};
    if (web_store_files(reason, kReasonSize) != 0) return true;
    error = reason;
    return false;
}

}  // namespace platform
