// The conversion half of showing a picture: one 640 x 480 page of palette indices into
// 32-bit colours, as the SDL backend does for every picture it shows. The page is a round in
// play (empty field, frame, trails in the four colours), the target an ordinary buffer.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/palette_conversion.h"
#include "platform/picture_mailbox.h"

namespace {

using platform::kPageHeight;
using platform::kPageWidth;

std::vector<uint8_t> roundLikePage() {
    std::vector<uint8_t> page(size_t{kPageWidth} * kPageHeight, 0);
    uint32_t state = 1;
    for (auto& pixel : page) {
        state = state * 214013u + 2531011u;
        // About one pixel in eight is trail, in one of the four player colours.
        if ((state >> 16) % 8 == 0) pixel = std::array<uint8_t, 4>{156, 71, 27, 107}[state >> 30];
    }
    for (int x = 0; x < kPageWidth; ++x) page[size_t{kPageWidth} * 32 + x] = 255;
    return page;
}

// state.range(0) is the scale: 1 into a texture, 2 into a 1280 x 960 window's own pixels.
void BM_ConvertPage(benchmark::State& state) {
    const int scale = int(state.range(0));
    std::array<uint32_t, platform::kPaletteSize> table{};
    for (int i = 0; i < platform::kPaletteSize; ++i) table[i] = 0xFF000000u | i * 0x010305u;
    const std::vector<uint8_t> page = roundLikePage();
    std::vector<uint32_t> target(size_t{kPageWidth} * kPageHeight * scale * scale);
    for (auto _ : state) {
        platform::convertBlock(platform::PageBlock{page.data()}, table.data(), target.data(),
                               kPageWidth * scale * 4, scale);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPageWidth * kPageHeight);
}
BENCHMARK(BM_ConvertPage)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
