#include "inspect/RegionComparison.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr double kHz = 1e6;

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

RegionComparison::RegionComparison(const FrameShape& file, const FrameShape& reference, const PhilipsPm5544Spec& card)
    : file_(file),
      reference_(reference),
      card_(card),
      components_(std::min(file.components, kMaxComponents)),
      // Differences in code values: the stored samples hold the codes in their top bits.
      step_(std::ldexp(1.0, file.storedBits - file.codeBits)),
      differs_(static_cast<std::size_t>(reference.width), 0)
{
}

void RegionComparison::addRow(int y, const uint16_t* fileRow, const uint16_t* referenceRow)
{
    const int compared = std::min(file_.presentWidth, reference_.presentWidth);
    if (reference_.presentWidth > file_.presentWidth) notStored_ += reference_.presentWidth - file_.presentWidth;
    std::fill(differs_.begin(), differs_.end(), uint8_t{0});
    const std::size_t components = static_cast<std::size_t>(file_.components);
    for (int x = 0; x < compared; ++x) {
        Tally& tally = regions_[static_cast<std::size_t>(card_.regionOf(x, y))];
        ++tally.pixels;
        const uint16_t* a = fileRow + static_cast<std::size_t>(x) * components;
        const uint16_t* b = referenceRow + static_cast<std::size_t>(x) * components;
        bool differing = false;
        double d[kMaxComponents] = {};
        for (int c = 0; c < components_; ++c) {
            d[c] = std::abs(static_cast<int>(a[c]) - static_cast<int>(b[c])) / step_;
            differing = differing || d[c] != 0;
        }
        if (!differing) continue;
        differs_[static_cast<std::size_t>(x)] = 1;
        ++tally.differing;
        for (int c = 0; c < components_; ++c) {
            tally.largest[c] = std::max(tally.largest[c], d[c]);
            tally.sum[c] += d[c];
        }
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
            const double mean = t.differing > 0 ? t.sum[c] / static_cast<double>(t.differing) : 0.0;
            std::fprintf(out, " | %9g %6.2f", t.largest[c], mean);
        }
        std::fprintf(out, "\n");
    };
    for (int r = 0; r < kCardRegionCount; ++r) {
        const Tally& t = regions_[static_cast<std::size_t>(r)];
        if (t.pixels > 0) row(regionLabel(static_cast<CardRegion>(r), card), t);
    }
    row("all", total());
}
