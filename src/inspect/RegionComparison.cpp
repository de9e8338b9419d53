#include "inspect/RegionComparison.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "inspect/measure/HeatScale.h"

namespace {

constexpr int kLargestMarked = 65535;
constexpr int kDimDivisor = 4;
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

RegionComparison::RegionComparison(const CodeFrame& file, const CodeFrame& reference, const PhilipsPm5544Spec& card,
                                   int tolerance)
    : width_(reference.width),
      height_(reference.height),
      components_(std::min(file.components, kMaxComponents)),
      tolerance_(tolerance),
      differs_(static_cast<std::size_t>(reference.width) * static_cast<std::size_t>(reference.height), 0)
{
    // Differences in code values: the stored samples hold the codes in their top bits.
    const double step = std::ldexp(1.0, file.storedBits - file.codeBits);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (!file.present(x, y)) {
                if (reference.present(x, y)) ++notStored_;
                continue;
            }
            if (!reference.present(x, y)) continue;
            Tally& tally = regions_[static_cast<std::size_t>(card.regionOf(x, y))];
            ++tally.pixels;
            double largest = 0;
            double d[kMaxComponents] = {};
            for (int c = 0; c < components_; ++c) {
                d[c] = std::abs(static_cast<int>(file.stored(x, y, c)) - static_cast<int>(reference.stored(x, y, c))) /
                       step;
                largest = std::max(largest, d[c]);
            }
            if (largest <= tolerance_) continue;
            const int marked = static_cast<int>(std::min<double>(std::ceil(largest), kLargestMarked));
            differs_[static_cast<std::size_t>(y) * width_ + x] = static_cast<uint16_t>(marked);
            largest_ = std::max(largest_, marked);
            ++tally.differing;
            for (int c = 0; c < components_; ++c) {
                tally.largest[c] = std::max(tally.largest[c], d[c]);
                tally.sum[c] += d[c];
            }
        }
    }
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

PreviewImage RegionComparison::diffImage(const PreviewImage& reference) const
{
    PreviewImage image(width_, height_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (differs(x, y)) {
                // The scale starts at the smallest difference counted, one code above the tolerance.
                const double above = difference(x, y) - tolerance_;
                image.set(x, y, HeatScale::colourAt(HeatScale::positionOf(above, largest_ - tolerance_)));
                continue;
            }
            const Rgb8 c = reference.at(x, y);
            image.set(x, y,
                      {static_cast<uint8_t>(c.r / kDimDivisor), static_cast<uint8_t>(c.g / kDimDivisor),
                       static_cast<uint8_t>(c.b / kDimDivisor)});
        }
    }
    return image;
}
