#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "inspect/CodeFrame.h"
#include "inspect/PreviewImage.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"

// A file's frame against the reference frame, sample by sample, the
// differences gathered by the part of the card each pixel belongs to.
class RegionComparison {
public:
    static constexpr int kMaxComponents = 4;

    struct Tally {
        long long pixels = 0;
        long long differing = 0;                       // pixels with any component different
        std::array<double, kMaxComponents> largest{};  // in code values of the frame's depth
        std::array<double, kMaxComponents> sum{};      // of the differences of the differing pixels
        void add(const Tally& other);
    };

    // The frames must have the same layout and width; the file's may have
    // fewer lines. Pixels the file does not hold are left out and counted.
    // A sample differs when it is more than `tolerance` codes from the card's.
    RegionComparison(const CodeFrame& file, const CodeFrame& reference, const PhilipsPm5544Spec& card,
                     int tolerance = 0);

    const Tally& region(CardRegion r) const { return regions_[static_cast<std::size_t>(r)]; }
    Tally total() const;
    long long notStored() const { return notStored_; }
    bool identical() const { return total().differing == 0 && notStored_ == 0; }
    bool differs(int x, int y) const { return difference(x, y) != 0; }
    // The largest difference of a differing pixel's components, in codes (at most 65535); 0 where none differs.
    int difference(int x, int y) const { return differs_[static_cast<std::size_t>(y) * width_ + x]; }
    int largestDifference() const { return largest_; }

    // The table of regions, one line each, with the component names given.
    void print(std::FILE* out, const char* const componentNames[], const PhilipsPm5544Spec& card) const;

    // The reference dimmed to a quarter, with every differing pixel on the heat
    // scale from the smallest difference counted to the largest.
    PreviewImage diffImage(const PreviewImage& reference) const;

private:
    int width_ = 0;
    int height_ = 0;
    int components_ = 0;
    std::array<Tally, kCardRegionCount> regions_{};
    long long notStored_ = 0;
    int tolerance_ = 0;
    int largest_ = 0;
    std::vector<uint16_t> differs_;
};
