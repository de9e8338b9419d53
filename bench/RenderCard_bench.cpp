// Speed of the stages of one run: the card's frame precomputation, the 16-bit
// line renderer and the rounding of the frame buffer, at HD and UHD sizes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "patterns/philips-PM5544-2si-num-new.h"
#include "tools/rounding.h"

namespace {

void initCard(PhilipsPm5544Spec& card, int width, int height, PatternGen::colorAxes_e axes,
              PatternGen::sampling_e sampling)
{
    // init prints its size lines; keep the benchmark output readable.
    std::FILE* saved = stdout;
    stdout = std::fopen("/dev/null", "w");
    card.init(width, height, 16, 9, axes, sampling, 10, false, PatternGen::Quadrant_None, 0, false, "");
    std::fclose(stdout);
    stdout = saved;
}

void BM_CardSetup(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    for (auto _ : state) {
        PhilipsPm5544Spec card;
        initCard(card, width, height, PatternGen::Colour_YCbCr_709, PatternGen::Sampling_422);
        benchmark::DoNotOptimize(card.frame.data());
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(BM_CardSetup)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

void BM_RenderLines16(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    PhilipsPm5544Spec card;
    initCard(card, width, height, static_cast<PatternGen::colorAxes_e>(state.range(2)), PatternGen::Sampling_422);
    std::vector<unsigned short> buffer(static_cast<size_t>(width) * height * 4);
    for (auto _ : state) {
        card.run_body(0, width, height, buffer.data());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(BM_RenderLines16)
    ->Args({1920, 1080, PatternGen::Colour_YCbCr_709})
    ->Args({1920, 1080, PatternGen::Colour_RGB})
    ->Args({3840, 2160, PatternGen::Colour_YCbCr_709})
    ->Unit(benchmark::kMillisecond);

void BM_RoundFrame(benchmark::State& state)
{
    std::vector<unsigned short> buffer(static_cast<size_t>(1920) * 1080 * 4, 0x8123);
    for (auto _ : state) {
        for (size_t i = 0; i < buffer.size(); i += 4) {
            buffer[i] = static_cast<unsigned short>(Rounding::roundChromaTo(16, 6, buffer[i]));
            buffer[i + 1] = static_cast<unsigned short>(Rounding::roundLumaTo(16, 6, buffer[i + 1]));
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_RoundFrame)->Unit(benchmark::kMillisecond);

}  // namespace
