// The card's edge shaping: every colour change along a line becomes a short
// raised-cosine ramp. One walk serves both ways of producing the card: lines
// of samples for the whole frame, and lines of colour indices for lines
// produced on demand.

#include <cstdio>

#include "patterns/pm5544/PM5544LineMaker.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"
#include "tools/PixelEquality.h"

namespace {

// A line buffer of samples, as the whole-frame construction holds it.
struct SampleLine {
    const std::vector<Pixel>& samples;
    int size() const { return static_cast<int>(samples.size()); }
    bool same(int a, int b) const
    {
        return sameSample(samples[static_cast<std::size_t>(a)], samples[static_cast<std::size_t>(b)]);
    }
    const Pixel& at(int i) const { return samples[static_cast<std::size_t>(i)]; }
};

// Output into the frame: one sample per position.
struct FrameOut {
    std::vector<Pixel>& frame;
    void repeat(int /*position*/, int /*source*/, const Pixel& p, int count)
    {
        frame.insert(frame.end(), static_cast<std::size_t>(count), p);
    }
    void one(int /*position*/, const Pixel& p) { frame.push_back(p); }
};

}  // namespace

template <typename Line, typename Out>
void PhilipsPm5544Spec::shapeRuns(const Line& line, const std::deque<double>& fastTransition, Out& out) const
{
    const int T = savedTransitionSize;
    const int before = (T + 1) / 2;
    const int after = T - before;
    const int size = line.size();
    const int last = size - after - 1;

    // The line is walked one run of equal samples at a time. Within a run the
    // nearest change on either side is the sample just past the run's end, so
    // every distance the shaping needs follows from the run's bounds.
    Run run;
    for (run.first = 0; run.first < size; run.first = run.last + 1) {
        run.last = run.first;
        while (run.last + 1 < size && line.same(run.last + 1, run.first)) {
            ++run.last;
        }
        run.hasPrevious = run.first > 0;
        run.hasNext = run.last + 1 < size;
        // Copies: the output may add colours to the table the line refers to.
        const Pixel p = line.at(run.first);
        const Pixel nextSample = run.hasNext ? line.at(run.last + 1) : p;
        const Pixel previousSample = run.hasPrevious ? line.at(run.first - 1) : p;
        const Pixel* next = run.hasNext ? &nextSample : nullptr;
        const Pixel* previous = run.hasPrevious ? &previousSample : nullptr;

        // Samples with no change within one standard ramp on either side are
        // left as they are; they make up most of the line.
        const int quietFirst = run.hasPrevious ? run.first + before : run.first;
        const int quietLast = run.hasNext ? run.last - after : run.last;
        const int end = run.last < last ? run.last : last;
        int i = run.first > before ? run.first : before;
        while (i <= end) {
            if (quietFirst <= i && i <= quietLast) {
                const int quietEnd = quietLast < end ? quietLast : end;
                out.repeat(i, run.first, p, quietEnd - i + 1);
                i = quietEnd + 1;
            } else {
                out.one(i, shapeSample(p, i, size, run, next, previous, fastTransition));
                ++i;
            }
        }
    }
}

void PhilipsPm5544Spec::shapeLine(const std::vector<Pixel>& lineBuffer, const std::deque<double>& fastTransition,
                                  std::vector<Pixel>& shaped) const
{
    FrameOut out{shaped};
    shapeRuns(SampleLine{lineBuffer}, fastTransition, out);
}

// The walk for lines made on demand (PM5544LineMaker.cpp).
template void PhilipsPm5544Spec::shapeRuns(const PhilipsPm5544Spec::LineMaker::IndexLine&, const std::deque<double>&,
                                           PhilipsPm5544Spec::LineMaker::IndexOut&) const;

Pixel PhilipsPm5544Spec::shapeSample(const Pixel& p, int i, int size, const Run& run, const Pixel* next,
                                     const Pixel* previous, const std::deque<double>& fastTransition) const
{
    // Distances to the nearest differing sample on each side; they count only
    // where the run has a neighbour on that side.
    const int toPrevious = i - run.first + 1;
    const int toNext = run.last - i + 1;
    auto changeBeforeWithin = [&](int count) { return run.hasPrevious && toPrevious <= count; };
    auto changeAfterWithin = [&](int count) { return run.hasNext && toNext <= count; };

    // A one-sample feature keeps its full level.
    if (changeBeforeWithin(1) && changeAfterWithin(1)) {
        return p;
    }

    const int T = savedTransitionSize;
    const int before = (T + 1) / 2;
    const int after = T - before;

    // A change on both sides within one standard ramp marks a narrow feature,
    // which takes the faster ramp; a lone edge takes the standard one.
    bool rampToNext = false;
    bool rampFromPrevious = false;
    const std::deque<double>* luma = &lumaTransition;
    if (changeAfterWithin(after)) {
        rampToNext = true;
        rampFromPrevious = changeBeforeWithin(T);
        if (rampFromPrevious) {
            luma = &fastTransition;
        }
    } else if (changeBeforeWithin(before)) {
        rampFromPrevious = true;
        rampToNext = changeAfterWithin(T);
        if (rampToNext) {
            luma = &fastTransition;
        }
    } else {
        return p;
    }

    const std::deque<double>* chroma = sampling == PatternGen::Sampling_444 ? &lumaTransition : &chromaTransition;
    // Subsampled chroma has the shorter table; a lone edge reads its chroma
    // weights from the standard luma table, as a 4:4:4 canvas does, so that
    // it is shaped on every canvas.
    if (luma == &lumaTransition && luma->size() > chroma->size()) {
        chroma = &lumaTransition;
    }
    const int lumaSize = static_cast<int>(luma->size());
    const int chromaSize = static_cast<int>(chroma->size());
    // The ramp is split evenly about the edge, which needs an even length.
    if (lumaSize == 0 || lumaSize > chromaSize || lumaSize % 2 != 0) {
        printf("Error transition size problem - luma size=%d chroma size=%d\n", lumaSize, chromaSize);
        return p;
    }

    const int ahead = (lumaSize + 1) / 2;
    const int behind = lumaSize - ahead;
    Pixel out = p;

    // Each ramp reaches at most `ahead` (or `behind`) samples out; the line's
    // ends stop it short, which the context samples at both ends prevent.
    if (rampToNext) {
        if (i == size - 1) {
            printf("Error - transitionTo iterator starting at end of line\n");
        } else if (run.hasNext) {
            if (toNext <= ahead) {
                out = next->blend((*luma)[behind - toNext], (*chroma)[behind - toNext], out);
            }
        } else if (size - i <= ahead) {
            printf("Error - hit unexpected end on line.  pixelsInFront=%u i=%u\n", static_cast<unsigned>(ahead),
                   static_cast<unsigned>(size - i - 1));
        }
    }

    if (rampFromPrevious) {
        if (i == 0) {
            printf("Error - transitionFrom starting at beginning of line\n");
        } else if (run.hasPrevious) {
            if (toPrevious <= behind) {
                out = out.blend((*luma)[behind + toPrevious - 1], (*chroma)[behind + toPrevious - 1], *previous);
            }
        } else if (i + 1 <= behind) {
            printf("Error - hit unexpected beginning on line\n");
        }
    }
    return out;
}
