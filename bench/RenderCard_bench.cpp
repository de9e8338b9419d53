// Speed of the stages of one run at HD and UHD sizes: the card made as a whole
// frame and line by line, the rows of the 16-bit form, their rounding, and
// the PNG rows' filtering and compression, and the TIFF rows' LZW coding.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "patterns/pm5544/philips-PM5544-2si-num-new.h"
#include "rows/ImageRows.h"
#include "rows/TiffRows.h"
#include "tools/rounding.h"
#include "writers/PngRowWriter.h"
#include "writers/TiffLzwCoder.h"

namespace {

void initCard(PhilipsPm5544Spec& card, int width, int height, PatternGen::colorAxes_e axes, bool onDemand)
{
    // init prints its size lines; keep the benchmark output readable.
    std::FILE* saved = stdout;
    stdout = std::fopen("/dev/null", "w");
    card.renderLinesOnDemand = onDemand;
    card.init(width, height, 16, 9, axes, PatternGen::Sampling_422, 10, false, PatternGen::Quadrant_None, 0, false, "");
    std::fclose(stdout);
    stdout = saved;
}

void BM_CardWholeFrame(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    for (auto _ : state) {
        PhilipsPm5544Spec card;
        initCard(card, width, height, PatternGen::Colour_YCbCr_709, false);
        benchmark::DoNotOptimize(card.frame.data());
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(BM_CardWholeFrame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

void BM_CardLinesOnDemand(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    for (auto _ : state) {
        PhilipsPm5544Spec card;
        initCard(card, width, height, PatternGen::Colour_YCbCr_709, true);
        for (int y = 0; y < height; ++y) {
            benchmark::DoNotOptimize(card.indexedLine(y));
        }
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(BM_CardLinesOnDemand)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

// The program's path to the writer: lines on demand, 16-bit rows rounded to 10 bits.
void BM_RoundedImageRows(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const auto axes = static_cast<PatternGen::colorAxes_e>(state.range(2));
    std::vector<uint16_t> row(static_cast<std::size_t>(width) * 4);
    for (auto _ : state) {
        PhilipsPm5544Spec card;
        initCard(card, width, height, axes, true);
        ImageRows rows(card, width, height);
        rows.roundTo(10);
        for (int y = 0; y < height; ++y) {
            rows.next(row.data());
        }
        benchmark::DoNotOptimize(row.data());
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(BM_RoundedImageRows)
    ->Args({1920, 1080, PatternGen::Colour_YCbCr_709})
    ->Args({3840, 2160, PatternGen::Colour_YCbCr_709})
    ->Args({3840, 2160, PatternGen::Colour_YCbCr_PQ})
    ->Unit(benchmark::kMillisecond);

void BM_RoundBuffer(benchmark::State& state)
{
    std::vector<uint16_t> buffer(static_cast<size_t>(1920) * 1080 * 4, 0x8123);
    for (auto _ : state) {
        Rounding::roundSamples(buffer.data(), 1920 * 1080, PatternGen::Colour_YCbCr_709, 10);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_RoundBuffer)->Unit(benchmark::kMillisecond);

// Filtering and compressing the UHD card's rows, on every core.
void BM_PngRows(benchmark::State& state)
{
    constexpr int kWidth = 3840, kHeight = 2160;
    PhilipsPm5544Spec card;
    initCard(card, kWidth, kHeight, PatternGen::Colour_YCbCr_709, false);
    std::vector<uint16_t> frame(static_cast<std::size_t>(kWidth) * kHeight * 4);
    card.run_body(0, kWidth, kHeight, frame.data());
    for (auto _ : state) {
        std::FILE* sink = std::fopen("/dev/null", "wb");
        PngRowWriter writer(sink, kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y) {
            writer.writeRow(frame.data() + static_cast<std::size_t>(y) * kWidth * 4);
        }
        benchmark::DoNotOptimize(writer.finish());
        std::fclose(sink);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_PngRows)->Unit(benchmark::kMillisecond)->UseRealTime();

// LZW coding of the UHD card's TIFF rows, on one core, as TiffRowWriter's worker does it.
void BM_TiffLzwRows(benchmark::State& state)
{
    constexpr int kWidth = 3840, kHeight = 2160;
    constexpr std::size_t kRowBytes = std::size_t{kWidth} * 3 * sizeof(uint16_t);
    PhilipsPm5544Spec card;
    initCard(card, kWidth, kHeight, PatternGen::Colour_YCbCr_709, true);
    std::vector<std::pair<int, int>> repeats;
    TiffRows rows(card, kWidth, kHeight, repeats);
    std::vector<uint16_t> frame(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        rows.next(frame.data() + static_cast<std::size_t>(y) * kWidth * 3);
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame.data());
    for (auto _ : state) {
        TiffLzwCoder coder;
        for (int y = 0; y < kHeight; ++y) {
            coder.add(bytes + kRowBytes * static_cast<std::size_t>(y), kRowBytes);
            coder.take();
        }
        coder.finish();
        benchmark::DoNotOptimize(coder.size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kRowBytes) * kHeight);
}
BENCHMARK(BM_TiffLzwRows)->Unit(benchmark::kMillisecond);

}  // namespace
