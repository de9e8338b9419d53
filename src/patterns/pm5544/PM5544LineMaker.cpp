#include "patterns/pm5544/PM5544LineMaker.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "patterns/WrappingArithmetic.h"
#include "patterns/pm5544/PM5544Constants.h"

using namespace PM5544Palette;

namespace {

// The first x in [lo, hi] where `test` holds, for a test that fails up to
// some x and holds from there on; hi + 1 when it never holds.
template <typename Test>
int firstWhere(int lo, int hi, Test test)
{
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        if (test(mid)) {
            hi = mid - 1;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

// The last x in [lo, hi] where `test` holds, for a test that holds up to some
// x and fails from there on; lo - 1 when it never holds.
template <typename Test>
int lastWhere(int lo, int hi, Test test)
{
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        if (test(mid)) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return hi;
}

}  // namespace

PhilipsPm5544Spec::LineMaker::LineMaker(PhilipsPm5544Spec& card) : card_(card), layout_(card.lineLayout())
{
    ramp_ = card.savedTransitionSize;
    dxFirst_ = layout_.firstX - card.geometry.centreX;
    dxLast_ = dxFirst_ + layout_.count - 1;
    card.calculateTransition(fast_, PM5544Constants::kFastRiseTimeNs, PM5544Constants::kShapingClockMHz);
    black_ = intern(card.palette[Black]);
    white_ = intern(card.palette[White]);
    grey50_ = intern(card.palette[Grey50]);
}

uint32_t PhilipsPm5544Spec::LineMaker::intern(const Pixel& p)
{
    const auto found = indexOf_.find(p);
    if (found != indexOf_.end()) {
        return found->second;
    }
    const uint32_t index = static_cast<uint32_t>(colours_.size());
    uint32_t sameAs = index;
    for (uint32_t i = 0; i < index; ++i) {
        if (sameSample(colours_[i], p)) {
            sameAs = classOf_[i];
            classesShared_ = true;
            break;
        }
    }
    colours_.push_back(p);
    classOf_.push_back(sameAs);
    indexOf_.emplace(p, index);
    return index;
}

const std::vector<uint32_t>& PhilipsPm5544Spec::LineMaker::centralRow(int dy)
{
    std::vector<uint32_t>& row = centralRows_[card_.centralRowClass(dy)];
    if (row.empty()) {
        row.reserve(static_cast<std::size_t>(layout_.count));
        for (int dx = dxFirst_; dx <= dxLast_; ++dx) {
            row.push_back(intern(card_.centralCircle(dx, dy)));
        }
    }
    return row;
}

const std::vector<uint32_t>& PhilipsPm5544Spec::LineMaker::backgroundRow(int dy)
{
    std::vector<uint32_t>& row = backgroundRows_[card_.backgroundRowClass(dy)];
    if (row.empty()) {
        row.reserve(static_cast<std::size_t>(layout_.count));
        for (int dx = dxFirst_; dx <= dxLast_; ++dx) {
            row.push_back(intern(card_.gridOrBorder(dx, dy)));
        }
    }
    return row;
}

PhilipsPm5544Spec::LineMaker::Span PhilipsPm5544Spec::LineMaker::circleSpan(int dy, int cx, int cy, int r) const
{
    // The circle test measures x in line units, px = height * x * aspectWidth
    // / (aspectHeight * width), which never decreases with x. Left of the
    // centre's px the test turns true at most once, right of it false at most
    // once, so the samples inside form one interval.
    const PhilipsPm5544Spec& c = card_;
    const int pixelDivisor = wrappingMultiply(c.aspectHeight, c.width);
    const int qc = wrappingMultiply(c.width, wrappingMultiply(cx, c.aspectWidth)) / pixelDivisor;
    auto rightOfCentre = [&](int dx) {
        return wrappingMultiply(c.height, wrappingMultiply(dx, c.aspectWidth)) / pixelDivisor > qc;
    };
    auto inside = [&](int dx) { return c.insideCircleHeight(dx, dy, cx, cy, r); };

    const int split = firstWhere(dxFirst_, dxLast_, rightOfCentre);
    const bool insideRightOfCentre = split <= dxLast_ && inside(split);
    const int firstLeft = firstWhere(dxFirst_, split - 1, inside);
    Span span;
    if (firstLeft <= split - 1) {
        span.first = firstLeft;
        span.last = insideRightOfCentre ? lastWhere(split, dxLast_, inside) : split - 1;
    } else if (insideRightOfCentre) {
        span.first = split;
        span.last = lastWhere(split, dxLast_, inside);
    }
    return span;
}

PhilipsPm5544Spec::LineMaker::Span PhilipsPm5544Spec::LineMaker::squareSpan(const Corner& corner) const
{
    // The grey square's horizontal test on aspectAdjustedVertFraction(dx),
    // which never decreases with dx.
    const int s = card_.geometry.cornerSquareHalf;
    auto ax = [&](int dx) { return card_.aspectAdjustedVertFraction(dx, card_.width); };
    Span span;
    span.first = firstWhere(dxFirst_, dxLast_, [&](int dx) { return corner.squareCx - s < ax(dx); });
    span.last = lastWhere(dxFirst_, dxLast_, [&](int dx) { return ax(dx) < corner.squareCx + s; });
    return span;
}

void PhilipsPm5544Spec::LineMaker::fill(std::vector<uint32_t>& out, Span span, uint32_t colour) const
{
    if (span.empty()) return;
    const auto begin = out.begin() + layout_.lead + (span.first - dxFirst_);
    std::fill(begin, begin + (span.last - span.first + 1), colour);
}

void PhilipsPm5544Spec::LineMaker::copy(std::vector<uint32_t>& out, Span span, const std::vector<uint32_t>& row) const
{
    if (span.empty()) return;
    const auto from = row.begin() + (span.first - dxFirst_);
    std::copy(from, from + (span.last - span.first + 1), out.begin() + layout_.lead + (span.first - dxFirst_));
}

void PhilipsPm5544Spec::LineMaker::paintCorner(const Corner& corner, int dy, std::vector<uint32_t>& out)
{
    // render(): the outline ring is white, the inside cornerContent().
    const Geometry& g = card_.geometry;
    fill(out, circleSpan(dy, corner.cx, corner.cy, g.cornerOutlineRadius), white_);
    const Span inside = circleSpan(dy, corner.cx, corner.cy, g.cornerRadius);
    fill(out, inside, black_);

    // cornerContent(): black outside the ring or the square; inside both,
    // grey with the textured dots.
    const bool squareLine = corner.cy - g.cornerSquareHalf < dy && dy < corner.cy + g.cornerSquareHalf;
    if (!squareLine) return;
    const Span grey =
        inside.within(circleSpan(dy, corner.cx, corner.cy, g.cornerRingRadius)).within(squareSpan(corner));
    fill(out, grey, grey50_);
    for (int d = 0; d < corner.dotCount; ++d) {
        const Span dot = grey.within(circleSpan(dy, corner.dotCx[d], corner.dotCy[d], g.dotRadius));
        for (int dx = dot.first; dx <= dot.last; ++dx) {
            out[static_cast<std::size_t>(layout_.lead + (dx - dxFirst_))] =
                PM5544Constants::textureFlag(dx, dy) ? black_ : grey50_;
        }
    }
}

void PhilipsPm5544Spec::LineMaker::paint(int y, std::vector<uint32_t>& out)
{
    // The regions are painted from the last that render() tests to the first,
    // each over the ones before, so every sample ends with the colour of the
    // first region that holds it.
    const Geometry& g = card_.geometry;
    const int dy = y - g.centreY;
    out.resize(static_cast<std::size_t>(layout_.size()));
    std::fill(out.begin(), out.begin() + layout_.lead, black_);
    std::fill(out.end() - layout_.trail, out.end(), black_);
    if (layout_.count > 0) {
        copy(out, Span{dxFirst_, dxLast_}, backgroundRow(dy));
        for (int c = kCornerCount - 1; c >= 0; --c) {
            const Corner& corner = g.corners[c];
            if (std::abs(dy - corner.cy) < g.cornerOutlineRadius) {
                paintCorner(corner, dy, out);
            }
        }
        if (std::abs(dy) < g.outlineRadius) {
            fill(out, circleSpan(dy, 0, 0, g.outlineRadius), white_);
            copy(out, circleSpan(dy, 0, 0, g.circleRadius), centralRow(dy));
        }
    }
}

void PhilipsPm5544Spec::LineMaker::shapeAll(const std::vector<uint32_t>& painted, std::vector<uint32_t>& shaped)
{
    shaped.resize(static_cast<std::size_t>(layout_.outputSize()));
    IndexOut out{*this, painted, shaped.data(), layout_.before};
    card_.shapeRuns(IndexLine{painted, *this}, fast_, out);
}

bool PhilipsPm5544Spec::LineMaker::shapeChanges(const std::vector<uint32_t>& before,
                                                const std::vector<uint32_t>& painted, std::vector<uint32_t>& shaped)
{
    // Only samples within one ramp of a painted change can shape differently.
    // A line that changes almost everywhere is shaped whole instead.
    const int size = layout_.size();
    const int firstOut = layout_.before;
    const int lastOut = size - layout_.after - 1;
    const int wholeLineWorth = size / 8;
    int changed = 0;
    int pendingFirst = 0;
    int pendingLast = -1;
    auto reshape = [&](int from, int to) {
        for (int i = from < firstOut ? firstOut : from; i <= to && i <= lastOut; ++i) {
            shaped[static_cast<std::size_t>(i - firstOut)] = shapeAt(painted, i);
        }
    };
    const uint32_t* const now = painted.data();
    const uint32_t* const then = before.data();
    for (int i = 0; i < size; ++i) {
        // Most of a line is unchanged: step over equal blocks at a time.
        constexpr int kBlock = 16;
        while (i + kBlock <= size && std::memcmp(now + i, then + i, kBlock * sizeof(uint32_t)) == 0) {
            i += kBlock;
        }
        if (i >= size || now[i] == then[i]) {
            continue;
        }
        if (++changed > wholeLineWorth) {
            return false;
        }
        const int from = i - ramp_;
        const int to = i + ramp_;
        if (from > pendingLast + 1) {
            reshape(pendingFirst, pendingLast);
            pendingFirst = from;
        }
        pendingLast = to;
    }
    reshape(pendingFirst, pendingLast);
    return true;
}

uint32_t PhilipsPm5544Spec::LineMaker::shapeAt(const std::vector<uint32_t>& painted, int position)
{
    // The run around the sample, looked for no further than a ramp and one
    // sample away: a change further off does not touch it. The run's colour
    // is that of its first sample, which differs from this one only when two
    // colours count as the same sample; the whole run is walked for it then.
    const int size = static_cast<int>(painted.size());
    const int reach = ramp_ + 1;
    Run run;
    run.first = position;
    while (run.first > 0 && (classesShared_ || position - run.first < reach) &&
           same(painted[static_cast<std::size_t>(run.first - 1)], painted[static_cast<std::size_t>(position)])) {
        --run.first;
    }
    const uint32_t p = painted[static_cast<std::size_t>(run.first)];
    run.last = position;
    while (run.last + 1 < size && run.last - position < reach &&
           same(painted[static_cast<std::size_t>(run.last + 1)], p)) {
        ++run.last;
    }
    run.hasPrevious = run.first > 0 && !same(painted[static_cast<std::size_t>(run.first - 1)], p);
    run.hasNext = run.last + 1 < size && !same(painted[static_cast<std::size_t>(run.last + 1)], p);
    const uint32_t none = UINT32_MAX;
    const uint32_t previous = run.hasPrevious ? painted[static_cast<std::size_t>(run.first - 1)] : none;
    const uint32_t next = run.hasNext ? painted[static_cast<std::size_t>(run.last + 1)] : none;

    // Away from the line's ends the result depends on nothing else.
    const bool nearEnd = position <= reach || position >= size - 1 - reach;
    const Neighbourhood key{(uint64_t{previous} << 32) | p,
                            (uint64_t(position - run.first) << 40) | (uint64_t(run.last - position) << 32) | next};
    if (!nearEnd) {
        const auto found = shapedBy_.find(key);
        if (found != shapedBy_.end()) {
            return found->second;
        }
    }
    const Pixel shapedSample =
        card_.shapeSample(colours_[p], position, size, run, run.hasNext ? &colours_[next] : nullptr,
                          run.hasPrevious ? &colours_[previous] : nullptr, fast_);
    const uint32_t index = intern(shapedSample);
    if (!nearEnd) {
        shapedBy_.emplace(key, index);
    }
    return index;
}

const uint32_t* PhilipsPm5544Spec::LineMaker::line(int y)
{
    ++clock_;
    Line* oldest = &lines_[0];
    for (Line& cached : lines_) {
        if (cached.y == y) {
            cached.lastUse = clock_;
            return cached.shaped.data();
        }
        if (cached.lastUse < oldest->lastUse) {
            oldest = &cached;
        }
    }
    Line& made = *oldest;
    made.y = y;
    made.lastUse = clock_;
    paint(y, made.painted);
    // Consecutive lines differ in few places (the circles' edges move by a
    // sample or two), so a line is shaped from the one made before it.
    // (When two colours count as the same sample, a run takes the colour of
    // its first sample however far away; such lines are shaped whole.)
    const Line* before = lastMade_ != &made && !classesShared_ ? lastMade_ : nullptr;
    bool shapedFromBefore = false;
    if (before != nullptr) {
        made.shaped = before->shaped;
        shapedFromBefore = shapeChanges(before->painted, made.painted, made.shaped);
    }
    if (!shapedFromBefore) {
        shapeAll(made.painted, made.shaped);
    }
    lastMade_ = &made;
    return made.shaped.data();
}
