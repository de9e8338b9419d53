#include "inspect/RegionComparison.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr double kHz = 1e6;
constexpr int kLargestMarked = 65535;

std::string regionLabel(CardRegion r, const PhilipsPm5544Spec& card)
{
    std::string label = cardRegionName(r);
    const int k = static_cast<int>(r) - static_cast<int>(CardRegion::Grating1);
    if (k >= 0 && k < kGratingRegionCount) {
        char mhz[32];
        std::snprintf(mhz, sizeof mhz, " (%.1f MHz)", (card.gratingStartHz + k * card.gratingStepHz) / kHz);
        label += mhz;
    }
    return label;
}

}  // namespace

void RegionComparison::Tally::add(const Tally& other)
{
    pixels += other.pixels;
    differing += other.differing;
    for (int c = 0; c < kMaxComponents; ++c) {
        largest[c] = std::max(largest[c], other.largest[c]);
        sum[c] += other.sum[c];
    }
}

RegionComparison::RegionComparison(const FrameShape& file, const FrameShape& reference, const PhilipsPm5544Spec& card,
                                   int tolerance)
    : file_(file),
      reference_(reference),
      card_(card),
      components_(std::min(file.components, kMaxComponents)),
      // Differences in code values: the stored samples hold the codes in their top bits.
      step_(std::ldexp(1.0, file.storedBits - file.codeBits)),
      // Stored samples are whole numbers: |a - b| / step > tolerance holds exactly when
      // |a - b| exceeds the whole part of tolerance * step.
      toleratedStored_(static_cast<int>(std::min(std::floor(tolerance * step_), 65535.0))),
      differences_(static_cast<std::size_t>(reference.width), 0)
{
}

int RegionComparison::storedDifference(const uint16_t* a, const uint16_t* b) const
{
    // The samples are compared as stored; only what is shown is converted to codes.
    int largest = 0;
    for (int c = 0; c < components_; ++c) {
        largest = std::max(largest, std::abs(static_cast<int>(a[c]) - static_cast<int>(b[c])));
    }
    return largest > toleratedStored_ ? largest : 0;
}

int RegionComparison::mark(int x, int stored)
{
    const int marked = static_cast<int>(std::min<double>(std::ceil(stored / step_), kLargestMarked));
    differences_[static_cast<std::size_t>(x)] = static_cast<uint16_t>(marked);
    return marked;
}

void RegionComparison::addRow(int y, const uint16_t* fileRow, const uint16_t* referenceRow)
{
    const int compared = std::min(file_.presentWidth, reference_.presentWidth);
    if (reference_.presentWidth > file_.presentWidth) notStored_ += reference_.presentWidth - file_.presentWidth;
    std::fill(differences_.begin(), differences_.end(), uint16_t{0});
    const std::size_t components = static_cast<std::size_t>(file_.components);
    card_.regionsOfLine(y, lineRegions_);
    for (int x = 0; x < compared; ++x) {
        Tally& tally = regions_[static_cast<std::size_t>(lineRegions_[static_cast<std::size_t>(x)])];
        ++tally.pixels;
        const uint16_t* a = fileRow + static_cast<std::size_t>(x) * components;
        const uint16_t* b = referenceRow + static_cast<std::size_t>(x) * components;
        const int stored = storedDifference(a, b);
        if (stored == 0) continue;
        largest_ = std::max(largest_, mark(x, stored));
        ++tally.differing;
        for (int c = 0; c < components_; ++c) {
            const int d = std::abs(static_cast<int>(a[c]) - static_cast<int>(b[c]));
            tally.largest[c] = std::max<long long>(tally.largest[c], d);
            tally.sum[c] += d;
        }
    }
}

void RegionComparison::markRow(const uint16_t* fileRow, const uint16_t* referenceRow)
{
    const int compared = std::min(file_.presentWidth, reference_.presentWidth);
    std::fill(differences_.begin(), differences_.end(), uint16_t{0});
    const std::size_t components = static_cast<std::size_t>(file_.components);
    for (int x = 0; x < compared; ++x) {
        const int stored = storedDifference(fileRow + static_cast<std::size_t>(x) * components,
                                            referenceRow + static_cast<std::size_t>(x) * components);
        if (stored != 0) mark(x, stored);
    }
}

void RegionComparison::addMissingRows(long long rows)
{
    notStored_ += rows * reference_.presentWidth;
}

RegionComparison::Tally RegionComparison::total() const
{
    Tally all;
    for (const Tally& t : regions_) all.add(t);
    return all;
}

void RegionComparison::print(std::FILE* out, const char* const componentNames[], const PhilipsPm5544Spec& card) const
{
    std::fprintf(out, "%-26s %9s %9s", "region", "samples", "differ");
    for (int c = 0; c < components_; ++c) {
        std::fprintf(out, " | %9s %6s", (std::string(componentNames[c]) + " max").c_str(), "mean");
    }
    std::fprintf(out, "\n");
    auto row = [&](const std::string& label, const Tally& t) {
        std::fprintf(out, "%-26s %9lld %9lld", label.c_str(), t.pixels, t.differing);
        for (int c = 0; c < components_; ++c) {
            // A power of two apart, so the division is exact: the codes are
            // what summing the differences in codes would give.
            const double sum = static_cast<double>(t.sum[c]) / step_;
            const double mean = t.differing > 0 ? sum / static_cast<double>(t.differing) : 0.0;
            std::fprintf(out, " | %9g %6.2f", static_cast<double>(t.largest[c]) / step_, mean);
        }
        std::fprintf(out, "\n");
    };
    for (int r = 0; r < kCardRegionCount; ++r) {
        const Tally& t = regions_[static_cast<std::size_t>(r)];
        if (t.pixels > 0) row(regionLabel(static_cast<CardRegion>(r), card), t);
    }
    row("all", total());
}
