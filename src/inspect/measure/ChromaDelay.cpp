#include "inspect/measure/ChromaDelay.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {

constexpr double kNsPerSecond = 1e9;
// An edge is timed in a component only where it changes by at least this share of the black-to-white span.
constexpr double kSmallestStep = 0.1;
// Two flat spans of a line hold one edge between them when they are at most this many clearances apart
// (each keeps one clearance from the edge; a chain may move the edge by as much again).
constexpr int kGapsPerClearance = 4;

// One edge between two bars, at the same place on many lines: the capture's
// samples across it and its flat levels either side, summed over the lines,
// so that noise is averaged before the edge is timed.
struct Timing {
    double sum = 0;
    int count = 0;
    void add(double t)
    {
        sum += t;
        ++count;
    }
    double mean() const { return count > 0 ? sum / count : 0.0; }
};

struct Edge {
    int from = 0;  // the last sample of the left bar's flat span
    int to = 0;    // the first of the right one's
    int lines = 0;
    std::array<std::vector<double>, MeasureFrame::kPlanes> profile;  // capture, samples from..to
    std::array<double, MeasureFrame::kPlanes> left{};
    std::array<double, MeasureFrame::kPlanes> right{};
    std::array<double, MeasureFrame::kPlanes> cardLeft{};
    std::array<double, MeasureFrame::kPlanes> cardRight{};
    std::array<std::vector<double>, MeasureFrame::kPlanes> cardProfile;
};

double meanOf(const MeasureFrame& f, int plane, int y, int x0, int x1)
{
    double sum = 0;
    for (int x = x0; x < x1; ++x) sum += f.code(plane, x, y);
    return sum / (x1 - x0);
}

// Where the values first cross `level` in `direction` (+1 rising, -1 falling), by linear interpolation
// between the two samples either side; NaN if they do not.
double crossing(const std::vector<double>& v, double level, double direction)
{
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
        if (direction * (v[i] - level) < 0 && direction * (v[i + 1] - level) >= 0) {
            return static_cast<double>(i) + (level - v[i]) / (v[i + 1] - v[i]);
        }
    }
    return std::nan("");
}

// Reads each odd sample of a profile starting at sample `first` as the mean of the even samples either side.
void cosite(std::vector<double>& v, int first)
{
    for (std::size_t i = 1; i + 1 < v.size(); ++i) {
        if (((first + static_cast<int>(i)) & 1) != 0) v[i] = (v[i - 1] + v[i + 1]) / 2;
    }
}

// True when every odd sample of the chroma planes repeats the even one before it.
bool chromaShared(const MeasureFrame& f)
{
    for (int p : {MeasureFrame::kCbOrB, MeasureFrame::kCrOrR}) {
        for (int y = 0; y < f.height; ++y) {
            const uint16_t* row = f.row(p, y);
            for (int x = 1; x < f.width; x += 2) {
                if (row[x] != row[x - 1]) return false;
            }
        }
    }
    return true;
}

// The capture's edge time less the card's in one plane, when the edge is large enough there to be timed.
bool delayAt(const Edge& e, int plane, double smallestStep, double& delay)
{
    const double cardStep = e.cardRight[plane] - e.cardLeft[plane];
    const double step = e.right[plane] - e.left[plane];
    if (std::abs(cardStep) < smallestStep || step * cardStep <= 0) return false;
    const double direction = cardStep > 0 ? 1.0 : -1.0;
    const double card = crossing(e.cardProfile[plane], (e.cardLeft[plane] + e.cardRight[plane]) / 2, direction);
    const double capture = crossing(e.profile[plane], (e.left[plane] + e.right[plane]) / 2, direction);
    if (std::isnan(card) || std::isnan(capture)) return false;
    delay = capture - card;
    return true;
}

}  // namespace

ChromaDelay measureChromaDelay(const MeasureFrame& capture, const MeasureFrame& card,
                               const std::vector<FlatSpan>& spans, const Registration& registration,
                               const MeasureCanvas& canvas, Clearance clearance)
{
    const WholeShift shift{registration.wholeDx(), registration.wholeDy()};
    const std::array<int, 2> chromaPlanes{MeasureFrame::kCbOrB, MeasureFrame::kCrOrR};
    const int widestGap = kGapsPerClearance * clearance.samples;
    const int levelWidth = 2 * clearance.samples;
    std::map<std::pair<int, int>, Edge> edges;
    for (std::size_t i = 0; i + 1 < spans.size(); ++i) {
        const FlatSpan& left = spans[i];
        const FlatSpan& right = spans[i + 1];
        if (left.region != CardRegion::ColourBars || right.region != CardRegion::ColourBars) continue;
        if (left.y != right.y || right.x0 - left.x1 > widestGap) continue;
        const int cy = left.y + shift.dy;
        const int l0 = std::max(left.x0, left.x1 - levelWidth);
        const int r1 = std::min(right.x1, right.x0 + levelWidth);
        if (cy < 0 || cy >= capture.height || l0 + shift.dx < 0 || r1 + shift.dx > capture.width) continue;
        Edge& e = edges[{left.x1 - 1, right.x0}];
        e.from = left.x1 - 1;
        e.to = right.x0;
        ++e.lines;
        for (int p = 0; p < MeasureFrame::kPlanes; ++p) {
            std::vector<double>& profile = e.profile[static_cast<std::size_t>(p)];
            std::vector<double>& cardProfile = e.cardProfile[static_cast<std::size_t>(p)];
            profile.resize(static_cast<std::size_t>(e.to - e.from + 1), 0.0);
            cardProfile.resize(profile.size(), 0.0);
            for (int x = e.from; x <= e.to; ++x) {
                profile[static_cast<std::size_t>(x - e.from)] += capture.code(p, x + shift.dx, cy);
                cardProfile[static_cast<std::size_t>(x - e.from)] += card.code(p, x, left.y);
            }
            e.left[p] += meanOf(capture, p, cy, l0 + shift.dx, left.x1 + shift.dx);
            e.right[p] += meanOf(capture, p, cy, right.x0 + shift.dx, r1 + shift.dx);
            e.cardLeft[p] += card.code(p, left.x1 - 1, left.y);
            e.cardRight[p] += card.code(p, right.x0, left.y);
        }
    }
    const bool captureShared = chromaShared(capture);
    Timing luma;
    std::array<Timing, 2> chroma;
    for (auto& entry : edges) {
        Edge& e = entry.second;
        for (int p : chromaPlanes) {
            if (canvas.sharedChroma) cosite(e.cardProfile[static_cast<std::size_t>(p)], e.from);
            if (captureShared) cosite(e.profile[static_cast<std::size_t>(p)], e.from + shift.dx);
        }
        // Sums over the lines stand for means: each side of a comparison is summed over the same lines.
        const double smallestStep = kSmallestStep * canvas.span() * e.lines;
        double d = 0;
        if (delayAt(e, canvas.lumaPlane, smallestStep, d)) luma.add(d);
        for (std::size_t c = 0; c < chromaPlanes.size(); ++c) {
            if (delayAt(e, chromaPlanes[c], smallestStep, d)) chroma[c].add(d);
        }
    }
    ChromaDelay delay;
    for (std::size_t c = 0; c < chromaPlanes.size(); ++c) {
        delay.measured[c] = luma.count > 0 && chroma[c].count > 0;
        delay.edges[c] = chroma[c].count;
        if (!delay.measured[c]) continue;
        delay.samples[c] = chroma[c].mean() - luma.mean();
        delay.ns[c] = delay.samples[c] / canvas.sampleRateHz * kNsPerSecond;
    }
    return delay;
}
