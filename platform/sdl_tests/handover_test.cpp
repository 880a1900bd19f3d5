// The hand-over of pictures from the game's thread to the display's: the newest picture
// wins, and the rows changed by the pictures skipped on the way still count as changed.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/picture_mailbox.h"

using namespace platform;

TEST(PictureMailbox, HandsOverTheNewestPictureWithEveryRowChangedSince) {
    PictureMailbox mailbox;
    constexpr int kPitch = 700;  // the game's rows 700 bytes apart
    std::vector<uint8_t> page(size_t{kPitch} * kPageHeight, 0);
    std::vector<PaletteEntry> palette(kPaletteSize);
    auto shown = std::make_unique<Picture>();
    const auto post = [&] { return mailbox.post(page.data(), kPitch, palette.data()); };
    const auto takenRows = [&] {
        const RowBand band = mailbox.take(shown);
        return std::vector<int>{band.first, band.last};
    };

    EXPECT_TRUE(post());  // the first picture is all new
    EXPECT_EQ(takenRows(), (std::vector<int>{0, kPageHeight}));
    EXPECT_FALSE(post());  // nothing changed: nothing to show
    EXPECT_FALSE(mailbox.fresh());

    page[size_t{kPitch} * 10 + 3] = 1;
    EXPECT_TRUE(post());
    page[size_t{kPitch} * 300 + 639] = 2;
    page[size_t{kPitch} * 301 + kPageWidth] = 9;  // beyond the page's width
    EXPECT_TRUE(post());
    EXPECT_EQ(takenRows(), (std::vector<int>{10, 301}));
    EXPECT_EQ(shown->page[size_t{kPageWidth} * 10 + 3], 1);
    EXPECT_EQ(shown->page[size_t{kPageWidth} * 300 + 639], 2);
    EXPECT_TRUE(mailbox.take(shown).empty());

    palette[200].green = 1;  // a colour changes every row that uses it
    EXPECT_TRUE(post());
    EXPECT_EQ(takenRows(), (std::vector<int>{0, kPageHeight}));
    EXPECT_EQ(shown->palette[200].green, 1);
    EXPECT_EQ(shown->page[size_t{kPageWidth} * 300 + 639], 2);
    mailbox.reset();  // a new display: the same picture is all new to it
    EXPECT_TRUE(post());
}
