// The conversion half of presenting a picture: one 640 x 480 page of palette indices into
// 32-bit colours, as the SDL backend does on every present. The page is a round in play
// (empty field, frame, trails in the four colours), the target an ordinary buffer with the
// texture's row distance.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/palette_conversion.h"

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

void BM_ConvertPage(benchmark::State& state) {
    std::array<platform::PaletteEntry, platform::kColourTableSize> palette{};
    for (int i = 0; i < platform::kColourTableSize; ++i) {
        palette[i] = {uint8_t(i), uint8_t(i * 3), uint8_t(i * 5), 0};
    }
    std::array<uint32_t, platform::kColourTableSize> table{};
    platform::buildColourTable(palette.data(), table.data());
    const std::vector<uint8_t> page = roundLikePage();
    std::vector<uint32_t> texture(size_t{kPageWidth} * kPageHeight);
    for (auto _ : state) {
        platform::convertPage(page.data(), kPageWidth, table.data(), texture.data(),
                              kPageWidth * 4);
        benchmark::DoNotOptimize(texture.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPageWidth * kPageHeight);
}
BENCHMARK(BM_ConvertPage)->Unit(benchmark::kMicrosecond);

void BM_BuildColourTable(benchmark::State& state) {
    std::array<platform::PaletteEntry, platform::kColourTableSize> palette{};
    std::array<uint32_t, platform::kColourTableSize> table{};
    for (auto _ : state) {
        platform::buildColourTable(palette.data(), table.data());
        benchmark::DoNotOptimize(table.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildColourTable);

}  // namespace
