// The web page's platform: the game in a browser tab, built with Emscripten. The page is
// drawn into a canvas, keys come by their place on the keyboard, the clock is the page's
// performance clock, and the files live in the browser's storage (IndexedDB).
//
// The game's loops block as on the desktop: a wait for an event hands the tab back to the
// browser (Asyncify unwinds the game's stack and rewinds it when the wait ends), so the page
// stays responsive while the game's code reads as it always did. A wait ends at its
// deadline on the tick count, or at once when an event arrives. A loop that runs without
// waiting (Ctrl held, WAIT 0) is handed back to the browser every kLongestRunMs all the
// same, so that its keys still arrive and its pictures still show.
//
// Gamepads (the Gamepad API has no events) are read at most once a millisecond, whenever the
// game looks for events.
//
// While the tab is hidden the game stands still: the clock stops and no wait ends, so a
// round in a background tab pauses instead of crawling; keys held when the tab was left
// count as let go.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/event_queue.h"
#include "platform/picture_mailbox.h"
#include "platform/platform.h"
#include "platform/web_pads.h"

namespace platform {

class WebPlatform final : public Platform {
public:
    // The longest stretch the game runs without handing the tab back to the browser.
    static constexpr double kLongestRunMs = 12;

    WebPlatform();
    ~WebPlatform() override;
    WebPlatform(const WebPlatform&) = delete;
    WebPlatform& operator=(const WebPlatform&) = delete;

    // Makes `folder` the working folder, holding the files kept in the browser's storage.
    // False, with the reason, when the storage cannot be read: the folder is then empty and
    // what the game writes there lasts only as long as the page.
    bool openStorage(const std::string& folder, std::string& error);
    // A replay file dropped onto the page since the last call: its path (in a folder of its
    // own, not kept), or false when none was. A drop ends the program running (as closing
    // the window does), so that the page can play the replay.
    bool takeDroppedReplay(std::string& path);
    // The program ended with `status`: the page shows its last page (how to play again,
    // and what went wrong when the status says so).
    void showEnding(int status);

    bool openDisplay(std::string& error) override;
    void closeDisplay() override;
    bool pollEvent(Event& event) override;
    bool waitEvent(Event& event, uint32_t timeoutMs) override;
    uint32_t ticks() override;
    int64_t calendarTime() override;
    uint32_t refreshIntervalMs() override;
    void present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) override;
    bool keepFiles(std::string& error) override;

private:
    bool takeEvent(Event& event);
    void readPadsIfDue();
    void yieldIfDue();
    void convertChangedRows(const RowBand& rows);

    PictureMailbox mailbox_;
    std::unique_ptr<Picture> shown_ = std::make_unique<Picture>();
    std::unique_ptr<std::array<uint32_t, size_t{kPageWidth} * kPageHeight>> rgba_;
    std::array<uint32_t, kPaletteSize> colours_{};
    double lastYield_ = 0;
    EventQueue padEvents_;
    WebPads pads_{padEvents_};
    double lastPadReading_ = 0;
};

}  // namespace platform
