// How large a canvas the card can be drawn on: its geometry is 32-bit integer
// arithmetic (multiply first, divide once), so every intermediate product of
// it must fit 32 bits. The products are listed here as the drawing takes
// them, each at its largest.

#include <algorithm>
#include <climits>
#include <deque>

#include "patterns/WrappingArithmetic.h"
#include "patterns/pm5544/PM5544Constants.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"

namespace {

// The largest numerators the card hands heightFraction and widthFraction:
// the colour bars' width, h(504, 576), and the grid's half width, w(47, 100).
constexpr long long kLargestHeightNumerator = 504;
constexpr long long kLargestWidthNumerator = 47;

// The fractions of the height whose products follow: the corner circles'
// horizontal offset h(422, 1080), their dots' step h(22, 576) and the grid
// pitch h(79, 1080) (the border's blocks are twice as wide).
long long cornerOffsetOf(long long height)
{
    return height * 422 / 1080;
}
long long dotStepOf(long long height)
{
    return height * 22 / 576;
}
long long gridPitchOf(long long height)
{
    return height * 79 / 1080;
}

// The farthest a rendered sample lies from the centre column: x runs from
// the first rendered sample to the last one before the line end's half ramp.
long long farthestSampleOf(long long width)
{
    std::deque<double> ramp;
    PatternSpec::calculateTransition(ramp, PatternSpec::kStandardRiseTimeNs, PatternSpec::kStandardClockMHz);
    const long long centre = width / 2;
    const long long first = PM5544Constants::kFirstRenderedSample;
    const long long last = width - static_cast<long long>(ramp.size()) / 2 - 1;
    if (last < first) return 0;  // nothing is drawn between the black line ends
    return std::max(centre - first, last - centre);
}

}  // namespace

long long PhilipsPm5544Spec::largestGeometryProduct(long long width, long long height, int aspectWidth,
                                                    int aspectHeight)
{
    const long long W = width;
    const long long H = height;
    const long long A = aspectWidth;
    const long long B = aspectHeight;
    long long largest = 0;
    // Each product is taken only once those it builds on fit.
    auto fits = [&largest](long long product) {
        largest = std::max(largest, product);
        return largest <= INT_MAX;
    };

    // The fractions of the height and width themselves.
    if (!fits(saturatingMultiply(H, kLargestHeightNumerator)) || !fits(saturatingMultiply(W, kLargestWidthNumerator)))
        return largest;

    // The dots' horizontal step in circle-test units, (W * (B * t)) / (A * W).
    const long long t = dotStepOf(H);
    if (!fits(saturatingMultiply(B, t)) || !fits(saturatingMultiply(W, B * t)) || !fits(saturatingMultiply(A, W)))
        return largest;
    const long long dotStep = W * (B * t) / (A * W);

    // Circle centres in the circle test, W * (cx * A) / (B * W), the corner
    // squares' centres (cx * A * W) / (B * W), cx up to a corner's offset
    // plus a dot step.
    const long long cx = cornerOffsetOf(H) + dotStep;
    if (!fits(saturatingMultiply(cx, A)) || !fits(saturatingMultiply(W, cx * A)) || !fits(saturatingMultiply(B, W)))
        return largest;

    // A sample's position in the circle test, the grids and the corner
    // squares: H * (dx * A) / (B * W).
    const long long dx = farthestSampleOf(W);
    if (!fits(saturatingMultiply(dx, A)) || !fits(saturatingMultiply(H, dx * A))) return largest;

    // The grids' pitches in the same units, H * (pitch * A), the border's
    // pitch being twice the grid's.
    const long long borderPitch = 2 * gridPitchOf(H);
    if (!fits(saturatingMultiply(borderPitch, A))) return largest;
    fits(saturatingMultiply(H, borderPitch * A));
    return largest;
}

bool PhilipsPm5544Spec::drawableAt(long long width, long long height, int aspectWidth, int aspectHeight) const
{
    return largestGeometryProduct(width, height, aspectWidth, aspectHeight) <= INT_MAX;
}
