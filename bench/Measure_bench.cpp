// Speed of pm5544-inspect --measure at HD and UHD sizes: the whole command on
// a PNG that pm5544 wrote (read, card rendered, measured, the text report to
// /dev/null), which must take at most 0.5 s at 1920x1080 and 2 s at
// 3840x2160 on two cores, and its stages.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "inspect/InspectCommand.h"
#include "inspect/measure/CardReference.h"
#include "inspect/measure/FlatAreas.h"
#include "inspect/measure/Measurement.h"
#include "inspect/measure/Registration.h"

namespace {

RunSettings canvas(int width, int height)
{
    RunSettings s;
    s.width = width;
    s.height = height;
    s.axes = PatternGen::Colour_YCbCr_709;
    s.sampling = PatternGen::Sampling_422;
    s.bitDepth = 10;
    return s;
}

// A PNG of the card, written once per size by the pm5544 beside this benchmark's build.
std::string cardFile(int width, int height)
{
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string path = "/tmp/pm5544-measure-bench-" + size + ".png";
    const std::string command =
        std::string(PM5544_BIN) + " -d " + size + " -c 709 -s 422 -b 10 " + path + " >/dev/null";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "cannot render %s\n", path.c_str());
    return path;
}

void BM_MeasureCommand(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const std::string file = cardFile(width, height);
    std::string args[] = {"pm5544-inspect", "-c", "709", "-b", "10", "--measure", file};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(),
                    args[4].data(), args[5].data(), args[6].data()};
    std::FILE* saved = stdout;
    for (auto _ : state) {
        stdout = std::fopen("/dev/null", "w");
        benchmark::DoNotOptimize(InspectCommand::run(7, argv));
        std::fclose(stdout);
        stdout = saved;
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(BM_MeasureCommand)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MeasureReference(benchmark::State& state)
{
    const RunSettings s = canvas(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) benchmark::DoNotOptimize(CardReference::render(s).frame.planes[0].data());
}
BENCHMARK(BM_MeasureReference)->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MeasureStages(benchmark::State& state)
{
    const RunSettings s = canvas(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const CardReference card = CardReference::render(s);
    const MeasureCanvas c = MeasureCanvas::of(s, card.sampleRateHz());
    for (auto _ : state) {
        switch (state.range(2)) {
        case 0: benchmark::DoNotOptimize(measureRegistration(card.frame, card.frame, c).dx); break;
        case 1:
            benchmark::DoNotOptimize(findFlatSpans(card.frame, *card.card, Clearance::forHeight(s.height)).size());
            break;
        default: benchmark::DoNotOptimize(measureCapture(card.frame, card, c).noise.snrDb); break;
        }
    }
}
// 0 registration, 1 flat spans, 2 every measure
BENCHMARK(BM_MeasureStages)
    ->Args({3840, 2160, 0})
    ->Args({3840, 2160, 1})
    ->Args({3840, 2160, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
