#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "inspect/FrameShape.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"

// A file's rows against the reference rows, sample by sample, the
// differences gathered by the part of the card each pixel belongs to. Rows are
// added one at a time, so neither picture is ever held whole.
class RegionComparison {
public:
    static constexpr int kMaxComponents = FrameShape::kMaxComponents;

    // Differences are kept as stored (whole numbers, exact) and turned into
    // code values, a power of two smaller, when they are shown.
    struct Tally {
        long long pixels = 0;
        long long differing = 0;                          // pixels with any component different
        std::array<long long, kMaxComponents> largest{};  // as stored
        std::array<long long, kMaxComponents> sum{};      // of the differences of the differing pixels, as stored
        void add(const Tally& other);
    };

    // The shapes must have the same layout and width. A sample differs when
    // it is more than `tolerance` codes from the card's.
    RegionComparison(const FrameShape& file, const FrameShape& reference, const PhilipsPm5544Spec& card,
                     int tolerance = 0);

    // Row y of both; afterwards differs(x) and difference(x) tell about its pixels.
    void addRow(int y, const uint16_t* fileRow, const uint16_t* referenceRow);
    // Fills difference(x) for a row without counting it: a second pass draws the
    // differences once the largest of them is known.
    void markRow(const uint16_t* fileRow, const uint16_t* referenceRow);
    // Reference rows the file does not hold: their pixels are counted, not compared.
    void addMissingRows(long long rows);

    const Tally& region(CardRegion r) const { return regions_[static_cast<std::size_t>(r)]; }
    Tally total() const;
    long long notStored() const { return notStored_; }
    bool identical() const { return total().differing == 0 && notStored_ == 0; }
    bool differs(int x) const { return difference(x) != 0; }
    // The largest difference of a differing pixel's components in the last row
    // added or marked, in whole codes (at most 65535); 0 where the pixel counts
    // as equal.
    int difference(int x) const { return differences_[static_cast<std::size_t>(x)]; }
    // The largest difference() of every row added so far.
    int largestDifference() const { return largest_; }

    // The table of regions, one line each, with the component names given.
    void print(std::FILE* out, const char* const componentNames[], const PhilipsPm5544Spec& card) const;

private:
    // The largest difference of the pixel's components as stored; 0 when within the tolerance.
    int storedDifference(const uint16_t* a, const uint16_t* b) const;
    // Records that difference in codes for drawing; returns it.
    int mark(int x, int stored);

    FrameShape file_;
    FrameShape reference_;
    const PhilipsPm5544Spec& card_;
    int components_ = 0;
    double step_ = 1;
    int toleratedStored_ = 0;  // the tolerance in stored units
    std::array<Tally, kCardRegionCount> regions_{};
    long long notStored_ = 0;
    int largest_ = 0;
    std::vector<uint16_t> differences_;
    std::vector<CardRegion> lineRegions_;
};
